// Tree view items, selection, expansion and the notifications that real
// input causes (mouse, keys, tooltips).
#include "comctl/treeview_widget.h"

#include "comctl/ctlnotify.h"
#include "gdi/dc.h"
#include "user/controls.h"
#include "user/input.h"
#include "user/window.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QToolTip>

#include <atomic>
#include <vector>

namespace platform::ui {
namespace {

// Item handles are unique in the process, so a handle of a deleted item or of
// another tree is never mistaken for a live one.
std::atomic<uintptr_t> nextHandle{0x1000};

// The selection follows the current item: the view's own selection requests
// are ignored, and a change of the current item goes through the tree, which
// asks the parent first.
class TreeSelectionModel : public QItemSelectionModel {
public:
    TreeSelectionModel(TreeView *tree) : QItemSelectionModel(tree->model(), tree), tree_(tree) {}

    void setCurrentIndex(const QModelIndex &index, QItemSelectionModel::SelectionFlags command) override {
        if (tree_->applying) return QItemSelectionModel::setCurrentIndex(index, command);
        TreeItem *to = tree_->itemOf(index);
        if (to == tree_->selected()) return;
        tree_->changeSelection(to, tree_->cause, true);
    }
    void select(const QModelIndex &index, QItemSelectionModel::SelectionFlags command) override {
        if (tree_->applying) QItemSelectionModel::select(index, command);
    }
    void select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) override {
        if (tree_->applying) QItemSelectionModel::select(selection, command);
    }

private:
    TreeView *tree_;
};

// Sets cause for the duration of one input event.
struct CauseScope {
    CauseScope(TreeView *t, UINT c) : tree(t), saved(t->cause) { t->cause = c; }
    ~CauseScope() { tree->cause = saved; }
    TreeView *tree;
    UINT saved;
};

}  // namespace

QVariant TreeItem::data(int column, int role) const {
    if (column != 0) return QTreeWidgetItem::data(column, role);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return fromAnsi(label);
    case Qt::DecorationRole: {
        auto *tree = static_cast<TreeView *>(treeWidget());
        if (!tree) return {};
        QIcon icon = tree->iconFor(image, selectedImage);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::FontRole:
        if (state & TVIS_BOLD) {
            QFont f = treeWidget() ? treeWidget()->font() : QFont();
            f.setBold(true);
            return f;
        }
        return {};
    default: return QTreeWidgetItem::data(column, role);
    }
}

TreeView::TreeView(HWND hwnd, DWORD style, QWidget *parent) : QTreeWidget(parent), hwnd_(hwnd) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    // Without TVS_LINESATROOT top-level items have no expand buttons.
    setRootIsDecorated((style & TVS_LINESATROOT) && (style & TVS_HASBUTTONS));
    setExpandsOnDoubleClick(true);
    setSelectionModel(new TreeSelectionModel(this));
    if (!(style & TVS_SHOWSELALWAYS)) {
        // The selection is shown only while the tree has the focus.
        QPalette p = palette();
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Inactive, QPalette::Base));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Inactive, QPalette::Text));
        setPalette(p);
    }
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex &i) { onExpansion(i, true); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex &i) { onExpansion(i, false); });
}

TreeItem *TreeView::find(HTREEITEM h) const {
    auto it = items_.find(h);
    return it == items_.end() ? nullptr : it->second;
}

TreeItem *TreeView::itemOf(const QModelIndex &index) const {
    return index.isValid() ? static_cast<TreeItem *>(itemFromIndex(index)) : nullptr;
}

QIcon TreeView::iconFor(int image, int selectedImage) const {
    if (!images) return {};
    int count = gdiImageListCount(images);
    QIcon icon;
    if (image >= 0 && image < count) icon.addPixmap(QPixmap::fromImage(gdiImageListImage(images, image)), QIcon::Normal);
    if (selectedImage >= 0 && selectedImage < count)
        icon.addPixmap(QPixmap::fromImage(gdiImageListImage(images, selectedImage)), QIcon::Selected);
    return icon;
}

bool TreeView::shown(const TreeItem *item) const {
    for (QTreeWidgetItem *p = item->parent(); p; p = p->parent())
        if (!p->isExpanded()) return false;
    return true;
}

UINT TreeView::stateOf(const TreeItem *item) const {
    UINT s = item->state & ~(TVIS_SELECTED | TVIS_EXPANDED);
    if (item->handle == selected_) s |= TVIS_SELECTED;
    if (item->isExpanded()) s |= TVIS_EXPANDED;
    return s;
}

void TreeView::fillItem(TreeItem *item, TVITEMA *out, UINT mask) const {
    out->mask = mask;
    out->hItem = item ? item->handle : nullptr;
    if (!item) return;
    out->state = stateOf(item);
    out->stateMask = 0xFFFF;
    out->pszText = const_cast<LPSTR>(item->label.c_str());
    out->cchTextMax = static_cast<int>(item->label.size() + 1);
    out->iImage = item->image;
    out->iSelectedImage = item->selectedImage;
    out->cChildren = item->childCount() ? 1 : item->children;
    out->lParam = item->param;
}

LRESULT TreeView::notifyTree(UINT code, UINT action, TreeItem *oldItem, TreeItem *newItem) {
    NMTREEVIEWA nm{};
    nm.action = action;
    const UINT mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    fillItem(oldItem, &nm.itemOld, mask);
    fillItem(newItem, &nm.itemNew, mask);
    return wmNotifyParent(hwnd_, code, &nm.hdr);
}

HTREEITEM TreeView::insert(const TVINSERTSTRUCTA &ins) {
    QTreeWidgetItem *parentItem = invisibleRootItem();
    if (ins.hParent && ins.hParent != TVI_ROOT) {
        parentItem = find(ins.hParent);
        if (!parentItem) return nullptr;
    }
    auto h = reinterpret_cast<HTREEITEM>(nextHandle.fetch_add(4));
    auto *item = new TreeItem(h);
    const TVITEMA &src = ins.item;
    if ((src.mask & TVIF_TEXT) && src.pszText && src.pszText != LPSTR_TEXTCALLBACKA) item->label = src.pszText;
    if (src.mask & TVIF_IMAGE) item->image = src.iImage;
    if (src.mask & TVIF_SELECTEDIMAGE) item->selectedImage = src.iSelectedImage;
    if (src.mask & TVIF_PARAM) item->param = src.lParam;
    if (src.mask & TVIF_CHILDREN) item->children = src.cChildren;
    if (src.mask & TVIF_STATE) item->state = src.state & src.stateMask & ~(TVIS_SELECTED | TVIS_EXPANDED);

    int count = parentItem->childCount();
    int pos = count;
    if (ins.hInsertAfter == TVI_FIRST) {
        pos = 0;
    } else if (ins.hInsertAfter == TVI_SORT) {
        // After the last sibling whose text sorts before or equal to the new one.
        QString t = fromAnsi(item->label);
        pos = 0;
        while (pos < count && QString::compare(parentItem->child(pos)->text(0), t, Qt::CaseInsensitive) <= 0) ++pos;
    } else if (ins.hInsertAfter && ins.hInsertAfter != TVI_LAST) {
        // After a sibling; an item that is not a child of hParent puts the
        // new one last.
        TreeItem *after = find(ins.hInsertAfter);
        int at = after ? parentItem->indexOfChild(after) : -1;
        if (at >= 0) pos = at + 1;
    }
    items_.emplace(h, item);
    parentItem->insertChild(pos, item);
    if (item->children) item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    if ((src.mask & TVIF_STATE) && (src.stateMask & TVIS_EXPANDED) && (src.state & TVIS_EXPANDED)) {
        ++expandGuard_;
        item->setExpanded(true);
        --expandGuard_;
    }
    return h;
}

void TreeView::forget(TreeItem *item) {
    items_.erase(item->handle);
    for (int i = 0; i < item->childCount(); ++i) forget(static_cast<TreeItem *>(item->child(i)));
}

bool TreeView::remove(HTREEITEM h) {
    std::vector<HTREEITEM> order;  // the item first, then its subtree
    std::vector<QTreeWidgetItem *> stack;
    bool all = !h || h == TVI_ROOT;
    if (all) {
        for (int i = topLevelItemCount() - 1; i >= 0; --i) stack.push_back(topLevelItem(i));
    } else {
        TreeItem *item = find(h);
        if (!item) return false;
        stack.push_back(item);
    }
    while (!stack.empty()) {
        auto *it = static_cast<TreeItem *>(stack.back());
        stack.pop_back();
        order.push_back(it->handle);
        for (int i = it->childCount() - 1; i >= 0; --i) stack.push_back(it->child(i));
    }
    // A selected item inside the subtree hands the selection to a neighbour
    // first (next sibling, else previous sibling, else the parent).
    TreeItem *sel = selected();
    TreeItem *root = all ? nullptr : find(h);
    bool selInside = false;
    for (QTreeWidgetItem *p = sel; p && !all; p = p->parent())
        if (p == root) selInside = true;
    if (all && sel) {
        applying = true;
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
        applying = false;
        selected_ = nullptr;
    } else if (selInside) {
        QTreeWidgetItem *parentItem = root->parent() ? root->parent() : invisibleRootItem();
        int at = parentItem->indexOfChild(root);
        QTreeWidgetItem *next = parentItem->child(at + 1);
        if (!next && at > 0) next = parentItem->child(at - 1);
        if (!next) next = root->parent();
        changeSelection(static_cast<TreeItem *>(next), TVC_UNKNOWN, false);
    }
    for (HTREEITEM each : order) {
        TreeItem *it = find(each);
        if (it) notifyTree(TVN_DELETEITEMA, 0, it, nullptr);
    }
    // The parent may have deleted items itself while being told.
    if (all) {
        for (int i = topLevelItemCount() - 1; i >= 0; --i) {
            auto *it = static_cast<TreeItem *>(topLevelItem(i));
            forget(it);
            delete it;
        }
    } else if (TreeItem *it = find(h)) {
        if (it->handle == selected_) selected_ = nullptr;  // the parent refused to move away
        forget(it);
        delete it;
    }
    if (!find(selected_)) selected_ = nullptr;
    return true;
}

bool TreeView::changeSelection(TreeItem *to, UINT how, bool mayRefuse) {
    TreeItem *from = selected();
    if (to == from) return true;
    HTREEITEM target = to ? to->handle : nullptr;
    if (mayRefuse && notifyTree(TVN_SELCHANGINGA, how, from, to)) return false;
    // The parent may have deleted either item while it was asked.
    to = find(target);
    if (target && !to) return false;
    from = selected();
    applying = true;
    if (to) selectionModel()->setCurrentIndex(indexFromItem(to), QItemSelectionModel::ClearAndSelect);
    else {
        selectionModel()->clearSelection();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    }
    applying = false;
    selected_ = target;
    notifyTree(TVN_SELCHANGEDA, how, from, find(target));
    return true;
}

bool TreeView::expandItem(TreeItem *item, UINT code) {
    UINT action = code & 0x3;
    if (code & TVE_COLLAPSERESET) action = TVE_COLLAPSE;
    bool want = action == TVE_TOGGLE ? !item->isExpanded() : action == TVE_EXPAND;
    if (action == 0) return false;
    if (want && !item->childCount() && !item->children) return false;
    bool quiet = (item->state & TVIS_EXPANDEDONCE) != 0;
    if (want != item->isExpanded()) {
        if (!quiet && notifyTree(TVN_ITEMEXPANDINGA, want ? TVE_EXPAND : TVE_COLLAPSE, nullptr, item)) return false;
        HTREEITEM h = item->handle;
        if (!(item = find(h))) return false;
        ++expandGuard_;
        item->setExpanded(want);
        --expandGuard_;
        if (want) item->state |= TVIS_EXPANDEDONCE;
        if (!quiet) notifyTree(TVN_ITEMEXPANDEDA, want ? TVE_EXPAND : TVE_COLLAPSE, nullptr, item);
        if (!(item = find(h))) return true;
    }
    if (code & TVE_COLLAPSERESET) {
        while (item->childCount()) remove(static_cast<TreeItem *>(item->child(0))->handle);
        item->state &= ~TVIS_EXPANDEDONCE;
    }
    return true;
}

void TreeView::onExpansion(const QModelIndex &index, bool expanded) {
    if (expandGuard_) return;
    TreeItem *item = itemOf(index);
    if (!item) return;
    HTREEITEM h = item->handle;
    UINT action = expanded ? TVE_EXPAND : TVE_COLLAPSE;
    // Qt has already changed the item: the parent is asked with the state
    // before the change, and a refusal puts it back.
    ++expandGuard_;
    item->setExpanded(!expanded);
    --expandGuard_;
    if (notifyTree(TVN_ITEMEXPANDINGA, action, nullptr, item)) return;
    if (!(item = find(h))) return;
    ++expandGuard_;
    item->setExpanded(expanded);
    --expandGuard_;
    if (expanded) item->state |= TVIS_EXPANDEDONCE;
    notifyTree(TVN_ITEMEXPANDEDA, action, nullptr, item);
}

bool TreeView::setItem(const TVITEMA &in) {
    TreeItem *item = find(in.hItem);
    if (!item) return false;
    if (in.mask & TVIF_TEXT) item->label = in.pszText && in.pszText != LPSTR_TEXTCALLBACKA ? in.pszText : "";
    if (in.mask & TVIF_IMAGE) item->image = in.iImage;
    if (in.mask & TVIF_SELECTEDIMAGE) item->selectedImage = in.iSelectedImage;
    if (in.mask & TVIF_PARAM) item->param = in.lParam;
    if (in.mask & TVIF_CHILDREN) {
        item->children = in.cChildren;
        item->setChildIndicatorPolicy(in.cChildren ? QTreeWidgetItem::ShowIndicator
                                                   : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
    if (in.mask & TVIF_STATE) {
        UINT kept = ~(TVIS_SELECTED | TVIS_EXPANDED);
        UINT m = in.stateMask & kept;
        item->state = (item->state & ~m) | (in.state & m);
        if (in.stateMask & TVIS_EXPANDED) {
            ++expandGuard_;
            item->setExpanded((in.state & TVIS_EXPANDED) != 0);
            --expandGuard_;
        }
    }
    // The item's data changed behind the model's back: have it repainted.
    item->changed();
    return true;
}

void TreeView::mousePressEvent(QMouseEvent *e) {
    NMHDR nm{};
    if (e->button() == Qt::LeftButton && wmNotifyParent(hwnd_, NM_CLICK, &nm)) return;
    if (e->button() == Qt::RightButton && wmNotifyParent(hwnd_, NM_RCLICK, &nm)) return;
    CauseScope scope(this, TVC_BYMOUSE);
    QTreeWidget::mousePressEvent(e);
}

void TreeView::mouseDoubleClickEvent(QMouseEvent *e) {
    NMHDR nm{};
    if (e->button() == Qt::LeftButton && wmNotifyParent(hwnd_, NM_DBLCLK, &nm)) return;
    CauseScope scope(this, TVC_BYMOUSE);
    QTreeWidget::mouseDoubleClickEvent(e);
}

void TreeView::keyPressEvent(QKeyEvent *e) {
    NMTVKEYDOWN nm{};
    nm.wVKey = static_cast<WORD>(inputVirtualKey(e->key()));
    if (!nm.wVKey && !e->text().isEmpty()) nm.wVKey = static_cast<WORD>(e->text().at(0).toUpper().unicode());
    LRESULT r = wmNotifyParent(hwnd_, TVN_KEYDOWN, &nm.hdr);
    // A non-zero answer keeps a character out of the incremental search.
    if (r && !e->text().isEmpty() && e->text().at(0).isPrint()) return;
    CauseScope scope(this, TVC_BYKEYBOARD);
    QTreeWidget::keyPressEvent(e);
}

bool TreeView::viewportEvent(QEvent *e) {
    if (e->type() != QEvent::ToolTip) return QTreeWidget::viewportEvent(e);
    auto *help = static_cast<QHelpEvent *>(e);
    TreeItem *item = static_cast<TreeItem *>(itemAt(help->pos()));
    if (!item || !(GetWindowLongA(hwnd_, GWL_STYLE) & TVS_INFOTIP)) {
        QToolTip::hideText();
        return true;
    }
    char buffer[INFOTIPSIZE] = "";
    NMTVGETINFOTIPA nm{};
    nm.pszText = buffer;
    nm.cchTextMax = INFOTIPSIZE;
    nm.hItem = item->handle;
    nm.lParam = item->param;
    wmNotifyParent(hwnd_, TVN_GETINFOTIPA, &nm.hdr);
    // The handler may point pszText at its own text instead of filling ours.
    const char *text = nm.pszText && nm.pszText != LPSTR_TEXTCALLBACKA ? nm.pszText : "";
    std::string tip = text == buffer ? std::string(buffer, strnlen(buffer, INFOTIPSIZE)) : std::string(text);
    item = find(nm.hItem);
    if (tip.empty() || !item) QToolTip::hideText();
    else QToolTip::showText(help->globalPos(), fromAnsi(tip), viewport(), visualItemRect(item));
    return true;
}

}  // namespace platform::ui
