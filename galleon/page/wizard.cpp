// The Add Collection wizard: seven pages for a new collection, the last four
// for files added to an existing one, all on the caller's record; and what
// the pages share.
#include "wizard_pages.h"

#include "config.h"
#include "pagecommon.h"
#include "pageids.h"
#include "server.h"
#include "wizard_ids.h"

namespace {

constexpr const char* WIZARD_CAPTION = "Add Collection...";
constexpr DWORD SERVER_START_WAIT_MS = 3000;

struct PageSpec {
    int dialog;
    DLGPROC proc;
};

const PageSpec NEW_COLLECTION[] = {
    {IDD_WIZ_NAME, wizardNamePageProc},       {IDD_WIZ_FILES, wizardFilesPageProc},
    {IDD_WIZ_TYPE, wizardTypePageProc},       {IDD_WIZ_PREVIEW, wizardPreviewPageProc},
    {IDD_WIZ_PASSWORD, wizardPasswordPageProc}, {IDD_WIZ_COPY, wizardCopyPageProc},
    {IDD_WIZ_FINISH, wizardFinishPageProc},
};

const PageSpec ADD_FILES[] = {
    {IDD_WIZ_FILES, wizardFilesPageProc},
    {IDD_WIZ_PREVIEW, wizardPreviewPageProc},
    {IDD_WIZ_COPY, wizardCopyPageProc},
    {IDD_WIZ_FINISH, wizardFinishPageProc},
};

template <size_t N>
INT_PTR runWizard(HWND owner, CollectionRecord* record, const PageSpec (&specs)[N]) {
    if (!record) return 0;
    // Every run starts on its first page: the pages read "first" from the counter.
    record->pageCounter = 0;
    PROPSHEETPAGEA pages[N]{};
    for (size_t i = 0; i < N; ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_HIDEHEADER | PSP_HASHELP;
        pages[i].hInstance = pageModule();
        pages[i].pszTemplate = MAKEINTRESOURCEA(specs[i].dialog);
        pages[i].pfnDlgProc = specs[i].proc;
        pages[i].lParam = reinterpret_cast<LPARAM>(record);
    }
    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE;
    header.hwndParent = owner;
    header.hInstance = pageModule();
    header.pszCaption = WIZARD_CAPTION;
    header.nPages = N;
    header.ppsp = pages;
    return PropertySheetA(&header) > 0 ? 1 : 0;
}

}  // namespace

INT_PTR wizardRunNew(HWND owner, CollectionRecord* record) { return runWizard(owner, record, NEW_COLLECTION); }

INT_PTR wizardRunAddFiles(HWND owner, CollectionRecord* record) { return runWizard(owner, record, ADD_FILES); }

PageFonts::PageFonts()
    : title_(CreateFontA(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif")),
      bold_(pageCreateBoldFont()) {}

PageFonts::~PageFonts() {
    if (title_) DeleteObject(title_);
    if (bold_) DeleteObject(bold_);
}

void PageFonts::title(HWND dlg, int id) const {
    SendDlgItemMessageA(dlg, id, WM_SETFONT, reinterpret_cast<WPARAM>(title_), FALSE);
}

void PageFonts::bold(HWND dlg, int id) const {
    SendDlgItemMessageA(dlg, id, WM_SETFONT, reinterpret_cast<WPARAM>(bold_), FALSE);
}

CollectionRecord* wizardRecordOf(LPARAM initParam) {
    auto* psp = reinterpret_cast<const PROPSHEETPAGEA*>(initParam);
    return psp ? reinterpret_cast<CollectionRecord*>(psp->lParam) : nullptr;
}

void wizardSetButtons(HWND page, DWORD flags) { PropSheet_SetWizButtons(GetParent(page), flags); }

void wizardStay(HWND page, UINT code) {
    LONG_PTR answer = code == PSN_WIZFINISH ? TRUE : code == PSN_APPLY ? PSNRET_INVALID_NOCHANGEPAGE : -1;
    SetWindowLongPtrA(page, DWLP_MSGRESULT, answer);
}

void wizardFocusLater(HWND page, int id) { PostMessageA(page, WIZ_FOCUS, static_cast<WPARAM>(id), 0); }

bool wizardIsForward(UINT code) { return code == PSN_WIZNEXT || code == PSN_WIZFINISH || code == PSN_APPLY; }

void wizardShowError(HWND page, const char* text) {
    SetDlgItemTextA(page, IDC_WIZ_ERROR_TEXT, text);
    ShowWindow(GetDlgItem(page, IDC_WIZ_ERROR_ICON), SW_SHOW);
    ShowWindow(GetDlgItem(page, IDC_WIZ_ERROR_TEXT), SW_SHOW);
}

void wizardHideError(HWND page) {
    ShowWindow(GetDlgItem(page, IDC_WIZ_ERROR_ICON), SW_HIDE);
    ShowWindow(GetDlgItem(page, IDC_WIZ_ERROR_TEXT), SW_HIDE);
}

bool wizardCommonMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, DWORD helpBase, INT_PTR* result) {
    switch (message) {
        case WM_CTLCOLORSTATIC:
            *result = pageHeadingColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
            return *result != 0;
        case WIZ_FOCUS:
            if (HWND control = GetDlgItem(page, static_cast<int>(wParam)); control && IsWindowVisible(page)) {
                SetFocus(control);
                if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageA(control, EM_SETSEL, 0, -1);
            }
            *result = TRUE;
            return true;
        case WM_HELP:
            pageControlHelp(page, helpBase, reinterpret_cast<const HELPINFO*>(lParam));
            *result = TRUE;
            return true;
        case WM_NOTIFY:
            if (reinterpret_cast<const NMHDR*>(lParam)->code != PSN_HELP) return false;
            pageTopicHelp(page, helpBase);
            *result = TRUE;
            return true;
        default:
            return false;
    }
}

std::string wizardText(HWND page, int id, int max) {
    std::string text(static_cast<size_t>(max) + 1, '\0');
    int n = GetDlgItemTextA(page, id, text.data(), max + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

bool wizardServerAlive() {
    if (serverIsRunning()) return true;
    return g_serverThread && WaitForSingleObject(g_serverThread, 0) == WAIT_TIMEOUT;
}

bool wizardStartServer() {
    if (serverIsRunning()) return true;
    // A listener that failed and ended is collected before the new one starts.
    if (g_serverThread && WaitForSingleObject(g_serverThread, 0) != WAIT_TIMEOUT) serverStop(INFINITE);
    if (!g_serverThread && serverStart(THREAD_PRIORITY_ABOVE_NORMAL) != 0) return false;
    // Waits until the listener is up rather than the whole time: the browser
    // opened next needs it, and a failed start ends its thread early.
    DWORD start = GetTickCount();
    while (!serverIsRunning() && GetTickCount() - start < SERVER_START_WAIT_MS) {
        if (WaitForSingleObject(g_serverThread, 20) != WAIT_TIMEOUT) break;
    }
    return serverIsRunning() != 0;
}
