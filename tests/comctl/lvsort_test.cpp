// List sorting by column: the comparison kinds on texts, and whole lists
// sorted by header clicks through Qt's input simulation, with the arrow
// images moving between columns.
#include "uitest.h"

#include "lvsort.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

using namespace uitest;

namespace {

TEST(LvSortKinds, EachKindComparesItsTextsAsDocumented) {
    // Integers: by value; texts that are not numbers count as 0.
    EXPECT_GT(lvsortCompareTexts("10", "9", LVSORT_INTEGER), 0);
    EXPECT_EQ(lvsortCompareTexts("abc", "0", LVSORT_INTEGER), 0);
    EXPECT_LT(lvsortCompareTexts("-5", "abc", LVSORT_INTEGER), 0);
    // Beyond the int range the value is held at the bound instead of wrapping.
    EXPECT_GT(lvsortCompareTexts("99999999999999999999", "2147483646", LVSORT_INTEGER), 0);
    EXPECT_LT(lvsortCompareTexts("-99999999999999999999", "-2147483647", LVSORT_INTEGER), 0);

    // Date and time: numbers in text order (day first), not calendar order.
    EXPECT_LT(lvsortCompareTexts("06/12/2026 09:05:03.07", "07/11/2026 08:00:00.00", LVSORT_DATETIME), 0);
    EXPECT_GT(lvsortCompareTexts("06/12/2026 09:05:04", "06/12/2026 09:05:03", LVSORT_DATETIME), 0);
    EXPECT_EQ(lvsortCompareTexts("2026-12-06 09:05", "2026/12/06 09:05:00", LVSORT_DATETIME), 0);
    EXPECT_EQ(lvsortCompareTexts("", "", LVSORT_DATETIME), 0);

    // Text: without regard to case.
    EXPECT_EQ(lvsortCompareTexts("Holiday", "hOLIDAY", LVSORT_TEXT), 0);
    EXPECT_LT(lvsortCompareTexts("apple", "Banana", LVSORT_TEXT), 0);

    // Reals, with one leading plus-minus sign skipped.
    EXPECT_EQ(lvsortCompareTexts("\xb1" "2.5", "2.5", LVSORT_REAL), 0);
    EXPECT_LT(lvsortCompareTexts("2.25", "\xb1" "2.5", LVSORT_REAL), 0);

    // IPv4 addresses as numbers.
    EXPECT_GT(lvsortCompareTexts("10.0.0.2", "9.255.255.255", LVSORT_IPV4), 0);
    EXPECT_LT(lvsortCompareTexts("192.168.0.9", "192.168.0.10", LVSORT_IPV4), 0);

    EXPECT_EQ(lvsortCompareTexts("a", "b", 7), 0);
    EXPECT_EQ(lvsortCompare(1, 2, 0), 0);
}

LRESULT CALLBACK sortParentProc(HWND h, UINT m, WPARAM w, LPARAM l);

struct Sortable {
    HWND parent = nullptr, list = nullptr;
    LvSortContext context{};
    int kindOf[2] = {LVSORT_DATETIME, LVSORT_TEXT};
    HIMAGELIST images = nullptr;
};
Sortable *current = nullptr;

LRESULT CALLBACK sortParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_NOTIFY && current && reinterpret_cast<NMHDR *>(l)->code == LVN_COLUMNCLICK) {
        int column = reinterpret_cast<NMLISTVIEW *>(l)->iSubItem;
        lvsortColumnClick(&current->context, column, current->kindOf[column], 1);
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

HBITMAP solid(COLORREF c) {
    std::vector<uint32_t> bits(16 * 16, 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
    return CreateBitmap(16, 16, 1, 32, bits.data());
}

class LvSortList : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc{};
        wc.lpfnWndProc = sortParentProc;
        wc.lpszClassName = "LvSortParent";
        RegisterClassA(&wc);
        s.parent = CreateWindowExA(0, "LvSortParent", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 420, 300, nullptr,
                                   nullptr, nullptr, nullptr);
        s.list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 400, 280, s.parent,
                                 reinterpret_cast<HMENU>(10), nullptr, nullptr);
        lvsortInitContext(&s.context, s.list);
        // Blank, up (green) and down (red) arrows first, as every sortable list has.
        s.images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 1);
        for (COLORREF c : {RGB(255, 0, 255), RGB(0, 160, 0), RGB(200, 0, 0)}) {
            HBITMAP b = solid(c);
            ImageList_AddMasked(s.images, b, RGB(255, 0, 255));
            DeleteObject(b);
        }
        ListView_SetImageList(s.list, s.images, LVSIL_SMALL);
        const char *names[2] = {"Date", "Message"};
        for (int c = 0; c < 2; ++c) {
            LVCOLUMNA col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.pszText = const_cast<char *>(names[c]);
            col.cx = 180;
            ListView_InsertColumn(s.list, c, &col);
        }
        const char *rows[][2] = {{"07/11/2026 08:00:00", "beta"},
                                 {"06/12/2026 09:05:03", "Alpha"},
                                 {"06/12/2026 09:05:10", "gamma"},
                                 {"01/01/2027 00:00:00", "delta"}};
        for (int i = 0; i < 4; ++i) {
            LVITEMA it{};
            it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
            it.iItem = i;
            it.iImage = 0;
            it.lParam = 1000 + i;
            it.pszText = const_cast<char *>(rows[i][0]);
            ListView_InsertItem(s.list, &it);
            ListView_SetItemText(s.list, i, 1, const_cast<char *>(rows[i][1]));
        }
        current = &s;
        pumpUntil([] { return false; }, 20);
    }
    void TearDown() override {
        current = nullptr;
        DestroyWindow(s.parent);
        ImageList_Destroy(s.images);
    }
    std::string column(int c) {
        std::string out;
        for (int i = 0; i < ListView_GetItemCount(s.list); ++i) {
            char buf[64];
            ListView_GetItemText(s.list, i, c, buf, sizeof buf);
            out += std::string(out.empty() ? "" : ",") + buf;
        }
        return out;
    }
    int arrowOf(int c) {
        LVCOLUMNA col{};
        col.mask = LVCF_IMAGE | LVCF_FMT;
        ListView_GetColumn(s.list, c, &col);
        return (col.fmt & LVCFMT_IMAGE) ? col.iImage : -1;
    }
    void clickHeader(int c) {
        HWND header = ListView_GetHeader(s.list);
        auto *hv = qobject_cast<QHeaderView *>(widgetOf(header));
        ASSERT_NE(hv, nullptr);
        RECT r{};
        Header_GetItemRect(header, c, &r);
        QTest::mouseClick(hv->viewport(), Qt::LeftButton, {}, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    Sortable s;
};

TEST_F(LvSortList, HeaderClicksSortByTheColumnReverseOnTheSecondClickAndMoveTheArrow) {
    clickHeader(1);
    EXPECT_EQ(column(1), "Alpha,beta,delta,gamma");
    EXPECT_EQ(s.context.order, LVSORT_ASCENDING);
    EXPECT_EQ(arrowOf(1), LVSORT_IMAGE_UP);

    clickHeader(1);
    EXPECT_EQ(column(1), "gamma,delta,beta,Alpha");
    EXPECT_EQ(s.context.order, LVSORT_DESCENDING);
    EXPECT_EQ(arrowOf(1), LVSORT_IMAGE_DOWN);

    // Another column: ascending again, the old column's arrow cleared.
    clickHeader(0);
    EXPECT_EQ(column(0), "01/01/2027 00:00:00,06/12/2026 09:05:03,06/12/2026 09:05:10,07/11/2026 08:00:00");
    EXPECT_EQ(arrowOf(1), LVSORT_IMAGE_NONE);
    EXPECT_EQ(arrowOf(0), LVSORT_IMAGE_UP);
    EXPECT_EQ(s.context.column, 0);
    EXPECT_EQ(s.context.kind, LVSORT_DATETIME);

    // The items keep their data and sub-items through the sorts.
    LVFINDINFOA f{};
    f.flags = LVFI_PARAM;
    f.lParam = 1001;
    int i = ListView_FindItem(s.list, -1, &f);
    char buf[64];
    ListView_GetItemText(s.list, i, 1, buf, sizeof buf);
    EXPECT_STREQ(buf, "Alpha");

    // The arrow is drawn at the right of the sorted column's header.
    pumpUntil([] { return false; }, 50);
    QImage shot = snapshot(s.list);
    HWND header = ListView_GetHeader(s.list);
    QPoint origin = widgetOf(header)->mapTo(widgetOf(s.list), QPoint(0, 0));
    RECT r{};
    Header_GetItemRect(header, 0, &r);
    int green = 0, red = 0;
    for (int x = r.left; x < r.right; ++x) {
        QColor c = shot.pixelColor(origin.x() + x, origin.y() + (r.top + r.bottom) / 2);
        green += c == QColor(0, 160, 0) && x > (r.left + r.right) / 2;
        red += c == QColor(200, 0, 0);
    }
    EXPECT_GE(green, 8);
    EXPECT_EQ(red, 0);
}

TEST_F(LvSortList, ABadContextOrColumnIsRefused) {
    EXPECT_EQ(lvsortColumnClick(nullptr, 0, LVSORT_TEXT, 0), -2);
    EXPECT_EQ(lvsortColumnClick(&s.context, -1, LVSORT_TEXT, 0), -2);
    LvSortContext gone{};
    lvsortInitContext(&gone, nullptr);
    EXPECT_EQ(lvsortColumnClick(&gone, 0, LVSORT_TEXT, 0), -2);
    // Items whose data is not in the list compare as empty texts.
    s.context.column = 1;
    s.context.kind = LVSORT_TEXT;
    s.context.order = LVSORT_ASCENDING;
    EXPECT_LT(lvsortCompare(5555, 1000, reinterpret_cast<LPARAM>(&s.context)), 0);
}

}  // namespace
