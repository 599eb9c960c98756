// A property sheet page as a handle (HPROPSHEETPAGE): the caller's record
// copied, its dialog template found and parsed, and the page's window once
// the sheet has made it.
#pragma once

#include "handles.h"
#include "user/dialog.h"

#include <prsht.h>

#include <memory>
#include <string>
#include <vector>

namespace platform::ui {

class PageObject : public PlatformObject {
public:
    PageObject() : PlatformObject(ObjectType::Other) {}
    ~PageObject() override;

    // The copy of the caller's record (dwSize bytes, at least a whole
    // PROPSHEETPAGEA): what WM_INITDIALOG of the page receives.
    std::vector<uint8_t> bytes;
    PROPSHEETPAGEA *record() { return reinterpret_cast<PROPSHEETPAGEA *>(bytes.data()); }
    bool released = false;  // PSPCB_RELEASE sent
};

// Copies a record into a new page object; null for a record that is missing,
// too small or absurdly large.
std::shared_ptr<PageObject> pageFromRecord(const PROPSHEETPAGEA *psp);

// Loads and parses the page's template; false when it cannot be found.
bool pageTemplate(PageObject &page, DialogTemplate *out);

// The tab or wizard title: pszTitle with PSP_USETITLE (text or string id),
// else the template's caption.
std::string pageTitle(PageObject &page, const DialogTemplate &t);

// Makes the page's window: a child dialog of sheet (the template's style
// turned into a child's), hidden. Null when PSPCB_CREATE refuses or the
// dialog cannot be made.
HWND pageCreateWindow(PageObject &page, const DialogTemplate &t, HWND sheet);

// PSPCB_RELEASE (once) and the parent reference count of the page.
void pageRelease(PageObject &page);

// Whether a page answers to a template id or name given as an answer
// (PSN_WIZNEXT, PSN_SETACTIVE) or to PSM_SETCURSELID.
bool pageHasTemplate(PageObject &page, LPARAM id);

}  // namespace platform::ui
