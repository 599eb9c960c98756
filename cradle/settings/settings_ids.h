/* Resource and control ids of the settings window, its host pages and its
 * dialogs, shared by the code and the resource scripts. */
#ifndef CRADLE_SETTINGS_IDS_H
#define CRADLE_SETTINGS_IDS_H

/* The settings window: dialog 10 of the program, Help icon 124. */
#define IDD_SETTINGS_WINDOW 10
#define IDI_SETTINGS_HELP 124
#define IDC_SW_TREE 10
#define IDC_SW_BAND 20
#define IDC_SW_FRAME 30
#define IDC_SW_TITLE 40
#define IDC_SW_SLOGAN 50
#define IDC_SW_CATEGORY_LIST 60
#define IDC_SW_PRODUCT 70
#define IDC_SW_LINE 71
#define IDC_SW_OK 100
#define IDC_SW_APPLY 101
#define IDC_SW_CANCEL 102
#define IDC_SW_HELP 103

/* Menu commands of the settings window. */
#define IDM_SW_CLOSE 100
#define IDM_SW_CONTENTS 180
#define IDM_SW_ABOUT 200
#define IDM_SW_TIP 220
#define IDM_SW_SUPPORT 240

/* Branding module: list bitmaps, support address. */
#define IDB_LIST_DEFAULT 160
#define IDB_LIST_ASCENDING 158
#define IDB_LIST_DESCENDING 159
#define IDS_SUPPORT_ADDRESS 103

/* The host's "SETTINGS" page. */
#define IDC_SP_LANGUAGE 10
#define IDC_SP_EXPERT 30
#define IDC_SP_NOVICE 31
#define IDC_SP_TABS 32
#define IDC_SP_PASSWORD 33
#define IDC_SP_SHOWTIPS 50
#define IDC_SP_DISABLETRAY 51
#define IDC_SP_DISABLEPOPUP 53
#define IDC_SP_CONFIRMCLOSE 54
#define IDC_SP_NOTIFYMINIMIZE 55
#define IDC_SP_DEFAULTS 60

/* The "ABOUT" page. */
#define IDC_AB_MODULES 10
#define IDC_AB_WEB 20
#define IDC_AB_LINK1 21
#define IDC_AB_TITLE 25
#define IDC_AB_LINK2 30
#define IDC_AB_PHONE 31
#define IDC_AB_HEADING 40
#define IDC_AB_CONTACT1 41
#define IDC_AB_CONTACT2 42
#define IDC_AB_CONTACT3 43
#define IDC_AB_TEXT 50

/* Tab access dialog 102. */
#define IDD_TAB_ACCESS 102
#define IDC_TA_LIST 10
#define IDC_TA_YES 20
#define IDC_TA_NO 21
#define IDC_TA_OK 100
#define IDC_TA_CANCEL 101
#define IDC_TA_RESET 102

/* Password protection dialog 104. */
#define IDD_PASSWORD_PROTECTION 104
#define IDC_PP_USE 20
#define IDC_PP_PASSWORD 30
#define IDC_PP_REPEAT 31
#define IDC_PP_PROPERTIES 32
#define IDC_PP_TABS 33
#define IDC_PP_CLOSE 34
#define IDC_PP_OK 100
#define IDC_PP_CANCEL 101

#endif
