// SysHeader32 on QHeaderView over a ColumnModel: items with text, width,
// format, images and lParam; clicks and width changes reported to the parent
// (HDN_ITEMCLICKA, HDN_ITEMCHANGEDA).
#include "comctl/header_model.h"

#include "comctl/ctlnotify.h"
#include "gdi/dc.h"
#include "user/controls.h"

#include <QPainter>

namespace platform::ui {

void ImageCache::setList(HIMAGELIST list) {
    list_ = list;
    cache_.clear();
    generation_ = list ? gdiImageListGeneration(list) : 0;
}

QPixmap ImageCache::pixmap(int index) const {
    if (!list_ || index < 0) return {};
    unsigned g = gdiImageListGeneration(list_);
    if (g != generation_) cache_.clear(), generation_ = g;
    auto it = cache_.find(index);
    if (it != cache_.end()) return it->second;
    QImage img = gdiImageListImage(list_, index);
    QPixmap p = img.isNull() ? QPixmap() : QPixmap::fromImage(img);
    cache_.emplace(index, p);
    return p;
}

QSize ImageCache::size() const {
    int cx = 0, cy = 0;
    if (!list_ || !gdiImageListSize(list_, &cx, &cy)) return {};
    return {cx, cy};
}

int ColumnModel::rowCount(const QModelIndex &) const { return 0; }

int ColumnModel::columnCount(const QModelIndex &parent) const {
    if (parent.isValid()) return 0;
    return std::max(count(), minimumColumns());
}

QVariant ColumnModel::data(const QModelIndex &, int) const { return {}; }

QVariant ColumnModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= count()) return {};
    const HeaderItem &c = column(section);
    switch (role) {
    case Qt::DisplayRole: return (c.fmt & HDF_STRING) || !(c.fmt & (HDF_IMAGE | HDF_BITMAP)) ? c.text : QString();
    case Qt::DecorationRole:
        if (c.fmt & HDF_BITMAP_ON_RIGHT) return {};  // drawn by HeaderView
        if (c.fmt & HDF_IMAGE) {
            QPixmap p = headerImages_.pixmap(c.image);
            if (!p.isNull()) return p;
        }
        if ((c.fmt & HDF_BITMAP) && c.bitmap) return pixmapFromBitmap(c.bitmap);
        return {};
    case Qt::TextAlignmentRole: {
        int j = c.fmt & HDF_JUSTIFYMASK;
        Qt::Alignment a = j == HDF_RIGHT ? Qt::AlignRight : j == HDF_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
        return QVariant::fromValue(a | Qt::AlignVCenter);
    }
    default: return {};
    }
}

int ColumnModel::insertColumnItem(int i, const HeaderItem &item) {
    i = std::clamp(i, 0, count());
    bool grows = count() >= minimumColumns();
    if (grows) beginInsertColumns(QModelIndex(), i, i);
    columns_.insert(columns_.begin() + i, item);
    columnInserted(i);
    if (grows) endInsertColumns();
    else emit headerDataChanged(Qt::Horizontal, 0, 0);
    return i;
}

bool ColumnModel::removeColumnItem(int i) {
    if (i < 0 || i >= count()) return false;
    bool shrinks = count() > minimumColumns();
    if (shrinks) beginRemoveColumns(QModelIndex(), i, i);
    columns_.erase(columns_.begin() + i);
    columnRemoved(i);
    if (shrinks) endRemoveColumns();
    else emit headerDataChanged(Qt::Horizontal, 0, 0);
    return true;
}

void ColumnModel::setColumnItem(int i, const HeaderItem &item) {
    columns_[static_cast<size_t>(i)] = item;
    emit headerDataChanged(Qt::Horizontal, i, i);
}

void ColumnModel::headerChanged() {
    if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

namespace {

// Notification to the parent of the header window.
LRESULT notifyHeader(HWND hwnd, UINT code, int item, HDITEMA *pitem) {
    NMHEADERA nm{};
    nm.iItem = item;
    nm.pitem = pitem;
    return wmNotifyParent(hwnd, code, &nm.hdr);
}

}  // namespace

HeaderView::HeaderView(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setHighlightSections(false);
    setStretchLastSection(false);
    setSortIndicatorShown(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMinimumSectionSize(0);
    connect(this, &QHeaderView::sectionClicked, this, [this](int logical) {
        if (onClick) onClick(logical);
        else if (hwnd) notifyHeader(hwnd, HDN_ITEMCLICKA, logical, nullptr);
    });
    connect(this, &QHeaderView::sectionResized, this, [this](int logical, int, int size) {
        ColumnModel *m = columns();
        if (syncing_ || !m || logical >= m->count()) return;
        m->setColumnWidth(logical, size);
        if (!hwnd) return;
        HDITEMA item{};
        item.mask = HDI_WIDTH;
        item.cxy = size;
        notifyHeader(hwnd, HDN_ITEMCHANGEDA, logical, &item);
    });
}

void HeaderView::syncSections() {
    ColumnModel *m = columns();
    if (!m) return;
    syncing_ = true;
    int sorted = -1;
    Qt::SortOrder order = Qt::AscendingOrder;
    for (int i = 0; i < m->count() && i < count(); ++i) {
        const HeaderItem &c = m->column(i);
        if (sectionSize(i) != c.width) resizeSection(i, c.width);
        if (c.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
            sorted = i;
            order = (c.fmt & HDF_SORTUP) ? Qt::AscendingOrder : Qt::DescendingOrder;
        }
    }
    for (int i = m->count(); i < count(); ++i) resizeSection(i, 0);
    setSortIndicatorShown(sorted >= 0);
    if (sorted >= 0) setSortIndicator(sorted, order);
    syncing_ = false;
    viewport()->update();
}

void HeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    ColumnModel *m = columns();
    if (!m || logicalIndex >= m->count()) return;
    const HeaderItem &c = m->column(logicalIndex);
    if (!(c.fmt & HDF_BITMAP_ON_RIGHT)) return;
    QPixmap p;
    if (c.fmt & HDF_IMAGE) p = m->headerImages().pixmap(c.image);
    else if ((c.fmt & HDF_BITMAP) && c.bitmap) p = pixmapFromBitmap(c.bitmap);
    if (p.isNull()) return;
    QSize s = p.deviceIndependentSize().toSize();
    int x = rect.right() - s.width() - 6;
    if (x < rect.left()) return;
    painter->save();
    painter->setClipRect(rect);
    painter->drawPixmap(x, rect.top() + (rect.height() - s.height()) / 2, p);
    painter->restore();
}

HeaderView *headerViewOf(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? dynamic_cast<HeaderView *>(w->widget.data()) : nullptr;
}

namespace {

QWidget *createHeader(WindowObject &w, QWidget *parent) {
    auto *h = new HeaderView(parent);
    auto *m = new ColumnModel(h);
    h->setModel(m);
    h->hwnd = w.hwnd;
    DWORD style = static_cast<DWORD>(w.style.load());
    h->setSectionsClickable(style & HDS_BUTTONS);
    h->setSectionsMovable(style & HDS_DRAGDROP);
    return h;
}

void copyOut(const HeaderItem &c, HDITEMA *out, int order) {
    if (out->mask & HDI_WIDTH) out->cxy = c.width;
    if (out->mask & HDI_FORMAT) out->fmt = c.fmt;
    if (out->mask & HDI_LPARAM) out->lParam = c.lParam;
    if (out->mask & HDI_IMAGE) out->iImage = c.image;
    if (out->mask & HDI_BITMAP) out->hbm = c.bitmap;
    if (out->mask & HDI_ORDER) out->iOrder = order;
    if ((out->mask & HDI_TEXT) && out->pszText && out->cchTextMax > 0)
        copyText(toAnsi(c.text), out->pszText, out->cchTextMax);
}

void copyIn(const HDITEMA &in, HeaderItem &c) {
    if (in.mask & HDI_WIDTH) c.width = std::max(0, in.cxy);
    if (in.mask & HDI_FORMAT) c.fmt = in.fmt;
    if (in.mask & HDI_LPARAM) c.lParam = in.lParam;
    if (in.mask & HDI_IMAGE) c.image = in.iImage;
    if (in.mask & HDI_BITMAP) c.bitmap = in.hbm;
    if ((in.mask & HDI_TEXT) && in.pszText) c.text = fromAnsi(in.pszText);
}

}  // namespace

LRESULT CALLBACK headerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    HeaderView *h = headerViewOf(hwnd);
    ColumnModel *m = h ? h->columns() : nullptr;
    if (!m) return DefWindowProcA(hwnd, msg, wParam, lParam);
    int i = static_cast<int>(static_cast<LONG>(wParam));
    switch (msg) {
    case HDM_GETITEMCOUNT: return m->count();
    case HDM_INSERTITEMA: {
        auto *in = reinterpret_cast<const HDITEMA *>(lParam);
        if (!in || i < 0) return -1;
        HeaderItem c;
        copyIn(*in, c);
        c.subItem = i;
        int at = m->insertColumnItem(i, c);
        h->syncSections();
        return at;
    }
    case HDM_DELETEITEM: {
        bool ok = m->removeColumnItem(i);
        h->syncSections();
        return ok;
    }
    case HDM_GETITEMA: {
        auto *out = reinterpret_cast<HDITEMA *>(lParam);
        if (!out || i < 0 || i >= m->count()) return FALSE;
        copyOut(m->column(i), out, h->visualIndex(i));
        return TRUE;
    }
    case HDM_SETITEMA: {
        auto *in = reinterpret_cast<const HDITEMA *>(lParam);
        if (!in || i < 0 || i >= m->count()) return FALSE;
        HeaderItem c = m->column(i);
        copyIn(*in, c);
        m->setColumnItem(i, c);
        if ((in->mask & HDI_ORDER) && in->iOrder >= 0 && in->iOrder < h->count()) h->moveSection(h->visualIndex(i), in->iOrder);
        h->syncSections();
        return TRUE;
    }
    case HDM_SETIMAGELIST: {
        HIMAGELIST old = m->headerImages().list();
        m->headerImages().setList(reinterpret_cast<HIMAGELIST>(lParam));
        m->headerChanged();
        return reinterpret_cast<LRESULT>(old);
    }
    case HDM_GETIMAGELIST: return reinterpret_cast<LRESULT>(m->headerImages().list());
    case HDM_GETITEMRECT: {
        auto *r = reinterpret_cast<RECT *>(lParam);
        if (!r || i < 0 || i >= m->count()) return FALSE;
        int x = h->sectionViewportPosition(i);
        *r = RECT{x, 0, x + h->sectionSize(i), h->height()};
        return TRUE;
    }
    case HDM_HITTEST: {
        auto *info = reinterpret_cast<HDHITTESTINFO *>(lParam);
        if (!info) return -1;
        QPoint p(info->pt.x, info->pt.y);
        info->iItem = -1;
        if (p.y() < 0) info->flags = HHT_ABOVE;
        else if (p.y() >= h->height()) info->flags = HHT_BELOW;
        else if (p.x() < 0) info->flags = HHT_TOLEFT;
        else if (p.x() >= h->width()) info->flags = HHT_TORIGHT;
        else {
            int s = h->logicalIndexAt(p.x());
            if (s < 0 || s >= m->count()) info->flags = HHT_NOWHERE;
            else {
                info->iItem = s;
                int right = h->sectionViewportPosition(s) + h->sectionSize(s);
                info->flags = (right - p.x() <= 4) ? HHT_ONDIVIDER : HHT_ONHEADER;
            }
        }
        return info->iItem;
    }
    case HDM_LAYOUT: {
        auto *layout = reinterpret_cast<HDLAYOUT *>(lParam);
        if (!layout || !layout->prc) return FALSE;
        int height = (GetWindowLongA(hwnd, GWL_STYLE) & HDS_HIDDEN) ? 0 : h->sizeHint().height();
        RECT &rc = *layout->prc;
        if (layout->pwpos) {
            *layout->pwpos = HDWINDOWPOS{hwnd, nullptr, rc.left, rc.top, rc.right - rc.left, height, 0};
        }
        rc.top += height;
        return TRUE;
    }
    case HDM_ORDERTOINDEX: return h->logicalIndex(i);
    case HDM_GETORDERARRAY: {
        auto *out = reinterpret_cast<int *>(lParam);
        if (!out || i != m->count()) return FALSE;
        for (int v = 0; v < i; ++v) out[v] = h->logicalIndex(v);
        return TRUE;
    }
    case HDM_SETORDERARRAY: {
        auto *in = reinterpret_cast<const int *>(lParam);
        if (!in || i != m->count()) return FALSE;
        for (int v = 0; v < i; ++v)
            if (in[v] >= 0 && in[v] < h->count()) h->moveSection(h->visualIndex(in[v]), v);
        return TRUE;
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

namespace {
PredefinedClassRegistrar headerClass{{WC_HEADERA, headerProc, createHeader, CS_DBLCLKS}};
}

}  // namespace platform::ui
