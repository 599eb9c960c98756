// Control ids and help contexts of the Add Collection wizard's pages and the
// photo editor. Read by the resource compiler too: defines only.
#ifndef GALLEON_WIZARD_IDS_H
#define GALLEON_WIZARD_IDS_H

// Every page: its title (a blue heading) and the error line.
#define IDC_WIZ_TITLE 490
#define IDC_WIZ_ERROR_TEXT 60
#define IDC_WIZ_ERROR_ICON 500

// Display Name (11).
#define IDC_WIZ_NAME_EDIT 10
#define IDC_WIZ_NAME_NEW 20
#define IDC_WIZ_NAME_EXISTING 21
#define IDC_WIZ_NAME_LIST 30
#define IDC_WIZ_NAME_EXAMPLE 50

// Add Photos and Files (12).
#define IDC_WIZ_FILES_LIST 10
#define IDC_WIZ_FILES_COUNT 11
#define IDC_WIZ_FILES_ADD 100
#define IDC_WIZ_FILES_REMOVE 101

// Password (13).
#define IDC_WIZ_PASSWORD_EDIT 10
#define IDC_WIZ_PASSWORD_CONFIRM 11
#define IDC_WIZ_PASSWORD_PUBLIC 12

// Collection Type (14).
#define IDC_WIZ_TYPE_PHOTO 10
#define IDC_WIZ_TYPE_FILE 11
#define IDC_WIZ_TYPE_MIXED 12
#define IDC_WIZ_TYPE_REDUCE 20

// Preview (15) and the photo editor (41).
#define IDC_PREVIEW_FILE 10
#define IDC_PREVIEW_IMAGE 11
#define IDC_PREVIEW_CAPTION 12
#define IDC_PREVIEW_NEXT 100
#define IDC_PREVIEW_PREVIOUS 101
#define IDC_PREVIEW_ROTATE 102
#define IDC_PREVIEW_FLIP_H 103
#define IDC_PREVIEW_FLIP_V 104
#define IDC_PREVIEW_RESTORE 105
#define IDC_EDITOR_OK 120
#define IDC_EDITOR_CANCEL 121

// Copy Files (16).
#define IDC_COPY_ACTION 10
#define IDC_COPY_PROGRESS 11
#define IDC_COPY_STATUS 12

// Finish (39).
#define IDC_FINISH_PREVIEW 10
#define IDC_FINISH_HEADING 11
#define IDC_FINISH_START 20

// Help: each page's topic, and its controls' pop-ups at the base plus the id.
#define WIZ_HELP_NAME 11000
#define WIZ_HELP_FILES 12000
#define WIZ_HELP_PASSWORD 13000
#define WIZ_HELP_TYPE 14000
#define WIZ_HELP_PREVIEW 15000
#define WIZ_HELP_COPY 16000
#define WIZ_HELP_FINISH 39000
#define WIZ_HELP_EDITOR 41000

#endif
