// EDIT: single-line edits on QLineEdit (password and number-only forms
// included), multi-line edits on QPlainTextEdit. Every change of the text,
// typed or set, is reported with EN_UPDATE and EN_CHANGE, as Windows does.
// Multi-line text uses "\r\n" line ends towards the caller.
#include "user/controls.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QTextBlock>
#include <QTextCursor>

namespace platform::ui {
namespace {

std::string toCrLf(const QString &s) {
    std::string a = toAnsi(s), out;
    out.reserve(a.size());
    for (char c : a) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

QString fromCrLf(const char *s) {
    QString q = fromAnsi(s);
    q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return q;
}

void reportChange(HWND hwnd) {
    notifyParent(hwnd, EN_UPDATE);
    notifyParent(hwnd, EN_CHANGE);
}

// Selection (start, end) in characters.
std::pair<int, int> selectionOf(QWidget *widget) {
    if (auto *e = qobject_cast<QLineEdit *>(widget)) {
        if (!e->hasSelectedText()) return {e->cursorPosition(), e->cursorPosition()};
        return {e->selectionStart(), e->selectionEnd()};
    }
    if (auto *m = qobject_cast<QPlainTextEdit *>(widget)) {
        QTextCursor c = m->textCursor();
        return {c.selectionStart(), c.selectionEnd()};
    }
    return {0, 0};
}

void setSelection(QWidget *widget, int start, int end) {
    if (auto *e = qobject_cast<QLineEdit *>(widget)) {
        int len = static_cast<int>(e->text().size());
        if (start < 0) {
            e->deselect();
            return;
        }
        if (end < 0 || end > len) end = len;
        start = std::min(start, len);
        e->setSelection(start, end - start);
    } else if (auto *m = qobject_cast<QPlainTextEdit *>(widget)) {
        QTextCursor c = m->textCursor();
        int len = static_cast<int>(m->toPlainText().size());
        if (start < 0) {
            c.clearSelection();
        } else {
            if (end < 0 || end > len) end = len;
            c.setPosition(std::min(start, len));
            c.setPosition(end, QTextCursor::KeepAnchor);
        }
        m->setTextCursor(c);
    }
}

}  // namespace

QWidget *createEdit(WindowObject &w, QWidget *parent) {
    DWORD style = static_cast<DWORD>(w.style.load());
    HWND hwnd = w.hwnd;
    QWidget *widget;
    if (style & ES_MULTILINE) {
        auto *m = new QPlainTextEdit(parent);
        m->setTabChangesFocus(true);
        m->setLineWrapMode((style & (WS_HSCROLL | ES_AUTOHSCROLL)) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        m->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        m->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
        m->setReadOnly(style & ES_READONLY);
        m->setPlainText(fromCrLf(w.text.c_str()));
        QObject::connect(m, &QPlainTextEdit::textChanged, m, [hwnd] { reportChange(hwnd); });
        widget = m;
    } else {
        auto *e = new QLineEdit(fromAnsi(w.text), parent);
        if (style & ES_PASSWORD) e->setEchoMode(QLineEdit::Password);
        if (style & ES_NUMBER) e->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), e));
        e->setReadOnly(style & ES_READONLY);
        e->setAlignment((style & ES_CENTER) ? Qt::AlignHCenter : (style & ES_RIGHT) ? Qt::AlignRight : Qt::AlignLeft);
        if (!(style & WS_BORDER) && !(w.exStyle & WS_EX_CLIENTEDGE)) e->setFrame(false);
        if (style & (ES_UPPERCASE | ES_LOWERCASE)) {
            bool upper = style & ES_UPPERCASE;
            QObject::connect(e, &QLineEdit::textEdited, e, [e, upper](const QString &t) {
                QString c = upper ? t.toUpper() : t.toLower();
                if (c != t) {
                    int pos = e->cursorPosition();
                    e->setText(c);
                    e->setCursorPosition(pos);
                }
            });
        }
        QObject::connect(e, &QLineEdit::textChanged, e, [hwnd] { reportChange(hwnd); });
        widget = e;
    }
    notifyFocus(widget, hwnd, EN_SETFOCUS, EN_KILLFOCUS);
    applyTabStop(widget, style);
    return widget;
}

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto w = windowGet(hwnd);
    QWidget *widget = w ? w->widget.data() : nullptr;
    auto *line = qobject_cast<QLineEdit *>(widget);
    auto *multi = qobject_cast<QPlainTextEdit *>(widget);
    if (!line && !multi) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_SETTEXT: {
        const char *s = reinterpret_cast<const char *>(lParam);
        if (line) line->setText(fromAnsi(s ? s : ""));
        else multi->setPlainText(fromCrLf(s ? s : ""));
        return TRUE;
    }
    case WM_GETTEXT:
        return copyText(line ? toAnsi(line->text()) : toCrLf(multi->toPlainText()), reinterpret_cast<LPSTR>(lParam),
                        static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(line ? toAnsi(line->text()).size() : toCrLf(multi->toPlainText()).size());
    case EM_GETSEL: {
        auto [s, e] = selectionOf(widget);
        if (wParam) *reinterpret_cast<DWORD *>(wParam) = static_cast<DWORD>(s);
        if (lParam) *reinterpret_cast<DWORD *>(lParam) = static_cast<DWORD>(e);
        return MAKELONG(s, e);
    }
    case EM_SETSEL: setSelection(widget, static_cast<int>(wParam), static_cast<int>(lParam)); return 0;
    case EM_REPLACESEL: {
        QString t = fromCrLf(reinterpret_cast<const char *>(lParam) ? reinterpret_cast<const char *>(lParam) : "");
        if (line) line->insert(t);
        else multi->insertPlainText(t);
        return 0;
    }
    case EM_SETREADONLY:
        if (line) line->setReadOnly(wParam != 0);
        else multi->setReadOnly(wParam != 0);
        if (wParam) w->style |= ES_READONLY;
        else w->style &= ~static_cast<LONG>(ES_READONLY);
        return TRUE;
    case EM_LIMITTEXT:
        if (line) line->setMaxLength(wParam ? static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFE)) : 0x7FFFFFFE);
        else multi->setProperty("platformLimit", QVariant::fromValue<qulonglong>(wParam));
        return 0;
    case EM_GETLIMITTEXT:
        if (line) return line->maxLength();
        return multi->property("platformLimit").isValid() ? static_cast<LRESULT>(multi->property("platformLimit").toULongLong())
                                                          : 0x7FFFFFFE;
    case EM_GETMODIFY: return line ? line->isModified() : multi->document()->isModified();
    case EM_SETMODIFY:
        if (line) line->setModified(wParam != 0);
        else multi->document()->setModified(wParam != 0);
        return 0;
    case EM_GETLINECOUNT: return line ? 1 : multi->document()->blockCount();
    case EM_SETPASSWORDCHAR:
        if (line) line->setEchoMode(wParam ? QLineEdit::Password : QLineEdit::Normal);
        return TRUE;
    case EM_CANUNDO: return line ? line->isUndoAvailable() : multi->document()->isUndoAvailable();
    case EM_UNDO:
        if (line) line->undo();
        else multi->undo();
        return TRUE;
    case EM_SCROLLCARET:
        if (multi) multi->ensureCursorVisible();
        return TRUE;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (multi && (w->style & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
        return code;
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui
