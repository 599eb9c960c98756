// LISTBOX on QListWidget: strings with item data, single, multiple and
// extended selection, sorted lists (LBS_SORT, without case). Selection
// changes made by the user are reported with LBN_SELCHANGE (LBS_NOTIFY);
// those made by messages are not, as on Windows.
#include "user/controls.h"

#include <QListWidget>

namespace platform::ui {

// Where a sorted list takes a new string: after its equals, without case.
int sortedPosition(const std::function<QString(int)> &at, int count, const QString &s) {
    int lo = 0, hi = count;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (QString::compare(at(mid), s, Qt::CaseInsensitive) <= 0) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

// The first item from start+1 (wrapping) whose text equals s or begins with
// it, without case; -1 if none.
int findString(const std::function<QString(int)> &at, int count, int start, const QString &s, bool exact) {
    if (count <= 0) return -1;
    if (start < -1 || start >= count) start = -1;
    for (int step = 1; step <= count; ++step) {
        int i = (start + step) % count;
        QString t = at(i);
        if (exact ? QString::compare(t, s, Qt::CaseInsensitive) == 0 : t.startsWith(s, Qt::CaseInsensitive)) return i;
    }
    return -1;
}

namespace {

QString itemText(QListWidget *l, int i) { return l->item(i) ? l->item(i)->text() : QString(); }

bool multiSelect(QListWidget *l) { return l->selectionMode() == QAbstractItemView::MultiSelection ||
                                          l->selectionMode() == QAbstractItemView::ExtendedSelection; }

}  // namespace

QWidget *createListBox(WindowObject &w, QWidget *parent) {
    DWORD style = static_cast<DWORD>(w.style.load());
    auto *l = new QListWidget(parent);
    if (style & LBS_NOSEL) l->setSelectionMode(QAbstractItemView::NoSelection);
    else if (style & LBS_EXTENDEDSEL) l->setSelectionMode(QAbstractItemView::ExtendedSelection);
    else if (style & LBS_MULTIPLESEL) l->setSelectionMode(QAbstractItemView::MultiSelection);
    else l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    if (!(style & WS_BORDER) && !(w.exStyle & WS_EX_CLIENTEDGE)) l->setFrameShape(QFrame::NoFrame);
    HWND hwnd = w.hwnd;
    QObject::connect(l, &QListWidget::itemSelectionChanged, l, [hwnd] {
        if (!ProgrammaticChange::active() && (GetWindowLongA(hwnd, GWL_STYLE) & LBS_NOTIFY))
            notifyParent(hwnd, LBN_SELCHANGE);
    });
    QObject::connect(l, &QListWidget::itemDoubleClicked, l, [hwnd] {
        if (GetWindowLongA(hwnd, GWL_STYLE) & LBS_NOTIFY) notifyParent(hwnd, LBN_DBLCLK);
    });
    notifyFocus(l, hwnd, LBN_SETFOCUS, LBN_KILLFOCUS);
    applyTabStop(l, style);
    return l;
}

LRESULT CALLBACK listBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto w = windowGet(hwnd);
    auto *l = w ? qobject_cast<QListWidget *>(w->widget.data()) : nullptr;
    if (!l) return DefWindowProcA(hwnd, msg, wParam, lParam);
    int count = l->count();
    int index = static_cast<int>(static_cast<LONG>(wParam));
    auto at = [l](int i) { return itemText(l, i); };
    const char *str = reinterpret_cast<const char *>(lParam);
    ProgrammaticChange quiet;
    switch (msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        QString s = fromAnsi(str ? str : "");
        int pos;
        if (msg == LB_ADDSTRING) pos = (w->style & LBS_SORT) ? sortedPosition(at, count, s) : count;
        else if (index == -1) pos = count;
        else if (index < 0 || index > count) return LB_ERR;
        else pos = index;
        l->insertItem(pos, s);
        return pos;
    }
    case LB_DELETESTRING:
        if (index < 0 || index >= count) return LB_ERR;
        delete l->takeItem(index);
        return l->count();
    case LB_RESETCONTENT: l->clear(); return 0;
    case LB_GETCOUNT: return count;
    case LB_GETCURSEL:
        if (multiSelect(l)) return l->currentRow();
        {
            auto sel = l->selectedItems();
            return sel.isEmpty() ? LB_ERR : l->row(sel.first());
        }
    case LB_SETCURSEL:
        if (multiSelect(l)) return LB_ERR;
        l->clearSelection();
        if (index < 0 || index >= count) return index == -1 ? 0 : LB_ERR;
        l->setCurrentRow(index);
        l->item(index)->setSelected(true);
        return index;
    case LB_GETSEL:
        if (index < 0 || index >= count) return LB_ERR;
        return l->item(index)->isSelected() ? 1 : 0;
    case LB_SETSEL: {
        if (!multiSelect(l)) return LB_ERR;
        int i = static_cast<int>(lParam);
        if (i == -1) {
            for (int k = 0; k < count; ++k) l->item(k)->setSelected(wParam != 0);
            return 0;
        }
        if (i < 0 || i >= count) return LB_ERR;
        l->item(i)->setSelected(wParam != 0);
        return 0;
    }
    case LB_GETSELCOUNT:
        if (!multiSelect(l)) return LB_ERR;
        return static_cast<LRESULT>(l->selectedItems().size());
    case LB_GETSELITEMS: {
        if (!multiSelect(l)) return LB_ERR;
        int n = 0;
        auto *out = reinterpret_cast<int *>(lParam);
        for (int k = 0; k < count && n < static_cast<int>(wParam); ++k)
            if (l->item(k)->isSelected()) out[n++] = k;
        return n;
    }
    case LB_GETTEXT:
        if (index < 0 || index >= count) return LB_ERR;
        {
            // The caller's buffer must hold LB_GETTEXTLEN + 1 bytes, as on Windows.
            std::string t = toAnsi(itemText(l, index));
            return copyText(t, reinterpret_cast<LPSTR>(lParam), static_cast<int>(t.size() + 1));
        }
    case LB_GETTEXTLEN:
        if (index < 0 || index >= count) return LB_ERR;
        return static_cast<LRESULT>(toAnsi(itemText(l, index)).size());
    case LB_GETITEMDATA:
        if (index < 0 || index >= count) return LB_ERR;
        return static_cast<LRESULT>(l->item(index)->data(Qt::UserRole).toLongLong());
    case LB_SETITEMDATA:
        if (index == -1) {
            for (int k = 0; k < count; ++k) l->item(k)->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(lParam));
            return 0;
        }
        if (index < 0 || index >= count) return LB_ERR;
        l->item(index)->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(lParam));
        return 0;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: {
        int r = findString(at, count, index, fromAnsi(str ? str : ""), msg == LB_FINDSTRINGEXACT);
        return r < 0 ? LB_ERR : r;
    }
    case LB_SELECTSTRING: {
        int r = findString(at, count, index, fromAnsi(str ? str : ""), false);
        if (r < 0) return LB_ERR;
        if (!multiSelect(l)) l->clearSelection();
        l->setCurrentRow(r);
        l->item(r)->setSelected(true);
        return r;
    }
    case LB_GETTOPINDEX: {
        QListWidgetItem *top = l->itemAt(2, 2);
        return top ? l->row(top) : 0;
    }
    case LB_SETTOPINDEX:
        if (index < 0 || index >= count) return LB_ERR;
        l->scrollToItem(l->item(index), QAbstractItemView::PositionAtTop);
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui
