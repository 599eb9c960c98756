// Plug-in manager: the title and the page description of a plug-in's
// settings page, as the settings window and property sheets show them.
#include <prsht.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "extmod_state.h"

namespace {

// What the title dialog procedure hands back: the dialog's caption.
struct TitleCapture {
    char *caption;
};

// Reads the caption of the page's dialog and ends it before it is shown;
// the plug-in's own procedure never runs.
INT_PTR CALLBACK titleProc(HWND dialog, UINT msg, WPARAM, LPARAM lParam) {
    if (msg != WM_INITDIALOG) return FALSE;
    auto *capture = reinterpret_cast<TitleCapture *>(lParam);
    int length = GetWindowTextLengthA(dialog);
    capture->caption = static_cast<char *>(std::calloc(static_cast<size_t>(length) + 1, 1));
    if (capture->caption) GetWindowTextA(dialog, capture->caption, length + 1);
    ShowWindow(dialog, SW_HIDE);
    EndDialog(dialog, 1);
    return TRUE;
}

// The owning plug-in's resource module and the page's template id; false
// when the page does not exist or the plug-in cannot name them.
bool pageSource(int page, const ExtmodEntry **entry, int *local, HINSTANCE *instance, WORD *templateId) {
    int index = 0;
    if (!extmodFindPage(page, &index, local)) return false;
    *entry = &g_extmod.table[index];
    auto getModule = extmodExport<PFN_zelextGetModuleHandle>((*entry)->module, "zelextGetModuleHandle");
    auto getDlg = extmodExport<PFN_zelextGetEntryPointDlg>((*entry)->module, "zelextGetEntryPointDlg");
    if (!getModule || !getDlg) return false;
    *instance = getModule();
    *templateId = static_cast<WORD>(getDlg(*local) & 0xFFFF);
    return true;
}

}  // namespace

int extmodGetPageTitle(int page, LPSTR buffer, int size) {
    if (!g_extmod.initialised) return extmodResult(-1);
    const ExtmodEntry *entry = nullptr;
    int local = 0;
    HINSTANCE instance = nullptr;
    WORD id = 0;
    if (!buffer || size <= 0 || !pageSource(page, &entry, &local, &instance, &id)) return extmodResult(-2);
    TitleCapture capture{nullptr};
    INT_PTR r = DialogBoxParamA(instance, MAKEINTRESOURCEA(id), GetDesktopWindow(), titleProc,
                                reinterpret_cast<LPARAM>(&capture));
    if (r != 1 || !capture.caption) {
        std::free(capture.caption);
        buffer[0] = '\0';
        return extmodResult(0);
    }
    size_t n = std::min(std::strlen(capture.caption), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, capture.caption, n);
    buffer[n] = '\0';
    std::free(capture.caption);
    return extmodResult(static_cast<int>(n));
}

int extmodGetPage(PROPSHEETPAGEA *out, int page) {
    if (!g_extmod.initialised) return extmodResult(-1);
    const ExtmodEntry *entry = nullptr;
    int local = 0;
    HINSTANCE instance = nullptr;
    WORD id = 0;
    if (!out || !pageSource(page, &entry, &local, &instance, &id)) return extmodResult(-2);
    std::memset(out, 0, sizeof *out);
    out->dwSize = sizeof *out;
    out->hInstance = instance;
    out->pszTemplate = MAKEINTRESOURCEA(id);
    HICON icon = nullptr;
    if (auto getIcon = extmodExport<PFN_zelextGetEntryPointIcon>(entry->module, "zelextGetEntryPointIcon"))
        icon = getIcon(local, 16);
    if (!icon) icon = static_cast<HICON>(LoadImageA(instance, "tabiconfullcolor", IMAGE_ICON, 16, 16, LR_SHARED));
    if (!icon) icon = static_cast<HICON>(LoadImageA(instance, "tabicon", IMAGE_ICON, 16, 16, LR_SHARED));
    if (icon) {
        out->dwFlags = PSP_USEHICON | PSP_HASHELP;
        out->hIcon = icon;
    } else {
        out->dwFlags = PSP_USEICONID | PSP_HASHELP;
        out->pszIcon = "tabicon";
    }
    if (auto getProc = extmodExport<PFN_zelextGetEntryPointProc>(entry->module, "zelextGetEntryPointProc"))
        out->pfnDlgProc = getProc(local);
    out->lParam = 0;
    return extmodResult(0);
}
