// Painting: WM_PAINT of registered classes draws through BeginPaint's
// context (and GetDC's, while painting) on the window's client area, after
// WM_ERASEBKGND fills the class brush; owner-drawn buttons and menu items
// draw on WM_DRAWITEM with their state. Checked on the rendered pixels.
#include "uitest.h"

#include <QMenu>
#include <QTest>
#include <QWidgetAction>

#include <gtest/gtest.h>

using namespace uitest;

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 128, 0);

struct PaintLog {
    int paints = 0;
    PAINTSTRUCT ps{};
    HDC firstDc = nullptr;
    HWND dcWindow = nullptr;
    int released = -1;
    RECT second{};  // rcPaint of a second BeginPaint in the same WM_PAINT
};
PaintLog logFor;
bool passToDefault = false;

// Fills (10,10)-(30,30) through BeginPaint's context and (40,10)-(50,20)
// through GetDC's; a second BeginPaint sees nothing left to paint.
LRESULT CALLBACK painterProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m != WM_PAINT || passToDefault) return DefWindowProcA(h, m, w, l);
    ++logFor.paints;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    logFor.ps = ps;
    logFor.firstDc = dc;
    logFor.dcWindow = WindowFromDC(dc);
    HBRUSH fill = CreateSolidBrush(GetParent(h) ? kBlue : kRed);
    RECT r{10, 10, 30, 30};
    FillRect(dc, &r, fill);
    DeleteObject(fill);
    HDC windowDc = GetDC(h);
    HBRUSH blue = CreateSolidBrush(kBlue);
    RECT b{40, 10, 50, 20};
    FillRect(windowDc, &b, blue);
    DeleteObject(blue);
    logFor.released = ReleaseDC(h, windowDc);
    PAINTSTRUCT again;
    BeginPaint(h, &again);
    logFor.second = again.rcPaint;
    EndPaint(h, &again);
    EndPaint(h, &ps);
    return 0;
}

const char *painterClass(const char *name, HBRUSH background) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = painterProc;
    wc.lpszClassName = name;
    wc.hbrBackground = background;
    RegisterClassA(&wc);
    return name;
}

COLORREF at(const QImage &img, int x, int y) {
    QRgb p = img.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

}  // namespace

TEST(Paint, BeginPaintAndGetDcDrawOnTheClientAreaOverTheClassBrush) {
    const char *cls = painterClass("UiTestPainter", CreateSolidBrush(kGreen));
    HWND h = CreateWindowExA(0, cls, "Paint", WS_POPUP, 0, 0, 80, 60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(h);
    logFor = PaintLog{};
    QImage img = snapshot(h);
    ASSERT_EQ(img.size(), QSize(80, 60));
    EXPECT_EQ(at(img, 20, 20), kRed);
    EXPECT_EQ(at(img, 10, 10), kRed);
    EXPECT_EQ(at(img, 30, 30), kGreen);  // GDI rectangles leave out right and bottom edges
    EXPECT_EQ(at(img, 45, 15), kBlue);
    EXPECT_EQ(at(img, 5, 5), kGreen);
    EXPECT_EQ(at(img, 79, 59), kGreen);
    EXPECT_GE(logFor.paints, 1);
    EXPECT_FALSE(logFor.ps.fErase);  // the class brush erased
    EXPECT_EQ(logFor.ps.rcPaint.left, 0);
    EXPECT_EQ(logFor.ps.rcPaint.top, 0);
    EXPECT_EQ(logFor.ps.rcPaint.right, 80);
    EXPECT_EQ(logFor.ps.rcPaint.bottom, 60);
    EXPECT_EQ(logFor.dcWindow, h);
    EXPECT_EQ(logFor.released, 1);
    EXPECT_TRUE(IsRectEmpty(&logFor.second));
    // The context ends with EndPaint.
    EXPECT_EQ(WindowFromDC(logFor.firstDc), nullptr);
    EXPECT_EQ(SetBkMode(logFor.firstDc, OPAQUE), 0);

    // A child paints in its own client coordinates, at its place in the parent.
    HWND child = CreateWindowExA(0, cls, nullptr, WS_CHILD | WS_VISIBLE, 30, 25, 40, 30, h, nullptr, nullptr, nullptr);
    ASSERT_TRUE(child);
    img = snapshot(h);
    EXPECT_EQ(at(img, 20, 20), kRed);       // parent
    EXPECT_EQ(at(img, 30 + 20, 25 + 20), kBlue);  // child's (10,10)-(30,30)
    EXPECT_EQ(at(img, 30 + 5, 25 + 5), kGreen);
    DestroyWindow(h);
}

TEST(Paint, WithoutAClassBrushTheProcedureErasesAndPaintsOnlyWhenAsked) {
    const char *cls = painterClass("UiTestPainterBare", nullptr);
    logFor = PaintLog{};
    HWND h = CreateWindowExA(0, cls, "Bare", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(h);
    ASSERT_TRUE(pumpUntil([] { return logFor.paints > 0; }));
    EXPECT_TRUE(logFor.ps.fErase);

    // InvalidateRect brings a WM_PAINT with the new content.
    int before = logFor.paints;
    ASSERT_TRUE(InvalidateRect(h, nullptr, TRUE));
    EXPECT_TRUE(pumpUntil([&] { return logFor.paints > before; }));

    // WM_PAINT sent outside a paint: BeginPaint has nothing to paint and
    // its context draws nowhere, but works.
    logFor = PaintLog{};
    SendMessageA(h, WM_PAINT, 0, 0);
    EXPECT_EQ(logFor.paints, 1);
    EXPECT_TRUE(IsRectEmpty(&logFor.ps.rcPaint));
    EXPECT_NE(logFor.firstDc, nullptr);
    EXPECT_EQ(logFor.released, 1);

    // A procedure that leaves WM_PAINT to the default one still paints the
    // class background (here none) and does not fail.
    passToDefault = true;
    QImage img = snapshot(h);
    passToDefault = false;
    EXPECT_EQ(img.size(), QSize(60, 40));

    PAINTSTRUCT ps;
    EXPECT_EQ(BeginPaint(h, nullptr), nullptr);
    EXPECT_EQ(BeginPaint(nullptr, &ps), nullptr);
    DestroyWindow(h);
}

namespace {

// The dialog procedure draws its owner-drawn buttons: red while pressed,
// grey when disabled, green otherwise; it keeps the last DRAWITEMSTRUCT of each.
std::vector<DRAWITEMSTRUCT> drawn;
int clicks = 0;

INT_PTR CALLBACK ownerDrawProc(HWND, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COMMAND && LOWORD(w) == 20 && HIWORD(w) == BN_CLICKED) ++clicks;
    if (m == WM_DRAWITEM) {
        auto *dis = reinterpret_cast<DRAWITEMSTRUCT *>(l);
        drawn.push_back(*dis);
        COLORREF c = (dis->itemState & ODS_SELECTED) ? kRed : (dis->itemState & ODS_DISABLED) ? RGB(128, 128, 128) : kGreen;
        HBRUSH b = CreateSolidBrush(c);
        FillRect(dis->hDC, &dis->rcItem, b);
        DeleteObject(b);
        return TRUE;
    }
    return FALSE;
}

const DRAWITEMSTRUCT *lastDrawOf(UINT id) {
    for (auto it = drawn.rbegin(); it != drawn.rend(); ++it)
        if (it->CtlID == id) return &*it;
    return nullptr;
}

}  // namespace

TEST(OwnerDraw, ButtonsAreDrawnByTheParentWithTheirState) {
    Template t(WS_POPUP, 120, 40, "Owner drawn");
    t.item(0x80, "OK", IDOK, BS_OWNERDRAW | WS_TABSTOP, 5, 5, 50, 20).item(0x80, "Other", 20, BS_OWNERDRAW, 60, 5, 50, 20);
    HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, ownerDrawProc, 0);
    ASSERT_TRUE(dlg);
    HWND other = GetDlgItem(dlg, 20);
    auto centre = [&](int id) {
        QRect r = uitest::widgetOf(GetDlgItem(dlg, id))->geometry();
        return r.center();
    };
    drawn.clear();
    QImage img = snapshot(dlg);
    const DRAWITEMSTRUCT *ok = lastDrawOf(IDOK), *o = lastDrawOf(20);
    ASSERT_TRUE(ok && o);
    EXPECT_EQ(ok->CtlType, static_cast<UINT>(ODT_BUTTON));
    EXPECT_EQ(ok->itemAction, static_cast<UINT>(ODA_DRAWENTIRE));
    EXPECT_EQ(ok->hwndItem, GetDlgItem(dlg, IDOK));
    EXPECT_TRUE(ok->itemState & ODS_DEFAULT);
    EXPECT_FALSE(o->itemState & (ODS_DEFAULT | ODS_SELECTED | ODS_DISABLED));
    RECT rc;
    GetClientRect(other, &rc);
    EXPECT_EQ(o->rcItem.right, rc.right);
    EXPECT_EQ(o->rcItem.bottom, rc.bottom);
    EXPECT_EQ(at(img, centre(IDOK).x(), centre(IDOK).y()), kGreen);
    EXPECT_EQ(at(img, centre(20).x(), centre(20).y()), kGreen);

    // Pressed with the mouse: selected (red) until released, then a click.
    ShowWindow(dlg, SW_SHOW);
    QWidget *otherWidget = uitest::widgetOf(other);
    QTest::mousePress(otherWidget, Qt::LeftButton);
    img = snapshot(dlg);
    EXPECT_TRUE(lastDrawOf(20)->itemState & ODS_SELECTED);
    EXPECT_EQ(at(img, centre(20).x(), centre(20).y()), kRed);
    QTest::mouseRelease(otherWidget, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    img = snapshot(dlg);
    EXPECT_EQ(at(img, centre(20).x(), centre(20).y()), kGreen);

    EnableWindow(other, FALSE);
    img = snapshot(dlg);
    EXPECT_TRUE(lastDrawOf(20)->itemState & ODS_DISABLED);
    EXPECT_EQ(at(img, centre(20).x(), centre(20).y()), RGB(128, 128, 128));
    DestroyWindow(dlg);
}

namespace {

// Owner-drawn menu items, 100 x 24, red while selected, green otherwise.
std::vector<DRAWITEMSTRUCT> menuDrawn;
QImage popupBefore, popupAfter;
QRect firstItem;

LRESULT CALLBACK menuOwnerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_MEASUREITEM) {
        auto *mis = reinterpret_cast<MEASUREITEMSTRUCT *>(l);
        mis->itemWidth = 100, mis->itemHeight = 24;
        return TRUE;
    }
    if (m == WM_DRAWITEM) {
        auto *dis = reinterpret_cast<DRAWITEMSTRUCT *>(l);
        menuDrawn.push_back(*dis);
        HBRUSH b = CreateSolidBrush((dis->itemState & ODS_SELECTED) ? kRed : kGreen);
        FillRect(dis->hDC, &dis->rcItem, b);
        DeleteObject(b);
        return TRUE;
    }
    return DefWindowProcA(h, m, w, l);
}

const DRAWITEMSTRUCT *lastMenuDraw(UINT id) {
    for (auto it = menuDrawn.rbegin(); it != menuDrawn.rend(); ++it)
        if (it->itemID == id) return &*it;
    return nullptr;
}

}  // namespace

TEST(OwnerDraw, MenuItemsAreDrawnByTheOwnerAndShowSelection) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = menuOwnerProc;
    wc.lpszClassName = "UiTestMenuOwner";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, "UiTestMenuOwner", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_OWNERDRAW, 301, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(0x77)));
    AppendMenuA(m, MF_OWNERDRAW | MF_GRAYED | MF_CHECKED, 302, nullptr);
    menuDrawn.clear();
    SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        QWidget *p = QApplication::activePopupWidget();
        if (!p) return;
        KillTimer(nullptr, id);
        for (QAction *a : p->actions())
            if (auto *wa = qobject_cast<QWidgetAction *>(a); wa && firstItem.isNull())
                firstItem = wa->defaultWidget()->geometry();
        popupBefore = p->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QTest::keyClick(p, Qt::Key_Down);
        QApplication::processEvents();
        popupAfter = p->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QTest::keyClick(p, Qt::Key_Escape);
    });
    TrackPopupMenu(m, TPM_RETURNCMD, 10, 10, 0, h, nullptr);
    ASSERT_FALSE(firstItem.isNull());
    ASSERT_FALSE(popupBefore.isNull());
    QPoint c = firstItem.center();
    EXPECT_EQ(at(popupBefore, c.x(), c.y()), kGreen);
    EXPECT_EQ(at(popupAfter, c.x(), c.y()), kRed);
    const DRAWITEMSTRUCT *first = lastMenuDraw(301), *second = lastMenuDraw(302);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->CtlType, static_cast<UINT>(ODT_MENU));
    EXPECT_EQ(first->hwndItem, reinterpret_cast<HWND>(m));
    EXPECT_EQ(first->itemData, 0x77u);
    EXPECT_TRUE(first->itemState & ODS_SELECTED);
    EXPECT_EQ(first->rcItem.right - first->rcItem.left, firstItem.width());
    EXPECT_TRUE(second->itemState & ODS_GRAYED);
    EXPECT_TRUE(second->itemState & ODS_CHECKED);
    EXPECT_FALSE(second->itemState & ODS_SELECTED);
    DestroyMenu(m);
    DestroyWindow(h);
}
