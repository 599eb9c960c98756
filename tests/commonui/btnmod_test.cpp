// Themed buttons on both drawing paths: the theme library loaded, and the
// classic look when it refuses to load. What is checked is what reaches the
// screen: where the icon and the text are painted, and how a disabled button
// looks.
#include <windows.h>

#include "btnmod.h"
#include "uitest.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace uitest;

namespace {

INT_PTR CALLBACK dialogProc(HWND, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_DRAWITEM) return btnmodDrawItem(reinterpret_cast<DRAWITEMSTRUCT *>(lParam)) == 0;
    return FALSE;
}

HICON redIcon() {
    std::vector<uint32_t> pixels(16 * 16, 0xFFFF0000);
    std::vector<uint8_t> mask(16 * 2, 0);
    HBITMAP color = CreateBitmap(16, 16, 1, 32, pixels.data());
    HBITMAP bits = CreateBitmap(16, 16, 1, 1, mask.data());
    ICONINFO info{TRUE, 0, 0, bits, color};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(color);
    DeleteObject(bits);
    return icon;
}

bool isRed(QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; }
bool isDark(QRgb p) { return qRed(p) < 100 && qGreen(p) < 100 && qBlue(p) < 100; }
bool isWhite(QRgb p) { return qRed(p) > 245 && qGreen(p) > 245 && qBlue(p) > 245; }

// Columns of the button's inside (away from its frame and focus rectangle)
// holding pixels for which test holds; -1 when none.
struct Columns {
    int first = -1, last = -1;
};
Columns columns(const QImage &img, bool (*test)(QRgb), int fromX = 0, int margin = 6) {
    Columns c;
    for (int x = fromX; x < img.width() - margin; ++x)
        for (int y = 6; y < img.height() - 6; ++y)
            if (test(img.pixel(x, y))) {
                if (c.first < 0) c.first = x;
                c.last = x;
                break;
            }
    return c;
}

class ThemedButtons : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) setenv("SUITE_CLASSIC_LOOK", "1", 1);
        else unsetenv("SUITE_CLASSIC_LOOK");
        ASSERT_EQ(btnmodInit(), 0);
        Template t(WS_POPUP | WS_CAPTION | WS_VISIBLE, 200, 80, "Buttons");
        t.item(0x80, "Settings", 100, BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 100, 22);
        t.item(0x80, "Other", 101, BS_PUSHBUTTON | WS_TABSTOP, 10, 40, 100, 22);
        dialog = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, dialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        button = GetDlgItem(dialog, 100);
        SetFocus(GetDlgItem(dialog, 101));
    }
    void TearDown() override {
        DestroyWindow(dialog);
        EXPECT_EQ(btnmodShutdown(), 0);
        unsetenv("SUITE_CLASSIC_LOOK");
    }

    HWND dialog = nullptr, button = nullptr;
};

}  // namespace

TEST_P(ThemedButtons, TheThemeLibraryDecidesThePath) {
    EXPECT_EQ(btnmodIsThemed(), GetParam() ? 0 : 1);
    EXPECT_EQ(btnmodInit(), -1);
}

TEST_P(ThemedButtons, IconAtTheLeftAndTextAfterIt) {
    ASSERT_EQ(btnmodAddButton(button), 0);
    ASSERT_EQ(btnmodAddButton(button), 0);  // once only
    EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    HICON icon = redIcon();
    ASSERT_EQ(btnmodSetOption(button, BTNMOD_OPTION_ICON, &icon, sizeof icon), 0);
    int left = BTNMOD_ICON_LEFT;
    ASSERT_EQ(btnmodSetOption(button, BTNMOD_OPTION_PLACEMENT, &left, 4), 0);
    EXPECT_EQ(btnmodSetOption(button, BTNMOD_OPTION_PLACEMENT, &left, 2), -2);

    QImage img = snapshot(button);
    ASSERT_FALSE(img.isNull());
    Columns red = columns(img, isRed);
    EXPECT_EQ(red.first, 5);
    EXPECT_EQ(red.last, 20);
    Columns text = columns(img, isDark, 21);
    EXPECT_GE(text.first, 26);
    EXPECT_LE(text.first, 29);

    // Placement at the right: the icon ends 5 pixels before the edge.
    int right = BTNMOD_ICON_RIGHT;
    ASSERT_EQ(btnmodSetOption(nullptr, BTNMOD_OPTION_PLACEMENT, &right, 4), 0);
    img = snapshot(button);
    red = columns(img, isRed, 0, 0);
    EXPECT_EQ(red.last, img.width() - 6);

    // Removing gives the button its own style back.
    EXPECT_EQ(btnmodRemoveButton(button), 0);
    EXPECT_EQ(GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(btnmodRemoveButton(button), -3);
    EXPECT_EQ(btnmodDrawItem(nullptr), -2);
}

TEST_P(ThemedButtons, ADisabledButtonGreysItsIcon) {
    ASSERT_EQ(btnmodAddButton(button), 0);
    HICON icon = redIcon();
    ASSERT_EQ(btnmodSetOption(button, BTNMOD_OPTION_ICON, &icon, sizeof icon), 0);
    int left = BTNMOD_ICON_LEFT;
    ASSERT_EQ(btnmodSetOption(button, BTNMOD_OPTION_PLACEMENT, &left, 4), 0);
    EnableWindow(button, FALSE);
    QImage img = snapshot(button);
    EXPECT_EQ(columns(img, isRed).first, -1);
    if (GetParam()) {
        // Classic: the text embossed, a highlight copy under the shadow one.
        EXPECT_GE(columns(img, isWhite, 26).first, 26);
    }
}

TEST_P(ThemedButtons, TheMouseMakesAButtonHotUntilTheDialogClearsIt) {
    ASSERT_EQ(btnmodAddButton(button), 0);
    EXPECT_EQ(btnmodIsHot(button), 0);
    // Qt reports a move only when the pointer's position changes.
    QTest::mouseMove(widgetOf(GetDlgItem(dialog, 101)), QPoint(3, 3));
    EXPECT_EQ(btnmodIsHot(button), 0);
    QTest::mouseMove(widgetOf(button), QPoint(10, 10));
    EXPECT_EQ(btnmodIsHot(button), 1);
    ASSERT_EQ(btnmodSetOption(nullptr, BTNMOD_OPTION_CLEARHOT, nullptr, 0), 0);
    EXPECT_EQ(btnmodIsHot(button), 0);
    // Only registered buttons have a hot state.
    EXPECT_EQ(btnmodIsHot(GetDlgItem(dialog, 101)), -2);
}

TEST_P(ThemedButtons, ADestroyedButtonLeavesNoRecord) {
    ASSERT_EQ(btnmodAddButton(button), 0);
    DestroyWindow(button);
    EXPECT_EQ(btnmodIsHot(button), -2);
    EXPECT_EQ(btnmodRemoveButton(button), -3);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, ThemedButtons, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool> &p) { return p.param ? "Classic" : "Themed"; });

TEST(ThemedButtonsState, OperationsNeedInitialisation) {
    EXPECT_EQ(btnmodAddButton(nullptr), -1);
    EXPECT_EQ(btnmodSetOption(nullptr, BTNMOD_OPTION_CLEARHOT, nullptr, 0), -1);
    EXPECT_EQ(btnmodShutdown(), -1);
    EXPECT_EQ(btnmodIsThemed(), -1);
}
