// Resource and control ids of the UPnP settings page, its editors and the
// Advanced sheet. Read by the resource compiler too: defines only.
#ifndef PORTREEVE_PAGEIDS_H
#define PORTREEVE_PAGEIDS_H

// Dialog templates.
#define IDD_UPNP_PAGE 10
#define IDD_ADV_SETTINGS 11
#define IDD_ADV_LOG 13
#define IDD_SERVICE_EDITOR 14
#define IDD_PORT_EDITOR 15

// Icons of the Advanced sheet's pages.
#define IDI_ADV_SETTINGS 120
#define IDI_ADV_LOG 128

// Bitmaps of the list image lists (16 x 16, magenta key colour).
#define IDB_SORT_BLANK 130
#define IDB_SORT_UP 131
#define IDB_SORT_DOWN 132
#define IDB_SERVICE_DISABLED 133
#define IDB_SERVICE_ENABLED 134
#define IDB_PORT_RANGE 135

// The plug-in's help file.
#define IDH_PORTREEVE_HELP 100

// Main page.
#define IDC_PAGE_INTRO 100
#define IDC_ROUTER 101
#define IDC_SERVICES_TEXT 102
#define IDC_SERVICES 103
#define IDC_SERVICE_ADD 104
#define IDC_SERVICE_EDIT 105
#define IDC_SERVICE_DELETE 106
#define IDC_ADVANCED_TEXT 107
#define IDC_ADVANCED 108
#define IDC_ROUTER_HEADING 400
#define IDC_SERVICES_HEADING 401

// Settings page of the Advanced sheet.
#define IDC_CONFIGURE_ALL 10
#define IDC_REMOVE_ON_EXIT 11
#define IDC_PERSISTENT 12
#define IDC_SETTINGS_HEADING 400

// Log page of the Advanced sheet.
#define IDC_LOG_TEXT 20
#define IDC_LOG_LIST 21
#define IDC_LOG_LINK 50

// Service editor.
#define IDC_SERVICE_NAME 101
#define IDC_SERVICE_ENABLE 102
#define IDC_PORTS 103
#define IDC_PORT_ADD 104
#define IDC_PORT_EDIT 105
#define IDC_PORT_DELETE 106
#define IDC_SERVICE_NAME_LABEL 107
#define IDC_PORTS_HEADING 400

// Port editor.
#define IDC_PORT_FROM 101
#define IDC_PORT_TO 102
#define IDC_PORT_TCP 103
#define IDC_PORT_UDP 104
#define IDC_PORT_FROM_LABEL 105
#define IDC_PORT_TO_LABEL 106
#define IDC_PORT_RANGE_GROUP 107
#define IDC_PORT_TYPE_GROUP 108

#endif
