// Control colours chosen by the dialog procedure (WM_CTLCOLOR*): a heading
// in blue on a transparent background over a dialog background of its own,
// an edit with its own colours, and the default colours when the procedure
// declines; checked on the rendered pixels.
#include "uitest.h"

#include <gtest/gtest.h>

using namespace uitest;

namespace {

enum { ID_HEADING = 10, ID_PLAIN = 11, ID_EDIT = 12 };
const COLORREF kYellow = RGB(255, 255, 0), kBlue = RGB(0, 0, 255), kCyan = RGB(0, 255, 255);

HBRUSH yellow, cyan;
bool colouring = true;
int staticAsks = 0, editAsks = 0;
bool handsRealDc = true;

INT_PTR CALLBACK colourProc(HWND, UINT m, WPARAM w, LPARAM l) {
    if (!colouring) return FALSE;
    HDC dc = reinterpret_cast<HDC>(w);
    switch (m) {
    case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(yellow);
    case WM_CTLCOLORSTATIC:
        ++staticAsks;
        handsRealDc &= WindowFromDC(dc) == reinterpret_cast<HWND>(l);
        if (GetDlgCtrlID(reinterpret_cast<HWND>(l)) != ID_HEADING) return FALSE;
        SetTextColor(dc, kBlue);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
    case WM_CTLCOLOREDIT:
        ++editAsks;
        SetTextColor(dc, RGB(255, 0, 0));
        return reinterpret_cast<INT_PTR>(cyan);
    default: return FALSE;
    }
}

QRgb rgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Pixels of rect r in img: how many are exactly c, how many are "bluish" text.
struct Census {
    int exact = 0, blueText = 0, darkText = 0;
};
Census census(const QImage &img, const QRect &r, COLORREF c) {
    Census n;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            QRgb p = img.pixel(x, y);
            if (p == rgb(c)) ++n.exact;
            if (qBlue(p) > 150 && qRed(p) < 120 && qGreen(p) < 120) ++n.blueText;
            if (qRed(p) < 90 && qGreen(p) < 90 && qBlue(p) < 90) ++n.darkText;
        }
    return n;
}

QRect childRect(HWND dlg, int id) {
    RECT r;
    HWND c = GetDlgItem(dlg, id);
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT *>(&r), 2);
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

TEST(ControlColours, ParentChoosesTextColourBackgroundModeAndBrush) {
    yellow = CreateSolidBrush(kYellow);
    cyan = CreateSolidBrush(kCyan);
    Template t(WS_POPUP, 160, 70, "Colours");
    t.item(0x82, "HEADING HEADING", ID_HEADING, SS_LEFT, 5, 5, 120, 12)
        .item(0x82, "PLAIN PLAIN", ID_PLAIN, SS_LEFT, 5, 25, 120, 12)
        .item(0x81, "typed", ID_EDIT, ES_LEFT | WS_BORDER, 5, 45, 100, 14);
    HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, colourProc, 0);
    ASSERT_TRUE(dlg);
    QImage img = snapshot(dlg);
    ASSERT_FALSE(img.isNull());

    // The dialog's own brush fills its background.
    EXPECT_EQ(img.pixel(img.width() - 2, img.height() - 2), rgb(kYellow));
    // The heading: blue text, and the dialog's yellow through its transparent background.
    Census heading = census(img, childRect(dlg, ID_HEADING), kYellow);
    EXPECT_GT(heading.blueText, 10);
    EXPECT_GT(heading.exact, childRect(dlg, ID_HEADING).width() * childRect(dlg, ID_HEADING).height() / 2);
    // The plain label was declined: default (dark) text, no blue.
    Census plain = census(img, childRect(dlg, ID_PLAIN), kYellow);
    EXPECT_EQ(plain.blueText, 0);
    EXPECT_GT(plain.darkText, 10);
    // The edit: the returned brush is its field, its text red.
    QRect edit = childRect(dlg, ID_EDIT);
    Census field = census(img, edit.adjusted(3, 3, -3, -3), kCyan);
    EXPECT_GT(field.exact, edit.width() * edit.height() / 3);
    EXPECT_GT(staticAsks, 0);
    EXPECT_GT(editAsks, 0);
    EXPECT_TRUE(handsRealDc);

    // When the procedure stops choosing, the defaults come back.
    colouring = false;
    img = snapshot(dlg);
    colouring = true;
    EXPECT_EQ(census(img, childRect(dlg, ID_HEADING), kYellow).blueText, 0);
    EXPECT_NE(img.pixel(img.width() - 2, img.height() - 2), rgb(kYellow));

    DestroyWindow(dlg);
    DeleteObject(yellow);
    DeleteObject(cyan);
}
