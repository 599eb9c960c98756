// The message dialog (dialog 40) of the Files page's Apply: a question with
// "&Yes", "Y&es to all" and "&No".
#pragma once

#include <windows.h>

enum {
    MSGDIALOG_CLOSED = 1,  // the dialog was closed without an answer
    MSGDIALOG_NO = 2,
    MSGDIALOG_YES = 3,
    MSGDIALOG_YES_TO_ALL = 4,
};

// Shows the dialog with the caption (at most 127 characters) and the text
// formatted into 1024 characters; returns one of the answers above (or -1
// when the dialog cannot be shown).
int msgDialogRun(HWND owner, const char* caption, const char* format, ...) __attribute__((format(printf, 3, 4)));
