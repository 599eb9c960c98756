// Control ids of the Settings page (dialog 10), the Edit Collection sheet
// (dialogs 34 to 37) and the message dialog (40). Read by the resource
// compiler too: defines only.
#ifndef GALLEON_SETTINGS_IDS_H
#define GALLEON_SETTINGS_IDS_H

// ---- Settings page (dialog 10) ----
#define IDC_SET_PICTURE_INTRO 502     // picture beside the introduction
#define IDC_SET_PICTURE_ADVANCED 503  // picture of the Advanced section
#define IDC_SET_PICTURE_COLLECTIONS 500
#define IDC_SET_STATUS_ICON 505       // server stopped (122) or running (123)
#define IDC_SET_HEADING_COLLECTIONS 400
#define IDC_SET_HEADING_ADVANCED 401
#define IDC_SET_HEADING_STATUS 402
#define IDC_SET_INTRO 52
#define IDC_SET_COLLECTIONS_TEXT 53
#define IDC_SET_STATUS_LABEL 54
#define IDC_SET_ADVANCED_TEXT 50      // "Click the Advanced push-button ..."
#define IDC_SET_ADVANCED_LINE 51      // the rule above the Advanced section
#define IDC_SET_STATUS 12             // the server's status text
#define IDC_SET_START 13
#define IDC_SET_STOP 14
#define IDC_SET_LIST 11
#define IDC_SET_ADD 100
#define IDC_SET_EDIT 101
#define IDC_SET_DELETE 102
#define IDC_SET_ADVANCED 103
#define IDC_SET_VIEW 104
// Commands without a button.
#define IDC_SET_REFRESH 105           // posted by the store watcher
#define IDC_SET_PREVIEW 106
#define IDC_SET_RECYCLE_BIN 200
#define IDC_SET_ALL_COLLECTIONS 220
#define IDC_SET_COLLECTION_BASE 240   // + the row's item number

// ---- Edit Collection: Name page (34) ----
#define IDC_NAME_HEADING 400
#define IDC_NAME_TEXT 50
#define IDC_NAME_EDIT 10

// ---- Edit Collection: Type page (35) ----
#define IDC_TYPE_HEADING 400
#define IDC_TYPE_TEXT 50
#define IDC_TYPE_PHOTO 10
#define IDC_TYPE_FILE 11
#define IDC_TYPE_MIXED 12
#define IDC_TYPE_PHOTO_ICON 51
#define IDC_TYPE_FILE_ICON 52
#define IDC_TYPE_MIXED_ICON 53

// ---- Edit Collection: Password page (36) ----
#define IDC_PWD_HEADING 400
#define IDC_PWD_TEXT 50
#define IDC_PWD_LABEL 51
#define IDC_PWD_CONFIRM_LABEL 52
#define IDC_PWD_RULE 53
#define IDC_PWD_EDIT 10
#define IDC_PWD_CONFIRM 11
#define IDC_PWD_PUBLIC 12
#define IDC_PWD_ERROR_ICON 501
#define IDC_PWD_ERROR 20

// ---- Edit Collection: Files page (37) ----
#define IDC_FILES_HEADING 400
#define IDC_FILES_TEXT 50
#define IDC_FILES_LIST 10
#define IDC_FILES_ADD 100
#define IDC_FILES_DELETE 101
#define IDC_FILES_EXPLORER 102
#define IDC_FILES_REFRESH 104         // posted by the store watcher
#define IDC_FILES_EDIT 105

// ---- Message dialog (40) ----
#define IDI_MSG_QUESTION 298          // its question mark (drawn with the page's pictures)
#define IDC_MSG_ICON 50
#define IDC_MSG_TEXT 10
#define IDC_MSG_YES 100
#define IDC_MSG_YES_ALL 101
#define IDC_MSG_NO 102

#endif
