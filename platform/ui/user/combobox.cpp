// COMBOBOX on QComboBox: drop-down lists (CBS_DROPDOWNLIST) and combos with
// an edit field (CBS_DROPDOWN, CBS_SIMPLE), item data, sorted lists. A
// selection made by the user is reported with CBN_SELCHANGE, typing with
// CBN_EDITUPDATE and CBN_EDITCHANGE; changes made by messages are not.
// The window is as high as the closed control; the height a template gives
// (which counts the list) is not used.
#include "user/controls.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>

namespace platform::ui {

int sortedPosition(const std::function<QString(int)> &at, int count, const QString &s);
int findString(const std::function<QString(int)> &at, int count, int start, const QString &s, bool exact);

QWidget *createComboBox(WindowObject &w, QWidget *parent) {
    DWORD style = static_cast<DWORD>(w.style.load());
    auto *c = new QComboBox(parent);
    DWORD kind = style & 3;
    c->setEditable(kind == CBS_DROPDOWN || kind == CBS_SIMPLE);
    c->setInsertPolicy(QComboBox::NoInsert);
    HWND hwnd = w.hwnd;
    QObject::connect(c, &QComboBox::currentIndexChanged, c, [hwnd] {
        if (!ProgrammaticChange::active()) notifyParent(hwnd, CBN_SELCHANGE);
    });
    if (QLineEdit *e = c->lineEdit()) {
        e->setMaxLength(0x7FFFFFFE);
        QObject::connect(e, &QLineEdit::textEdited, c, [hwnd] {
            notifyParent(hwnd, CBN_EDITUPDATE);
            notifyParent(hwnd, CBN_EDITCHANGE);
        });
    }
    notifyFocus(c, hwnd, CBN_SETFOCUS, CBN_KILLFOCUS);
    applyTabStop(c, style);
    return c;
}

LRESULT CALLBACK comboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto w = windowGet(hwnd);
    auto *c = w ? qobject_cast<QComboBox *>(w->widget.data()) : nullptr;
    if (!c) return DefWindowProcA(hwnd, msg, wParam, lParam);
    int count = c->count();
    int index = static_cast<int>(static_cast<LONG>(wParam));
    auto at = [c](int i) { return c->itemText(i); };
    const char *str = reinterpret_cast<const char *>(lParam);
    ProgrammaticChange quiet;
    switch (msg) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        QString s = fromAnsi(str ? str : "");
        int pos;
        if (msg == CB_ADDSTRING) pos = (w->style & CBS_SORT) ? sortedPosition(at, count, s) : count;
        else if (index == -1) pos = count;
        else if (index < 0 || index > count) return CB_ERR;
        else pos = index;
        // Inserting into an empty Qt combo selects the item; a Win32 combo
        // keeps no selection.
        int before = count == 0 ? -1 : c->currentIndex();
        c->insertItem(pos, s);
        if (before == -1) c->setCurrentIndex(-1);
        return pos;
    }
    case CB_DELETESTRING:
        if (index < 0 || index >= count) return CB_ERR;
        c->removeItem(index);
        return c->count();
    case CB_RESETCONTENT: c->clear(); if (c->lineEdit()) c->lineEdit()->clear(); return CB_OKAY;
    case CB_GETCOUNT: return count;
    case CB_GETCURSEL: return c->currentIndex() < 0 ? CB_ERR : c->currentIndex();
    case CB_SETCURSEL:
        if (index < 0 || index >= count) {
            c->setCurrentIndex(-1);
            if (c->lineEdit()) c->lineEdit()->clear();
            return CB_ERR;
        }
        c->setCurrentIndex(index);
        return index;
    case CB_GETLBTEXT:
        if (index < 0 || index >= count) return CB_ERR;
        {
            // The caller's buffer must hold CB_GETLBTEXTLEN + 1 bytes, as on Windows.
            std::string t = toAnsi(c->itemText(index));
            return copyText(t, reinterpret_cast<LPSTR>(lParam), static_cast<int>(t.size() + 1));
        }
    case CB_GETLBTEXTLEN:
        if (index < 0 || index >= count) return CB_ERR;
        return static_cast<LRESULT>(toAnsi(c->itemText(index)).size());
    case CB_GETITEMDATA:
        if (index < 0 || index >= count) return CB_ERR;
        return static_cast<LRESULT>(c->itemData(index).toLongLong());
    case CB_SETITEMDATA:
        if (index < 0 || index >= count) return CB_ERR;
        c->setItemData(index, QVariant::fromValue<qlonglong>(lParam));
        return CB_OKAY;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT: {
        int r = findString(at, count, index, fromAnsi(str ? str : ""), msg == CB_FINDSTRINGEXACT);
        return r < 0 ? CB_ERR : r;
    }
    case CB_SELECTSTRING: {
        int r = findString(at, count, index, fromAnsi(str ? str : ""), false);
        if (r < 0) return CB_ERR;
        c->setCurrentIndex(r);
        return r;
    }
    case CB_LIMITTEXT:
        if (!c->lineEdit()) return FALSE;
        c->lineEdit()->setMaxLength(wParam ? static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFE)) : 0x7FFFFFFE);
        return TRUE;
    case CB_SHOWDROPDOWN:
        if (wParam) c->showPopup();
        else c->hidePopup();
        return TRUE;
    case CB_GETDROPPEDSTATE: return c->view() && c->view()->isVisible();
    case CB_GETEDITSEL: {
        QLineEdit *e = c->lineEdit();
        int s = e ? (e->hasSelectedText() ? e->selectionStart() : e->cursorPosition()) : 0;
        int end = e ? (e->hasSelectedText() ? e->selectionEnd() : e->cursorPosition()) : 0;
        if (wParam) *reinterpret_cast<DWORD *>(wParam) = static_cast<DWORD>(s);
        if (lParam) *reinterpret_cast<DWORD *>(lParam) = static_cast<DWORD>(end);
        return MAKELONG(s, end);
    }
    case CB_SETEDITSEL: {
        QLineEdit *e = c->lineEdit();
        if (!e) return CB_ERR;
        int s = static_cast<short>(LOWORD(lParam)), end = static_cast<short>(HIWORD(lParam));
        int len = static_cast<int>(e->text().size());
        if (s < 0) e->deselect();
        else e->setSelection(std::min(s, len), (end < 0 || end > len ? len : end) - std::min(s, len));
        return TRUE;
    }
    case WM_SETTEXT: {
        QString s = fromAnsi(str ? str : "");
        if (c->lineEdit()) {
            c->lineEdit()->setText(s);
            return TRUE;
        }
        int r = findString(at, count, -1, s, true);
        if (r < 0) return CB_ERR;
        c->setCurrentIndex(r);
        return TRUE;
    }
    case WM_GETTEXT:
        return copyText(toAnsi(c->currentText()), reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(toAnsi(c->currentText()).size());
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui
