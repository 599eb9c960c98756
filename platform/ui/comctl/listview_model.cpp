// The list view's item table: texts, images, lParam, state bits; callback
// texts and images asked from the parent with LVN_GETDISPINFOA; sorting by
// the caller's comparison; lookup by lParam through an index kept beside the
// rows.
#include "comctl/listview_model.h"

#include "user/window.h"

#include <algorithm>
#include <numeric>

namespace platform::ui {

int ListModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : announced_; }

void ListModel::setFrozen(bool frozen) {
    frozen_ = frozen;
    if (frozen) return;
    flush();
    if (dirtyFirst_ >= 0) {
        int first = dirtyFirst_, last = dirtyLast_;
        dirtyFirst_ = dirtyLast_ = -1;
        itemsChanged(first, last);
    }
}

void ListModel::flush() {
    if (announced_ >= itemCount()) return;
    beginInsertRows(QModelIndex(), announced_, itemCount() - 1);
    announced_ = itemCount();
    endInsertRows();
}

QString ListModel::text(int i, int sub) const {
    if (i < 0 || i >= itemCount() || sub < 0) return {};
    const ListItem &it = item(i);
    if (sub < 32 && (it.callbackTexts & (1u << sub))) {
        char buffer[1024] = "";
        NMLVDISPINFOA nm{};
        nm.hdr.hwndFrom = hwnd_;
        nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd_));
        nm.hdr.code = LVN_GETDISPINFOA;
        nm.item.mask = LVIF_TEXT;
        nm.item.iItem = i;
        nm.item.iSubItem = sub;
        nm.item.pszText = buffer;
        nm.item.cchTextMax = sizeof buffer;
        nm.item.lParam = it.lParam;
        SendMessageA(GetParent(hwnd_), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
        // The parent may point pszText at its own text instead of filling ours.
        if (!nm.item.pszText || nm.item.pszText == LPSTR_TEXTCALLBACKA) return {};
        if (nm.item.pszText == buffer) buffer[sizeof buffer - 1] = 0;
        return fromAnsi(nm.item.pszText);
    }
    return static_cast<size_t>(sub) < it.texts.size() ? it.texts[static_cast<size_t>(sub)] : QString();
}

int ListModel::imageOf(int i) const {
    const ListItem &it = item(i);
    if (it.image != I_IMAGECALLBACK) return it.image;
    NMLVDISPINFOA nm{};
    nm.hdr.hwndFrom = hwnd_;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd_));
    nm.hdr.code = LVN_GETDISPINFOA;
    nm.item.mask = LVIF_IMAGE;
    nm.item.iItem = i;
    nm.item.iImage = I_IMAGENONE;
    nm.item.lParam = it.lParam;
    SendMessageA(GetParent(hwnd_), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    return nm.item.iImage;
}

QVariant ListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= itemCount()) return {};
    int row = index.row(), col = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return text(row, col);
    case Qt::DecorationRole: {
        if (col != 0) return {};
        QPixmap p = (iconView_ ? normalImages_ : smallImages_).pixmap(imageOf(row));
        if (p.isNull()) return {};
        return p;
    }
    case Qt::CheckStateRole:
        if (!checkBoxes_ || col != 0) return {};
        return ((item(row).state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole: {
        if (iconView_) return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignTop);
        // The first column is always left-aligned, as in every list view.
        int j = (col > 0 && col < count()) ? (column(col).fmt & LVCFMT_JUSTIFYMASK) : LVCFMT_LEFT;
        Qt::Alignment a = j == LVCFMT_RIGHT ? Qt::AlignRight : j == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
        return QVariant::fromValue(a | Qt::AlignVCenter);
    }
    case Qt::ForegroundRole: return textColor_;
    case Qt::BackgroundRole: return textBackground_;
    default: return {};
    }
}

bool ListModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (!index.isValid() || index.row() >= itemCount()) return false;
    int row = index.row();
    if (role == Qt::CheckStateRole && checkBoxes_) {
        UINT old = item(row).state;
        bool checked = value.toInt() == Qt::Checked;
        UINT now = (old & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        if (now == old) return true;
        if (onStateImageChange) onStateImageChange(row, old, now);
        else itemForChange(row).state = now, itemChanged(row);
        return true;
    }
    if (role == Qt::EditRole && index.column() == 0) {
        QString t = value.toString();
        if (onLabelEdited && !onLabelEdited(row, t)) return false;
        if (row >= itemCount()) return false;  // the item went while the parent decided
        ListItem &it = itemForChange(row);
        if (it.texts.empty()) it.texts.resize(1);
        it.texts[0] = t;
        it.callbackTexts &= ~1u;
        itemChanged(row);
        return true;
    }
    return false;
}

Qt::ItemFlags ListModel::flags(const QModelIndex &index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0 && editable_) f |= Qt::ItemIsEditable;
    if (index.column() == 0 && checkBoxes_) f |= Qt::ItemIsUserCheckable;
    return f;
}

void ListModel::itemChanged(int i) { itemsChanged(i, i); }

void ListModel::itemsChanged(int first, int last) {
    if (itemCount() == 0) return;
    first = std::clamp(first, 0, itemCount() - 1);
    last = std::clamp(last, first, itemCount() - 1);
    if (frozen_) {
        dirtyFirst_ = dirtyFirst_ < 0 ? first : std::min(dirtyFirst_, first);
        dirtyLast_ = std::max(dirtyLast_, last);
        return;
    }
    flush();
    emit dataChanged(index(first, 0), index(last, columnCount() - 1));
}

void ListModel::allChanged() { itemsChanged(0, itemCount() - 1); }

int ListModel::insertItem(int at, ListItem item) {
    at = std::clamp(at, 0, itemCount());
    bool append = at == itemCount();
    LPARAM param = item.lParam;
    if (append && paramIndexValid_) paramIndex_.emplace(param, at);
    else paramIndexValid_ = false;
    if (append && frozen_) {
        items_.push_back(std::move(item));
        return at;
    }
    flush();
    beginInsertRows(QModelIndex(), at, at);
    items_.insert(items_.begin() + at, std::move(item));
    announced_ = itemCount();
    endInsertRows();
    return at;
}

void ListModel::removeItem(int i) {
    flush();
    beginRemoveRows(QModelIndex(), i, i);
    items_.erase(items_.begin() + i);
    announced_ = itemCount();
    paramIndexValid_ = false;
    endRemoveRows();
}

void ListModel::removeAll() {
    beginResetModel();
    items_.clear();
    announced_ = 0;
    dirtyFirst_ = dirtyLast_ = -1;
    paramIndex_.clear();
    paramIndexValid_ = true;
    endResetModel();
}

int ListModel::findParam(LPARAM value, int start) const {
    if (!paramIndexValid_) {
        paramIndex_.clear();
        for (int i = 0; i < itemCount(); ++i) paramIndex_.emplace(item(i).lParam, i);
        paramIndexValid_ = true;
    }
    auto it = paramIndex_.find(value);
    if (it == paramIndex_.end()) return -1;
    if (it->second > start) return it->second;
    for (int i = std::max(0, start + 1); i < itemCount(); ++i)
        if (item(i).lParam == value) return i;
    return -1;
}

void ListModel::sortItems(const std::function<int(const ListItem &, const ListItem &)> &compare) {
    flush();
    int n = itemCount();
    if (n < 2) return;
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    sorting_ = true;
    // A merge sort never reads outside the range, even when the caller's
    // comparison is not a consistent order.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compare(items_[static_cast<size_t>(a)], items_[static_cast<size_t>(b)]) < 0;
    });
    sorting_ = false;
    if (itemCount() != n) return;  // cannot happen: changes are refused while sorting
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> place(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) place[static_cast<size_t>(order[static_cast<size_t>(k)])] = k;
    QModelIndexList from = persistentIndexList(), to;
    to.reserve(from.size());
    for (const QModelIndex &ix : from) to.append(index(place[static_cast<size_t>(ix.row())], ix.column()));
    std::vector<ListItem> sorted;
    sorted.reserve(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) sorted.push_back(std::move(items_[static_cast<size_t>(order[static_cast<size_t>(k)])]));
    items_.swap(sorted);
    paramIndexValid_ = false;
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ListModel::columnInserted(int i) {
    // Sub-item texts follow their columns.
    for (ListItem &it : items_) {
        if (static_cast<size_t>(i) < it.texts.size() && i > 0) it.texts.insert(it.texts.begin() + i, QString());
        if (i > 0 && i < 32) {
            uint32_t low = it.callbackTexts & ((1u << i) - 1);
            it.callbackTexts = low | ((it.callbackTexts & ~((1u << i) - 1)) << 1);
        }
    }
}

void ListModel::columnRemoved(int i) {
    for (ListItem &it : items_) {
        if (i > 0 && static_cast<size_t>(i) < it.texts.size()) it.texts.erase(it.texts.begin() + i);
        if (i > 0 && i < 32) {
            uint32_t low = it.callbackTexts & ((1u << i) - 1);
            it.callbackTexts = low | ((it.callbackTexts >> 1) & ~((1u << i) - 1));
        }
    }
}

}  // namespace platform::ui
