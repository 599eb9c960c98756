// The transaction log window: its list box is filled by the access log
// module (logmodAttachWindow) and its controls are kept in place by the
// window layout module while the user resizes it.
#include "translog.h"

#include "advanced_ids.h"
#include "logmod.h"
#include "modwin.h"
#include "pagecommon.h"
#include "pageids.h"
#include "pages.h"
#include "photolog.h"

namespace {

HWND g_window = nullptr;

struct Anchor {
    int id;
    DWORD flags;
};
// The button keeps to the bottom-right corner, the text widens, the list
// widens and grows.
constexpr Anchor kAnchors[] = {
    {IDC_TRANSLOG_CLEAR, MODWIN_KEEP_BOTTOM_RIGHT},
    {IDC_TRANSLOG_TEXT, MODWIN_GROW_WIDTH},
    {IDC_TRANSLOG_LIST, MODWIN_GROW_WIDTH | MODWIN_GROW_HEIGHT},
};

// Registers the window and its children with the layout module; the first
// failing step is logged and the window stays as it is.
void registerLayout(HWND dlg) {
    int children = modwinAddWindow(dlg);
    if (children < 0) {
        photoLog(LOG_CALL_FAILED, "modwinAddWindow() returned error code %d", children);
        return;
    }
    int rc = modwinSetOption(MODWIN_WINDOW, dlg, MODWIN_MINIMUM_SIZE | MODWIN_SIZE_GRIP,
                             reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_TRANSLOG_GRIP)));
    if (rc < 0) {
        photoLog(LOG_CALL_FAILED, "modwinSetOption() returned error code %d", rc);
        return;
    }
    for (const Anchor& a : kAnchors) {
        HWND control = GetDlgItem(dlg, a.id);
        if ((rc = modwinAddChildWindow(children, control)) < 0) {
            photoLog(LOG_CALL_FAILED, "modwinAddChildWindow() returned error code %d", rc);
            return;
        }
        if ((rc = modwinSetOption(children, control, a.flags, 0)) < 0) {
            photoLog(LOG_CALL_FAILED, "modwinSetOption() returned error code %d", rc);
            return;
        }
    }
}

void attachList(HWND dlg) {
    int rc = logmodAttachWindow(GetDlgItem(dlg, IDC_TRANSLOG_LIST));
    if (rc < 0) photoLog(LOG_CALL_FAILED, "logmodAttachWindow() returned error code %d", rc);
}

void setIcons(HWND dlg) {
    for (int size : {32, 16}) {
        HANDLE icon = LoadImageA(pageModule(), MAKEINTRESOURCEA(IDI_TRANSACTION_LOG), IMAGE_ICON, size, size, LR_SHARED);
        if (icon) SendMessageA(dlg, WM_SETICON, size == 32 ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

void clearLog(HWND dlg) {
    if (pageMessageBox(dlg, "Are you sure you want to clear the transaction log?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    int rc = logmodClearLog();
    if (rc < 0) photoLog(LOG_CALL_FAILED, "logmodClearLog() failed with error code %d", rc);
    attachList(dlg);
}

// The window goes: the layout module and the access log let go of it.
void forgetWindow(HWND dlg) {
    int rc = modwinRemoveWindow(dlg);
    if (rc < 0 && rc != MODWIN_ERR_WINDOW) photoLog(LOG_CALL_FAILED, "modwinRemoveWindow() returned error code %d", rc);
    if (g_window == dlg) {
        logmodDetachWindow();
        g_window = nullptr;
    }
}

INT_PTR CALLBACK transactionLogProc(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        registerLayout(dlg);
        setIcons(dlg);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_TRANSLOG_CLEAR:
            if (HIWORD(wParam) == BN_CLICKED) clearLog(dlg);
            return TRUE;
        case IDCANCEL:  // Escape, like the close box
            SendMessageA(dlg, WM_CLOSE, 0, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        forgetWindow(dlg);
        DestroyWindow(dlg);
        return TRUE;
    case WM_DESTROY:
        forgetWindow(dlg);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

HWND transactionLogShow() {
    if (g_window && IsWindow(g_window)) {
        ShowWindow(g_window, IsIconic(g_window) ? SW_RESTORE : SW_SHOW);
        SetWindowPos(g_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(g_window);
    } else {
        g_window = CreateDialogParamA(pageModule(), MAKEINTRESOURCEA(IDD_TRANSACTION_LOG), nullptr, transactionLogProc, 0);
        if (!g_window) return nullptr;
        ShowWindow(g_window, SW_SHOW);
    }
    attachList(g_window);
    return g_window;
}

HWND transactionLogWindow() { return g_window && IsWindow(g_window) ? g_window : nullptr; }

void transactionLogClose() {
    if (g_window && IsWindow(g_window)) DestroyWindow(g_window);
    g_window = nullptr;
}
