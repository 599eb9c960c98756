// "SysTreeView32": the tree view's messages on its QTreeWidget.
#include "comctl/treeview_widget.h"

#include "gdi/dc.h"
#include "user/controls.h"
#include "user/window.h"

#include <QApplication>

namespace platform::ui {
namespace {

TreeView *treeOf(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? dynamic_cast<TreeView *>(w->widget.data()) : nullptr;
}

QWidget *createTreeView(WindowObject &w, QWidget *parent) {
    DWORD style = static_cast<DWORD>(w.style.load());
    auto *tree = new TreeView(w.hwnd, style, parent);
    if (!(style & WS_BORDER) && !(w.exStyle & WS_EX_CLIENTEDGE)) tree->setFrameShape(QFrame::NoFrame);
    applyTabStop(tree, style);
    return tree;
}

HTREEITEM handleOf(TreeItem *item) { return item ? item->handle : nullptr; }

TreeItem *childAt(QTreeWidgetItem *parent, int i) {
    return parent && i >= 0 && i < parent->childCount() ? static_cast<TreeItem *>(parent->child(i)) : nullptr;
}

HTREEITEM nextItem(TreeView *t, UINT code, HTREEITEM h) {
    TreeItem *item = t->find(h);
    switch (code) {
    case TVGN_ROOT: return handleOf(childAt(t->invisibleRootItem(), 0));
    case TVGN_CARET: return handleOf(t->selected());
    case TVGN_CHILD:
        if (!h || h == TVI_ROOT) return handleOf(childAt(t->invisibleRootItem(), 0));
        return item ? handleOf(childAt(item, 0)) : nullptr;
    case TVGN_NEXT:
    case TVGN_PREVIOUS: {
        if (!item) return nullptr;
        QTreeWidgetItem *p = item->parent() ? item->parent() : t->invisibleRootItem();
        return handleOf(childAt(p, p->indexOfChild(item) + (code == TVGN_NEXT ? 1 : -1)));
    }
    case TVGN_PARENT: return item ? handleOf(static_cast<TreeItem *>(item->parent())) : nullptr;
    case TVGN_FIRSTVISIBLE: return handleOf(static_cast<TreeItem *>(t->itemAt(2, 2)));
    case TVGN_NEXTVISIBLE:
        return item && t->shown(item) ? handleOf(static_cast<TreeItem *>(t->itemBelow(item))) : nullptr;
    case TVGN_PREVIOUSVISIBLE:
        return item && t->shown(item) ? handleOf(static_cast<TreeItem *>(t->itemAbove(item))) : nullptr;
    case TVGN_LASTVISIBLE: {
        QTreeWidgetItem *last = childAt(t->invisibleRootItem(), t->topLevelItemCount() - 1);
        while (last && last->isExpanded() && last->childCount()) last = last->child(last->childCount() - 1);
        return handleOf(static_cast<TreeItem *>(last));
    }
    default: return nullptr;
    }
}

// Viewport and control (client) coordinates differ by the frame.
QPoint toClient(TreeView *t, QPoint p) { return t->viewport()->mapTo(t, p); }
QPoint toViewport(TreeView *t, QPoint p) { return t->viewport()->mapFrom(t, p); }

int iconWidth(TreeView *t) {
    int cx = 0, cy = 0;
    return t->images && gdiImageListSize(t->images, &cx, &cy) ? cx + 2 : 0;
}

BOOL itemRect(TreeView *t, RECT *rc, bool textOnly) {
    TreeItem *item = t->find(*reinterpret_cast<HTREEITEM *>(rc));
    if (!item || !t->shown(item)) return FALSE;
    QRect r = t->visualItemRect(item);
    if (r.isEmpty()) return FALSE;
    if (textOnly) {
        r.setLeft(r.left() + iconWidth(t));
        r.setWidth(std::min(r.width(), t->fontMetrics().horizontalAdvance(item->text(0)) + 6));
    } else {
        r.setLeft(0);
        r.setRight(t->viewport()->width() - 1);
    }
    QPoint tl = toClient(t, r.topLeft());
    *rc = RECT{tl.x(), tl.y(), tl.x() + r.width(), tl.y() + r.height()};
    return TRUE;
}

HTREEITEM hitTest(TreeView *t, TVHITTESTINFO *hit) {
    QPoint p = toViewport(t, QPoint(hit->pt.x, hit->pt.y));
    QRect area = t->viewport()->rect();
    hit->hItem = nullptr;
    hit->flags = 0;
    if (p.y() < 0) hit->flags |= TVHT_ABOVE;
    if (p.y() >= area.height()) hit->flags |= TVHT_BELOW;
    if (p.x() < 0) hit->flags |= TVHT_TOLEFT;
    if (p.x() >= area.width()) hit->flags |= TVHT_TORIGHT;
    if (hit->flags) return nullptr;
    auto *item = static_cast<TreeItem *>(t->itemAt(p));
    if (!item) {
        hit->flags = TVHT_NOWHERE;
        return nullptr;
    }
    QRect cell = t->visualItemRect(item);
    int iconRight = cell.left() + iconWidth(t);
    int textRight = iconRight + t->fontMetrics().horizontalAdvance(item->text(0)) + 6;
    if (p.x() < cell.left()) {
        // The indentation; its last step holds the expand button.
        bool button = (item->childCount() || item->children) && p.x() >= cell.left() - t->indentation();
        hit->flags = button ? TVHT_ONITEMBUTTON : TVHT_ONITEMINDENT;
    } else if (p.x() < iconRight) {
        hit->flags = TVHT_ONITEMICON;
    } else if (p.x() < textRight) {
        hit->flags = TVHT_ONITEMLABEL;
    } else {
        hit->flags = TVHT_ONITEMRIGHT;
    }
    hit->hItem = item->handle;
    return item->handle;
}

LRESULT CALLBACK treeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TreeView *t = treeOf(hwnd);
    if (!t) return DefWindowProcA(hwnd, msg, wParam, lParam);
    auto item = [t, lParam] { return t->find(reinterpret_cast<HTREEITEM>(lParam)); };
    switch (msg) {
    case TVM_INSERTITEMA: {
        auto *ins = reinterpret_cast<const TVINSERTSTRUCTA *>(lParam);
        return ins ? reinterpret_cast<LRESULT>(t->insert(*ins)) : 0;
    }
    case TVM_DELETEITEM: return t->remove(reinterpret_cast<HTREEITEM>(lParam));
    case TVM_EXPAND: {
        TreeItem *i = item();
        return i && t->expandItem(i, static_cast<UINT>(wParam));
    }
    case TVM_GETITEMRECT: return lParam ? itemRect(t, reinterpret_cast<RECT *>(lParam), wParam != 0) : FALSE;
    case TVM_GETCOUNT: return static_cast<LRESULT>(t->count());
    case TVM_GETINDENT: return t->indentation();
    case TVM_SETINDENT:
        t->setIndentation(std::max(static_cast<int>(wParam), 0));
        return 0;
    case TVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(wParam == TVSIL_STATE ? t->stateImages : wParam == TVSIL_NORMAL ? t->images
                                                                                                       : nullptr);
    case TVM_SETIMAGELIST: {
        auto list = reinterpret_cast<HIMAGELIST>(lParam);
        HIMAGELIST old;
        if (wParam == TVSIL_NORMAL) {
            old = t->images;
            t->images = list;
            int cx = 0, cy = 0;
            if (list && gdiImageListSize(list, &cx, &cy)) t->setIconSize(QSize(cx, cy));
        } else if (wParam == TVSIL_STATE) {
            old = t->stateImages;
            t->stateImages = list;
        } else {
            return 0;
        }
        t->viewport()->update();
        return reinterpret_cast<LRESULT>(old);
    }
    case TVM_GETNEXTITEM: return reinterpret_cast<LRESULT>(nextItem(t, static_cast<UINT>(wParam), reinterpret_cast<HTREEITEM>(lParam)));
    case TVM_SELECTITEM: {
        UINT code = static_cast<UINT>(wParam) & 0xFF;
        TreeItem *i = item();
        if (lParam && !i) return FALSE;
        if (code == TVGN_CARET) {
            if (i) {
                // The new selection is made visible, as a user would see it.
                for (QTreeWidgetItem *p = i->parent(); p; p = p->parent()) t->expandItem(static_cast<TreeItem *>(p), TVE_EXPAND);
                if (!(i = item())) return FALSE;
            }
            if (!t->changeSelection(i, TVC_UNKNOWN, true)) return FALSE;
            if (i) t->scrollToItem(i);
            return TRUE;
        }
        if (code == TVGN_FIRSTVISIBLE && i) {
            t->scrollToItem(i, QAbstractItemView::PositionAtTop);
            return TRUE;
        }
        return code == TVGN_DROPHILITE;  // no drag and drop: nothing to highlight
    }
    case TVM_GETITEMA: {
        auto *out = reinterpret_cast<TVITEMA *>(lParam);
        TreeItem *i = out ? t->find(out->hItem) : nullptr;
        if (!i) return FALSE;
        if (out->mask & TVIF_TEXT) {
            if (out->pszText && out->cchTextMax > 0) copyText(i->label, out->pszText, out->cchTextMax);
        }
        if (out->mask & TVIF_IMAGE) out->iImage = i->image;
        if (out->mask & TVIF_SELECTEDIMAGE) out->iSelectedImage = i->selectedImage;
        if (out->mask & TVIF_PARAM) out->lParam = i->param;
        if (out->mask & TVIF_CHILDREN) out->cChildren = i->childCount() ? 1 : i->children;
        if (out->mask & TVIF_STATE) out->state = t->stateOf(i) & (out->stateMask ? out->stateMask : 0xFFFF);
        return TRUE;
    }
    case TVM_SETITEMA: {
        auto *in = reinterpret_cast<const TVITEMA *>(lParam);
        return in && t->setItem(*in);
    }
    case TVM_GETVISIBLECOUNT: {
        int h = t->sizeHintForRow(0);
        return h > 0 ? t->viewport()->height() / h : 0;
    }
    case TVM_HITTEST: {
        auto *hit = reinterpret_cast<TVHITTESTINFO *>(lParam);
        return hit ? reinterpret_cast<LRESULT>(hitTest(t, hit)) : 0;
    }
    case TVM_SORTCHILDREN: {
        QTreeWidgetItem *p = (!lParam || reinterpret_cast<HTREEITEM>(lParam) == TVI_ROOT) ? t->invisibleRootItem() : item();
        if (!p) return FALSE;
        p->sortChildren(0, Qt::AscendingOrder);
        return TRUE;
    }
    case TVM_ENSUREVISIBLE: {
        TreeItem *i = item();
        if (!i) return FALSE;
        for (QTreeWidgetItem *p = i->parent(); p; p = p->parent()) t->expandItem(static_cast<TreeItem *>(p), TVE_EXPAND);
        if (!(i = item())) return FALSE;
        t->scrollToItem(i);
        return TRUE;
    }
    case TVM_SETBKCOLOR:
    case TVM_SETTEXTCOLOR: {
        QPalette p = t->palette();
        QPalette::ColorRole role = msg == TVM_SETBKCOLOR ? QPalette::Base : QPalette::Text;
        COLORREF old = gdiColorRef(p.color(role));
        COLORREF c = static_cast<COLORREF>(lParam);
        p.setColor(role, c == CLR_NONE ? QApplication::palette().color(role) : gdiColor(c));
        t->setPalette(p);
        return static_cast<LRESULT>(old);
    }
    case TVM_GETBKCOLOR: return static_cast<LRESULT>(gdiColorRef(t->palette().color(QPalette::Base)));
    case TVM_GETTEXTCOLOR: return static_cast<LRESULT>(gdiColorRef(t->palette().color(QPalette::Text)));
    case WM_DESTROY:
        // The parent hears of every item once more, so it can free item data.
        t->remove(TVI_ROOT);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

PredefinedClassRegistrar registrar{{WC_TREEVIEWA, treeViewProc, createTreeView, CS_DBLCLKS}};

}  // namespace
}  // namespace platform::ui
