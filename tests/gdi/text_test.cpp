// Fonts resolved to installed families, text metrics, TextOutA and DrawTextA
// (wrapping, prefixes, ellipses, placement), measured against the fonts.
#include "support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

HFONT font(const char *face, int height, int weight = FW_NORMAL, DWORD quality = DEFAULT_QUALITY) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, quality, DEFAULT_PITCH | FF_DONTCARE, face);
}

int widthIn(HDC dc, HFONT f, const char *text) {
    HGDIOBJ old = SelectObject(dc, f);
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    SelectObject(dc, old);
    return size.cx;
}

class Text : public ::testing::Test {
protected:
    Canvas c{200, 100};
};

TEST_F(Text, WindowsFaceNamesResolveToMetricCompatibleFamilies) {
    const char *sample = "The quick brown fox, 0123456789";
    HFONT arial = font("Arial", -20), liberation = font("Liberation Sans", -20), dejavu = font("DejaVu Sans", -20);
    HFONT times = font("Times New Roman", -20), serif = font("Liberation Serif", -20);
    HFONT sansSerif = font("MS Sans Serif", -20), tahoma = font("Tahoma", -20), helv = font("Helv", -20);
    EXPECT_EQ(widthIn(c.dc, arial, sample), widthIn(c.dc, liberation, sample));
    EXPECT_NE(widthIn(c.dc, arial, sample), widthIn(c.dc, dejavu, sample));
    EXPECT_EQ(widthIn(c.dc, times, sample), widthIn(c.dc, serif, sample));
    // The old serif name is the same family.
    HFONT timesRoman = font("Times Roman", -20);
    EXPECT_EQ(widthIn(c.dc, timesRoman, sample), widthIn(c.dc, serif, sample));
    // Faces without an installed counterpart fall back to the sans-serif font.
    EXPECT_EQ(widthIn(c.dc, sansSerif, sample), widthIn(c.dc, dejavu, sample));
    EXPECT_EQ(widthIn(c.dc, tahoma, sample), widthIn(c.dc, dejavu, sample));
    EXPECT_EQ(widthIn(c.dc, helv, sample), widthIn(c.dc, dejavu, sample));
    // The face name reported is the one asked for.
    SelectObject(c.dc, arial);
    char face[LF_FACESIZE] = {};
    EXPECT_EQ(GetTextFaceA(c.dc, sizeof face, face), 5);
    EXPECT_STREQ(face, "Arial");
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    for (HFONT f : {arial, liberation, dejavu, times, serif, sansSerif, tahoma, helv, timesRoman}) DeleteObject(f);
}

TEST_F(Text, HeightsAreCharacterOrCellHeightsInPixels) {
    // Negative: character height (cell less internal leading).
    HFONT small = font("Arial", -11);
    SelectObject(c.dc, small);
    TEXTMETRICA tm{};
    ASSERT_TRUE(GetTextMetricsA(c.dc, &tm));
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    // Liberation Sans: ascent 0.905 em, descent 0.212 em.
    EXPECT_NEAR(tm.tmAscent, 11 * 0.905, 1.0);
    EXPECT_NEAR(tm.tmDescent, 11 * 0.212, 1.0);
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);  // variable pitch
    // Positive: the whole cell.
    HFONT cell = font("Arial", 16, FW_BOLD);
    SelectObject(c.dc, cell);
    ASSERT_TRUE(GetTextMetricsA(c.dc, &tm));
    EXPECT_NEAR(tm.tmHeight, 16, 1);
    EXPECT_EQ(tm.tmWeight, FW_BOLD);
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32A(c.dc, "Wide", 4, &size));
    EXPECT_EQ(size.cy, tm.tmHeight);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    LOGFONTA log{};
    ASSERT_EQ(GetObjectA(cell, sizeof log, &log), static_cast<int>(sizeof log));
    EXPECT_EQ(log.lfHeight, 16);
    EXPECT_STREQ(log.lfFaceName, "Arial");
    DeleteObject(small);
    DeleteObject(cell);
}

TEST_F(Text, BackgroundModeDecidesWhetherTheTextBoxIsFilled) {
    HFONT f = font("Arial", -14, FW_NORMAL, NONANTIALIASED_QUALITY);
    SelectObject(c.dc, f);
    SIZE size{};
    GetTextExtentPoint32A(c.dc, "Mix", 3, &size);
    SetBkColor(c.dc, RGB(0, 0, 255));
    SetTextColor(c.dc, RGB(255, 0, 0));
    ASSERT_TRUE(TextOutA(c.dc, 10, 10, "Mix", 3));
    EXPECT_EQ(c.at(10, 10), RGB(0, 0, 255));
    EXPECT_EQ(c.at(10 + size.cx - 1, 10 + size.cy - 1), RGB(0, 0, 255));
    EXPECT_EQ(c.at(10 + size.cx, 10), kWhite);
    EXPECT_GT(c.count(RGB(255, 0, 0), 10, 10, 10 + size.cx, 10 + size.cy), 10);
    SetBkMode(c.dc, TRANSPARENT);
    ASSERT_TRUE(TextOutA(c.dc, 10, 50, "Mix", 3));
    EXPECT_EQ(c.count(RGB(0, 0, 255), 10, 50, 10 + size.cx, 50 + size.cy), 0);
    EXPECT_GT(c.count(RGB(255, 0, 0), 10, 50, 10 + size.cx, 50 + size.cy), 10);
    // Right alignment ends the text at x; the current position moves with it.
    SetTextAlign(c.dc, TA_RIGHT | TA_UPDATECP);
    MoveToEx(c.dc, 150, 80, nullptr);
    ASSERT_TRUE(TextOutA(c.dc, 0, 0, "Mix", 3));
    EXPECT_EQ(c.inked(150, 80, 200, 100), 0);
    EXPECT_GT(c.inked(150 - size.cx, 80, 150, 80 + size.cy), 10);
    POINT pos{};
    MoveToEx(c.dc, 0, 0, &pos);
    EXPECT_EQ(pos.x, 150 - size.cx);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

TEST_F(Text, PrefixesAreRemovedMeasuredAndUnderlined) {
    HFONT f = font("Arial", -14);
    SelectObject(c.dc, f);
    SIZE file{}, amp{};
    GetTextExtentPoint32A(c.dc, "File", 4, &file);
    GetTextExtentPoint32A(c.dc, "a&b", 3, &amp);
    RECT r{0, 0, 200, 100};
    EXPECT_EQ(DrawTextA(c.dc, "&File", -1, &r, DT_CALCRECT | DT_SINGLELINE), file.cy);
    EXPECT_EQ(r.right, file.cx);
    r = RECT{0, 0, 200, 100};
    DrawTextA(c.dc, "a&&b", -1, &r, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.right, amp.cx);
    r = RECT{0, 0, 200, 100};
    DrawTextA(c.dc, "a&&b", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_GT(r.right, amp.cx);

    // The underline sits below the baseline under the "F" only.
    TEXTMETRICA tm{};
    GetTextMetricsA(c.dc, &tm);
    RECT shown{0, 0, 100, 40}, hidden{100, 0, 200, 40};
    DrawTextA(c.dc, "&File", -1, &shown, DT_SINGLELINE);
    DrawTextA(c.dc, "&File", -1, &hidden, DT_SINGLELINE | DT_HIDEPREFIX);
    int below = tm.tmAscent + 1;
    int shownInk = c.inked(0, below, 100, tm.tmHeight + 2);
    int hiddenInk = c.inked(100, below, 200, tm.tmHeight + 2);
    EXPECT_GT(shownInk, hiddenInk);
    SIZE f1{};
    GetTextExtentPoint32A(c.dc, "F", 1, &f1);
    EXPECT_EQ(c.inked(f1.cx + 1, below, 100, tm.tmHeight + 2), hiddenInk);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

TEST_F(Text, WordBreakingWrapsAtBlanksAndKeepsLongWordsWhole) {
    HFONT f = font("Arial", -12);
    SelectObject(c.dc, f);
    TEXTMETRICA tm{};
    GetTextMetricsA(c.dc, &tm);
    SIZE two{};
    GetTextExtentPoint32A(c.dc, "alpha beta", 10, &two);
    RECT r{0, 0, two.cx + 2, 0};
    int h = DrawTextA(c.dc, "alpha beta alpha beta", -1, &r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(h, 2 * tm.tmHeight);
    EXPECT_EQ(r.bottom, 2 * tm.tmHeight);
    EXPECT_LE(r.right, two.cx + 2);
    // Line ends start new lines; without DT_WORDBREAK lines are not wrapped.
    r = RECT{0, 0, 10, 0};
    EXPECT_EQ(DrawTextA(c.dc, "one\r\ntwo\nthree", -1, &r, DT_CALCRECT), 3 * tm.tmHeight);
    // A word wider than the rectangle keeps a line of its own.
    r = RECT{0, 0, 20, 0};
    EXPECT_EQ(DrawTextA(c.dc, "extraordinarily x", -1, &r, DT_CALCRECT | DT_WORDBREAK), 2 * tm.tmHeight);
    EXPECT_GT(r.right, 20);
    // A single line ignores line ends.
    r = RECT{0, 0, 200, 0};
    EXPECT_EQ(DrawTextA(c.dc, "one\r\ntwo", -1, &r, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    // Tabs expand to multiples of eight average character widths.
    RECT tab{0, 0, 200, 0};
    DrawTextA(c.dc, "a\tb", -1, &tab, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    SIZE b{};
    GetTextExtentPoint32A(c.dc, "b", 1, &b);
    EXPECT_NEAR(tab.right, 8 * tm.tmAveCharWidth + b.cx, tm.tmAveCharWidth);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

TEST_F(Text, EllipsesKeepTheTextInsideItsRectangle) {
    HFONT f = font("Arial", -12);
    SelectObject(c.dc, f);
    const char *longText = "A rather long caption that cannot fit";
    RECT clipped{0, 0, 80, 20};
    DrawTextA(c.dc, longText, -1, &clipped, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(c.inked(80, 0, 200, 20), 0);  // overflowing without an ellipsis
    RECT fitted{0, 40, 80, 60};
    DrawTextA(c.dc, longText, -1, &fitted, DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
    EXPECT_EQ(c.inked(80, 40, 200, 60), 0);
    EXPECT_GT(c.inked(60, 40, 80, 60), 0);  // the dots reach the end
    RECT path{0, 70, 90, 90};
    DrawTextA(c.dc, "C:\\Program Files\\Skyloom\\ext\\galleon.dll", -1, &path, DT_SINGLELINE | DT_NOCLIP | DT_PATH_ELLIPSIS);
    EXPECT_EQ(c.inked(90, 70, 200, 90), 0);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

TEST_F(Text, SingleLinesCanBeCentredVertically) {
    HFONT f = font("Arial", -12);
    SelectObject(c.dc, f);
    TEXTMETRICA tm{};
    GetTextMetricsA(c.dc, &tm);
    RECT r{0, 0, 200, 100};
    int result = DrawTextA(c.dc, "Mid", -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    int top = (100 - tm.tmHeight) / 2;
    EXPECT_EQ(result, top + tm.tmHeight);
    EXPECT_EQ(c.inked(0, 0, 200, top), 0);
    EXPECT_EQ(c.inked(0, top + tm.tmHeight, 200, 100), 0);
    EXPECT_EQ(c.inked(0, 0, 80, 100), 0);  // centred horizontally too
    EXPECT_GT(c.inked(80, top, 120, top + tm.tmHeight), 0);
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

TEST_F(Text, AnsiTextUsesTheWindowsCodePage) {
    HFONT f = font("Arial", -14);
    SelectObject(c.dc, f);
    // 0x80 is the euro sign in code page 1252, 0xB1 the plus-minus sign.
    SIZE euro{}, plusMinus{}, question{};
    GetTextExtentPoint32A(c.dc, "\x80", 1, &euro);
    GetTextExtentPoint32A(c.dc, "\xB1", 1, &plusMinus);
    GetTextExtentPoint32A(c.dc, "?", 1, &question);
    EXPECT_GT(euro.cx, 0);
    EXPECT_GT(plusMinus.cx, 0);
    EXPECT_FALSE(GetTextExtentPoint32A(c.dc, "x", -2, &euro));
    SelectObject(c.dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

}  // namespace
