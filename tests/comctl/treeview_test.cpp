// Tree view: insertion order and parents, item fields, selection by mouse and
// keyboard with the notifications a parent gets, refusing a selection,
// expansion, info tips, hit-testing and deleting subtrees.
#include "ctltest.h"

#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace ctltest;

namespace {

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        top = makeParent(&parent);
        tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                                   TVS_SHOWSELALWAYS | TVS_INFOTIP | TVS_DISABLEDRAGDROP,
                               5, 5, 250, 250, top, reinterpret_cast<HMENU>(10), nullptr, nullptr);
        ASSERT_TRUE(tree);
        view = qobject_cast<QTreeWidget *>(widgetOf(tree));
        ASSERT_TRUE(view);
    }
    void TearDown() override {
        DestroyWindow(top);
        current() = nullptr;
    }

    HTREEITEM add(const char *text, HTREEITEM parentItem = TVI_ROOT, HTREEITEM after = TVI_LAST, LPARAM param = 0) {
        TVINSERTSTRUCTA ins{};
        ins.hParent = parentItem;
        ins.hInsertAfter = after;
        ins.item.mask = TVIF_TEXT | TVIF_PARAM;
        ins.item.pszText = const_cast<LPSTR>(text);
        ins.item.lParam = param;
        return TreeView_InsertItem(tree, &ins);
    }
    std::string textOf(HTREEITEM h) {
        char buf[64] = "";
        TVITEMA it{};
        it.mask = TVIF_TEXT;
        it.hItem = h;
        it.pszText = buf;
        it.cchTextMax = sizeof buf;
        return TreeView_GetItem(tree, &it) ? buf : "<none>";
    }
    std::vector<std::string> children(HTREEITEM p) {
        std::vector<std::string> out;
        for (HTREEITEM h = TreeView_GetChild(tree, p); h; h = TreeView_GetNextSibling(tree, h)) out.push_back(textOf(h));
        return out;
    }
    QPoint centreOf(HTREEITEM h) {
        RECT rc;
        EXPECT_TRUE(TreeView_GetItemRect(tree, h, &rc, TRUE));
        return view->viewport()->mapFrom(view, QPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
    }

    Parent parent;
    HWND top = nullptr, tree = nullptr;
    QTreeWidget *view = nullptr;
};

TEST_F(TreeViewTest, InsertsFirstLastSortedAfterAndUnderParents) {
    HTREEITEM b = add("Bravo");
    add("Delta");
    add("Alpha", TVI_ROOT, TVI_FIRST);
    add("charlie", TVI_ROOT, TVI_SORT);  // sorts without case between Bravo and Delta
    add("Bravo2", TVI_ROOT, b);
    EXPECT_EQ(children(TVI_ROOT), (std::vector<std::string>{"Alpha", "Bravo", "Bravo2", "charlie", "Delta"}));

    HTREEITEM cat = add("Category", TVI_ROOT, TVI_LAST, 77);
    HTREEITEM z = add("Zed", cat, TVI_SORT);
    add("Ant", cat, TVI_SORT);
    add("Mid", cat, TVI_SORT);
    EXPECT_EQ(children(cat), (std::vector<std::string>{"Ant", "Mid", "Zed"}));
    EXPECT_EQ(TreeView_GetParent(tree, z), cat);
    EXPECT_EQ(TreeView_GetParent(tree, cat), nullptr);
    EXPECT_EQ(textOf(TreeView_GetRoot(tree)), "Alpha");
    EXPECT_EQ(TreeView_GetPrevSibling(tree, b), TreeView_GetRoot(tree));
    EXPECT_EQ(TreeView_GetCount(tree), 9u);

    // An item of another parent as the place to insert after puts it last.
    add("Last", cat, b);
    EXPECT_EQ(children(cat).back(), "Last");
    // A parent that is not an item of this tree is refused.
    EXPECT_EQ(add("Orphan", reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(0x7777000))), nullptr);

    TVITEMA it{};
    it.mask = TVIF_PARAM | TVIF_CHILDREN | TVIF_STATE;
    it.hItem = cat;
    ASSERT_TRUE(TreeView_GetItem(tree, &it));
    EXPECT_EQ(it.lParam, 77);
    EXPECT_EQ(it.cChildren, 1);
    EXPECT_FALSE(it.state & TVIS_EXPANDED);

    // Text, image and bold state change in place; a long text is cut to the buffer.
    it = TVITEMA{};
    it.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    it.hItem = z;
    it.pszText = const_cast<LPSTR>("Zulu is a long name");
    it.iImage = 2, it.iSelectedImage = 1;
    it.state = TVIS_BOLD, it.stateMask = TVIS_BOLD;
    ASSERT_TRUE(TreeView_SetItem(tree, &it));
    char small[5];
    TVITEMA back{};
    back.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    back.hItem = z, back.pszText = small, back.cchTextMax = sizeof small, back.stateMask = TVIS_BOLD;
    ASSERT_TRUE(TreeView_GetItem(tree, &back));
    EXPECT_STREQ(small, "Zulu");
    EXPECT_EQ(back.iImage, 2);
    EXPECT_EQ(back.iSelectedImage, 1);
    EXPECT_EQ(back.state, static_cast<UINT>(TVIS_BOLD));
}

TEST_F(TreeViewTest, MouseAndKeyboardSelectionTellTheParentWithOldAndNewItems) {
    HTREEITEM a = add("Alpha", TVI_ROOT, TVI_LAST, 1);
    HTREEITEM b = add("Bravo", TVI_ROOT, TVI_LAST, 2);
    add("Charlie", TVI_ROOT, TVI_LAST, 3);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(b));
    EXPECT_EQ(TreeView_GetSelection(tree), b);
    std::vector<UINT> expected{NM_CLICK, TVN_SELCHANGINGA, TVN_SELCHANGEDA};
    EXPECT_EQ(parent.codes(), expected);
    const Note *changed = parent.last(TVN_SELCHANGEDA);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->from, tree);
    EXPECT_EQ(changed->id, 10u);
    EXPECT_EQ(changed->tree.action, static_cast<UINT>(TVC_BYMOUSE));
    EXPECT_EQ(changed->tree.itemOld.hItem, nullptr);
    EXPECT_EQ(changed->tree.itemNew.hItem, b);
    EXPECT_EQ(changed->tree.itemNew.lParam, 2);

    parent.notes.clear();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(TreeView_GetSelection(tree), a);
    expected = {TVN_KEYDOWN, TVN_SELCHANGINGA, TVN_SELCHANGEDA};
    EXPECT_EQ(parent.codes(), expected);
    changed = parent.last(TVN_SELCHANGEDA);
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->tree.action, static_cast<UINT>(TVC_BYKEYBOARD));
    EXPECT_EQ(changed->tree.itemOld.hItem, b);
    EXPECT_EQ(changed->tree.itemOld.lParam, 2);
    EXPECT_EQ(changed->tree.itemNew.hItem, a);
    EXPECT_EQ(changed->tree.itemNew.lParam, 1);

    // A selection by message is reported with an unknown cause; selecting the
    // selected item again tells nobody.
    parent.notes.clear();
    EXPECT_TRUE(TreeView_SelectItem(tree, b));
    EXPECT_EQ(parent.last(TVN_SELCHANGEDA)->tree.action, static_cast<UINT>(TVC_UNKNOWN));
    parent.notes.clear();
    EXPECT_TRUE(TreeView_SelectItem(tree, b));
    EXPECT_TRUE(parent.notes.empty());
    ASSERT_TRUE(view->currentItem());
    EXPECT_EQ(view->currentItem()->text(0), "Bravo");
    EXPECT_EQ(view->selectedItems().size(), 1);
}

TEST_F(TreeViewTest, ParentCanRefuseASelectionChange) {
    HTREEITEM a = add("Alpha");
    HTREEITEM b = add("Bravo");
    ASSERT_TRUE(TreeView_SelectItem(tree, a));
    parent.notes.clear();
    parent.answer = [](NMHDR *h) -> LRESULT { return h->code == TVN_SELCHANGINGA; };

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(b));
    EXPECT_EQ(TreeView_GetSelection(tree), a);
    EXPECT_EQ(parent.count(TVN_SELCHANGINGA), 1);
    EXPECT_EQ(parent.count(TVN_SELCHANGEDA), 0);
    EXPECT_EQ(view->selectedItems().size(), 1);
    EXPECT_EQ(view->selectedItems().front()->text(0), "Alpha");

    view->setFocus();
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(TreeView_GetSelection(tree), a);
    EXPECT_FALSE(TreeView_SelectItem(tree, b));
    EXPECT_EQ(TreeView_GetSelection(tree), a);
    EXPECT_EQ(parent.count(TVN_SELCHANGEDA), 0);

    // A parent that deletes the target while asked gets no change either.
    HTREEITEM victim = add("Victim");
    HWND t = tree;
    parent.answer = [t, victim](NMHDR *h) -> LRESULT {
        if (h->code == TVN_SELCHANGINGA) TreeView_DeleteItem(t, victim);
        return 0;
    };
    EXPECT_FALSE(TreeView_SelectItem(tree, victim));
    EXPECT_EQ(TreeView_GetSelection(tree), a);
}

TEST_F(TreeViewTest, ExpansionByMessageAndByTheUser) {
    HTREEITEM cat = add("Category");
    HTREEITEM child = add("Child", cat);
    HTREEITEM leaf = add("Leaf");
    EXPECT_FALSE(TreeView_Expand(tree, leaf, TVE_EXPAND));  // nothing to expand
    RECT rc;
    EXPECT_FALSE(TreeView_GetItemRect(tree, child, &rc, TRUE));  // hidden under its parent

    EXPECT_TRUE(TreeView_Expand(tree, cat, TVE_EXPAND));
    EXPECT_EQ(parent.codes(), (std::vector<UINT>{TVN_ITEMEXPANDINGA, TVN_ITEMEXPANDEDA}));
    EXPECT_EQ(parent.last(TVN_ITEMEXPANDEDA)->tree.action, static_cast<UINT>(TVE_EXPAND));
    EXPECT_EQ(parent.last(TVN_ITEMEXPANDEDA)->tree.itemNew.hItem, cat);
    EXPECT_TRUE(TreeView_GetItemRect(tree, child, &rc, TRUE));
    TVITEMA it{};
    it.mask = TVIF_STATE, it.hItem = cat, it.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    TreeView_GetItem(tree, &it);
    EXPECT_EQ(it.state, static_cast<UINT>(TVIS_EXPANDED | TVIS_EXPANDEDONCE));
    // Once expanded, messages change it quietly.
    parent.notes.clear();
    EXPECT_TRUE(TreeView_Expand(tree, cat, TVE_TOGGLE));
    EXPECT_TRUE(parent.notes.empty());
    EXPECT_EQ(TreeView_GetNextItem(tree, cat, TVGN_NEXTVISIBLE), leaf);

    // The user's double click asks the parent, which may refuse. (Qt's test
    // library sends a double click without the press and release before it.)
    auto doubleClick = [this](HTREEITEM h) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(h));
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(h));
    };
    parent.answer = [](NMHDR *h) -> LRESULT { return h->code == TVN_ITEMEXPANDINGA; };
    doubleClick(cat);
    EXPECT_EQ(parent.count(NM_DBLCLK), 1);
    EXPECT_EQ(parent.count(TVN_ITEMEXPANDINGA), 1);
    EXPECT_EQ(parent.count(TVN_ITEMEXPANDEDA), 0);
    EXPECT_FALSE(view->topLevelItem(0)->isExpanded());
    parent.answer = nullptr;
    parent.notes.clear();
    doubleClick(cat);
    EXPECT_EQ(parent.count(TVN_ITEMEXPANDEDA), 1);
    EXPECT_TRUE(view->topLevelItem(0)->isExpanded());
    EXPECT_EQ(TreeView_GetNextItem(tree, cat, TVGN_NEXTVISIBLE), child);
    EXPECT_EQ(TreeView_GetNextItem(tree, nullptr, TVGN_LASTVISIBLE), leaf);
}

TEST_F(TreeViewTest, InfoTipComesFromTheParent) {
    HTREEITEM a = add("Alpha", TVI_ROOT, TVI_LAST, 5);
    HTREEITEM b = add("Bravo", TVI_ROOT, TVI_LAST, 6);
    static const char kTip[] = "Tip of Bravo";
    parent.answer = [b](NMHDR *h) -> LRESULT {
        if (h->code != TVN_GETINFOTIPA) return 0;
        auto *tip = reinterpret_cast<NMTVGETINFOTIPA *>(h);
        if (tip->hItem == b && tip->lParam == 6) lstrcpynA(tip->pszText, kTip, tip->cchTextMax);
        return 0;
    };
    auto hover = [this](HTREEITEM h) {
        QPoint p = centreOf(h);
        QHelpEvent e(QEvent::ToolTip, p, view->viewport()->mapToGlobal(p));
        QApplication::sendEvent(view->viewport(), &e);
    };
    hover(b);
    EXPECT_EQ(parent.count(TVN_GETINFOTIPA), 1);
    EXPECT_EQ(QToolTip::text(), kTip);
    // An item the parent gives no tip has none.
    hover(a);
    EXPECT_EQ(parent.count(TVN_GETINFOTIPA), 2);
    for (int i = 0; i < 200 && QToolTip::isVisible(); ++i) QTest::qWait(10);  // tips fade out
    EXPECT_FALSE(QToolTip::isVisible());
    // Without TVS_INFOTIP the parent is not asked.
    SetWindowLongA(tree, GWL_STYLE, GetWindowLongA(tree, GWL_STYLE) & ~TVS_INFOTIP);
    hover(b);
    EXPECT_EQ(parent.count(TVN_GETINFOTIPA), 2);
}

TEST_F(TreeViewTest, DeletingASubtreeTellsOfEveryItemAndMovesTheSelection) {
    HTREEITEM cat = add("Category", TVI_ROOT, TVI_LAST, 1);
    HTREEITEM c1 = add("One", cat, TVI_LAST, 2);
    HTREEITEM g = add("Grandchild", c1, TVI_LAST, 3);
    HTREEITEM c2 = add("Two", cat, TVI_LAST, 4);
    HTREEITEM next = add("Next", TVI_ROOT, TVI_LAST, 5);
    ASSERT_TRUE(TreeView_SelectItem(tree, g));
    parent.notes.clear();

    EXPECT_TRUE(TreeView_DeleteItem(tree, cat));
    EXPECT_EQ(TreeView_GetCount(tree), 1u);
    EXPECT_EQ(TreeView_GetSelection(tree), next);
    const Note *sel = parent.last(TVN_SELCHANGEDA);
    ASSERT_TRUE(sel);
    EXPECT_EQ(sel->tree.itemOld.hItem, g);
    EXPECT_EQ(sel->tree.itemNew.hItem, next);
    std::vector<HTREEITEM> deleted;
    std::vector<LPARAM> params;
    for (const Note &n : parent.notes)
        if (n.code == TVN_DELETEITEMA) deleted.push_back(n.tree.itemOld.hItem), params.push_back(n.tree.itemOld.lParam);
    EXPECT_EQ(deleted, (std::vector<HTREEITEM>{cat, c1, g, c2}));
    EXPECT_EQ(params, (std::vector<LPARAM>{1, 2, 3, 4}));

    // Handles of deleted items name nothing, even after new items are made.
    add("New");
    TVITEMA it{};
    it.mask = TVIF_PARAM, it.hItem = c1;
    EXPECT_FALSE(TreeView_GetItem(tree, &it));
    EXPECT_FALSE(TreeView_DeleteItem(tree, c2));
    EXPECT_FALSE(TreeView_SelectItem(tree, g));

    parent.notes.clear();
    EXPECT_TRUE(TreeView_DeleteAllItems(tree));
    EXPECT_EQ(TreeView_GetCount(tree), 0u);
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    EXPECT_EQ(parent.count(TVN_DELETEITEMA), 2);
    EXPECT_EQ(TreeView_GetRoot(tree), nullptr);
}

TEST_F(TreeViewTest, HitTestAndItemRectsAgree) {
    HTREEITEM cat = add("Category");
    HTREEITEM child = add("Child", cat);
    TreeView_Expand(tree, cat, TVE_EXPAND);
    RECT text, row;
    ASSERT_TRUE(TreeView_GetItemRect(tree, child, &text, TRUE));
    ASSERT_TRUE(TreeView_GetItemRect(tree, child, &row, FALSE));
    EXPECT_LE(row.left, text.left);
    EXPECT_GE(row.right, text.right);
    EXPECT_EQ(row.top, text.top);

    TVHITTESTINFO hit{};
    hit.pt = POINT{text.left + 2, (text.top + text.bottom) / 2};
    EXPECT_EQ(TreeView_HitTest(tree, &hit), child);
    EXPECT_TRUE(hit.flags & TVHT_ONITEMLABEL);
    hit.pt = POINT{text.right + 20, (text.top + text.bottom) / 2};
    EXPECT_EQ(TreeView_HitTest(tree, &hit), child);
    EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_ONITEMRIGHT));
    hit.pt = POINT{text.left, 200};
    EXPECT_EQ(TreeView_HitTest(tree, &hit), nullptr);
    EXPECT_EQ(hit.flags, static_cast<UINT>(TVHT_NOWHERE));
    hit.pt = POINT{text.left, -5};
    EXPECT_EQ(TreeView_HitTest(tree, &hit), nullptr);
    EXPECT_TRUE(hit.flags & TVHT_ABOVE);

    // A click's position from the message queue, hit-tested as a parent does
    // on NM_CLICK, names the clicked item.
    HTREEITEM clicked = nullptr;
    HWND t = tree;
    parent.answer = [&clicked, t](NMHDR *h) -> LRESULT {
        if (h->code != NM_CLICK) return 0;
        QPoint p = QCursor::pos();
        TVHITTESTINFO ht{};
        ht.pt = POINT{p.x(), p.y()};
        ScreenToClient(t, &ht.pt);
        clicked = TreeView_HitTest(t, &ht);
        return 0;
    };
    QPoint inView = view->viewport()->mapFrom(view, QPoint(text.left + 3, text.top + 3));
    QCursor::setPos(view->viewport()->mapToGlobal(inView));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, inView);
    EXPECT_EQ(clicked, child);
}

}  // namespace
