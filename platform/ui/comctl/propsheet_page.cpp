// Property sheet pages: CreatePropertySheetPageA, DestroyPropertySheetPage,
// and what the sheet does with a page (template, title, window).
#include "comctl/propsheet_page.h"

#include "user/window.h"

#include <cstring>

namespace platform::ui {
namespace {

// Records carry their size; callers may append data of their own, but a
// page record of more than this is a corrupt size rather than a record.
constexpr DWORD kMaxRecordSize = 64 * 1024;
constexpr size_t kIndirectLimit = 1 << 20;

}  // namespace

PageObject::~PageObject() { pageRelease(*this); }

std::shared_ptr<PageObject> pageFromRecord(const PROPSHEETPAGEA *psp) {
    if (!psp || psp->dwSize < offsetof(PROPSHEETPAGEA, pfnCallback) || psp->dwSize > kMaxRecordSize) return nullptr;
    auto page = std::make_shared<PageObject>();
    // Zero-filled to a whole record, so fields past a short dwSize read as 0.
    page->bytes.assign(std::max<size_t>(psp->dwSize, sizeof(PROPSHEETPAGEA)), 0);
    std::memcpy(page->bytes.data(), psp, psp->dwSize);
    PROPSHEETPAGEA *r = page->record();
    if (psp->dwSize < sizeof(PROPSHEETPAGEA)) r->dwFlags &= ~static_cast<DWORD>(PSP_USECALLBACK | PSP_USEREFPARENT);
    if ((r->dwFlags & PSP_USEREFPARENT) && r->pcRefParent) ++*r->pcRefParent;
    return page;
}

void pageRelease(PageObject &page) {
    if (page.released || page.bytes.empty()) return;
    page.released = true;
    PROPSHEETPAGEA *r = page.record();
    if ((r->dwFlags & PSP_USECALLBACK) && r->pfnCallback) r->pfnCallback(nullptr, PSPCB_RELEASE, r);
    if ((r->dwFlags & PSP_USEREFPARENT) && r->pcRefParent && *r->pcRefParent) --*r->pcRefParent;
}

bool pageTemplate(PageObject &page, DialogTemplate *out) {
    PROPSHEETPAGEA *r = page.record();
    if (r->dwFlags & PSP_DLGINDIRECT) {
        return r->pResource &&
               parseDialogTemplate(reinterpret_cast<const uint8_t *>(r->pResource), kIndirectLimit, out);
    }
    if (!r->pszTemplate) return false;
    HRSRC res = FindResourceA(r->hInstance, r->pszTemplate, RT_DIALOG);
    if (!res) return false;
    HGLOBAL data = LoadResource(r->hInstance, res);
    const void *bytes = data ? LockResource(data) : nullptr;
    return bytes && parseDialogTemplate(static_cast<const uint8_t *>(bytes), SizeofResource(r->hInstance, res), out);
}

std::string pageTitle(PageObject &page, const DialogTemplate &t) {
    PROPSHEETPAGEA *r = page.record();
    if ((r->dwFlags & PSP_USETITLE) && r->pszTitle) {
        if (!IS_INTRESOURCE(r->pszTitle)) return r->pszTitle;
        char buffer[256] = "";
        LoadStringA(r->hInstance, static_cast<UINT>(reinterpret_cast<uintptr_t>(r->pszTitle)), buffer, sizeof buffer);
        return buffer;
    }
    return t.title;
}

HWND pageCreateWindow(PageObject &page, const DialogTemplate &t, HWND sheet) {
    PROPSHEETPAGEA *r = page.record();
    if ((r->dwFlags & PSP_USECALLBACK) && r->pfnCallback && !r->pfnCallback(nullptr, PSPCB_CREATE, r)) return nullptr;
    DialogTemplate child = t;
    child.style &= ~static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME |
                                       WS_VISIBLE | WS_DISABLED | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    child.style |= WS_CHILD | DS_CONTROL | WS_TABSTOP;
    child.exStyle |= WS_EX_CONTROLPARENT;
    child.menu = TemplateName{};
    return dialogCreate(r->hInstance, child, sheet, r->pfnDlgProc, reinterpret_cast<LPARAM>(r));
}

bool pageHasTemplate(PageObject &page, LPARAM id) {
    PROPSHEETPAGEA *r = page.record();
    if (r->dwFlags & PSP_DLGINDIRECT) return reinterpret_cast<LPARAM>(r->pResource) == id;
    auto name = reinterpret_cast<LPCSTR>(id);
    if (IS_INTRESOURCE(r->pszTemplate) || IS_INTRESOURCE(name)) return r->pszTemplate == name;
    return std::strcmp(r->pszTemplate, name) == 0;
}

}  // namespace platform::ui

using namespace platform;
using namespace platform::ui;

extern "C" {

WINBASEAPI HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer) {
    auto page = pageFromRecord(constPropSheetPagePointer);
    if (!page) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return handleNew<HPROPSHEETPAGE>(page);
}

WINBASEAPI BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPSPage) {
    if (!handleGet<PageObject>(hPSPage)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // The object (and its PSPCB_RELEASE) goes with its last reference.
    handleRemove(handleValue(hPSPage));
    return TRUE;
}

}  // extern "C"
