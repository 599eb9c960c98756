// WM_NOTIFY from a common control to its parent, and small helpers the
// common controls share.
#pragma once

#include <windows.h>

namespace platform::ui {

// Fills hdr (hwndFrom, idFrom, code) and sends WM_NOTIFY to the control's
// parent; 0 when the control has no parent.
LRESULT wmNotifyParent(HWND control, UINT code, NMHDR *hdr);

// The control's id (GWLP_ID) and its parent window.
HWND controlParent(HWND control);

}  // namespace platform::ui
