// The list view's widget: the views, their setup from the window styles, and
// the notifications raised from Qt's selection, focus and input events.
#include "comctl/listview_widget.h"
#include "user/input.h"

#include "comctl/ctlnotify.h"
#include "user/controls.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace platform::ui {
namespace {

// Virtual-key code of a Qt key, for LVN_KEYDOWN: the mapping of the key
// messages, and the key's low byte for keys without a virtual-key code.
WORD virtualKeyOf(const QKeyEvent *e) {
    WPARAM vk = inputVirtualKey(e->key());
    return static_cast<WORD>(vk ? vk : (e->key() & 0xFF));
}

UINT keyFlagsOf(Qt::KeyboardModifiers m) {
    UINT f = 0;
    if (m & Qt::AltModifier) f |= LVKF_ALT;
    if (m & Qt::ControlModifier) f |= LVKF_CONTROL;
    if (m & Qt::ShiftModifier) f |= LVKF_SHIFT;
    return f;
}


}  // namespace

// ---- Selection ---------------------------------------------------------------

std::vector<int> ListSelection::rows() const {
    std::vector<int> out;
    for (const QItemSelectionRange &r : selection())
        for (int row = r.top(); row <= r.bottom(); ++row) out.push_back(row);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

void ListSelection::select(const QItemSelection &selection, QItemSelectionModel::SelectionFlags command) {
    if (owner_->quiet || !owner_->alive()) {
        QItemSelectionModel::select(selection, command);
        return;
    }
    std::vector<int> before = rows();
    QItemSelectionModel::select(selection, command);
    std::vector<int> after = rows();
    if (before != after) owner_->selectionChanging(before, after);
}

void ListViewWidget::selectionChanging(const std::vector<int> &before, const std::vector<int> &after) {
    std::vector<int> changed;
    std::set_symmetric_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(changed));
    // Ask first, while the items still read as they were.
    for (int r : changed) pendingSelected_[r] = std::binary_search(before.begin(), before.end(), r);
    std::vector<int> done, refused;
    for (int r : changed) {
        if (!alive() || r >= model_->itemCount()) break;
        bool was = pendingSelected_[r];
        UINT old = itemState(r);
        UINT now = was ? (old & ~LVIS_SELECTED) : (old | LVIS_SELECTED);
        if (notifyItem(LVN_ITEMCHANGING, r, old, now, LVIF_STATE)) refused.push_back(r);
        else done.push_back(r);
    }
    pendingSelected_.clear();
    if (!alive()) return;
    ++quiet;
    for (int r : refused)
        if (r < model_->itemCount())
            selection_->selectQuietly(QItemSelection(model_->index(r, 0), model_->index(r, model_->columnCount() - 1)),
                                      QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    --quiet;
    for (int r : done) {
        if (!alive() || r >= model_->itemCount()) break;
        UINT now = itemState(r);
        UINT old = now ^ LVIS_SELECTED;
        notifyItem(LVN_ITEMCHANGED, r, old, now, LVIF_STATE);
    }
}

void ListViewWidget::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    if (current.isValid()) selectionMark = current.row();
    if (quiet || !alive()) return;
    if (previous.isValid() && previous.row() != current.row()) {
        UINT now = itemState(previous.row());
        notifyItem(LVN_ITEMCHANGING, previous.row(), now | LVIS_FOCUSED, now, LVIF_STATE);
        if (alive()) notifyItem(LVN_ITEMCHANGED, previous.row(), now | LVIS_FOCUSED, now, LVIF_STATE);
    }
    if (current.isValid() && alive() && (!previous.isValid() || previous.row() != current.row())) {
        UINT now = itemState(current.row());
        notifyItem(LVN_ITEMCHANGING, current.row(), now & ~LVIS_FOCUSED, now, LVIF_STATE);
        if (alive()) notifyItem(LVN_ITEMCHANGED, current.row(), now & ~LVIS_FOCUSED, now, LVIF_STATE);
    }
}

UINT ListViewWidget::itemState(int i) const {
    if (i < 0 || i >= model_->itemCount()) return 0;
    UINT s = model_->item(i).state & ~(LVIS_SELECTED | LVIS_FOCUSED);
    auto pending = pendingSelected_.find(i);
    bool selected = pending != pendingSelected_.end() ? pending->second
                                                      : selection_->isSelected(model_->index(i, 0));
    if (selected) s |= LVIS_SELECTED;
    if (selection_->currentIndex().isValid() && selection_->currentIndex().row() == i) s |= LVIS_FOCUSED;
    return s;
}

bool ListViewWidget::setItemState(int i, UINT state, UINT mask) {
    int n = model_->itemCount();
    if (i < -1 || i >= n) return false;
    if (n == 0) return i == -1;
    int first = i < 0 ? 0 : i, last = i < 0 ? n - 1 : i;
    int lastColumn = model_->columnCount() - 1;
    if (mask & LVIS_SELECTED) {
        QItemSelection range(model_->index(first, 0), model_->index(last, lastColumn));
        bool single = style_ & LVS_SINGLESEL;
        if (state & LVIS_SELECTED) {
            if (single && i < 0) return true;  // a single-selection list cannot select every item
            selection_->select(range, (single ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                                          QItemSelectionModel::Rows);
        } else {
            selection_->select(range, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        }
    }
    if (!alive()) return true;
    if ((mask & LVIS_FOCUSED) && i >= 0) {
        if (state & LVIS_FOCUSED) selection_->setCurrentIndex(model_->index(i, 0), QItemSelectionModel::NoUpdate);
        else if (selection_->currentIndex().row() == i)
            selection_->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    UINT other = mask & ~(LVIS_SELECTED | LVIS_FOCUSED);
    if (!other) return true;
    for (int r = first; r <= last && alive() && r < model_->itemCount(); ++r) {
        UINT old = itemState(r);
        UINT now = (old & ~other) | (state & other);
        if (now == old) continue;
        if (notifyItem(LVN_ITEMCHANGING, r, old, now, LVIF_STATE) || !alive() || r >= model_->itemCount()) continue;
        ListItem &it = model_->itemForChange(r);
        it.state = (it.state & ~other) | (state & other);
        model_->itemChanged(r);
        notifyItem(LVN_ITEMCHANGED, r, old, itemState(r), LVIF_STATE);
    }
    return true;
}

// ---- Notifications -------------------------------------------------------------

bool ListViewWidget::alive() const { return windowGet(hwnd) != nullptr; }

LRESULT ListViewWidget::notify(NMHDR *hdr, UINT code) { return wmNotifyParent(hwnd, code, hdr); }

LRESULT ListViewWidget::notifyItem(UINT code, int item, UINT oldState, UINT newState, UINT changed) {
    NMLISTVIEW nm{};
    nm.iItem = item;
    nm.uOldState = oldState;
    nm.uNewState = newState;
    nm.uChanged = changed;
    if (item >= 0 && item < model_->itemCount()) nm.lParam = model_->item(item).lParam;
    return notify(&nm.hdr, code);
}

void ListViewWidget::clicked(QMouseEvent *e, bool doubleClick) {
    UINT code;
    if (e->button() == Qt::LeftButton) code = doubleClick ? NM_DBLCLK : NM_CLICK;
    else if (e->button() == Qt::RightButton) code = doubleClick ? NM_RDBLCLK : NM_RCLICK;
    else return;
    QPoint client = e->position().toPoint() + viewportOffset();
    LVHITTESTINFO ht{};
    ht.pt = POINT{client.x(), client.y()};
    hitTest(&ht, true);
    NMITEMACTIVATE nm{};
    nm.iItem = ht.iItem;
    nm.iSubItem = ht.iItem >= 0 ? ht.iSubItem : -1;
    nm.ptAction = ht.pt;
    nm.uKeyFlags = keyFlagsOf(e->modifiers());
    if (ht.iItem >= 0) {
        nm.lParam = model_->item(ht.iItem).lParam;
        nm.uNewState = nm.uOldState = itemState(ht.iItem);
    }
    LRESULT r = notify(&nm.hdr, code);
    if (!alive()) return;
    if (code == NM_DBLCLK && ht.iItem >= 0) {
        NMITEMACTIVATE act = nm;
        notify(&act.hdr, LVN_ITEMACTIVATE);
    } else if (code == NM_RCLICK && !r) {
        QPoint g = e->globalPosition().toPoint();
        SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(g.x(), g.y()));
    }
}

void ListViewWidget::keyPressed(QKeyEvent *e) {
    NMLVKEYDOWN nm{};
    nm.wVKey = virtualKeyOf(e);
    notify(&nm.hdr, LVN_KEYDOWN);
    if (alive() && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        NMHDR hdr{};
        notify(&hdr, NM_RETURN);
    }
}

bool ListViewWidget::toolTip(QHelpEvent *e) {
    if (!(exStyle_ & LVS_EX_INFOTIP)) return false;
    QPoint client = e->pos() + viewportOffset();
    LVHITTESTINFO ht{};
    ht.pt = POINT{client.x(), client.y()};
    hitTest(&ht, true);
    if (ht.iItem < 0) {
        QToolTip::hideText();
        return true;
    }
    // The item's text is offered when the view cuts it short.
    static constexpr int kTipSize = 2048;
    std::vector<char> buffer(kTipSize, 0);
    NMLVGETINFOTIPA nm{};
    QString label = model_->text(ht.iItem, 0);
    QModelIndex ix = model_->index(ht.iItem, 0);
    int shown = view_->visualRect(ix).width();
    bool cut = view_->fontMetrics().horizontalAdvance(label) + 24 > shown;
    if (cut) copyText(toAnsi(label), buffer.data(), kTipSize);
    else nm.dwFlags = LVGIT_UNFOLDED;
    nm.pszText = buffer.data();
    nm.cchTextMax = kTipSize;
    nm.iItem = ht.iItem;
    nm.iSubItem = 0;
    nm.lParam = model_->item(ht.iItem).lParam;
    notify(&nm.hdr, LVN_GETINFOTIPA);
    buffer[kTipSize - 1] = 0;
    QString tip = fromAnsi(nm.pszText == buffer.data() ? buffer.data() : (nm.pszText ? nm.pszText : ""));
    if (!alive()) return true;
    if (tip.isEmpty()) QToolTip::hideText();
    else QToolTip::showText(e->globalPos(), tip, view_->viewport(), view_->visualRect(ix));
    return true;
}

void ListViewWidget::focusChanged(bool in) {
    NMHDR hdr{};
    notify(&hdr, in ? NM_SETFOCUS : NM_KILLFOCUS);
}

bool ListViewWidget::editBegins(int item) {
    NMLVDISPINFOA nm{};
    nm.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    nm.item.iItem = item;
    std::string text = toAnsi(model_->text(item, 0));
    nm.item.pszText = text.data();
    nm.item.state = itemState(item);
    nm.item.lParam = model_->item(item).lParam;
    return notify(&nm.hdr, LVN_BEGINLABELEDITA) == 0 && alive();
}

bool ListViewWidget::editEnds(int item, const QString *text) {
    NMLVDISPINFOA nm{};
    nm.item.mask = LVIF_TEXT | LVIF_PARAM;
    nm.item.iItem = item;
    std::string t = text ? toAnsi(*text) : std::string();
    nm.item.pszText = text ? t.data() : nullptr;
    nm.item.cchTextMax = static_cast<int>(t.size() + 1);
    if (item < model_->itemCount()) nm.item.lParam = model_->item(item).lParam;
    return notify(&nm.hdr, LVN_ENDLABELEDITA) != 0;
}

// ---- The views ------------------------------------------------------------------

template <class Base>
void ListViewBase<Base>::mouseReleaseEvent(QMouseEvent *e) {
    QPointer<QWidget> self(this);
    Base::mouseReleaseEvent(e);
    if (self) owner_->clicked(e, false);
}

template <class Base>
void ListViewBase<Base>::mouseDoubleClickEvent(QMouseEvent *e) {
    QPointer<QWidget> self(this);
    Base::mouseDoubleClickEvent(e);
    if (self) owner_->clicked(e, true);
}

template <class Base>
void ListViewBase<Base>::keyPressEvent(QKeyEvent *e) {
    QPointer<QWidget> self(this);
    // Keys an in-place editor passes on are not the list's own.
    if (this->state() != QAbstractItemView::EditingState) owner_->keyPressed(e);
    if (self && owner_->alive()) Base::keyPressEvent(e);
}

template <class Base>
bool ListViewBase<Base>::viewportEvent(QEvent *e) {
    if (e->type() == QEvent::ToolTip && owner_->toolTip(static_cast<QHelpEvent *>(e))) return true;
    return Base::viewportEvent(e);
}

template <class Base>
void ListViewBase<Base>::focusInEvent(QFocusEvent *e) {
    Base::focusInEvent(e);
    owner_->focusChanged(true);
}

template <class Base>
void ListViewBase<Base>::focusOutEvent(QFocusEvent *e) {
    Base::focusOutEvent(e);
    owner_->focusChanged(false);
}

template class ListViewBase<QTreeView>;
template class ListViewBase<QListView>;

ListDelegate::ListDelegate(ListViewWidget *owner) : QStyledItemDelegate(owner), owner_(owner) {}

void ListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const {
    QStyleOptionViewItem opt(option);
    bool report = owner_->report();
    bool fullRow = owner_->exStyle() & LVS_EX_FULLROWSELECT;
    if (report && !fullRow && index.column() != 0) opt.state &= ~QStyle::State_Selected;
    // The selection stays visible without the focus only with LVS_SHOWSELALWAYS.
    if (!(owner_->style() & LVS_SHOWSELALWAYS) && !(opt.state & QStyle::State_HasFocus) &&
        !owner_->view()->hasFocus())
        opt.state &= ~QStyle::State_Active;
    QStyledItemDelegate::paint(painter, opt, index);
    if (report && (owner_->exStyle() & LVS_EX_GRIDLINES)) {
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        painter->restore();
    }
}

QWidget *ListDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const {
    if (!index.isValid() || !owner_->editBegins(index.row())) return nullptr;
    return QStyledItemDelegate::createEditor(parent, option, index);
}

// ---- The widget -------------------------------------------------------------------

ListViewWidget *listViewOf(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? dynamic_cast<ListViewWidget *>(w->widget.data()) : nullptr;
}

ListViewWidget::ListViewWidget(HWND h, QWidget *parent) : QWidget(parent), hwnd(h) {
    model_ = new ListModel(hwnd, this);
    selection_ = new ListSelection(model_, this);
    delegate_ = new ListDelegate(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    tree_ = new ListTree(this, this);
    tree_->setModel(model_);
    tree_->setSelectionModel(selection_);
    tree_->setItemDelegate(delegate_);
    tree_->setRootIsDecorated(false);
    tree_->setItemsExpandable(false);
    tree_->setIndentation(0);
    tree_->setUniformRowHeights(true);
    tree_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tree_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    tree_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    tree_->setTextElideMode(Qt::ElideRight);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->header()->setStretchLastSection(false);
    // The right click is reported by the list itself (NM_RCLICK, then
    // WM_CONTEXTMENU from the list): Qt's own context event must not reach
    // the parent's widget as a second one.
    tree_->setContextMenuPolicy(Qt::PreventContextMenu);
    setContextMenuPolicy(Qt::PreventContextMenu);
    layout->addWidget(tree_);
    view_ = tree_;
    setFocusProxy(tree_);
    connect(selection_, &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &c, const QModelIndex &p) { currentChanged(c, p); });
    connect(delegate_, &QAbstractItemDelegate::closeEditor, this, [this](QWidget *, QAbstractItemDelegate::EndEditHint hint) {
        if (hint == QAbstractItemDelegate::RevertModelCache && alive()) {
            QModelIndex c = selection_->currentIndex();
            if (c.isValid()) editEnds(c.row(), nullptr);
        }
    });
    model_->onStateImageChange = [this](int item, UINT old, UINT now) {
        if (notifyItem(LVN_ITEMCHANGING, item, old | (itemState(item) & (LVIS_SELECTED | LVIS_FOCUSED)),
                       now | (itemState(item) & (LVIS_SELECTED | LVIS_FOCUSED)), LVIF_STATE) ||
            !alive() || item >= model_->itemCount())
            return;
        model_->itemForChange(item).state = now;
        model_->itemChanged(item);
        UINT sel = itemState(item) & (LVIS_SELECTED | LVIS_FOCUSED);
        notifyItem(LVN_ITEMCHANGED, item, old | sel, now | sel, LVIF_STATE);
    };
    model_->onLabelEdited = [this](int item, const QString &text) { return alive() && editEnds(item, &text); };
}

HWND ListViewWidget::header() {
    if (header_ && IsWindow(header_)) return header_;
    if (!alive()) return nullptr;
    header_ = CreateWindowExA(0, WC_HEADERA, "", WS_CHILD | WS_VISIBLE | HDS_BUTTONS | HDS_HORZ, 0, 0, 0, 0, hwnd,
                              nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongA(hwnd, GWL_HINSTANCE)), nullptr);
    HeaderView *h = headerViewOf(header_);
    if (!h) return header_;
    h->onClick = [this](int column) {
        if (column < 0 || column >= model_->count()) return;
        NMLISTVIEW nm{};
        nm.iItem = -1;
        nm.iSubItem = column;
        notify(&nm.hdr, LVN_COLUMNCLICK);
    };
    // The header shows and edits the list's own columns.
    h->setModel(model_);
    tree_->setHeader(h);
    h->setStretchLastSection(false);
    h->setSectionsClickable(!(style_ & LVS_NOSORTHEADER));
    h->setVisible(!(style_ & LVS_NOCOLUMNHEADER));
    tree_->setHeaderHidden(style_ & LVS_NOCOLUMNHEADER);
    h->syncSections();
    return header_;
}

ListIcons *ListViewWidget::icons() {
    if (icons_) return icons_;
    icons_ = new ListIcons(this, this);
    icons_->setItemDelegate(delegate_);
    icons_->setSelectionBehavior(QAbstractItemView::SelectRows);
    icons_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    icons_->setMovement(QListView::Static);
    icons_->setResizeMode(QListView::Adjust);
    icons_->setContextMenuPolicy(Qt::PreventContextMenu);
    icons_->hide();
    layout()->addWidget(icons_);
    return icons_;
}

void ListViewWidget::applyIconMode(DWORD style) {
    ListIcons *l = icons();
    switch (style & LVS_TYPEMASK) {
    case LVS_ICON:
        l->setViewMode(QListView::IconMode);
        l->setFlow(QListView::LeftToRight);
        l->setWordWrap(!(style & LVS_NOLABELWRAP));
        l->setUniformItemSizes(false);
        l->setGridSize(QSize(std::max(76, model_->normalImages().size().width() + 44),
                             model_->normalImages().size().height() + 2 * fontMetrics().height() + 12));
        break;
    case LVS_SMALLICON:
        l->setViewMode(QListView::ListMode);
        l->setFlow(QListView::LeftToRight);
        l->setGridSize(QSize());
        l->setUniformItemSizes(true);
        break;
    default:  // LVS_LIST: columns that fill top to bottom
        l->setViewMode(QListView::ListMode);
        l->setFlow(QListView::TopToBottom);
        l->setGridSize(QSize());
        l->setUniformItemSizes(true);
        break;
    }
    l->setWrapping(true);
    QSize is = (style & LVS_TYPEMASK) == LVS_ICON ? model_->normalImages().size() : model_->smallImages().size();
    if (is.isValid()) l->setIconSize(is);
}

void ListViewWidget::applyStyle(DWORD style) {
    style_ = style;
    bool reportView = (style & LVS_TYPEMASK) == LVS_REPORT;
    model_->setIconView((style & LVS_TYPEMASK) == LVS_ICON);
    model_->setEditable(style & LVS_EDITLABELS);
    QAbstractItemView *want = reportView ? static_cast<QAbstractItemView *>(tree_) : icons();
    if (!reportView) applyIconMode(style);
    if (want != view_) {
        bool hadFocus = view_ && view_->hasFocus();
        if (view_ == icons_ && icons_) {
            icons_->hide();
            icons_->setModel(nullptr);
        } else {
            tree_->hide();
        }
        if (want == icons_) {
            icons_->setModel(model_);
            icons_->setSelectionModel(selection_);
        }
        view_ = want;
        view_->show();
        setFocusProxy(view_);
        if (hadFocus) view_->setFocus();
    }
    QAbstractItemView::SelectionMode mode =
        (style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection;
    for (QAbstractItemView *v : {static_cast<QAbstractItemView *>(tree_), static_cast<QAbstractItemView *>(icons_)}) {
        if (!v) continue;
        v->setSelectionMode(mode);
        v->setEditTriggers((style & LVS_EDITLABELS) ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                                                    : QAbstractItemView::NoEditTriggers);
        bool frame = (style & WS_BORDER) || (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        static_cast<QFrame *>(v)->setFrameShape(frame ? QFrame::StyledPanel : QFrame::NoFrame);
        bool scroll = !(style & LVS_NOSCROLL);
        v->setVerticalScrollBarPolicy(scroll ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        v->setHorizontalScrollBarPolicy(scroll ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    }
    QSize small = model_->smallImages().size();
    if (small.isValid()) tree_->setIconSize(small);
    if (HeaderView *h = headerViewOf(header_)) {
        h->setSectionsClickable(!(style & LVS_NOSORTHEADER));
        tree_->setHeaderHidden(style & LVS_NOCOLUMNHEADER);
    }
    applyTabStop(tree_, style);
    if (icons_) applyTabStop(icons_, style);
}

DWORD ListViewWidget::setExStyle(DWORD mask, DWORD style) {
    DWORD old = exStyle_;
    if (!mask) mask = ~0u;
    exStyle_ = (exStyle_ & ~mask) | (style & mask);
    model_->setCheckBoxes(exStyle_ & LVS_EX_CHECKBOXES);
    if (exStyle_ & LVS_EX_CHECKBOXES)
        for (int i = 0; i < model_->itemCount(); ++i)
            if (!(model_->item(i).state & LVIS_STATEIMAGEMASK)) model_->itemForChange(i).state |= INDEXTOSTATEIMAGEMASK(1);
    tree_->setAllColumnsShowFocus(exStyle_ & LVS_EX_FULLROWSELECT);
    if (HeaderView *h = headerViewOf(header_)) h->setSectionsMovable(exStyle_ & LVS_EX_HEADERDRAGDROP);
    view_->viewport()->setMouseTracking(exStyle_ & LVS_EX_TRACKSELECT);
    view_->viewport()->update();
    return old;
}

// ---- Geometry ----------------------------------------------------------------------

QPoint ListViewWidget::viewportOffset() const { return view_->viewport()->mapTo(this, QPoint(0, 0)); }

int ListViewWidget::hitTest(LVHITTESTINFO *info, bool subItems) const {
    QPoint client(info->pt.x, info->pt.y);
    info->iItem = -1;
    info->iSubItem = 0;
    info->flags = 0;
    if (client.x() < 0) info->flags |= LVHT_TOLEFT;
    if (client.x() >= width()) info->flags |= LVHT_TORIGHT;
    if (client.y() < 0) info->flags |= LVHT_ABOVE;
    if (client.y() >= height()) info->flags |= LVHT_BELOW;
    if (info->flags) return -1;
    QPoint p = client - viewportOffset();
    QModelIndex ix = view_->viewport()->rect().contains(p) ? view_->indexAt(p) : QModelIndex();
    if (!ix.isValid()) {
        info->flags = LVHT_NOWHERE;
        return -1;
    }
    int column = report() ? ix.column() : 0;
    QModelIndex first = model_->index(ix.row(), 0);
    QStyleOptionViewItem opt;
    if (report()) tree_->viewItemOption(&opt);
    else icons_->viewItemOption(&opt);
    opt.rect = view_->visualRect(first);
    delegate_->initOption(&opt, first);
    QStyle *st = view_->style();
    QRect check = model_->flags(first) & Qt::ItemIsUserCheckable
                      ? st->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, view_) : QRect();
    QRect icon = st->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, view_);
    if (column == 0 && check.contains(p)) info->flags = LVHT_ONITEMSTATEICON;
    else if (column == 0 && icon.isValid() && !opt.icon.isNull() && icon.contains(p)) info->flags = LVHT_ONITEMICON;
    else if (column == 0 || subItems || (exStyle_ & LVS_EX_FULLROWSELECT)) info->flags = LVHT_ONITEMLABEL;
    else {
        info->flags = LVHT_NOWHERE;
        return -1;
    }
    info->iItem = ix.row();
    info->iSubItem = subItems ? column : 0;
    return info->iItem;
}

bool ListViewWidget::itemRect(int i, int sub, int code, RECT *out) const {
    if (!out || i < 0 || i >= model_->itemCount()) return false;
    if (sub < 0 || sub >= model_->columnCount()) return false;
    QModelIndex first = model_->index(i, 0);
    QRect r;
    if (code == LVIR_BOUNDS && report() && sub == 0) {
        r = view_->visualRect(first);
        for (int c = 1; c < model_->columnCount(); ++c) r = r.united(view_->visualRect(model_->index(i, c)));
    } else if (sub > 0 && report()) {
        r = view_->visualRect(model_->index(i, sub));
    } else {
        QStyleOptionViewItem opt;
        if (report()) tree_->viewItemOption(&opt);
        else icons_->viewItemOption(&opt);
        opt.rect = view_->visualRect(first);
        delegate_->initOption(&opt, first);
        QStyle *st = view_->style();
        QRect icon = st->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, view_);
        QRect label = st->subElementRect(QStyle::SE_ItemViewItemText, &opt, view_);
        switch (code) {
        case LVIR_ICON: r = icon; break;
        case LVIR_LABEL: r = label; break;
        case LVIR_SELECTBOUNDS: r = icon.united(label); break;
        default: r = opt.rect; break;
        }
    }
    r.translate(viewportOffset());
    *out = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    return true;
}

int ListViewWidget::countPerPage() const {
    int n = model_->itemCount();
    if (!report()) return n;  // every item of the icon views counts as shown
    int rowHeight = n > 0 ? tree_->visualRect(model_->index(0, 0)).height() : 0;
    if (rowHeight <= 0) rowHeight = std::max(1, tree_->fontMetrics().height() + 4);
    return std::max(0, tree_->viewport()->height() / rowHeight);
}

int ListViewWidget::topIndex() const {
    if (!report()) return 0;
    QModelIndex ix = tree_->indexAt(QPoint(1, 1));
    return ix.isValid() ? ix.row() : 0;
}

int ListViewWidget::autoWidth(int column, bool useHeader) const {
    QFontMetrics fm = tree_->fontMetrics();
    int w = 0;
    for (int i = 0; i < model_->itemCount(); ++i) w = std::max(w, fm.horizontalAdvance(model_->text(i, column)));
    w += 12;
    if (column == 0) {
        QSize s = model_->smallImages().size();
        if (s.isValid()) w += s.width() + 4;
        if (exStyle_ & LVS_EX_CHECKBOXES) w += 20;
    }
    if (useHeader && column < model_->count()) {
        const HeaderItem &c = model_->column(column);
        int hw = fm.horizontalAdvance(c.text) + 16;
        if (c.fmt & (HDF_IMAGE | HDF_BITMAP)) hw += std::max(16, model_->headerImages().size().width()) + 6;
        w = std::max(w, hw);
        // The last column takes the rest of the list's width.
        if (column == model_->count() - 1 && report()) {
            int used = 0;
            for (int c2 = 0; c2 < column; ++c2) used += model_->column(c2).width;
            w = std::max(w, tree_->viewport()->width() - used);
        }
    }
    return w;
}

void ListViewWidget::setColumnWidth(int column, int width) {
    model_->setColumnWidth(column, std::max(0, width));
    if (HeaderView *h = headerViewOf(header_)) h->syncSections();
    else tree_->setColumnWidth(column, std::max(0, width));
}

}  // namespace platform::ui
