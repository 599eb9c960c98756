// Resource ids of the photo plug-in's settings pages, sheets, wizard and
// dialogs. Read by the resource compiler too: defines only. Control ids are
// local to each template and live beside the page that uses them.
#ifndef GALLEON_PAGEIDS_H
#define GALLEON_PAGEIDS_H

// Dialog templates: the pages the host shows.
#define IDD_SETTINGS 10
#define IDD_OPTIONS 31
#define IDD_SECURITY 32
#define IDD_LOG 33
// Host entry and transaction log window.
#define IDD_HOST_ENTRY 17
#define IDD_TRANSACTION_LOG 30
// Edit Collection sheet and its message dialog.
#define IDD_EDIT_NAME 34
#define IDD_EDIT_TYPE 35
#define IDD_EDIT_PASSWORD 36
#define IDD_EDIT_FILES 37
#define IDD_MESSAGE 40
// Add Collection wizard and the photo editor.
#define IDD_WIZ_NAME 11
#define IDD_WIZ_FILES 12
#define IDD_WIZ_PASSWORD 13
#define IDD_WIZ_TYPE 14
#define IDD_WIZ_PREVIEW 15
#define IDD_WIZ_COPY 16
#define IDD_WIZ_FINISH 39
#define IDD_PHOTO_EDITOR 41

// Sort marks of every list's header (16 x 16 bitmaps on magenta): image 0
// blank, 1 ascending, 2 descending, in that order in each image list.
#define IDB_SORT_BLANK 132
#define IDB_SORT_UP 131
#define IDB_SORT_DOWN 133

// Icons shared by several pages.
#define IDI_FILE 258          // a file of a collection (Files, Add Photos and Files)
#define IDI_PASSWORD 284      // Password page, Security page of the Advanced sheet
#define IDI_TYPE 285          // Type page, Log page of the Advanced sheet
#define IDI_ERROR 280         // the error mark beside a page's error line

// Page tab icons (the plug-in's "tabicon" is the Settings page's).
#define IDI_LOG 149
#define IDI_OPTIONS 150
#define IDI_SECURITY 146

// Settings page and its menus.
#define IDI_SERVER_STOPPED 122
#define IDI_SERVER_RUNNING 123
#define IDI_COLLECTION_OPEN 263
#define IDI_COLLECTION_PROTECTED 265
#define IDI_COLLECTION_MARKED 266
#define IDI_VIEW_BUTTON 286
#define IDI_MENU_PHOTO 287
#define IDI_MENU_RECYCLE 288
#define IDI_MENU_MIXED_FILMSTRIP 289
#define IDI_MENU_FILE 290
#define IDI_MENU_PROPERTIES 160
#define IDI_MENU_PROPERTIES_ACTIVE 161
#define IDI_MENU_DELETE_ACTIVE 162
#define IDI_MENU_DELETE 163
#define IDI_MENU_PREVIEW 281
#define IDI_MENU_PREVIEW_ACTIVE 282
#define IDI_SETTINGS_INTRO 270   // pictures of the page's static icons
#define IDI_SETTINGS_COLLECTIONS 271
#define IDI_SETTINGS_ADVANCED 272
// Edit Collection sheet.
#define IDI_EDIT_NAME 277
#define IDI_EDIT_FILES 156
#define IDI_FILE_MARKED 278

// Security page, transaction log window.
#define IDI_HOST 145
#define IDI_NETWORK 146  // also the Security tab icon
#define IDI_TRANSACTION_LOG 119

// Wizard and photo editor: the four preview buttons (32 x 32).
#define IDI_ROTATE 259
#define IDI_FLIP_HORIZONTAL 260
#define IDI_FLIP_VERTICAL 261
#define IDI_RESTORE 262
// Wizard pictures: the side pictures of the pages and the type icons.
#define IDB_WIZ_NAME 300
#define IDB_WIZ_FILES 301
#define IDB_WIZ_PASSWORD 302
#define IDB_WIZ_COPY 303
#define IDB_WIZ_FINISH 304
#define IDI_WIZ_TYPE_PHOTO 305
#define IDI_WIZ_TYPE_FILE 306
#define IDI_WIZ_TYPE_MIXED 307

// The plug-in's help file (galleon.hlp), written beside the configuration
// file when it is not there yet.
#define IDH_GALLEON_HELP 100

#endif
