// The list view and header controls: columns, items, sub-items, images,
// selection, sorting and lookup by lParam; the WM_NOTIFY notifications that
// clicks, keys and selection changes made through Qt's input simulation
// produce; a list view made from a dialog template.
#include "uitest.h"

#include <commctrl.h>

#include <QAbstractItemView>
#include <QHeaderView>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace uitest;

namespace {

struct Note {
    UINT code = 0;
    HWND from = nullptr;
    int item = -2, sub = -2;
    UINT oldState = 0, newState = 0, changed = 0;
    POINT pt{};
    LPARAM lParam = 0;
    WORD vk = 0;
    std::string text;
};

std::vector<Note> notes;

// Runs the message loop for ms milliseconds (0: what is pending).
void pump(int ms) { pumpUntil([] { return false; }, ms); }
std::function<LRESULT(NMHDR *)> answer;

std::vector<HWND> contextMenus;  // the window each WM_CONTEXTMENU at the parent names

LRESULT CALLBACK parentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_CONTEXTMENU) {
        contextMenus.push_back(reinterpret_cast<HWND>(w));
        return 0;
    }
    if (m != WM_NOTIFY) return DefWindowProcA(h, m, w, l);
    auto *hdr = reinterpret_cast<NMHDR *>(l);
    Note n;
    n.code = hdr->code;
    n.from = hdr->hwndFrom;
    switch (hdr->code) {
    case NM_CLICK:
    case NM_DBLCLK:
    case NM_RCLICK:
    case LVN_ITEMACTIVATE: {
        auto *a = reinterpret_cast<NMITEMACTIVATE *>(hdr);
        n.item = a->iItem, n.sub = a->iSubItem, n.pt = a->ptAction, n.lParam = a->lParam;
        break;
    }
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED:
    case LVN_DELETEITEM:
    case LVN_INSERTITEM:
    case LVN_COLUMNCLICK: {
        auto *v = reinterpret_cast<NMLISTVIEW *>(hdr);
        n.item = v->iItem, n.sub = v->iSubItem, n.oldState = v->uOldState, n.newState = v->uNewState;
        n.changed = v->uChanged, n.lParam = v->lParam;
        break;
    }
    case LVN_KEYDOWN: n.vk = reinterpret_cast<NMLVKEYDOWN *>(hdr)->wVKey; break;
    case LVN_GETINFOTIPA: {
        auto *t = reinterpret_cast<NMLVGETINFOTIPA *>(hdr);
        n.item = t->iItem, n.lParam = t->lParam;
        break;
    }
    case LVN_ENDLABELEDITA: {
        auto *d = reinterpret_cast<NMLVDISPINFOA *>(hdr);
        n.item = d->item.iItem;
        n.text = d->item.pszText ? d->item.pszText : "(null)";
        break;
    }
    default: break;
    }
    notes.push_back(n);
    return answer ? answer(hdr) : 0;
}

const char *parentClass() {
    static bool done = false;
    if (!done) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = parentProc;
        wc.lpszClassName = "ListViewTestParent";
        RegisterClassA(&wc);
        done = true;
    }
    return "ListViewTestParent";
}

std::vector<Note> notesOf(UINT code) {
    std::vector<Note> out;
    for (const Note &n : notes)
        if (n.code == code) out.push_back(n);
    return out;
}

// A 16 x 16 image list whose image k is filled with colors[k].
HIMAGELIST solidImages(std::initializer_list<COLORREF> colors) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, static_cast<int>(colors.size()), 1);
    for (COLORREF c : colors) {
        std::vector<uint32_t> bits(16 * 16, 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
        HBITMAP b = CreateBitmap(16, 16, 1, 32, bits.data());
        ImageList_AddMasked(list, b, RGB(255, 0, 255));
        DeleteObject(b);
    }
    return list;
}

void addColumn(HWND lv, int i, const char *text, int width) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char *>(text);
    c.cx = width;
    c.iSubItem = i;
    ListView_InsertColumn(lv, i, &c);
}

int addItem(HWND lv, int at, const char *text, LPARAM param, int image = 0) {
    LVITEMA it{};
    it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    it.iItem = at;
    it.pszText = const_cast<char *>(text);
    it.lParam = param;
    it.iImage = image;
    return ListView_InsertItem(lv, &it);
}

void setSub(HWND lv, int i, int sub, const char *text) {
    LVITEMA it{};
    it.iSubItem = sub;
    it.pszText = const_cast<char *>(text);
    SendMessageA(lv, LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&it));
}

std::string itemText(HWND lv, int i, int sub = 0) {
    char buf[256] = "";
    ListView_GetItemText(lv, i, sub, buf, sizeof buf);
    return buf;
}

// The visible item view of a list view, and a client point in its viewport.
QAbstractItemView *viewOf(HWND lv) {
    for (QAbstractItemView *v : widgetOf(lv)->findChildren<QAbstractItemView *>())
        if (!qobject_cast<QHeaderView *>(v) && v->isVisible()) return v;
    return nullptr;
}

QPoint toViewport(HWND lv, POINT client) {
    QAbstractItemView *v = viewOf(lv);
    return QPoint(client.x, client.y) - v->viewport()->mapTo(widgetOf(lv), QPoint(0, 0));
}

QPoint itemPoint(HWND lv, int item, int sub = 0) {
    RECT r{};
    r.top = sub;
    r.left = sub ? LVIR_BOUNDS : LVIR_LABEL;
    EXPECT_TRUE(SendMessageA(lv, sub ? LVM_GETSUBITEMRECT : LVM_GETITEMRECT, static_cast<WPARAM>(item),
                             reinterpret_cast<LPARAM>(&r)));
    return toViewport(lv, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

class ListView : public ::testing::Test {
protected:
    void SetUp() override {
        notes.clear();
        answer = nullptr;
        parent = CreateWindowExA(0, parentClass(), "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 480, 360, nullptr,
                                 nullptr, nullptr, nullptr);
        lv = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 5,
                             5, 400, 300, parent, reinterpret_cast<HMENU>(10), nullptr, nullptr);
        ASSERT_NE(lv, nullptr);
    }
    void TearDown() override {
        answer = nullptr;
        if (IsWindow(parent)) DestroyWindow(parent);
        pump(0);
    }
    // Three columns and n items "item k" with lParam 100 + k and sub-items.
    void fill(int n) {
        addColumn(lv, 0, "Name", 120);
        addColumn(lv, 1, "Size", 80);
        addColumn(lv, 2, "Kind", 80);
        for (int k = 0; k < n; ++k) {
            std::string t = "item " + std::to_string(k);
            ASSERT_EQ(addItem(lv, k, t.c_str(), 100 + k), k);
            setSub(lv, k, 1, std::to_string(n - k).c_str());
            setSub(lv, k, 2, k % 2 ? "odd" : "even");
        }
        pump(0);
    }

    HWND parent = nullptr, lv = nullptr;
};

TEST_F(ListView, ColumnsItemsAndSubItemsReadBackAndFollowTheirColumns) {
    fill(5);
    EXPECT_EQ(ListView_GetItemCount(lv), 5);
    EXPECT_EQ(itemText(lv, 3), "item 3");
    EXPECT_EQ(itemText(lv, 3, 1), "2");
    EXPECT_EQ(itemText(lv, 3, 2), "odd");

    // Texts are cut to the caller's buffer; the result is the length copied.
    char small[4];
    LVITEMA get{};
    get.pszText = small;
    get.cchTextMax = sizeof small;
    EXPECT_EQ(SendMessageA(lv, LVM_GETITEMTEXTA, 3, reinterpret_cast<LPARAM>(&get)), 3);
    EXPECT_STREQ(small, "ite");

    LVITEMA it{};
    it.mask = LVIF_PARAM | LVIF_IMAGE;
    it.iItem = 4;
    ASSERT_TRUE(ListView_GetItem(lv, &it));
    EXPECT_EQ(it.lParam, 104);
    it.iItem = 5;
    EXPECT_FALSE(ListView_GetItem(lv, &it));

    LVCOLUMNA col{};
    char name[32];
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = name;
    col.cchTextMax = sizeof name;
    ASSERT_TRUE(ListView_GetColumn(lv, 1, &col));
    EXPECT_STREQ(name, "Size");
    EXPECT_EQ(col.cx, 80);

    // Deleting a column takes its sub-items along; the later ones move up.
    ASSERT_TRUE(ListView_DeleteColumn(lv, 1));
    EXPECT_EQ(itemText(lv, 3, 1), "odd");
    EXPECT_EQ(itemText(lv, 3), "item 3");
    // Inserting one in the middle gives every item an empty cell there.
    addColumn(lv, 1, "New", 40);
    EXPECT_EQ(itemText(lv, 3, 1), "");
    EXPECT_EQ(itemText(lv, 3, 2), "odd");

    // Auto-sizing fits the widest text, and with the header, the header too.
    setSub(lv, 0, 2, "a considerably longer cell text than the others");
    ASSERT_TRUE(ListView_SetColumnWidth(lv, 2, LVSCW_AUTOSIZE));
    int fitted = ListView_GetColumnWidth(lv, 2);
    EXPECT_GT(fitted, 150);
    ListView_SetColumnWidth(lv, 1, LVSCW_AUTOSIZE);
    int narrow = ListView_GetColumnWidth(lv, 1);
    ListView_SetColumnWidth(lv, 1, LVSCW_AUTOSIZE_USEHEADER);
    EXPECT_GT(ListView_GetColumnWidth(lv, 1), narrow);
}

TEST_F(ListView, ClicksAndDoubleClicksNotifyTheItemAndColumnUnderThePointer) {
    fill(6);
    SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    QWidget *vp = viewOf(lv)->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, itemPoint(lv, 2));
    auto clicks = notesOf(NM_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, 2);
    EXPECT_EQ(clicks[0].sub, 0);
    EXPECT_EQ(clicks[0].lParam, 102);
    EXPECT_EQ(clicks[0].from, lv);
    // ptAction is in client coordinates: hit-testing it finds the item again.
    LVHITTESTINFO ht{};
    ht.pt = clicks[0].pt;
    EXPECT_EQ(ListView_HitTest(lv, &ht), 2);
    EXPECT_TRUE(ht.flags & LVHT_ONITEM);
    // The click selected and focused the item before it was reported.
    EXPECT_EQ(ListView_GetItemState(lv, 2, LVIS_SELECTED | LVIS_FOCUSED), UINT(LVIS_SELECTED | LVIS_FOCUSED));

    notes.clear();
    QTest::mouseClick(vp, Qt::LeftButton, {}, itemPoint(lv, 4, 2));
    clicks = notesOf(NM_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, 4);
    EXPECT_EQ(clicks[0].sub, 2);

    notes.clear();
    QTest::mouseDClick(vp, Qt::LeftButton, {}, itemPoint(lv, 1, 1));
    auto dbl = notesOf(NM_DBLCLK);
    ASSERT_EQ(dbl.size(), 1u);
    EXPECT_EQ(dbl[0].item, 1);
    EXPECT_EQ(dbl[0].sub, 1);
    EXPECT_EQ(notesOf(LVN_ITEMACTIVATE).size(), 1u);

    notes.clear();
    contextMenus.clear();
    QTest::mouseClick(vp, Qt::RightButton, {}, itemPoint(lv, 3));
    auto right = notesOf(NM_RCLICK);
    ASSERT_EQ(right.size(), 1u);
    EXPECT_EQ(right[0].item, 3);
    // Then one context menu request, naming the list.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, itemPoint(lv, 3), vp->mapToGlobal(itemPoint(lv, 3)));
    QApplication::sendEvent(vp, &menu);
    EXPECT_EQ(contextMenus, std::vector<HWND>{lv});

    // Below the last item: no item, and the selection is cleared.
    notes.clear();
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(20, vp->height() - 5));
    clicks = notesOf(NM_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, -1);
    EXPECT_EQ(ListView_GetSelectedCount(lv), 0u);
}

TEST_F(ListView, ItemsAddedWithTheRedrawOffAreAllThereWhenItComesBack) {
    addColumn(lv, 0, "Name", 120);
    addColumn(lv, 1, "Size", 80);
    SendMessageA(lv, WM_SETREDRAW, FALSE, 0);
    for (int k = 0; k < 2000; ++k) {
        std::string t = "row " + std::to_string(k);
        ASSERT_EQ(addItem(lv, k, t.c_str(), 5000 + k), k);
        setSub(lv, k, 1, "sub");
    }
    EXPECT_EQ(ListView_GetItemCount(lv), 2000);
    // Messages that need the items in the views work while the redraw is off.
    LVFINDINFOA f{};
    f.flags = LVFI_PARAM;
    f.lParam = 6500;
    EXPECT_EQ(ListView_FindItem(lv, -1, &f), 1500);
    ListView_SetItemState(lv, 1500, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 1500);
    addItem(lv, 2000, "last", 7000);
    setSub(lv, 2000, 1, "changed while off");
    SendMessageA(lv, WM_SETREDRAW, TRUE, 0);
    pump(20);
    EXPECT_EQ(ListView_GetItemCount(lv), 2001);
    ASSERT_TRUE(ListView_EnsureVisible(lv, 2000, FALSE));
    pump(20);
    notes.clear();
    QTest::mouseClick(viewOf(lv)->viewport(), Qt::LeftButton, {}, itemPoint(lv, 2000));
    auto clicks = notesOf(NM_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, 2000);
    EXPECT_EQ(clicks[0].lParam, 7000);
    QImage shot = snapshot(lv);
    EXPECT_FALSE(shot.isNull());
    EXPECT_EQ(itemText(lv, 2000, 1), "changed while off");
}

TEST_F(ListView, SelectionChangesReportOldAndNewStatesAndCanBeRefused) {
    fill(5);
    QWidget *vp = viewOf(lv)->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, itemPoint(lv, 1));
    notes.clear();
    QTest::mouseClick(vp, Qt::LeftButton, {}, itemPoint(lv, 3));
    bool deselected1 = false, selected3 = false;
    for (const Note &n : notesOf(LVN_ITEMCHANGED)) {
        EXPECT_EQ(n.changed, UINT(LVIF_STATE));
        if (n.item == 1 && (n.oldState & LVIS_SELECTED) && !(n.newState & LVIS_SELECTED)) deselected1 = true;
        if (n.item == 3 && !(n.oldState & LVIS_SELECTED) && (n.newState & LVIS_SELECTED)) {
            selected3 = true;
            EXPECT_EQ(n.lParam, 103);
        }
    }
    EXPECT_TRUE(deselected1);
    EXPECT_TRUE(selected3);

    // Ctrl adds to the selection; messages see the same selection.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ControlModifier, itemPoint(lv, 4));
    EXPECT_EQ(ListView_GetSelectedCount(lv), 2u);
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 3);
    EXPECT_EQ(ListView_GetNextItem(lv, 3, LVNI_SELECTED), 4);
    EXPECT_EQ(ListView_GetNextItem(lv, 4, LVNI_SELECTED), -1);
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_FOCUSED), 4);

    // Deselect all (-1) reports each item that changes.
    notes.clear();
    ListView_SetItemState(lv, -1, 0, LVIS_SELECTED);
    EXPECT_EQ(ListView_GetSelectedCount(lv), 0u);
    EXPECT_EQ(notesOf(LVN_ITEMCHANGED).size(), 2u);

    // While LVN_ITEMCHANGING is answered, the item still reads as it was; a
    // TRUE answer keeps item 2 from being selected, by message or by click.
    bool sawOld = false;
    answer = [&](NMHDR *h) -> LRESULT {
        if (h->code != LVN_ITEMCHANGING) return 0;
        auto *v = reinterpret_cast<NMLISTVIEW *>(h);
        if (!(v->uNewState & LVIS_SELECTED) || (v->uOldState & LVIS_SELECTED)) return 0;
        sawOld |= !(ListView_GetItemState(lv, v->iItem, LVIS_SELECTED) & LVIS_SELECTED);
        return v->iItem == 2;
    };
    notes.clear();
    ListView_SetItemState(lv, 2, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(lv, 0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(sawOld);
    EXPECT_EQ(ListView_GetItemState(lv, 2, LVIS_SELECTED), 0u);
    EXPECT_EQ(ListView_GetItemState(lv, 0, LVIS_SELECTED), UINT(LVIS_SELECTED));
    for (const Note &n : notesOf(LVN_ITEMCHANGED)) EXPECT_NE(n.item, 2);
    QTest::mouseClick(vp, Qt::LeftButton, {}, itemPoint(lv, 2));
    EXPECT_EQ(ListView_GetItemState(lv, 2, LVIS_SELECTED), 0u);
    EXPECT_EQ(ListView_GetItemState(lv, 0, LVIS_SELECTED), 0u);
}

TEST_F(ListView, KeysAreReportedAndMoveTheSelection) {
    fill(4);
    QAbstractItemView *v = viewOf(lv);
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, itemPoint(lv, 0));
    notes.clear();
    QTest::keyClick(v, Qt::Key_Down);
    auto keys = notesOf(LVN_KEYDOWN);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].vk, VK_DOWN);
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 1);
    bool changed = false;
    for (const Note &n : notesOf(LVN_ITEMCHANGED)) changed |= n.item == 1 && (n.newState & LVIS_SELECTED);
    EXPECT_TRUE(changed);
    notes.clear();
    QTest::keyClick(v, Qt::Key_Delete);
    ASSERT_EQ(notesOf(LVN_KEYDOWN).size(), 1u);
    EXPECT_EQ(notesOf(LVN_KEYDOWN)[0].vk, VK_DELETE);
}

// The comparison reads the list it sorts, by lParam, as sorting code does.
struct SortContext {
    HWND list;
    int column;
    int sign;
};
int CALLBACK compareByText(LPARAM a, LPARAM b, LPARAM ctx) {
    auto *c = reinterpret_cast<SortContext *>(ctx);
    LVFINDINFOA f{};
    f.flags = LVFI_PARAM;
    f.lParam = a;
    int ia = ListView_FindItem(c->list, -1, &f);
    f.lParam = b;
    int ib = ListView_FindItem(c->list, -1, &f);
    EXPECT_GE(ia, 0);
    EXPECT_GE(ib, 0);
    std::string ta = itemText(c->list, ia, c->column), tb = itemText(c->list, ib, c->column);
    return c->sign * std::atoi(ta.c_str()) - c->sign * std::atoi(tb.c_str());
}

TEST_F(ListView, SortingByTheCallersComparisonKeepsLookupAndSelectionWithTheItems) {
    fill(50);
    ListView_SetItemState(lv, 10, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SortContext up{lv, 1, 1};
    ASSERT_TRUE(ListView_SortItems(lv, compareByText, reinterpret_cast<LPARAM>(&up)));
    // Size column held 50 - k: ascending puts item 49 first.
    EXPECT_EQ(itemText(lv, 0), "item 49");
    EXPECT_EQ(itemText(lv, 49), "item 0");
    LVFINDINFOA f{};
    f.flags = LVFI_PARAM;
    f.lParam = 110;
    int moved = ListView_FindItem(lv, -1, &f);
    EXPECT_EQ(moved, 39);
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 39);
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_FOCUSED), 39);
    // The search starts after the start index; LVFI_WRAP goes round.
    EXPECT_EQ(ListView_FindItem(lv, 39, &f), -1);
    f.flags |= LVFI_WRAP;
    EXPECT_EQ(ListView_FindItem(lv, 39, &f), 39);
    f.flags = LVFI_STRING;
    f.psz = "ITEM 7";
    EXPECT_EQ(ListView_FindItem(lv, -1, &f), 42);
    f.flags = LVFI_PARAM;
    f.lParam = 999;
    EXPECT_EQ(ListView_FindItem(lv, -1, &f), -1);

    SortContext down{lv, 1, -1};
    ASSERT_TRUE(ListView_SortItems(lv, compareByText, reinterpret_cast<LPARAM>(&down)));
    EXPECT_EQ(itemText(lv, 0), "item 0");
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 10);
}

int CALLBACK deletingCompare(LPARAM a, LPARAM b, LPARAM ctx) {
    // A comparison that tries to change the list while it is being sorted.
    EXPECT_FALSE(ListView_DeleteItem(reinterpret_cast<HWND>(ctx), 0));
    return static_cast<int>(a - b);
}

TEST_F(ListView, AComparisonCannotChangeTheListWhileItSorts) {
    fill(4);
    ASSERT_TRUE(ListView_SortItems(lv, deletingCompare, reinterpret_cast<LPARAM>(lv)));
    EXPECT_EQ(ListView_GetItemCount(lv), 4);
    EXPECT_EQ(itemText(lv, 0), "item 0");
}

TEST_F(ListView, DeletingSelectedItemsNotifiesAndKeepsTheRestSelected) {
    fill(6);
    ListView_SetItemState(lv, 1, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(lv, 4, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    notes.clear();
    ASSERT_TRUE(ListView_DeleteItem(lv, 1));
    auto deleted = notesOf(LVN_DELETEITEM);
    ASSERT_EQ(deleted.size(), 1u);
    EXPECT_EQ(deleted[0].item, 1);
    EXPECT_EQ(deleted[0].lParam, 101);
    EXPECT_TRUE(notesOf(LVN_ITEMCHANGED).empty());
    EXPECT_EQ(ListView_GetSelectedCount(lv), 1u);
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 3);
    EXPECT_EQ(itemText(lv, 3), "item 4");

    // Deleting the focused item leaves no item focused.
    ASSERT_TRUE(ListView_DeleteItem(lv, 3));
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_FOCUSED), -1);
    EXPECT_EQ(ListView_GetSelectedCount(lv), 0u);
    EXPECT_FALSE(ListView_DeleteItem(lv, 4));
    EXPECT_FALSE(ListView_DeleteItem(lv, -1));

    // Deleting every item: one notification per item unless the parent declines them.
    notes.clear();
    ListView_SetItemState(lv, 0, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_TRUE(ListView_DeleteAllItems(lv));
    EXPECT_EQ(notesOf(LVN_DELETEITEM).size(), 4u);
    EXPECT_EQ(ListView_GetItemCount(lv), 0);
    EXPECT_EQ(ListView_GetSelectedCount(lv), 0u);
    fill(0);
    for (int k = 0; k < 3; ++k) addItem(lv, k, "x", k);
    notes.clear();
    answer = [](NMHDR *h) -> LRESULT { return h->code == LVN_DELETEALLITEMS; };
    ASSERT_TRUE(ListView_DeleteAllItems(lv));
    EXPECT_TRUE(notesOf(LVN_DELETEITEM).empty());
}

TEST_F(ListView, ADeletionFromTheParentsNotificationLeavesAConsistentList) {
    fill(5);
    // The parent deletes the clicked item from NM_CLICK, and the window
    // from the double click.
    answer = [this](NMHDR *h) -> LRESULT {
        if (h->code == NM_CLICK) {
            auto *a = reinterpret_cast<NMITEMACTIVATE *>(h);
            if (a->iItem >= 0) ListView_DeleteItem(lv, a->iItem);
        }
        if (h->code == NM_DBLCLK) DestroyWindow(lv);
        return 0;
    };
    QWidget *vp = viewOf(lv)->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, {}, itemPoint(lv, 2));
    EXPECT_EQ(ListView_GetItemCount(lv), 4);
    EXPECT_EQ(itemText(lv, 2), "item 3");
    EXPECT_EQ(ListView_GetSelectedCount(lv), 0u);
    QTest::mouseDClick(vp, Qt::LeftButton, {}, itemPoint(lv, 1));
    EXPECT_FALSE(IsWindow(lv));
    pump(0);
}

TEST_F(ListView, ItemImagesAreDrawnAndHitTestedOnTheIcon) {
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    HIMAGELIST images = solidImages({RGB(255, 255, 255), red, blue});
    EXPECT_EQ(ListView_SetImageList(lv, images, LVSIL_SMALL), nullptr);
    EXPECT_EQ(ListView_GetImageList(lv, LVSIL_SMALL), images);
    addColumn(lv, 0, "Name", 150);
    addItem(lv, 0, "red", 1, 1);
    addItem(lv, 1, "blue", 2, 2);
    pump(50);

    RECT icon{};
    icon.left = LVIR_ICON;
    ASSERT_TRUE(SendMessageA(lv, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&icon)));
    EXPECT_GE(icon.right - icon.left, 16);
    QImage shot = snapshot(lv);
    ASSERT_FALSE(shot.isNull());
    QColor c = shot.pixelColor((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
    EXPECT_EQ(c, QColor(0, 0, 255));
    icon.left = LVIR_ICON;
    ASSERT_TRUE(SendMessageA(lv, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&icon)));
    EXPECT_EQ(shot.pixelColor((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2), QColor(255, 0, 0));

    LVHITTESTINFO ht{};
    ht.pt = POINT{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    EXPECT_EQ(ListView_HitTest(lv, &ht), 0);
    EXPECT_EQ(ht.flags, UINT(LVHT_ONITEMICON));
    ht.pt.x = icon.right + 20;
    EXPECT_EQ(ListView_HitTest(lv, &ht), 0);
    EXPECT_EQ(ht.flags, UINT(LVHT_ONITEMLABEL));

    // A changed image shows at once.
    LVITEMA it{};
    it.mask = LVIF_IMAGE;
    it.iItem = 0;
    it.iImage = 2;
    ASSERT_TRUE(ListView_SetItem(lv, &it));
    pump(50);
    shot = snapshot(lv);
    EXPECT_EQ(shot.pixelColor((icon.left + icon.right) / 2, ht.pt.y), QColor(0, 0, 255));
    DestroyWindow(parent);
    ImageList_Destroy(images);
}

TEST_F(ListView, HeaderClicksSortMarksAndImagesOnTheRight) {
    HIMAGELIST images = solidImages({RGB(255, 255, 255), RGB(0, 160, 0), RGB(160, 0, 0)});
    ListView_SetImageList(lv, images, LVSIL_SMALL);
    fill(3);
    HWND header = ListView_GetHeader(lv);
    ASSERT_TRUE(IsWindow(header));
    EXPECT_EQ(GetParent(header), lv);
    EXPECT_EQ(Header_GetItemCount(header), 3);
    EXPECT_EQ(Header_GetImageList(header), images);

    auto *hv = qobject_cast<QHeaderView *>(widgetOf(header));
    ASSERT_NE(hv, nullptr);
    RECT sec{};
    ASSERT_TRUE(Header_GetItemRect(header, 1, &sec));
    QTest::mouseClick(hv->viewport(), Qt::LeftButton, {}, QPoint((sec.left + sec.right) / 2, (sec.top + sec.bottom) / 2));
    auto cc = notesOf(LVN_COLUMNCLICK);
    ASSERT_EQ(cc.size(), 1u);
    EXPECT_EQ(cc[0].item, -1);
    EXPECT_EQ(cc[0].sub, 1);

    // Image 1 at the right of column 1, set through the header.
    HDITEMA hd{};
    hd.mask = HDI_FORMAT | HDI_IMAGE;
    ASSERT_TRUE(Header_GetItem(header, 1, &hd));
    hd.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    hd.iImage = 1;
    ASSERT_TRUE(Header_SetItem(header, 1, &hd));
    HDITEMA back{};
    back.mask = HDI_FORMAT | HDI_IMAGE;
    ASSERT_TRUE(Header_GetItem(header, 1, &back));
    EXPECT_EQ(back.iImage, 1);
    EXPECT_TRUE(back.fmt & HDF_BITMAP_ON_RIGHT);
    // The list view's own column record shows the same image.
    LVCOLUMNA col{};
    col.mask = LVCF_IMAGE | LVCF_FMT;
    ASSERT_TRUE(ListView_GetColumn(lv, 1, &col));
    EXPECT_EQ(col.iImage, 1);
    EXPECT_TRUE(col.fmt & LVCFMT_BITMAP_ON_RIGHT);

    pump(50);
    QImage shot = snapshot(lv);
    QPoint origin = hv->mapTo(widgetOf(lv), QPoint(0, 0));
    int mid = origin.y() + (sec.top + sec.bottom) / 2;
    auto greenIn = [&](int from, int to) {
        int n = 0;
        for (int x = origin.x() + from; x < origin.x() + to; ++x) n += shot.pixelColor(x, mid) == QColor(0, 160, 0);
        return n;
    };
    int half = (sec.left + sec.right) / 2;
    EXPECT_GE(greenIn(half, sec.right), 8);
    EXPECT_EQ(greenIn(sec.left, half), 0);
    EXPECT_EQ(greenIn(0, sec.left), 0);

    // The arrow moves to another column through the list view's column record.
    hd.fmt &= ~HDF_IMAGE;
    Header_SetItem(header, 1, &hd);
    col.mask = LVCF_IMAGE | LVCF_FMT;
    col.fmt = LVCFMT_LEFT | LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT;
    col.iImage = 1;
    ASSERT_TRUE(ListView_SetColumn(lv, 0, &col));
    pump(50);
    shot = snapshot(lv);
    EXPECT_EQ(greenIn(sec.left, sec.right), 0);
    RECT first{};
    Header_GetItemRect(header, 0, &first);
    EXPECT_GE(greenIn((first.left + first.right) / 2, first.right), 8);
    DestroyWindow(parent);
    ImageList_Destroy(images);
}

TEST_F(ListView, InfoTipsAskTheParentForTheText) {
    fill(3);
    SendMessageA(lv, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_INFOTIP, LVS_EX_INFOTIP);
    answer = [](NMHDR *h) -> LRESULT {
        if (h->code == LVN_GETINFOTIPA) {
            auto *t = reinterpret_cast<NMLVGETINFOTIPA *>(h);
            // Longer than the 1 KiB of older controls: the buffer holds it.
            std::string tip(2000, 'x');
            tip = "tip of " + std::to_string(t->lParam) + tip;
            lstrcpynA(t->pszText, tip.c_str(), t->cchTextMax);
        }
        return 0;
    };
    QAbstractItemView *v = viewOf(lv);
    QPoint p = itemPoint(lv, 1);
    QHelpEvent e(QEvent::ToolTip, p, v->viewport()->mapToGlobal(p));
    QApplication::sendEvent(v->viewport(), &e);
    auto tips = notesOf(LVN_GETINFOTIPA);
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].item, 1);
    EXPECT_TRUE(QToolTip::text().startsWith("tip of 101xxx"));
    EXPECT_GE(QToolTip::text().size(), 2000);
}

TEST_F(ListView, LabelsEditedInPlaceAreKeptOnlyWhenTheParentAgrees) {
    DestroyWindow(lv);
    lv = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_EDITLABELS, 5, 5, 400, 300,
                         parent, reinterpret_cast<HMENU>(11), nullptr, nullptr);
    fill(3);
    bool accept = false;
    answer = [&](NMHDR *h) -> LRESULT { return h->code == LVN_ENDLABELEDITA && accept; };
    for (bool agree : {false, true}) {
        accept = agree;
        SendMessageA(lv, LVM_EDITLABELA, 1, 0);
        auto *edit = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, "10.0.0.1");
        size_t before = notesOf(LVN_ENDLABELEDITA).size();
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_TRUE(pumpUntil([&] { return notesOf(LVN_ENDLABELEDITA).size() > before; }));
        pump(20);
        EXPECT_EQ(itemText(lv, 1), agree ? "10.0.0.1" : "item 1");
    }
    // Keys typed into the editor are not the list's own.
    EXPECT_TRUE(notesOf(LVN_KEYDOWN).empty());
    auto ends = notesOf(LVN_ENDLABELEDITA);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0].item, 1);
    EXPECT_EQ(ends[0].text, "10.0.0.1");
}

TEST_F(ListView, CheckBoxesToggleTheStateImageAndCallbackTextsComeFromTheParent) {
    fill(3);
    ListView_SetExtendedListViewStyleEx(lv, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    EXPECT_EQ(ListView_GetItemState(lv, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));
    pump(20);
    // The check box is where hit-testing says the state icon is.
    RECT row{};
    ListView_GetItemRect(lv, 1, &row, LVIR_BOUNDS);
    LVHITTESTINFO ht{};
    ht.pt.y = (row.top + row.bottom) / 2;
    for (ht.pt.x = row.left; ht.pt.x < row.left + 40; ++ht.pt.x)
        if (ListView_HitTest(lv, &ht) == 1 && ht.flags == LVHT_ONITEMSTATEICON) break;
    ASSERT_EQ(ht.flags, UINT(LVHT_ONITEMSTATEICON));
    notes.clear();
    QTest::mouseClick(viewOf(lv)->viewport(), Qt::LeftButton, {}, toViewport(lv, POINT{ht.pt.x + 2, ht.pt.y}));
    EXPECT_EQ(ListView_GetItemState(lv, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(2));
    bool reported = false;
    for (const Note &n : notesOf(LVN_ITEMCHANGED))
        reported |= n.item == 1 && (n.oldState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(1) &&
                    (n.newState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    EXPECT_TRUE(reported);
    // Unchecked again by message.
    ListView_SetItemState(lv, 1, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
    EXPECT_EQ(ListView_GetItemState(lv, 1, LVIS_STATEIMAGEMASK), INDEXTOSTATEIMAGEMASK(1));

    answer = [](NMHDR *h) -> LRESULT {
        if (h->code == LVN_GETDISPINFOA) {
            auto *d = reinterpret_cast<NMLVDISPINFOA *>(h);
            if (d->item.mask & LVIF_TEXT)
                snprintf(d->item.pszText, d->item.cchTextMax, "asked %d/%d", d->item.iItem, d->item.iSubItem);
        }
        return 0;
    };
    ListView_SetItemText(lv, 2, 1, LPSTR_TEXTCALLBACKA);
    EXPECT_EQ(itemText(lv, 2, 1), "asked 2/1");
    EXPECT_EQ(itemText(lv, 2, 0), "item 2");
}

TEST_F(ListView, IconViewsShowTheSameItemsAndSelection) {
    fill(8);
    ListView_SetItemState(lv, 5, LVIS_SELECTED, LVIS_SELECTED);
    SetWindowLongA(lv, GWL_STYLE, (GetWindowLongA(lv, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_LIST);
    pump(50);
    QAbstractItemView *v = viewOf(lv);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(qobject_cast<QHeaderView *>(v), nullptr);
    EXPECT_EQ(ListView_GetSelectedCount(lv), 1u);
    notes.clear();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, itemPoint(lv, 2));
    auto clicks = notesOf(NM_CLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].item, 2);
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 2);
    SetWindowLongA(lv, GWL_STYLE, (GetWindowLongA(lv, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_REPORT);
    EXPECT_EQ(ListView_GetNextItem(lv, -1, LVNI_SELECTED), 2);
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(lv)), 3);
}

// A dialog template naming the class by its string, as resource scripts do.
std::vector<uint8_t> listDialogTemplate() {
    std::vector<uint8_t> b;
    auto u16 = [&](WORD v) { b.push_back(static_cast<uint8_t>(v)), b.push_back(static_cast<uint8_t>(v >> 8)); };
    auto u32 = [&](DWORD v) { u16(static_cast<WORD>(v)), u16(static_cast<WORD>(v >> 16)); };
    auto str = [&](const char *s) {
        for (; *s; ++s) u16(static_cast<unsigned char>(*s));
        u16(0);
    };
    u32(WS_POPUP | WS_CAPTION | DS_SETFONT), u32(0), u16(1), u16(0), u16(0), u16(200), u16(120);
    u16(0), u16(0), str("Modules"), u16(8), str("MS Sans Serif");
    while (b.size() % 4) b.push_back(0);
    u32(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL), u32(0);
    u16(5), u16(5), u16(190), u16(110), u16(10), str(WC_LISTVIEWA), u16(0), u16(0);
    return b;
}

int dialogClicks = 0;
INT_PTR CALLBACK listDialogProc(HWND dlg, UINT m, WPARAM, LPARAM l) {
    if (m == WM_INITDIALOG) {
        HWND list = GetDlgItem(dlg, 10);
        addColumn(list, 0, "Module", 150);
        addColumn(list, 1, "Version", 100);
        addItem(list, 0, "keystone.dll", 1);
        setSub(list, 0, 1, "1.0.0.1");
        addItem(list, 1, "ext/galleon.dll", 2);
        setSub(list, 1, 1, "2.1.0.0");
        addItem(list, 2, "ext/portreeve.dll", 3);
        setSub(list, 2, 1, "1.4.2.0");
        addItem(list, 3, "ext/logbook.dll", 4);
        setSub(list, 3, 1, "1.0.0.7");
        ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
        SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        return TRUE;
    }
    if (m == WM_NOTIFY && reinterpret_cast<NMHDR *>(l)->code == NM_DBLCLK) {
        dialogClicks = 100 + reinterpret_cast<NMITEMACTIVATE *>(l)->iItem;
        return TRUE;
    }
    return FALSE;
}

TEST(ListViewDialog, ATemplateMakesAListViewThatReportsToTheDialog) {
    std::vector<uint8_t> t = listDialogTemplate();
    HWND dlg = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(t.data()), nullptr,
                                          listDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    HWND list = GetDlgItem(dlg, 10);
    char cls[64] = "";
    GetClassNameA(list, cls, sizeof cls);
    EXPECT_STREQ(cls, WC_LISTVIEWA);
    EXPECT_EQ(ListView_GetItemCount(list), 4);
    ShowWindow(dlg, SW_SHOW);
    pump(50);
    QTest::mouseDClick(viewOf(list)->viewport(), Qt::LeftButton, {}, itemPoint(list, 1));
    EXPECT_EQ(dialogClicks, 101);
    // The picture of the dialog for review, beside the dialog templates' ones.
    std::string dir = std::string(SUITE_BINARY_DIR) + "/screenshots/controls";
    std::filesystem::create_directories(dir);
    pump(50);
    EXPECT_TRUE(uiSnapshotWindow(dlg, (dir + "/listview-report.png").c_str()));
    DestroyWindow(dlg);
}

}  // namespace
