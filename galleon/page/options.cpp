// The Options page ("Advanced"): the server's port, the default view of
// Mixed collections, the size photos are reduced to when published, and
// access logging with the transaction log. Apply writes section "photo" and
// the values take effect in memory at once (a new port once the server is
// started again).
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "advanced_ids.h"
#include "config.h"
#include "logmod.h"
#include "pagecommon.h"
#include "pages.h"
#include "photolog.h"
#include "server.h"
#include "translog.h"

namespace {

constexpr int kDefaultPort = 8888;

struct ImageSize {
    const char* label;
    int width, height;
};
constexpr ImageSize kSizes[] = {
    {"320 x 240", 320, 240},   {"640 x 480", 640, 480},     {"800 x 600", 800, 600},
    {"1024 x 768", 1024, 768}, {"1280 x 1024", 1280, 1024}, {"1600 x 1200", 1600, 1200},
};
constexpr int kSizeCount = sizeof kSizes / sizeof kSizes[0];
constexpr int kOtherSizePosition = 1;

// The Mixed radios and the "MixedListType" each stands for.
struct MixedView {
    int id, value;
};
constexpr MixedView kMixedViews[] = {
    {IDC_OPTIONS_LIST, 1}, {IDC_OPTIONS_ICONS, 0}, {IDC_OPTIONS_DETAILS, 2}, {IDC_OPTIONS_FILMSTRIP, 3}};

struct OptionsPage {
    bool changed;
    bool portChanged;
    bool portFocus;
    bool sizeMoved;  // the track bar was moved: only then is the size written
};

OptionsPage* pageOf(HWND dlg) { return reinterpret_cast<OptionsPage*>(GetWindowLongPtrA(dlg, DWLP_USER)); }

bool checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }

void changed(HWND dlg, OptionsPage* page) {
    page->changed = true;
    PropSheet_Changed(GetParent(dlg), dlg);
}

int sizePosition(int maxImageX) {
    for (int i = 0; i < kSizeCount; ++i)
        if (kSizes[i].width == maxImageX && i != kOtherSizePosition) return i;
    return kOtherSizePosition;  // 640, and any value the track bar does not offer
}

HWND sizeBar(HWND dlg) { return GetDlgItem(dlg, IDC_OPTIONS_SIZE); }

int barPosition(HWND dlg) {
    int pos = static_cast<int>(SendMessageA(sizeBar(dlg), TBM_GETPOS, 0, 0));
    return pos < 0 ? 0 : pos >= kSizeCount ? kSizeCount - 1 : pos;
}

void showSizeLabel(HWND dlg) { SetDlgItemTextA(dlg, IDC_OPTIONS_SIZE_LABEL, kSizes[barPosition(dlg)].label); }

void enableLogButtons(HWND dlg) {
    bool on = checked(dlg, IDC_OPTIONS_LOGGING);
    EnableWindow(GetDlgItem(dlg, IDC_OPTIONS_VIEW_LOG), on);
    EnableWindow(GetDlgItem(dlg, IDC_OPTIONS_CLEAR_LOG), on);
}

void open(HWND dlg) {
    bool custom = g_config.port != kDefaultPort;
    CheckRadioButton(dlg, IDC_OPTIONS_DEFAULT_PORT, IDC_OPTIONS_USE_PORT, custom ? IDC_OPTIONS_USE_PORT : IDC_OPTIONS_DEFAULT_PORT);
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(g_config.port));
    SendDlgItemMessageA(dlg, IDC_OPTIONS_PORT, EM_LIMITTEXT, 5, 0);
    SetDlgItemTextA(dlg, IDC_OPTIONS_PORT, text);
    EnableWindow(GetDlgItem(dlg, IDC_OPTIONS_PORT), custom);

    int mixed = IDC_OPTIONS_ICONS;
    for (const MixedView& v : kMixedViews)
        if (v.value == g_config.mixedListType) mixed = v.id;
    CheckRadioButton(dlg, IDC_OPTIONS_LIST, IDC_OPTIONS_FILMSTRIP, mixed);

    SendMessageA(sizeBar(dlg), TBM_SETRANGE, TRUE, MAKELPARAM(0, kSizeCount - 1));
    SendMessageA(sizeBar(dlg), TBM_SETPOS, TRUE, sizePosition(g_config.maxImageX));
    showSizeLabel(dlg);

    CheckDlgButton(dlg, IDC_OPTIONS_LOGGING, g_config.accessLogging ? BST_CHECKED : BST_UNCHECKED);
    enableLogButtons(dlg);
}

void choosePort(HWND dlg, OptionsPage* page, int id) {
    CheckRadioButton(dlg, IDC_OPTIONS_DEFAULT_PORT, IDC_OPTIONS_USE_PORT, id);
    HWND edit = GetDlgItem(dlg, IDC_OPTIONS_PORT);
    bool own = id == IDC_OPTIONS_USE_PORT;
    EnableWindow(edit, own);
    if (own) {
        if (GetWindowTextLengthA(edit) == 0) SetWindowTextA(edit, "8888");
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
    }
    changed(dlg, page);
}

void writeInt(const char* key, int value, const char* format) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    WritePrivateProfileStringA(CONFIG_SECTION, key, text, g_config.configPath);
}

// The port the page asks for: the default one, or the edit's number; false
// for a text that names no port (the server could not listen on it).
bool chosenPort(HWND dlg, int* port) {
    char text[16] = "";
    GetDlgItemTextA(dlg, IDC_OPTIONS_PORT, text, sizeof text);
    if (checked(dlg, IDC_OPTIONS_DEFAULT_PORT) || !text[0]) {
        *port = kDefaultPort;
        return true;
    }
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (*end || text[0] < '0' || text[0] > '9' || value < 1 || value > 65535) return false;
    *port = static_cast<int>(value);
    return true;
}

// PSN_APPLY. False when the page refuses (a port that is no port).
bool apply(HWND dlg, OptionsPage* page) {
    if (!page->changed) return true;
    int port = 0;
    if (!chosenPort(dlg, &port)) {
        pageMessageBox(dlg, "Please enter a port number from 1 to 65535.", MB_OK | MB_ICONERROR);
        HWND edit = GetDlgItem(dlg, IDC_OPTIONS_PORT);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return false;
    }
    writeInt("Port", port, "%u");
    if (port != g_config.port) page->portChanged = true;
    g_config.port = port;

    int mixed = 0;
    for (const MixedView& v : kMixedViews)
        if (checked(dlg, v.id)) mixed = v.value;
    writeInt("MixedListType", mixed, "%d");
    g_config.mixedListType = mixed;

    if (page->sizeMoved) {
        const ImageSize& size = kSizes[barPosition(dlg)];
        writeInt("MaxImageX", size.width, "%d");
        writeInt("MaxImageY", size.height, "%d");
        g_config.maxImageX = size.width;
        g_config.maxImageY = size.height;
        page->sizeMoved = false;
    }

    int logging = checked(dlg, IDC_OPTIONS_LOGGING) ? 1 : 0;
    writeInt("AccessLogging", logging, "%d");
    g_config.accessLogging = logging;
    page->changed = false;
    return true;
}

void clearLog(HWND dlg) {
    if (pageMessageBox(dlg, "Are you sure you want to clear the transaction log?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    int rc = logmodClearLog();
    if (rc < 0) photoLog(LOG_CALL_FAILED, "logmodClearLog() failed with error code %d", rc);
}

BOOL command(HWND dlg, OptionsPage* page, WORD id, WORD code) {
    switch (id) {
    case IDC_OPTIONS_DEFAULT_PORT:
    case IDC_OPTIONS_USE_PORT:
        if (code == BN_CLICKED) choosePort(dlg, page, id);
        return TRUE;
    case IDC_OPTIONS_PORT:
        if (code == EN_SETFOCUS) page->portFocus = true;
        else if (code == EN_KILLFOCUS) page->portFocus = false;
        else if (code == EN_CHANGE && page->portFocus) changed(dlg, page);
        return TRUE;
    case IDC_OPTIONS_LIST:
    case IDC_OPTIONS_ICONS:
    case IDC_OPTIONS_DETAILS:
    case IDC_OPTIONS_FILMSTRIP:
        if (code == BN_CLICKED) {
            CheckRadioButton(dlg, IDC_OPTIONS_LIST, IDC_OPTIONS_FILMSTRIP, id);
            changed(dlg, page);
        }
        return TRUE;
    case IDC_OPTIONS_LOGGING:
        if (code == BN_CLICKED) {
            enableLogButtons(dlg);
            changed(dlg, page);
        }
        return TRUE;
    case IDC_OPTIONS_VIEW_LOG:
        if (code == BN_CLICKED) transactionLogShow();
        return TRUE;
    case IDC_OPTIONS_CLEAR_LOG:
        if (code == BN_CLICKED) clearLog(dlg);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

ZELEXT_EXPORT INT_PTR CALLBACK zelextOptionsProc(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
    OptionsPage* page = pageOf(dlg);
    switch (message) {
    case WM_INITDIALOG:
        page = new OptionsPage{};
        SetWindowLongPtrA(dlg, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
        open(dlg);
        return TRUE;
    case WM_COMMAND:
        return page ? command(dlg, page, LOWORD(wParam), HIWORD(wParam)) : FALSE;
    case WM_HSCROLL:
        if (page && reinterpret_cast<HWND>(lParam) == sizeBar(dlg)) {
            showSizeLabel(dlg);
            if (GetFocus() == sizeBar(dlg)) {
                page->sizeMoved = true;
                changed(dlg, page);
            }
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
        return pageHeadingColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (!page) return FALSE;
        if (hdr->code == PSN_APPLY) {
            if (!apply(dlg, page)) {
                SetWindowLongPtrA(dlg, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
                return TRUE;
            }
            if (page->portChanged) {
                page->portChanged = false;
                if (serverIsRunning())
                    pageMessageBox(dlg, "You must stop and restart this server before applied changes will take effect.",
                                   MB_OK | MB_ICONINFORMATION);
            }
            SetWindowLongPtrA(dlg, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        if (hdr->code == PSN_HELP) {
            pageTopicHelp(dlg, HELP_OPTIONS);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HELP:
        pageControlHelp(dlg, HELP_OPTIONS, reinterpret_cast<const HELPINFO*>(lParam));
        return TRUE;
    case WM_DESTROY:
        SetWindowLongPtrA(dlg, DWLP_USER, 0);
        delete page;
        return FALSE;
    }
    return FALSE;
}
