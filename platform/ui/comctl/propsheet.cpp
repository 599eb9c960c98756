// PropertySheetA: a modal dialog that holds its pages as child dialogs, with
// a tab control, OK, Cancel, Apply and Help; or, as a wizard, with Back,
// Next, Finish, Cancel and Help and no tabs. Pages are made when first
// shown. The sheet talks to them with WM_NOTIFY (PSN_*), reading their
// answers from the message result (DWL_MSGRESULT), and answers their PSM_*.
#include "comctl/propsheet_page.h"

#include "user/window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::ui {
namespace {

struct SheetPage {
    std::shared_ptr<PageObject> object;
    HPROPSHEETPAGE handle = nullptr;  // the caller's handle, if given as one
    DialogTemplate tmpl;
    std::string title;
    HWND hwnd = nullptr;
    bool changed = false;
};

SheetPage sheetPage(std::shared_ptr<PageObject> object, HPROPSHEETPAGE handle) {
    SheetPage p;
    p.object = std::move(object);
    p.handle = handle;
    return p;
}

#ifndef ICON_SMALL
#define ICON_SMALL 0
#define ICON_BIG 1
#endif

struct Sheet {
    PROPSHEETHEADERA header{};
    bool wizard = false;
    std::vector<SheetPage> pages;
    int current = -1;
    HWND hwnd = nullptr, tab = nullptr, ok = nullptr, cancel = nullptr, apply = nullptr, help = nullptr,
         back = nullptr, next = nullptr, finish = nullptr, line = nullptr;
    HIMAGELIST images = nullptr;
    RECT pageArea{};      // where pages go, in the sheet's client coordinates
    INT_PTR result = 0;   // 1 once settings were applied
    DWORD wizButtons = PSWIZB_BACK | PSWIZB_NEXT;
    bool finishText = false;  // PSM_SETFINISHTEXT: Finish replaces Back and Next
};

// Sheets being shown, by window (main thread only).
std::map<HWND, Sheet *> &sheets() {
    static std::map<HWND, Sheet *> m;
    return m;
}

Sheet *sheetOf(HWND hwnd) {
    auto it = sheets().find(hwnd);
    return it == sheets().end() ? nullptr : it->second;
}

LRESULT notifyPage(Sheet &s, HWND page, UINT code, LPARAM value = 0) {
    if (!page || !IsWindow(page)) return 0;
    PSHNOTIFY n{};
    n.hdr.hwndFrom = s.hwnd;
    n.hdr.idFrom = 0;
    n.hdr.code = code;
    n.lParam = value;
    return SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

HWND currentPage(const Sheet &s) {
    return s.current >= 0 && s.current < static_cast<int>(s.pages.size()) ? s.pages[static_cast<size_t>(s.current)].hwnd
                                                                          : nullptr;
}

int pageIndexOfWindow(const Sheet &s, HWND hwnd) {
    for (size_t i = 0; i < s.pages.size(); ++i)
        if (s.pages[i].hwnd && s.pages[i].hwnd == hwnd) return static_cast<int>(i);
    return -1;
}

int pageIndexOfTemplate(Sheet &s, LPARAM id) {
    for (size_t i = 0; i < s.pages.size(); ++i)
        if (pageHasTemplate(*s.pages[i].object, id)) return static_cast<int>(i);
    return -1;
}

HWND makeButton(Sheet &s, int id, const char *text, bool isDefault) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    return CreateWindowExA(0, "BUTTON", text, style, 0, 0, 10, 10, s.hwnd,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
}

std::string sheetCaption(const Sheet &s, LPCSTR text, bool propTitle) {
    std::string caption;
    if (text && IS_INTRESOURCE(text)) {
        char buffer[256] = "";
        LoadStringA(s.header.hInstance, static_cast<UINT>(reinterpret_cast<uintptr_t>(text)), buffer, sizeof buffer);
        caption = buffer;
    } else if (text) {
        caption = text;
    }
    if (propTitle) caption = "Properties for " + caption;
    return caption;
}

void updateHelp(Sheet &s) {
    if (!s.help) return;
    bool has = false;
    if (s.current >= 0) has = s.pages[static_cast<size_t>(s.current)].object->record()->dwFlags & PSP_HASHELP;
    EnableWindow(s.help, has);
}

void updateWizardButtons(Sheet &s) {
    if (!s.wizard) return;
    DWORD f = s.wizButtons;
    bool alwaysFinish = s.header.dwFlags & PSH_WIZARDHASFINISH;
    bool showFinish = s.finishText || alwaysFinish || (f & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH));
    ShowWindow(s.back, s.finishText ? SW_HIDE : SW_SHOW);
    ShowWindow(s.next, (s.finishText || (showFinish && !alwaysFinish)) ? SW_HIDE : SW_SHOW);
    ShowWindow(s.finish, showFinish ? SW_SHOW : SW_HIDE);
    EnableWindow(s.back, (f & PSWIZB_BACK) != 0);
    EnableWindow(s.next, (f & PSWIZB_NEXT) != 0);
    EnableWindow(s.finish, s.finishText || alwaysFinish || (f & PSWIZB_FINISH));
    int def = IsWindowVisible(s.next) && IsWindowEnabled(s.next) ? PSH_IDC_NEXT : PSH_IDC_FINISH;
    SendMessageA(s.hwnd, DM_SETDEFID, static_cast<WPARAM>(def), 0);
}

// Makes the page's window the first time it is needed; false if it cannot be made.
bool ensurePage(Sheet &s, int index) {
    SheetPage &p = s.pages[static_cast<size_t>(index)];
    if (p.hwnd && IsWindow(p.hwnd)) return true;
    p.hwnd = pageCreateWindow(*p.object, p.tmpl, s.hwnd);
    if (!p.hwnd) return false;
    MoveWindow(p.hwnd, s.pageArea.left, s.pageArea.top, s.pageArea.right - s.pageArea.left,
               s.pageArea.bottom - s.pageArea.top, FALSE);
    return true;
}

void showOnly(Sheet &s, int index) {
    int old = s.current;
    s.current = index;
    if (s.tab) SendMessageA(s.tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    HWND page = s.pages[static_cast<size_t>(index)].hwnd;
    SetWindowPos(page, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(page, SW_SHOW);
    if (old >= 0 && old != index) {
        HWND previous = s.pages[static_cast<size_t>(old)].hwnd;
        if (previous && IsWindow(previous)) ShowWindow(previous, SW_HIDE);
    }
    if (s.wizard) {
        SheetPage &p = s.pages[static_cast<size_t>(index)];
        std::string caption = (p.object->record()->dwFlags & PSP_USETITLE) ? p.title
                              : sheetCaption(s, s.header.pszCaption, false);
        SetWindowTextA(s.hwnd, caption.c_str());
    }
    updateHelp(s);
    if (HWND first = GetNextDlgTabItem(page, nullptr, FALSE)) SetFocus(first);
}

// Activates a page: PSN_SETACTIVE decides. A wizard page may answer -1 to be
// skipped in the direction of travel, or a template id to send the wizard
// there; a tab page that refuses leaves the previous page shown.
bool activate(Sheet &s, int index, int direction) {
    int count = static_cast<int>(s.pages.size());
    for (int guard = 0; guard <= 2 * count; ++guard) {
        if (index < 0 || index >= count) return false;
        if (!ensurePage(s, index)) {
            if (!s.wizard) return false;
            index += direction ? direction : 1;
            continue;
        }
        LRESULT answer = notifyPage(s, s.pages[static_cast<size_t>(index)].hwnd, PSN_SETACTIVE);
        if (!IsWindow(s.hwnd)) return false;
        if (answer == 0 || (!s.wizard && s.current < 0)) {
            showOnly(s, index);
            return true;
        }
        if (!s.wizard) return false;
        if (answer == -1) {
            index += direction ? direction : 1;
        } else {
            int target = pageIndexOfTemplate(s, answer);
            if (target < 0 || target == index) return false;
            index = target;
        }
    }
    return false;
}

// Leaving the current page: PSN_KILLACTIVE, a non-zero answer keeps it.
bool leaveCurrent(Sheet &s) {
    HWND page = currentPage(s);
    return !page || notifyPage(s, page, PSN_KILLACTIVE) == 0;
}

void setChanged(Sheet &s, int index, bool changed) {
    if (index >= 0) s.pages[static_cast<size_t>(index)].changed = changed;
    bool any = std::any_of(s.pages.begin(), s.pages.end(), [](const SheetPage &p) { return p.changed; });
    if (s.apply) EnableWindow(s.apply, any);
}

// PSN_APPLY to every page that has a window, in order. A page answering
// PSNRET_INVALID is selected and stops the round; PSNRET_INVALID_NOCHANGEPAGE
// stops it where it is.
bool applyAll(Sheet &s, bool closing) {
    if (!leaveCurrent(s)) return false;
    for (size_t i = 0; i < s.pages.size(); ++i) {
        HWND page = s.pages[i].hwnd;
        if (!page || !IsWindow(page)) continue;
        LRESULT answer = notifyPage(s, page, PSN_APPLY, closing ? TRUE : FALSE);
        if (!IsWindow(s.hwnd)) return false;
        if (answer == PSNRET_INVALID) {
            if (static_cast<int>(i) != s.current && ensurePage(s, static_cast<int>(i))) {
                notifyPage(s, page, PSN_SETACTIVE);
                showOnly(s, static_cast<int>(i));
            }
            return false;
        }
        if (answer == PSNRET_INVALID_NOCHANGEPAGE) return false;
    }
    s.result = 1;
    for (SheetPage &p : s.pages) p.changed = false;
    setChanged(s, -1, false);
    return true;
}

void cancel(Sheet &s, bool closeBox) {
    HWND page = currentPage(s);
    if (page && notifyPage(s, page, PSN_QUERYCANCEL) != 0) return;
    if (!IsWindow(s.hwnd)) return;
    for (SheetPage &p : s.pages)
        if (p.hwnd && IsWindow(p.hwnd)) notifyPage(s, p.hwnd, PSN_RESET, closeBox ? TRUE : FALSE);
    if (IsWindow(s.hwnd)) EndDialog(s.hwnd, s.result);
}

void wizardMove(Sheet &s, bool forward) {
    HWND page = currentPage(s);
    if (!page) return;
    if (forward && !leaveCurrent(s)) return;
    LRESULT answer = notifyPage(s, page, forward ? PSN_WIZNEXT : PSN_WIZBACK);
    if (!IsWindow(s.hwnd) || answer == -1) return;
    int target = answer == 0 ? s.current + (forward ? 1 : -1) : pageIndexOfTemplate(s, answer);
    if (target < 0) return;
    activate(s, target, forward ? 1 : -1);
}

void wizardFinish(Sheet &s) {
    HWND page = currentPage(s);
    if (!leaveCurrent(s)) return;
    if (page && notifyPage(s, page, PSN_WIZFINISH) != 0) return;
    if (!IsWindow(s.hwnd)) return;
    s.result = 1;
    EndDialog(s.hwnd, s.result);
}

void pressButton(Sheet &s, int id) {
    switch (id) {
    case IDOK:
        if (applyAll(s, true) && IsWindow(s.hwnd)) EndDialog(s.hwnd, s.result);
        break;
    case IDCANCEL: cancel(s, false); break;
    case PSH_IDC_APPLYNOW: applyAll(s, false); break;
    case IDHELP:
        if (HWND page = currentPage(s)) notifyPage(s, page, PSN_HELP);
        break;
    case PSH_IDC_BACK: wizardMove(s, false); break;
    case PSH_IDC_NEXT: wizardMove(s, true); break;
    case PSH_IDC_FINISH: wizardFinish(s); break;
    default: break;
    }
}

// The sheet's controls and its size, from the largest page.
void layout(Sheet &s) {
    int maxCx = 0, maxCy = 0;
    for (const SheetPage &p : s.pages) maxCx = std::max<int>(maxCx, p.tmpl.cx), maxCy = std::max<int>(maxCy, p.tmpl.cy);
    RECT page{0, 0, std::max(maxCx, 100), std::max(maxCy, 40)};
    MapDialogRect(s.hwnd, &page);
    RECT unit{0, 0, 50, 14};  // a button, in dialog units
    MapDialogRect(s.hwnd, &unit);
    RECT gapRect{0, 0, 4, 7};
    MapDialogRect(s.hwnd, &gapRect);
    const int bw = unit.right, bh = unit.bottom, gap = gapRect.right, margin = gapRect.bottom;
    int pw = page.right, ph = page.bottom;
    int width, buttonsTop;
    if (s.wizard) {
        s.pageArea = RECT{margin, margin, margin + pw, margin + ph};
        int lineTop = s.pageArea.bottom + margin;
        width = pw + 2 * margin;
        buttonsTop = lineTop + 2 + margin;
        MoveWindow(s.line, margin, lineTop, pw, 2, FALSE);
    } else {
        // Tabs: measure the tab control's borders around a page of this size.
        MoveWindow(s.tab, margin, margin, pw + 8, ph + 40, FALSE);
        RECT display{margin, margin, margin + pw + 8, margin + ph + 40};
        SendMessageA(s.tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
        int extraW = (pw + 8) - (display.right - display.left), extraH = (ph + 40) - (display.bottom - display.top);
        MoveWindow(s.tab, margin, margin, pw + extraW, ph + extraH, FALSE);
        s.pageArea = RECT{margin, margin, margin + pw + extraW, margin + ph + extraH};
        SendMessageA(s.tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&s.pageArea));
        width = pw + extraW + 2 * margin;
        buttonsTop = margin + ph + extraH + margin;
    }
    // Buttons from the right edge: Help, Apply, Cancel, OK (or Finish/Next, Back).
    // Finish takes Next's place, unless the wizard always shows both.
    bool finishApart = s.header.dwFlags & PSH_WIZARDHASFINISH;
    std::vector<HWND> row;
    if (s.wizard) row = {s.back, s.next, finishApart ? s.finish : nullptr, s.cancel, s.help};
    else row = {s.ok, s.cancel, s.apply, s.help};
    int x = width - margin;
    for (auto it = row.rbegin(); it != row.rend(); ++it) {
        if (!*it) continue;
        x -= bw;
        MoveWindow(*it, x, buttonsTop, bw, bh, FALSE);
        if (*it == s.next && s.finish && !finishApart) MoveWindow(s.finish, x, buttonsTop, bw, bh, FALSE);
        // Back and Next sit together; the other buttons keep a gap.
        x -= (*it == s.next) ? 0 : gap;
    }
    int height = buttonsTop + bh + margin;
    RECT owner{};
    HWND ownerWnd = GetWindow(s.hwnd, GW_OWNER);
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (ownerWnd) GetWindowRect(ownerWnd, &owner);
    else owner = screen;
    int left = std::max<int>(0, (owner.left + owner.right - width) / 2);
    int top = std::max<int>(0, (owner.top + owner.bottom - height) / 2);
    MoveWindow(s.hwnd, left, top, width, height, FALSE);
}

void createControls(Sheet &s) {
    const PROPSHEETHEADERA &h = s.header;
    bool anyHelp = (h.dwFlags & PSH_HASHELP) != 0;
    for (const SheetPage &p : s.pages) anyHelp = anyHelp || (p.object->record()->dwFlags & PSP_HASHELP);
    if (s.wizard) {
        s.line = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 0, 10, 2, s.hwnd, nullptr,
                                 nullptr, nullptr);
        s.back = makeButton(s, PSH_IDC_BACK, "< &Back", false);
        s.next = makeButton(s, PSH_IDC_NEXT, "&Next >", true);
        s.finish = makeButton(s, PSH_IDC_FINISH, "Finish", false);
        s.cancel = makeButton(s, IDCANCEL, "Cancel", false);
    } else {
        s.tab = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 10, 10, s.hwnd,
                                reinterpret_cast<HMENU>(static_cast<uintptr_t>(PSH_IDC_TAB)), nullptr, nullptr);
        s.ok = makeButton(s, IDOK, "OK", true);
        s.cancel = makeButton(s, IDCANCEL, "Cancel", false);
        if (!(h.dwFlags & PSH_NOAPPLYNOW)) {
            s.apply = makeButton(s, PSH_IDC_APPLYNOW, "&Apply", false);
            EnableWindow(s.apply, FALSE);
        }
    }
    if (anyHelp) s.help = makeButton(s, IDHELP, "Help", false);
    if (s.tab) {
        for (size_t i = 0; i < s.pages.size(); ++i) {
            SheetPage &p = s.pages[i];
            PROPSHEETPAGEA *r = p.object->record();
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = const_cast<LPSTR>(p.title.c_str());
            HICON icon = nullptr;
            bool ownIcon = false;
            if ((r->dwFlags & PSP_USEHICON) && r->hIcon) icon = r->hIcon;
            else if ((r->dwFlags & PSP_USEICONID) && r->pszIcon)
                icon = static_cast<HICON>(LoadImageA(r->hInstance, r->pszIcon, IMAGE_ICON, 16, 16, 0)), ownIcon = true;
            if (icon) {
                if (!s.images) s.images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
                item.iImage = ImageList_AddIcon(s.images, icon);
                if (item.iImage >= 0) item.mask |= TCIF_IMAGE;
                if (ownIcon) DestroyIcon(icon);
            }
            if (s.images) SendMessageA(s.tab, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(s.images));
            SendMessageA(s.tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        }
    }
    HICON icon = nullptr;
    if ((h.dwFlags & PSH_USEHICON) && h.hIcon) icon = h.hIcon;
    else if ((h.dwFlags & PSH_USEICONID) && h.pszIcon) icon = LoadIconA(h.hInstance, h.pszIcon);
    if (icon) {
        SendMessageA(s.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        SendMessageA(s.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    layout(s);
    updateWizardButtons(s);
}

int startPage(const Sheet &s) {
    const PROPSHEETHEADERA &h = s.header;
    if (h.dwFlags & PSH_USEPSTARTPAGE) {
        for (size_t i = 0; h.pStartPage && i < s.pages.size(); ++i)
            if (s.pages[i].title == h.pStartPage) return static_cast<int>(i);
        return 0;
    }
    return h.nStartPage < s.pages.size() ? static_cast<int>(h.nStartPage) : 0;
}

INT_PTR handleSheetMessage(Sheet &s, UINT msg, WPARAM wParam, LPARAM lParam, bool *handled) {
    *handled = true;
    switch (msg) {
    case PSM_CHANGED: setChanged(s, pageIndexOfWindow(s, reinterpret_cast<HWND>(wParam)), true); return TRUE;
    case PSM_UNCHANGED: setChanged(s, pageIndexOfWindow(s, reinterpret_cast<HWND>(wParam)), false); return TRUE;
    case PSM_CANCELTOCLOSE:
        if (s.ok) SetWindowTextA(s.ok, "Close");
        if (s.cancel) EnableWindow(s.cancel, FALSE);
        return TRUE;
    case PSM_APPLY: return applyAll(s, false);
    case PSM_PRESSBUTTON: {
        // Pressed later, from the loop: the page that asks may be in the
        // middle of a notification the press would end.
        static const int ids[] = {PSH_IDC_BACK, PSH_IDC_NEXT, PSH_IDC_FINISH, IDOK, PSH_IDC_APPLYNOW, IDCANCEL, IDHELP};
        if (wParam > PSBTN_MAX) return FALSE;
        int id = ids[wParam];
        if (id == PSH_IDC_FINISH && !s.wizard) id = IDOK;
        PostMessageA(s.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        return TRUE;
    }
    case PSM_SETWIZBUTTONS:
        s.wizButtons = static_cast<DWORD>(lParam);
        updateWizardButtons(s);
        return TRUE;
    case PSM_SETFINISHTEXTA:
        if (s.finish && lParam) SetWindowTextA(s.finish, reinterpret_cast<LPCSTR>(lParam));
        s.finishText = true;
        updateWizardButtons(s);
        return TRUE;
    case PSM_SETCURSEL:
    case PSM_SETCURSELID: {
        int index = -1;
        if (msg == PSM_SETCURSELID) {
            index = pageIndexOfTemplate(s, lParam);
        } else if (lParam) {
            for (size_t i = 0; i < s.pages.size(); ++i)
                if (s.pages[i].handle == reinterpret_cast<HPROPSHEETPAGE>(lParam)) index = static_cast<int>(i);
        } else {
            index = static_cast<int>(wParam);
        }
        if (index < 0 || index >= static_cast<int>(s.pages.size())) return FALSE;
        if (index == s.current) return TRUE;
        if (!leaveCurrent(s)) return FALSE;
        return activate(s, index, index >= s.current ? 1 : -1);
    }
    case PSM_GETCURRENTPAGEHWND: return reinterpret_cast<INT_PTR>(currentPage(s));
    case PSM_GETTABCONTROL: return reinterpret_cast<INT_PTR>(s.tab);
    case PSM_ISDIALOGMESSAGE: return lParam && IsDialogMessageA(s.hwnd, reinterpret_cast<LPMSG>(lParam));
    case PSM_SETTITLEA: {
        std::string caption = sheetCaption(s, reinterpret_cast<LPCSTR>(lParam), wParam & PSH_PROPTITLE);
        SetWindowTextA(s.hwnd, caption.c_str());
        return TRUE;
    }
    case PSM_QUERYSIBLINGS:
        for (SheetPage &p : s.pages) {
            if (!p.hwnd || !IsWindow(p.hwnd)) continue;
            if (LRESULT r = SendMessageA(p.hwnd, PSM_QUERYSIBLINGS, wParam, lParam)) return r;
        }
        return 0;
    default: *handled = false; return 0;
    }
}

INT_PTR CALLBACK sheetProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        Sheet *s = reinterpret_cast<Sheet *>(lParam);
        s->hwnd = hwnd;
        sheets()[hwnd] = s;
        createControls(*s);
        if (s->header.dwFlags & PSH_USECALLBACK && s->header.pfnCallback)
            s->header.pfnCallback(hwnd, PSCB_INITIALIZED, 0);
        int start = startPage(*s);
        if (!activate(*s, start, 1) && s->current < 0 && IsWindow(hwnd)) {
            // No page would show: a sheet without pages has nothing to offer.
            if (!activate(*s, 0, 1) && s->current < 0 && IsWindow(hwnd)) EndDialog(hwnd, -1);
        }
        return FALSE;  // the page has the focus
    }
    Sheet *s = sheetOf(hwnd);
    if (!s) return FALSE;
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || lParam == 0) {
            int id = LOWORD(wParam);
            // Enter on a disabled default button does nothing.
            if (HWND button = GetDlgItem(hwnd, id); button && !IsWindowEnabled(button) && id != IDCANCEL) return TRUE;
            pressButton(*s, id);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE: cancel(*s, true); return TRUE;
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<NMHDR *>(lParam);
        if (!hdr || hdr->hwndFrom != s->tab) return FALSE;
        if (hdr->code == TCN_SELCHANGING) {
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, leaveCurrent(*s) ? FALSE : TRUE);
            return TRUE;
        }
        if (hdr->code == TCN_SELCHANGE) {
            int index = static_cast<int>(SendMessageA(s->tab, TCM_GETCURSEL, 0, 0));
            if (!activate(*s, index, 1) && s->current >= 0) SendMessageA(s->tab, TCM_SETCURSEL, s->current, 0);
        }
        return TRUE;
    }
    case WM_DESTROY: sheets().erase(hwnd); return FALSE;
    default: {
        bool handled = false;
        INT_PTR r = handleSheetMessage(*s, msg, wParam, lParam, &handled);
        if (!handled) return FALSE;
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, r);
        return TRUE;
    }
    }
}

// An empty DLGTEMPLATEEX: the sheet's frame; its controls are made in WM_INITDIALOG.
std::vector<uint8_t> sheetTemplate(const std::string &caption) {
    std::vector<uint8_t> b;
    auto u16 = [&b](WORD v) { b.push_back(static_cast<uint8_t>(v)), b.push_back(static_cast<uint8_t>(v >> 8)); };
    auto u32 = [&u16](DWORD v) { u16(static_cast<WORD>(v)), u16(static_cast<WORD>(v >> 16)); };
    auto str = [&u16](const std::string &s) {
        for (unsigned char c : s) u16(c);
        u16(0);
    };
    u16(1), u16(0xFFFF), u32(0), u32(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME);
    u32(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | WS_CLIPSIBLINGS);
    u16(0), u16(0), u16(0), u16(212), u16(188);
    u16(0), u16(0), str(caption);
    u16(8), u16(400), u16(0x0100), str("MS Sans Serif");
    return b;
}

}  // namespace
}  // namespace platform::ui

using namespace platform;
using namespace platform::ui;

extern "C" WINBASEAPI INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph) {
    if (!lppsph || lppsph->dwSize < offsetof(PROPSHEETHEADERA, pfnCallback) || lppsph->nPages == 0 ||
        lppsph->nPages > 1000 || (lppsph->dwFlags & PSH_MODELESS)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    Sheet s;
    std::memcpy(&s.header, lppsph, std::min<size_t>(lppsph->dwSize, sizeof s.header));
    if (lppsph->dwSize < sizeof s.header) s.header.dwFlags &= ~static_cast<DWORD>(PSH_USECALLBACK);
    s.wizard = s.header.dwFlags & PSH_WIZARD;
    // The pages: records (stepping by each one's own size) or handles, which
    // the sheet owns from here on.
    std::vector<SheetPage> given;
    if (s.header.dwFlags & PSH_PROPSHEETPAGE) {
        auto *at = reinterpret_cast<const uint8_t *>(s.header.ppsp);
        for (UINT i = 0; at && i < s.header.nPages; ++i) {
            auto *psp = reinterpret_cast<const PROPSHEETPAGEA *>(at);
            auto page = pageFromRecord(psp);
            if (!page) break;
            given.push_back(sheetPage(page, nullptr));
            at += psp->dwSize;
        }
    } else {
        for (UINT i = 0; s.header.phpage && i < s.header.nPages; ++i)
            if (auto page = handleGet<PageObject>(s.header.phpage[i])) given.push_back(sheetPage(page, s.header.phpage[i]));
    }
    // Handles given to the sheet are destroyed with it, whatever happens.
    struct Owned {
        std::vector<HPROPSHEETPAGE> handles;
        ~Owned() {
            for (HPROPSHEETPAGE h : handles) DestroyPropertySheetPage(h);
        }
    } owned;
    for (SheetPage &p : given) {
        if (p.handle) owned.handles.push_back(p.handle);
        if (!pageTemplate(*p.object, &p.tmpl)) continue;
        p.title = pageTitle(*p.object, p.tmpl);
        s.pages.push_back(std::move(p));
    }
    given.clear();
    if (s.pages.empty()) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return -1;
    }
    std::string caption = sheetCaption(s, s.header.pszCaption, s.header.dwFlags & PSH_PROPTITLE);
    std::vector<uint8_t> frame = sheetTemplate(caption);
    INT_PTR r = DialogBoxIndirectParamA(s.header.hInstance, reinterpret_cast<LPCDLGTEMPLATEA>(frame.data()),
                                        s.header.hwndParent, sheetProc, reinterpret_cast<LPARAM>(&s));
    if (s.images) ImageList_Destroy(s.images);
    for (SheetPage &p : s.pages) pageRelease(*p.object);
    return r < 0 ? -1 : r;
}
