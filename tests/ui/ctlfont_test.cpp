// Fonts of windows and controls: the dialog template's font as a handle,
// WM_SETFONT shown by the control's widget, WM_GETFONT answering it.
#include "uitest.h"

#include <QFontInfo>

#include <gtest/gtest.h>

using namespace uitest;

TEST(ControlFonts, TemplateFontIsAHandleAndWmSetFontChangesTheWidget) {
    Template t(WS_POPUP | WS_CAPTION, 160, 60, "Fonts", "MS Sans Serif", 8);
    t.item(0x82, "Label", 10, SS_LEFT, 5, 5, 100, 10).item(0x80, "Push", 11, BS_PUSHBUTTON, 5, 30, 60, 14);
    HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, nullptr, 0);
    ASSERT_TRUE(dlg);
    HWND label = GetDlgItem(dlg, 10), push = GetDlgItem(dlg, 11);

    auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(dlg, WM_GETFONT, 0, 0));
    ASSERT_NE(dialogFont, nullptr);
    EXPECT_EQ(GetObjectType(dialogFont), static_cast<DWORD>(OBJ_FONT));
    LOGFONTA lf{};
    ASSERT_EQ(GetObjectA(dialogFont, sizeof lf, &lf), static_cast<int>(sizeof lf));
    EXPECT_EQ(lf.lfHeight, -11);  // 8 points at 96 dpi
    EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), dialogFont);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(push, WM_GETFONT, 0, 0)), dialogFont);

    // A font of its own: the label's widget shows it, its neighbour keeps the dialog's.
    QWidget *labelWidget = widgetOf(label);
    ASSERT_TRUE(labelWidget);
    int inherited = QFontInfo(labelWidget->font()).pixelSize();
    HFONT big = CreateFontA(-24, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(big), TRUE);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)), big);
    EXPECT_EQ(QFontInfo(labelWidget->font()).pixelSize(), 24);
    EXPECT_TRUE(labelWidget->font().bold());
    EXPECT_EQ(QFontInfo(widgetOf(push)->font()).pixelSize(), inherited);

    // Null gives the label its dialog's font back.
    SendMessageA(label, WM_SETFONT, 0, FALSE);
    EXPECT_EQ(QFontInfo(labelWidget->font()).pixelSize(), inherited);

    // The template's font goes with the dialog; a font set by the caller stays the caller's.
    DestroyWindow(dlg);
    EXPECT_EQ(GetObjectType(dialogFont), 0u);
    EXPECT_EQ(GetObjectType(big), static_cast<DWORD>(OBJ_FONT));
    DeleteObject(big);
}

TEST(ControlFonts, DialogsWithoutTemplateFontAnswerNull) {
    Template t(WS_POPUP, 80, 40, "No font", nullptr);
    t.item(0x82, "Label", 10, SS_LEFT, 5, 5, 60, 10);
    HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, nullptr, 0);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(SendMessageA(dlg, WM_GETFONT, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(dlg, 10, WM_GETFONT, 0, 0), 0);
    DestroyWindow(dlg);
}
