// SysListView32: the window procedure answering LVM_* on the list view's
// widget, model and selection (listview_widget.*, listview_model.*).
#include "comctl/listview_widget.h"

#include "user/controls.h"

#include <QApplication>

#include <cstring>
#include <QScrollBar>

namespace platform::ui {
namespace {

QWidget *createListView(WindowObject &w, QWidget *parent) {
    auto *lv = new ListViewWidget(w.hwnd, parent);
    lv->applyStyle(static_cast<DWORD>(w.style.load()));
    return lv;
}

bool textIsCallback(LPCSTR p) { return p == LPSTR_TEXTCALLBACKA; }

// Item text as Qt text. The code page agrees with Latin-1 outside 0x80 to
// 0x9F, so most texts take Qt's fast Latin-1 conversion.
QString itemTextOf(const char *s) {
    size_t n = std::strlen(s);
    for (size_t i = 0; i < n; ++i) {
        auto b = static_cast<unsigned char>(s[i]);
        if (b >= 0x80 && b < 0xA0) return fromAnsi(s);
    }
    return QString::fromLatin1(s, static_cast<qsizetype>(n));
}

// Copies the fields of an LVITEMA's mask into an item (text of iSubItem).
void applyFields(ListItem &it, const LVITEMA &in) {
    if (in.mask & LVIF_TEXT) {
        size_t sub = static_cast<size_t>(std::max(0, in.iSubItem));
        if (it.texts.size() <= sub) it.texts.resize(sub + 1);
        if (textIsCallback(in.pszText)) {
            if (sub < 32) it.callbackTexts |= 1u << sub;
            it.texts[sub].clear();
        } else {
            if (sub < 32) it.callbackTexts &= ~(1u << sub);
            it.texts[sub] = in.pszText ? itemTextOf(in.pszText) : QString();
        }
    }
    if (in.iSubItem != 0) return;
    if (in.mask & LVIF_IMAGE) it.image = in.iImage;
    if (in.mask & LVIF_PARAM) it.lParam = in.lParam;
    if (in.mask & LVIF_INDENT) it.indent = in.iIndent;
}

int insertItem(ListViewWidget *lv, const LVITEMA *in) {
    ListModel *m = lv->model();
    if (!in || in->iItem < 0 || in->iSubItem != 0 || m->sorting()) return -1;
    ListItem it;
    applyFields(it, *in);
    if (in->mask & LVIF_STATE) it.state = in->state & in->stateMask & ~(LVIS_SELECTED | LVIS_FOCUSED);
    if ((lv->exStyle() & LVS_EX_CHECKBOXES) && !(it.state & LVIS_STATEIMAGEMASK)) it.state |= INDEXTOSTATEIMAGEMASK(1);
    int at = in->iItem;
    DWORD style = lv->style();
    if (style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
        // Sorted lists place the item by its text, without case.
        QString t = it.texts.empty() ? QString() : it.texts[0];
        bool down = style & LVS_SORTDESCENDING;
        int lo = 0, hi = m->itemCount();
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            int c = QString::compare(m->text(mid, 0), t, Qt::CaseInsensitive);
            if (down ? c >= 0 : c <= 0) lo = mid + 1;
            else hi = mid;
        }
        at = lo;
    }
    at = m->insertItem(at, std::move(it));
    if (in->mask & LVIF_STATE) {
        UINT sel = in->stateMask & (LVIS_SELECTED | LVIS_FOCUSED);
        if (sel) {
            m->flush();
            lv->setItemState(at, in->state, sel);
        }
    }
    if (lv->alive()) lv->notifyItem(LVN_INSERTITEM, at, 0, 0, 0);
    return at;
}

BOOL setItem(ListViewWidget *lv, const LVITEMA *in) {
    ListModel *m = lv->model();
    if (!in || in->iItem < 0 || in->iItem >= m->itemCount() || in->iSubItem < 0) return FALSE;
    if (in->iSubItem >= m->columnCount() && in->iSubItem > 0 && in->iSubItem >= m->count()) return FALSE;
    ListItem &it = m->itemForChange(in->iItem);
    applyFields(it, *in);
    m->itemChanged(in->iItem);
    if ((in->mask & LVIF_STATE) && in->iSubItem == 0) {
        m->flush();
        lv->setItemState(in->iItem, in->state, in->stateMask);
    }
    return TRUE;
}

BOOL getItem(ListViewWidget *lv, LVITEMA *out) {
    ListModel *m = lv->model();
    if (!out || out->iItem < 0 || out->iItem >= m->itemCount() || out->iSubItem < 0) return FALSE;
    const ListItem &it = m->item(out->iItem);
    if ((out->mask & LVIF_TEXT) && out->pszText && out->cchTextMax > 0)
        copyText(toAnsi(m->text(out->iItem, out->iSubItem)), out->pszText, out->cchTextMax);
    if (out->mask & LVIF_IMAGE) out->iImage = out->iSubItem == 0 ? it.image : 0;
    if (out->mask & LVIF_PARAM) out->lParam = it.lParam;
    if (out->mask & LVIF_INDENT) out->iIndent = it.indent;
    if (out->mask & LVIF_STATE) out->state = lv->itemState(out->iItem) & out->stateMask;
    return TRUE;
}

BOOL deleteItem(ListViewWidget *lv, int i) {
    ListModel *m = lv->model();
    if (i < 0 || i >= m->itemCount() || m->sorting()) return FALSE;
    lv->notifyItem(LVN_DELETEITEM, i, 0, 0, 0);
    if (!lv->alive() || i >= m->itemCount() || m->sorting()) return FALSE;
    ++lv->quiet;
    bool wasFocused = lv->selection()->currentIndex().row() == i;
    m->removeItem(i);
    // The item that had the focus is gone; no other item takes it.
    if (wasFocused) lv->selection()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    if (lv->selectionMark == i) lv->selectionMark = -1;
    else if (lv->selectionMark > i) --lv->selectionMark;
    --lv->quiet;
    return TRUE;
}

BOOL deleteAll(ListViewWidget *lv) {
    ListModel *m = lv->model();
    if (m->sorting()) return FALSE;
    if (m->itemCount() == 0) return TRUE;
    // A parent that answers LVN_DELETEALLITEMS with TRUE wants no per-item notifications.
    bool each = lv->notifyItem(LVN_DELETEALLITEMS, -1, 0, 0, 0) == 0;
    if (!lv->alive()) return FALSE;
    for (int i = 0; each && i < m->itemCount() && lv->alive(); ++i) lv->notifyItem(LVN_DELETEITEM, i, 0, 0, 0);
    if (!lv->alive() || m->sorting()) return FALSE;
    ++lv->quiet;
    m->removeAll();
    lv->selectionMark = -1;
    --lv->quiet;
    return TRUE;
}

int findItem(ListViewWidget *lv, int start, const LVFINDINFOA *find) {
    ListModel *m = lv->model();
    if (!find) return -1;
    int n = m->itemCount();
    if (start < -1 || start >= n) start = -1;
    if (find->flags & LVFI_PARAM) {
        int r = m->findParam(find->lParam, start);
        if (r < 0 && (find->flags & LVFI_WRAP) && start >= 0) r = m->findParam(find->lParam, -1);
        return r;
    }
    if (find->flags & (LVFI_STRING | LVFI_PARTIAL)) {
        if (!find->psz) return -1;
        QString s = fromAnsi(find->psz);
        bool partial = find->flags & LVFI_PARTIAL;
        int steps = (find->flags & LVFI_WRAP) ? n : n - (start + 1);
        for (int k = 1; k <= steps; ++k) {
            int i = (start + k) % n;
            QString t = m->text(i, 0);
            if (partial ? t.startsWith(s, Qt::CaseInsensitive) : QString::compare(t, s, Qt::CaseInsensitive) == 0) return i;
        }
    }
    return -1;
}

int nextItem(ListViewWidget *lv, int start, UINT flags) {
    ListModel *m = lv->model();
    int n = m->itemCount();
    UINT want = flags & (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED);
    auto matches = [&](int i) { return (lv->itemState(i) & want) == want; };
    if (flags & (LVNI_ABOVE | LVNI_TOLEFT)) {
        for (int i = (start < 0 ? n : start) - 1; i >= 0; --i)
            if (matches(i)) return i;
        return -1;
    }
    if (want == LVNI_SELECTED) {
        std::vector<int> rows = lv->selection()->rows();
        auto it = std::upper_bound(rows.begin(), rows.end(), start);
        return it == rows.end() ? -1 : *it;
    }
    if (want == LVNI_FOCUSED && !(flags & ~LVNI_FOCUSED & 0xFF)) {
        int f = lv->selection()->currentIndex().isValid() ? lv->selection()->currentIndex().row() : -1;
        return f > start ? f : -1;
    }
    for (int i = std::max(-1, start) + 1; i < n; ++i)
        if (matches(i)) return i;
    return -1;
}

BOOL sortItems(ListViewWidget *lv, PFNLVCOMPARE compare, LPARAM context, bool byIndex) {
    ListModel *m = lv->model();
    if (!compare || m->sorting()) return FALSE;
    if (!byIndex) {
        m->sortItems([&](const ListItem &a, const ListItem &b) { return compare(a.lParam, b.lParam, context); });
    } else {
        // LVM_SORTITEMSEX compares item indexes, as they are before the sort.
        std::vector<const ListItem *> base;
        for (int i = 0; i < m->itemCount(); ++i) base.push_back(&m->item(i));
        auto indexOf = [&](const ListItem &x) {
            return static_cast<LPARAM>(std::lower_bound(base.begin(), base.end(), &x) - base.begin());
        };
        m->sortItems([&](const ListItem &a, const ListItem &b) { return compare(indexOf(a), indexOf(b), context); });
    }
    return TRUE;
}

BOOL setColumn(ListViewWidget *lv, int i, const LVCOLUMNA *in, bool insert, int *where) {
    ListModel *m = lv->model();
    if (!in) return FALSE;
    HeaderItem c;
    if (!insert) {
        if (i < 0 || i >= m->count()) return FALSE;
        c = m->column(i);
    } else {
        c.subItem = i;
        c.width = 0;
    }
    if (in->mask & LVCF_FMT) {
        int j = in->fmt & LVCFMT_JUSTIFYMASK;
        c.fmt = (c.fmt & ~(HDF_JUSTIFYMASK | HDF_IMAGE | HDF_BITMAP_ON_RIGHT)) | j;
        if (in->fmt & LVCFMT_IMAGE) c.fmt |= HDF_IMAGE;
        if (in->fmt & LVCFMT_BITMAP_ON_RIGHT) c.fmt |= HDF_BITMAP_ON_RIGHT;
    }
    if (in->mask & LVCF_WIDTH) c.width = std::max(0, in->cx);
    if ((in->mask & LVCF_TEXT) && in->pszText && !textIsCallback(in->pszText)) c.text = fromAnsi(in->pszText);
    if (in->mask & LVCF_SUBITEM) c.subItem = in->iSubItem;
    if (in->mask & LVCF_IMAGE) {
        c.image = in->iImage;
        c.fmt |= HDF_IMAGE;
    }
    c.fmt |= HDF_STRING;
    if (insert) *where = m->insertColumnItem(i, c);
    else m->setColumnItem(i, c);
    if (HeaderView *h = headerViewOf(lv->header())) h->syncSections();
    if ((in->mask & LVCF_ORDER) && in->iOrder >= 0) {
        int col = insert ? *where : i;
        if (HeaderView *h = headerViewOf(lv->header()); h && in->iOrder < h->count())
            h->moveSection(h->visualIndex(col), in->iOrder);
    }
    m->allChanged();
    return TRUE;
}

BOOL getColumn(ListViewWidget *lv, int i, LVCOLUMNA *out) {
    ListModel *m = lv->model();
    if (!out || i < 0 || i >= m->count()) return FALSE;
    const HeaderItem &c = m->column(i);
    if (out->mask & LVCF_FMT) {
        out->fmt = c.fmt & HDF_JUSTIFYMASK;
        if (c.fmt & HDF_IMAGE) out->fmt |= LVCFMT_IMAGE;
        if (c.fmt & HDF_BITMAP_ON_RIGHT) out->fmt |= LVCFMT_BITMAP_ON_RIGHT;
    }
    if (out->mask & LVCF_WIDTH) out->cx = c.width;
    if ((out->mask & LVCF_TEXT) && out->pszText && out->cchTextMax > 0) copyText(toAnsi(c.text), out->pszText, out->cchTextMax);
    if (out->mask & LVCF_SUBITEM) out->iSubItem = c.subItem;
    if (out->mask & LVCF_IMAGE) out->iImage = c.image;
    if (out->mask & LVCF_ORDER) {
        HeaderView *h = headerViewOf(lv->header());
        out->iOrder = h ? h->visualIndex(i) : i;
    }
    return TRUE;
}

HIMAGELIST setImageList(ListViewWidget *lv, int which, HIMAGELIST list) {
    ListModel *m = lv->model();
    HIMAGELIST old = nullptr;
    switch (which) {
    case LVSIL_NORMAL:
        old = m->normalImages().list();
        m->setNormalImages(list);
        break;
    case LVSIL_SMALL:
        old = m->smallImages().list();
        m->setSmallImages(list);
        // The header shows the small images too (sort marks in column headers).
        if (HWND h = lv->header()) SendMessageA(h, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(list));
        break;
    case LVSIL_STATE:
        old = m->stateImages().list();
        m->setStateImages(list);
        break;
    default: return nullptr;
    }
    lv->applyStyle(static_cast<DWORD>(GetWindowLongA(lv->hwnd, GWL_STYLE)));
    return old;
}

HIMAGELIST getImageList(ListViewWidget *lv, int which) {
    ListModel *m = lv->model();
    switch (which) {
    case LVSIL_NORMAL: return m->normalImages().list();
    case LVSIL_SMALL: return m->smallImages().list();
    case LVSIL_STATE: return m->stateImages().list();
    default: return nullptr;
    }
}

void setColors(ListViewWidget *lv) {
    QAbstractItemView *v = lv->view();
    QPalette pal = v->palette();
    QPalette base = QApplication::palette(v);
    pal.setColor(QPalette::Base, lv->background == CLR_DEFAULT || lv->background == CLR_NONE
                                     ? base.color(QPalette::Base)
                                     : QColor(GetRValue(lv->background), GetGValue(lv->background), GetBValue(lv->background)));
    for (QWidget *w : lv->findChildren<QAbstractItemView *>(Qt::FindDirectChildrenOnly)) w->setPalette(pal);
    lv->model()->setTextColor(lv->textColor == CLR_DEFAULT
                                  ? QVariant()
                                  : QVariant(QColor(GetRValue(lv->textColor), GetGValue(lv->textColor), GetBValue(lv->textColor))));
    lv->model()->setTextBackground(lv->textBackground == CLR_DEFAULT || lv->textBackground == CLR_NONE
                                       ? QVariant()
                                       : QVariant(QColor(GetRValue(lv->textBackground), GetGValue(lv->textBackground),
                                                         GetBValue(lv->textBackground))));
}

LRESULT CALLBACK listViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ListViewWidget *lv = listViewOf(hwnd);
    if (!lv) return DefWindowProcA(hwnd, msg, wParam, lParam);
    ListModel *m = lv->model();
    int i = static_cast<int>(static_cast<LONG>(wParam));
    // Items appended while the redraw is off reach the views in one batch;
    // everything but filling needs the views to know them.
    if (msg != LVM_INSERTITEMA && msg != LVM_SETITEMTEXTA && msg != LVM_SETITEMA && msg != LVM_GETITEMCOUNT) m->flush();
    switch (msg) {
    case WM_CREATE:
        lv->header();
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_STYLECHANGED:
        if (wParam == static_cast<WPARAM>(GWL_STYLE) && lParam)
            lv->applyStyle(reinterpret_cast<const STYLESTRUCT *>(lParam)->styleNew);
        return 0;
    case WM_SETREDRAW:
        m->setFrozen(wParam == 0);
        lv->view()->viewport()->setUpdatesEnabled(wParam != 0);
        if (wParam) lv->view()->viewport()->update();
        return 0;
    case WM_GETDLGCODE: {
        // While a label is edited in place, its editor takes every key:
        // Enter ends the edit and Escape cancels it, as in an edit control
        // that wants all keys, instead of pressing the dialog's buttons.
        QWidget *focus = QApplication::focusWidget();
        bool editing = focus && focus != lv->view() && lv->view()->isAncestorOf(focus);
        return DLGC_WANTARROWS | DLGC_WANTCHARS | (editing ? DLGC_WANTALLKEYS | DLGC_WANTMESSAGE : 0);
    }
    case WM_NOTIFY: {
        // The header's notifications go on to the list view's parent.
        auto *hdr = reinterpret_cast<NMHDR *>(lParam);
        if (hdr && hdr->hwndFrom == lv->header() && GetParent(hwnd)) return SendMessageA(GetParent(hwnd), msg, wParam, lParam);
        return 0;
    }

    case LVM_GETITEMCOUNT: return m->itemCount();
    case LVM_SETITEMCOUNT: m->reserve(i); return TRUE;
    case LVM_INSERTITEMA: return insertItem(lv, reinterpret_cast<const LVITEMA *>(lParam));
    case LVM_SETITEMA: return setItem(lv, reinterpret_cast<const LVITEMA *>(lParam));
    case LVM_GETITEMA: return getItem(lv, reinterpret_cast<LVITEMA *>(lParam));
    case LVM_DELETEITEM: return deleteItem(lv, i);
    case LVM_DELETEALLITEMS: return deleteAll(lv);
    case LVM_SETITEMTEXTA: {
        auto *in = reinterpret_cast<const LVITEMA *>(lParam);
        if (!in || i < 0 || i >= m->itemCount() || in->iSubItem < 0) return FALSE;
        LVITEMA copy = *in;
        copy.mask = LVIF_TEXT;
        copy.iItem = i;
        return setItem(lv, &copy);
    }
    case LVM_GETITEMTEXTA: {
        auto *out = reinterpret_cast<LVITEMA *>(lParam);
        if (!out || !out->pszText || out->cchTextMax <= 0 || i < 0 || i >= m->itemCount() || out->iSubItem < 0) return 0;
        return copyText(toAnsi(m->text(i, out->iSubItem)), out->pszText, out->cchTextMax);
    }
    case LVM_SETITEMSTATE: {
        auto *in = reinterpret_cast<const LVITEMA *>(lParam);
        if (!in) return FALSE;
        return lv->setItemState(i, in->state, in->stateMask);
    }
    case LVM_GETITEMSTATE: return lv->itemState(i) & static_cast<UINT>(lParam);
    case LVM_GETNEXTITEM: return nextItem(lv, i, static_cast<UINT>(LOWORD(lParam)));
    case LVM_GETSELECTEDCOUNT: return static_cast<LRESULT>(lv->selection()->rows().size());
    case LVM_GETSELECTIONMARK: return lv->selectionMark;
    case LVM_SETSELECTIONMARK: {
        int old = lv->selectionMark;
        lv->selectionMark = static_cast<int>(lParam);
        return old;
    }
    case LVM_FINDITEMA: return findItem(lv, i, reinterpret_cast<const LVFINDINFOA *>(lParam));
    case LVM_SORTITEMS: return sortItems(lv, reinterpret_cast<PFNLVCOMPARE>(lParam), static_cast<LPARAM>(wParam), false);
    case LVM_SORTITEMSEX: return sortItems(lv, reinterpret_cast<PFNLVCOMPARE>(lParam), static_cast<LPARAM>(wParam), true);

    case LVM_INSERTCOLUMNA: {
        int where = -1;
        if (i < 0 || !setColumn(lv, i, reinterpret_cast<const LVCOLUMNA *>(lParam), true, &where)) return -1;
        return where;
    }
    case LVM_SETCOLUMNA: return setColumn(lv, i, reinterpret_cast<const LVCOLUMNA *>(lParam), false, nullptr);
    case LVM_GETCOLUMNA: return getColumn(lv, i, reinterpret_cast<LVCOLUMNA *>(lParam));
    case LVM_DELETECOLUMN: {
        bool ok = m->removeColumnItem(i);
        if (HeaderView *h = headerViewOf(lv->header())) h->syncSections();
        return ok;
    }
    case LVM_GETCOLUMNWIDTH:
        if (i < 0 || i >= m->count()) return 0;
        return m->column(i).width;
    case LVM_SETCOLUMNWIDTH: {
        int cx = static_cast<short>(LOWORD(lParam));
        if (i < 0 || i >= m->count()) return FALSE;
        if (cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER) cx = lv->autoWidth(i, cx == LVSCW_AUTOSIZE_USEHEADER);
        lv->setColumnWidth(i, cx);
        return TRUE;
    }
    case LVM_GETHEADER: return reinterpret_cast<LRESULT>(lv->header());
    case LVM_SETCOLUMNORDERARRAY:
    case LVM_GETCOLUMNORDERARRAY: {
        HWND h = lv->header();
        return h ? SendMessageA(h, msg == LVM_SETCOLUMNORDERARRAY ? HDM_SETORDERARRAY : HDM_GETORDERARRAY, wParam, lParam)
                 : FALSE;
    }

    case LVM_SETIMAGELIST: return reinterpret_cast<LRESULT>(setImageList(lv, i, reinterpret_cast<HIMAGELIST>(lParam)));
    case LVM_GETIMAGELIST: return reinterpret_cast<LRESULT>(getImageList(lv, i));
    case LVM_SETEXTENDEDLISTVIEWSTYLE: return lv->setExStyle(static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return lv->exStyle();

    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
        auto *info = reinterpret_cast<LVHITTESTINFO *>(lParam);
        if (!info) return -1;
        return lv->hitTest(info, msg == LVM_SUBITEMHITTEST);
    }
    case LVM_GETITEMRECT: {
        auto *r = reinterpret_cast<RECT *>(lParam);
        if (!r) return FALSE;
        return lv->itemRect(i, 0, r->left, r);
    }
    case LVM_GETSUBITEMRECT: {
        auto *r = reinterpret_cast<RECT *>(lParam);
        if (!r) return FALSE;
        return lv->itemRect(i, r->top, r->left, r);
    }
    case LVM_ENSUREVISIBLE:
        if (i < 0 || i >= m->itemCount()) return FALSE;
        lv->view()->scrollTo(m->index(i, 0), QAbstractItemView::EnsureVisible);
        return TRUE;
    case LVM_SCROLL: {
        QAbstractItemView *v = lv->view();
        v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->value() + static_cast<int>(wParam));
        v->verticalScrollBar()->setValue(v->verticalScrollBar()->value() + static_cast<int>(lParam));
        return TRUE;
    }
    case LVM_GETTOPINDEX: return lv->topIndex();
    case LVM_GETCOUNTPERPAGE: return lv->countPerPage();
    case LVM_GETORIGIN: {
        auto *p = reinterpret_cast<POINT *>(lParam);
        if (!p || lv->report()) return FALSE;
        *p = POINT{lv->view()->horizontalScrollBar()->value(), lv->view()->verticalScrollBar()->value()};
        return TRUE;
    }
    case LVM_GETVIEWRECT: {
        auto *r = reinterpret_cast<RECT *>(lParam);
        if (!r) return FALSE;
        QRect vp = lv->view()->viewport()->rect().translated(lv->viewportOffset());
        *r = RECT{vp.left(), vp.top(), vp.left() + vp.width(), vp.top() + vp.height()};
        return TRUE;
    }
    case LVM_REDRAWITEMS:
        m->itemsChanged(i, static_cast<int>(lParam));
        return TRUE;
    case LVM_UPDATE:
        if (i < 0 || i >= m->itemCount()) return FALSE;
        m->itemChanged(i);
        return TRUE;
    case LVM_ARRANGE:
        if (!lv->report()) lv->view()->doItemsLayout();
        return TRUE;
    case LVM_GETSTRINGWIDTHA:
        if (!lParam) return 0;
        return lv->view()->fontMetrics().horizontalAdvance(fromAnsi(reinterpret_cast<LPCSTR>(lParam)));
    case LVM_EDITLABELA:
        if (i >= 0 && i < m->itemCount() && (GetWindowLongA(hwnd, GWL_STYLE) & LVS_EDITLABELS)) {
            lv->view()->setFocus();
            lv->selection()->setCurrentIndex(m->index(i, 0), QItemSelectionModel::NoUpdate);
            lv->view()->edit(m->index(i, 0));
        }
        return 0;  // the editor is a Qt line edit, not a window
    case LVM_GETEDITCONTROL: return 0;

    case LVM_SETBKCOLOR:
        lv->background = static_cast<COLORREF>(lParam);
        setColors(lv);
        return TRUE;
    case LVM_GETBKCOLOR: return lv->background == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : lv->background;
    case LVM_SETTEXTCOLOR:
        lv->textColor = static_cast<COLORREF>(lParam);
        setColors(lv);
        return TRUE;
    case LVM_GETTEXTCOLOR: return lv->textColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : lv->textColor;
    case LVM_SETTEXTBKCOLOR:
        lv->textBackground = static_cast<COLORREF>(lParam);
        setColors(lv);
        return TRUE;
    case LVM_GETTEXTBKCOLOR: return lv->textBackground == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : lv->textBackground;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

PredefinedClassRegistrar listViewClass{{WC_LISTVIEWA, listViewProc, createListView, CS_DBLCLKS}};

}  // namespace
}  // namespace platform::ui
