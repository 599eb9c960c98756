// Property sheets and wizards: the page protocol seen from the pages, with
// clicks and keys through Qt's input simulation. Each test runs a script of
// steps from a thread timer inside the sheet's own modal loop.
#include <commctrl.h>

#include "uitest.h"

#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

using namespace uitest;

namespace {

// What a page answers to each notification (its DWL_MSGRESULT).
struct PageSpec {
    std::string name;
    LRESULT setActive = 0, killActive = 0, apply = PSNRET_NOERROR, queryCancel = 0, wizNext = 0, wizBack = 0,
            wizFinish = 0;
    HWND hwnd = nullptr;
    const PROPSHEETPAGEA *initRecord = nullptr;
};

std::vector<std::string> events;
HWND sheet = nullptr;
std::deque<std::function<void()>> steps;

const char *codeName(UINT code) {
    switch (code) {
    case PSN_SETACTIVE: return "SETACTIVE";
    case PSN_KILLACTIVE: return "KILLACTIVE";
    case PSN_APPLY: return "APPLY";
    case PSN_RESET: return "RESET";
    case PSN_HELP: return "HELP";
    case PSN_WIZBACK: return "WIZBACK";
    case PSN_WIZNEXT: return "WIZNEXT";
    case PSN_WIZFINISH: return "WIZFINISH";
    case PSN_QUERYCANCEL: return "QUERYCANCEL";
    default: return "?";
    }
}

INT_PTR CALLBACK pageProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        auto *psp = reinterpret_cast<const PROPSHEETPAGEA *>(lParam);
        auto *spec = reinterpret_cast<PageSpec *>(psp->lParam);
        spec->hwnd = hwnd;
        spec->initRecord = psp;
        SetWindowLongPtrA(hwnd, DWLP_USER, psp->lParam);
        sheet = GetParent(hwnd);
        events.push_back(spec->name + ":INIT");
        return TRUE;
    }
    auto *spec = reinterpret_cast<PageSpec *>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (msg != WM_NOTIFY || !spec) return FALSE;
    auto *n = reinterpret_cast<PSHNOTIFY *>(lParam);
    if (n->hdr.hwndFrom != sheet) return FALSE;
    std::string e = spec->name + ":" + codeName(n->hdr.code);
    LRESULT answer = 0;
    switch (n->hdr.code) {
    case PSN_SETACTIVE: answer = spec->setActive; break;
    case PSN_KILLACTIVE: answer = spec->killActive; break;
    case PSN_APPLY: answer = spec->apply, e += n->lParam ? "(ok)" : "(apply)"; break;
    case PSN_RESET: e += n->lParam ? "(close)" : "(cancel)"; break;
    case PSN_QUERYCANCEL: answer = spec->queryCancel; break;
    case PSN_WIZNEXT: answer = spec->wizNext; break;
    case PSN_WIZBACK: answer = spec->wizBack; break;
    case PSN_WIZFINISH: answer = spec->wizFinish; break;
    default: break;
    }
    events.push_back(e);
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, answer);
    return TRUE;
}

void CALLBACK runStep(HWND, UINT, UINT_PTR, DWORD) {
    if (steps.empty()) return;
    auto step = std::move(steps.front());
    steps.pop_front();
    step();
}

// Runs the sheet with the script; fails the test if steps are left over.
INT_PTR runSheet(PROPSHEETHEADERA &h, std::deque<std::function<void()>> script) {
    events.clear();
    sheet = nullptr;
    steps = std::move(script);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, runStep);
    INT_PTR r = PropertySheetA(&h);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(steps.empty()) << steps.size() << " steps not run";
    steps.clear();
    return r;
}

PROPSHEETPAGEA resourcePage(int id, PageSpec &spec, DWORD flags = 0) {
    PROPSHEETPAGEA p{};
    p.dwSize = sizeof p;
    p.dwFlags = flags;
    p.hInstance = GetModuleHandleA(nullptr);
    p.pszTemplate = MAKEINTRESOURCEA(id);
    p.pfnDlgProc = pageProc;
    p.lParam = reinterpret_cast<LPARAM>(&spec);
    return p;
}

PROPSHEETHEADERA header(std::vector<PROPSHEETPAGEA> &pages, DWORD flags, const char *caption) {
    PROPSHEETHEADERA h{};
    h.dwSize = sizeof h;
    h.dwFlags = PSH_PROPSHEETPAGE | flags;
    h.hInstance = GetModuleHandleA(nullptr);
    h.pszCaption = caption;
    h.nPages = static_cast<UINT>(pages.size());
    h.ppsp = pages.data();
    return h;
}

QWidget *button(int id) { return widgetOf(GetDlgItem(sheet, id)); }

void click(int id) {
    QWidget *b = button(id);
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton);
}

void clickTab(int index) {
    auto *bar = widgetOf(GetDlgItem(sheet, PSH_IDC_TAB))->findChild<QTabBar *>();
    ASSERT_NE(bar, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

HWND current() { return PropSheet_GetCurrentPageHwnd(sheet); }

std::vector<std::string> eventsExcept(const std::string &code) {
    std::vector<std::string> out;
    for (const std::string &e : events)
        if (e.find(code) == std::string::npos) out.push_back(e);
    return out;
}

using Events = std::vector<std::string>;

}  // namespace

TEST(SheetProtocol, OkAppliesEveryCreatedPageInOrderThenCloses) {
    PageSpec a{"a"}, b{"b"}, c{"c"};
    std::vector<PROPSHEETPAGEA> pages{resourcePage(20, a), resourcePage(12, b), resourcePage(13, c)};
    pages[2].dwFlags |= PSP_USETITLE;
    pages[2].pszTitle = "Secret";
    PROPSHEETHEADERA h = header(pages, 0, "Server");
    bool checked = false;
    INT_PTR r = runSheet(h, {
        [&] {
            // The page is a child dialog of the sheet, and its WM_INITDIALOG
            // had the sheet's copy of the record.
            ASSERT_NE(a.hwnd, nullptr);
            EXPECT_EQ(GetParent(a.hwnd), sheet);
            EXPECT_TRUE(GetWindowLongA(a.hwnd, GWL_STYLE) & WS_CHILD);
            EXPECT_FALSE(GetWindowLongA(a.hwnd, GWL_STYLE) & WS_CAPTION);
            EXPECT_NE(a.initRecord, &pages[0]);
            EXPECT_EQ(a.initRecord->lParam, reinterpret_cast<LPARAM>(&a));
            EXPECT_EQ(text(sheet), "Server");
            HWND tab = PropSheet_GetTabControl(sheet);
            ASSERT_NE(tab, nullptr);
            EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 3);
            char title[64] = "";
            TCITEMA item{};
            item.mask = TCIF_TEXT, item.pszText = title, item.cchTextMax = sizeof title;
            SendMessageA(tab, TCM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
            EXPECT_STREQ(title, "Secret");
            SendMessageA(tab, TCM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item));
            EXPECT_STREQ(title, "Files");
            EXPECT_EQ(b.hwnd, nullptr);  // pages are made when first shown
            clickTab(2);
        },
        [&] {
            EXPECT_EQ(current(), c.hwnd);
            EXPECT_FALSE(IsWindowVisible(a.hwnd));
            EXPECT_TRUE(IsWindowVisible(c.hwnd));
            checked = true;
            click(IDOK);
        },
    });
    EXPECT_TRUE(checked);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(b.hwnd, nullptr);
    EXPECT_EQ(events, (Events{"a:INIT", "a:SETACTIVE", "a:KILLACTIVE", "c:INIT", "c:SETACTIVE", "c:KILLACTIVE",
                              "a:APPLY(ok)", "c:APPLY(ok)"}));
}

TEST(SheetProtocol, RefusedApplyKeepsTheSheetOpenOnTheRefusingPage) {
    PageSpec a{"a"}, b{"b"};
    b.apply = PSNRET_INVALID;
    std::vector<PROPSHEETPAGEA> pages{resourcePage(20, a), resourcePage(13, b)};
    PROPSHEETHEADERA h = header(pages, 0, "Server");
    INT_PTR r = runSheet(h, {
        [&] { clickTab(1); },
        [&] { clickTab(0); },
        [&] {
            ASSERT_EQ(current(), a.hwnd);
            events.clear();
            click(IDOK);
        },
        [&] {
            // Still open, showing the page that refused.
            ASSERT_TRUE(IsWindow(sheet));
            EXPECT_EQ(current(), b.hwnd);
            EXPECT_EQ(SendMessageA(PropSheet_GetTabControl(sheet), TCM_GETCURSEL, 0, 0), 1);
            EXPECT_EQ(events, (Events{"a:KILLACTIVE", "a:APPLY(ok)", "b:APPLY(ok)", "b:SETACTIVE"}));
            // Refused without changing the page: the current page stays.
            b.apply = PSNRET_INVALID_NOCHANGEPAGE;
            clickTab(0);
        },
        [&] {
            click(IDOK);
            EXPECT_TRUE(IsWindow(sheet));
            EXPECT_EQ(current(), a.hwnd);
            // A page that will not be left keeps OK from applying anything.
            a.killActive = TRUE;
            events.clear();
            click(IDOK);
            EXPECT_EQ(events, (Events{"a:KILLACTIVE"}));
            a.killActive = FALSE;
            b.apply = PSNRET_NOERROR;
            PropSheet_PressButton(sheet, PSBTN_OK);
        },
    });
    EXPECT_EQ(r, 1);
}

TEST(SheetProtocol, CancelAppliesNothingAndResetsEveryCreatedPage) {
    PageSpec a{"a"}, b{"b"}, c{"c"};
    std::vector<PROPSHEETPAGEA> pages{resourcePage(20, a), resourcePage(12, b), resourcePage(13, c)};
    PROPSHEETHEADERA h = header(pages, 0, "Server");
    a.queryCancel = TRUE;
    INT_PTR r = runSheet(h, {
        [&] { clickTab(1); },
        [&] { clickTab(0); },
        [&] {
            events.clear();
            // The current page may refuse to be cancelled.
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        },
        [&] {
            ASSERT_TRUE(IsWindow(sheet));
            EXPECT_EQ(events, (Events{"a:QUERYCANCEL"}));
            a.queryCancel = FALSE;
            events.clear();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        },
    });
    EXPECT_EQ(r, 0);
    EXPECT_EQ(events, (Events{"a:QUERYCANCEL", "a:RESET(cancel)", "b:RESET(cancel)"}));
    EXPECT_EQ(c.hwnd, nullptr);

    // The close box cancels too, and says so.
    r = runSheet(h, {[&] { SendMessageA(sheet, WM_CLOSE, 0, 0); }});
    EXPECT_EQ(r, 0);
    EXPECT_EQ(eventsExcept("INIT"), (Events{"a:SETACTIVE", "a:QUERYCANCEL", "a:RESET(close)"}));
}

TEST(SheetProtocol, ChangedPagesEnableApplyWhichAppliesAndStaysOpen) {
    PageSpec a{"a"}, b{"b"};
    std::vector<PROPSHEETPAGEA> pages{resourcePage(20, a), resourcePage(13, b)};
    PROPSHEETHEADERA h = header(pages, 0, "Server");
    INT_PTR r = runSheet(h, {
        [&] {
            HWND apply = GetDlgItem(sheet, PSH_IDC_APPLYNOW);
            ASSERT_NE(apply, nullptr);
            EXPECT_FALSE(IsWindowEnabled(apply));
            PropSheet_Changed(sheet, a.hwnd);
            EXPECT_TRUE(IsWindowEnabled(apply));
            PropSheet_UnChanged(sheet, a.hwnd);
            EXPECT_FALSE(IsWindowEnabled(apply));
            PropSheet_Changed(sheet, a.hwnd);
            events.clear();
            click(PSH_IDC_APPLYNOW);
            EXPECT_EQ(events, (Events{"a:KILLACTIVE", "a:APPLY(apply)"}));
            EXPECT_FALSE(IsWindowEnabled(apply));
            EXPECT_TRUE(IsWindow(sheet));
            // Cancel after Apply: the applied settings stay applied.
            PropSheet_PressButton(sheet, PSBTN_CANCEL);
        },
    });
    EXPECT_EQ(r, 1);

    // Without an Apply button there is nothing to enable.
    h.dwFlags |= PSH_NOAPPLYNOW;
    r = runSheet(h, {[&] {
        EXPECT_EQ(GetDlgItem(sheet, PSH_IDC_APPLYNOW), nullptr);
        PropSheet_Changed(sheet, a.hwnd);
        PropSheet_CancelToClose(sheet);
    },
                     [&] {
                         EXPECT_EQ(text(GetDlgItem(sheet, IDOK)), "Close");
                         EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, IDCANCEL)));
                         PropSheet_PressButton(sheet, PSBTN_OK);
                     }});
    EXPECT_EQ(r, 1);
}

TEST(SheetProtocol, PressButtonHelpAndSelectionMessages) {
    PageSpec a{"a"}, b{"b"};
    std::vector<PROPSHEETPAGEA> pages{resourcePage(20, a, PSP_HASHELP), resourcePage(13, b)};
    PROPSHEETHEADERA h = header(pages, PSH_PROPTITLE, "Server");
    h.nStartPage = 1;
    INT_PTR r = runSheet(h, {
        [&] {
            EXPECT_EQ(text(sheet), "Properties for Server");
            EXPECT_EQ(current(), b.hwnd);  // the start page
            HWND help = GetDlgItem(sheet, IDHELP);
            ASSERT_NE(help, nullptr);
            EXPECT_FALSE(IsWindowEnabled(help));  // this page has no help
            EXPECT_TRUE(PropSheet_SetCurSel(sheet, nullptr, 0));
            EXPECT_EQ(current(), a.hwnd);
            EXPECT_TRUE(IsWindowEnabled(help));
            events.clear();
            PropSheet_PressButton(sheet, PSBTN_HELP);
        },
        [&] {
            EXPECT_EQ(events, (Events{"a:HELP"}));
            EXPECT_TRUE(PropSheet_SetCurSelByID(sheet, MAKEINTRESOURCEA(13)));
            EXPECT_EQ(current(), b.hwnd);
            EXPECT_FALSE(PropSheet_SetCurSelByID(sheet, MAKEINTRESOURCEA(99)));
            PropSheet_SetTitle(sheet, 0, "Renamed");
            EXPECT_EQ(text(sheet), "Renamed");
            PropSheet_Changed(sheet, b.hwnd);
            events.clear();
            PropSheet_PressButton(sheet, PSBTN_APPLYNOW);
        },
        [&] {
            EXPECT_EQ(events, (Events{"b:KILLACTIVE", "a:APPLY(apply)", "b:APPLY(apply)"}));
            PropSheet_PressButton(sheet, PSBTN_CANCEL);
        },
    });
    EXPECT_EQ(r, 1);
}

TEST(Wizard, BackNextAndFinishFollowThePagesAnswers) {
    PageSpec name{"name"}, files{"files"}, pass{"pass"}, done{"done"};
    files.setActive = -1;  // skipped in both directions
    std::vector<PROPSHEETPAGEA> pages{resourcePage(11, name), resourcePage(12, files), resourcePage(13, pass),
                                      resourcePage(14, done)};
    PROPSHEETHEADERA h = header(pages, PSH_WIZARD, "Add Collection...");
    INT_PTR r = runSheet(h, {
        [&] {
            EXPECT_EQ(PropSheet_GetTabControl(sheet), nullptr);
            EXPECT_EQ(text(sheet), "Add Collection...");
            EXPECT_EQ(current(), name.hwnd);
            SendMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, PSH_IDC_BACK)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, PSH_IDC_NEXT)));
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, PSH_IDC_FINISH)));
            events.clear();
            click(PSH_IDC_NEXT);
        },
        [&] {
            // Next skips the page that answers -1 to PSN_SETACTIVE.
            EXPECT_EQ(current(), pass.hwnd);
            EXPECT_EQ(eventsExcept("INIT"),
                      (Events{"name:KILLACTIVE", "name:WIZNEXT", "files:SETACTIVE", "pass:SETACTIVE"}));
            EXPECT_FALSE(IsWindowVisible(name.hwnd));
            // A page that answers -1 to Next stays.
            pass.wizNext = -1;
            click(PSH_IDC_NEXT);
            EXPECT_EQ(current(), pass.hwnd);
            events.clear();
            // Enter presses the default button, Next.
            SetFocus(GetDlgItem(pass.hwnd, 10));
            pass.wizNext = 0;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        },
        [&] {
            EXPECT_EQ(current(), done.hwnd);
            SendMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_FINISH);
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(sheet, PSH_IDC_FINISH)));
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, PSH_IDC_NEXT)));
            // Back goes over the skipped page to the first one; an answer
            // naming a template jumps there.
            done.wizBack = reinterpret_cast<LRESULT>(MAKEINTRESOURCEA(11));
            events.clear();
            click(PSH_IDC_BACK);
            EXPECT_EQ(current(), name.hwnd);
            EXPECT_EQ(events, (Events{"done:WIZBACK", "name:SETACTIVE"}));
            SendMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
            name.wizNext = reinterpret_cast<LRESULT>(MAKEINTRESOURCEA(14));
            click(PSH_IDC_NEXT);
            EXPECT_EQ(current(), done.hwnd);
            SendMessageA(sheet, PSM_SETWIZBUTTONS, 0, PSWIZB_FINISH);
            done.wizFinish = TRUE;  // refused: stays
            click(PSH_IDC_FINISH);
            EXPECT_TRUE(IsWindow(sheet));
            done.wizFinish = FALSE;
            events.clear();
            click(PSH_IDC_FINISH);
        },
    });
    EXPECT_EQ(r, 1);
    EXPECT_EQ(events, (Events{"done:KILLACTIVE", "done:WIZFINISH"}));  // no PSN_APPLY in a wizard
}

TEST(Wizard, CancelEndsWithZero) {
    PageSpec name{"name"}, files{"files"};
    std::vector<PROPSHEETPAGEA> pages{resourcePage(11, name), resourcePage(12, files)};
    PROPSHEETHEADERA h = header(pages, PSH_WIZARD, "Add Collection...");
    INT_PTR r = runSheet(h, {[&] { click(PSH_IDC_NEXT); }, [&] { click(IDCANCEL); }});
    EXPECT_EQ(r, 0);
    EXPECT_EQ(eventsExcept("INIT").back(), "files:RESET(cancel)");

    // A wizard that always has Finish shows it beside Next, not over it.
    h.dwFlags |= PSH_WIZARDHASFINISH;
    r = runSheet(h, {[&] {
        HWND next = GetDlgItem(sheet, PSH_IDC_NEXT), finish = GetDlgItem(sheet, PSH_IDC_FINISH);
        EXPECT_TRUE(IsWindowVisible(next));
        EXPECT_TRUE(IsWindowVisible(finish));
        RECT a{}, b{}, both{};
        GetWindowRect(next, &a);
        GetWindowRect(finish, &b);
        EXPECT_FALSE(IntersectRect(&both, &a, &b));
        click(PSH_IDC_FINISH);
    }});
    EXPECT_EQ(r, 1);
}

namespace {

int boxAnswer(void *ctx, HWND owner, LPCSTR, LPCSTR, UINT) {
    *static_cast<HWND *>(ctx) = owner;
    return IDYES;
}

// A page whose button opens a dialog of its own, which asks a question.
INT_PTR CALLBACK detailsProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EXPECT_FALSE(IsWindowEnabled(sheet));  // the sheet waits for the inner dialog
        EndDialog(dlg, MessageBoxA(dlg, "Keep the details?", "Server", MB_YESNO) == IDYES ? 7 : 8);
        return TRUE;
    }
    return FALSE;
}

INT_PTR innerResult = 0;

INT_PTR CALLBACK nestingPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COMMAND && LOWORD(wParam) == 12) {
        Template t(WS_POPUP | WS_CAPTION, 120, 60, "Details");
        t.item(0x80, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10, 40, 14);
        // A script step presses OK inside the inner loop.
        steps.push_front([] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); });
        innerResult = DialogBoxIndirectParamA(nullptr, t.get(), GetParent(hwnd), detailsProc, 0);
        return TRUE;
    }
    return pageProc(hwnd, msg, wParam, lParam);
}

}  // namespace

TEST(SheetProtocol, ModalDialogsAndMessageBoxesNestInsideAPage) {
    PageSpec a{"a"};
    std::vector<PROPSHEETPAGEA> pages{resourcePage(20, a)};
    pages[0].pfnDlgProc = nestingPageProc;
    PROPSHEETHEADERA h = header(pages, 0, "Server");
    HWND boxOwner = nullptr;
    uiSetMessageBoxHook(boxAnswer, &boxOwner);
    innerResult = 0;
    INT_PTR r = runSheet(h, {
        [&] { QTest::mouseClick(widgetOf(GetDlgItem(a.hwnd, 12)), Qt::LeftButton); },  // returns when the inner dialog has ended
        [&] {
            EXPECT_EQ(innerResult, 7);
            EXPECT_NE(boxOwner, nullptr);
            EXPECT_TRUE(IsWindowEnabled(sheet));
            click(IDOK);
        },
    });
    uiSetMessageBoxHook(nullptr, nullptr);
    EXPECT_EQ(r, 1);
}

namespace {
std::vector<std::string> callbacks;
UINT CALLBACK pageCallback(HWND, UINT msg, PROPSHEETPAGEA *psp) {
    callbacks.push_back(std::string(msg == PSPCB_CREATE ? "create:" : msg == PSPCB_RELEASE ? "release:" : "?:") +
                        reinterpret_cast<PageSpec *>(psp->lParam)->name);
    return psp->lParam == 0 ? 0 : 1;
}
}  // namespace

TEST(SheetProtocol, PageHandlesBelongToTheSheetThatTakesThem) {
    PageSpec a{"a"}, b{"b"}, unused{"unused"};
    UINT refs = 0;
    PROPSHEETPAGEA pa = resourcePage(20, a, PSP_USECALLBACK | PSP_USEREFPARENT);
    pa.pfnCallback = pageCallback;
    pa.pcRefParent = &refs;
    PROPSHEETPAGEA pb = pa;
    pb.lParam = reinterpret_cast<LPARAM>(&b);
    PROPSHEETPAGEA pu = pa;
    pu.lParam = reinterpret_cast<LPARAM>(&unused);
    callbacks.clear();
    HPROPSHEETPAGE handles[2] = {CreatePropertySheetPageA(&pa), CreatePropertySheetPageA(&pb)};
    HPROPSHEETPAGE spare = CreatePropertySheetPageA(&pu);
    ASSERT_NE(handles[0], nullptr);
    EXPECT_EQ(refs, 3u);
    EXPECT_TRUE(DestroyPropertySheetPage(spare));
    EXPECT_EQ(refs, 2u);
    EXPECT_FALSE(DestroyPropertySheetPage(spare));

    PROPSHEETHEADERA h{};
    h.dwSize = sizeof h;
    h.pszCaption = "Handles";
    h.nPages = 2;
    h.phpage = handles;
    INT_PTR r = runSheet(h, {[&] {
        EXPECT_TRUE(PropSheet_SetCurSel(sheet, handles[1], 0));
        EXPECT_EQ(current(), b.hwnd);
        click(IDCANCEL);
    }});
    EXPECT_EQ(r, 0);
    EXPECT_EQ(callbacks, (Events{"release:unused", "create:a", "create:b", "release:a", "release:b"}));
    EXPECT_EQ(refs, 0u);
    // The sheet destroyed the handles it was given.
    EXPECT_FALSE(DestroyPropertySheetPage(handles[0]));
}

TEST(SheetProtocol, BadHeadersAndMissingTemplatesFail) {
    EXPECT_EQ(PropertySheetA(nullptr), -1);
    PageSpec a{"a"};
    std::vector<PROPSHEETPAGEA> pages{resourcePage(999, a)};
    PROPSHEETHEADERA h = header(pages, 0, "Missing");
    EXPECT_EQ(PropertySheetA(&h), -1);
    h.nPages = 0;
    EXPECT_EQ(PropertySheetA(&h), -1);
    // A page record with a nonsense size is refused, not read past its end.
    PROPSHEETPAGEA bad = resourcePage(20, a);
    bad.dwSize = 8;
    EXPECT_EQ(CreatePropertySheetPageA(&bad), nullptr);
    bad.dwSize = 0x7FFFFFFF;
    EXPECT_EQ(CreatePropertySheetPageA(&bad), nullptr);
}

TEST(SheetProtocol, PagesFromTemplatesInMemory) {
    PageSpec a{"a"};
    Template t(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 180, 90, "Memory");
    t.item(0x80, "&Check", 10, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 7, 80, 10);
    PROPSHEETPAGEA p{};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_DLGINDIRECT;
    p.pResource = t.get();
    p.pfnDlgProc = pageProc;
    p.lParam = reinterpret_cast<LPARAM>(&a);
    std::vector<PROPSHEETPAGEA> pages{p};
    PROPSHEETHEADERA h = header(pages, 0, "Indirect");
    INT_PTR r = runSheet(h, {[&] {
        HWND check = GetDlgItem(a.hwnd, 10);
        ASSERT_NE(check, nullptr);
        EXPECT_TRUE(GetWindowLongA(a.hwnd, GWL_STYLE) & WS_CHILD);
        QWidget *box = widgetOf(check);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        EXPECT_EQ(IsDlgButtonChecked(a.hwnd, 10), static_cast<UINT>(BST_CHECKED));
        click(IDOK);
    }});
    EXPECT_EQ(r, 1);
}
