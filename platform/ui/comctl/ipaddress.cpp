// "SysIPAddress32": four number fields of 0..255 (or the range a caller
// sets per field) separated by dots, each a QLineEdit. Typing a dot, or the
// third digit, moves on to the next field; a value above the field's range
// is clamped to it when the field is left. The parent hears IPN_FIELDCHANGED
// (WM_NOTIFY) for a field the user changed, and EN_CHANGE, EN_SETFOCUS and
// EN_KILLFOCUS (WM_COMMAND) for the control as a whole.
#include <windows.h>
#include <commctrl.h>

#include "comctl/ctlnotify.h"
#include "user/controls.h"
#include "user/window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpressionValidator>

namespace platform::ui {
namespace {

class IpAddress;

// A field: digits only; a dot or Right at the end moves to the next field,
// Backspace or Left at the start to the previous one.
class IpField : public QLineEdit {
public:
    IpField(IpAddress *owner, int index, QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;

private:
    IpAddress *owner_;
    int index_;
};

class IpAddress : public QFrame {
public:
    IpAddress(HWND hwnd, QWidget *parent) : QFrame(parent), hwnd_(hwnd) {
        setFrameShape(QFrame::StyledPanel);
        setFrameShadow(QFrame::Sunken);
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Base);
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(2, 1, 2, 1);
        layout->setSpacing(0);
        for (int i = 0; i < 4; ++i) {
            if (i) {
                auto *dot = new QLabel(QStringLiteral("."), this);
                dot->setAlignment(Qt::AlignCenter);
                layout->addWidget(dot);
            }
            fields[i] = new IpField(this, i, this);
            layout->addWidget(fields[i], 1);
            connect(fields[i], &QLineEdit::textChanged, this, [this] { notifyParent(hwnd_, EN_CHANGE); });
            connect(fields[i], &QLineEdit::textEdited, this, [this, i] { edited[i] = true; });
        }
        setFocusPolicy(Qt::StrongFocus);
        setFocusProxy(fields[0]);
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
            bool wasIn = old && isAncestorOf(old), isIn = now && isAncestorOf(now);
            if (isIn && !wasIn) notifyParent(hwnd_, EN_SETFOCUS);
            else if (wasIn && !isIn) notifyParent(hwnd_, EN_KILLFOCUS);
        });
    }

    // -1 for a blank field.
    int value(int i) const {
        QString t = fields[i]->text();
        return t.isEmpty() ? -1 : t.toInt();
    }
    void setValue(int i, int v) {
        fields[i]->setText(v < 0 ? QString() : QString::number(std::clamp(v, low[i], high[i])));
    }
    void focusField(int i) {
        fields[i]->setFocus(Qt::OtherFocusReason);
        fields[i]->selectAll();
    }

    // The user is done with field i: clamp it to its range and tell the
    // parent, who may change the value.
    void finishField(int i) {
        if (!edited[i]) return;
        edited[i] = false;
        int v = value(i);
        if (v >= 0 && (v < low[i] || v > high[i])) setValue(i, v), v = value(i);
        NMIPADDRESS nm{};
        nm.iField = i;
        nm.iValue = v;
        wmNotifyParent(hwnd_, IPN_FIELDCHANGED, &nm.hdr);
        if (nm.iValue != v && fields[i]) setValue(i, nm.iValue < 0 ? -1 : std::min(nm.iValue, 255));
    }

    std::string text() const {
        std::string s;
        for (int i = 0; i < 4; ++i) {
            if (i) s += '.';
            s += fields[i]->text().toStdString();
        }
        return s;
    }

    QPointer<IpField> fields[4];
    int low[4] = {0, 0, 0, 0};
    int high[4] = {255, 255, 255, 255};
    bool edited[4] = {false, false, false, false};

private:
    HWND hwnd_;
};

IpField::IpField(IpAddress *owner, int index, QWidget *parent) : QLineEdit(parent), owner_(owner), index_(index) {
    setFrame(false);
    setAlignment(Qt::AlignCenter);
    setMaxLength(3);
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this));
    setFocusPolicy(Qt::ClickFocus);  // Tab leaves the control; dots and arrows move between fields
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000")) + 4);
}

void IpField::keyPressEvent(QKeyEvent *e) {
    int key = e->key();
    bool atEnd = cursorPosition() == text().size() && !hasSelectedText();
    bool atStart = cursorPosition() == 0 && !hasSelectedText();
    if (key == Qt::Key_Period || key == Qt::Key_Comma || key == Qt::Key_Space) {
        // A dot in an empty field stays there, so "..." cannot skip fields by accident.
        if (!text().isEmpty() && index_ < 3) owner_->focusField(index_ + 1);
        return;
    }
    if (key == Qt::Key_Right && atEnd && index_ < 3) return owner_->focusField(index_ + 1);
    if (key == Qt::Key_Left && atStart && index_ > 0) {
        owner_->focusField(index_ - 1);
        owner_->fields[index_ - 1]->setCursorPosition(owner_->fields[index_ - 1]->text().size());
        return;
    }
    if (key == Qt::Key_Backspace && atStart && index_ > 0) {
        owner_->focusField(index_ - 1);
        owner_->fields[index_ - 1]->end(false);
        return;
    }
    QLineEdit::keyPressEvent(e);
    // A full field moves on by itself.
    if (!e->text().isEmpty() && e->text().at(0).isDigit() && text().size() == 3 && cursorPosition() == 3 && index_ < 3)
        owner_->focusField(index_ + 1);
}

void IpField::focusOutEvent(QFocusEvent *e) {
    QLineEdit::focusOutEvent(e);
    owner_->finishField(index_);
}

IpAddress *ipOf(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? dynamic_cast<IpAddress *>(w->widget.data()) : nullptr;
}

QWidget *createIpAddress(WindowObject &w, QWidget *parent) {
    auto *ip = new IpAddress(w.hwnd, parent);
    applyTabStop(ip, static_cast<DWORD>(w.style.load()));
    return ip;
}

LRESULT CALLBACK ipAddressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    IpAddress *ip = ipOf(hwnd);
    if (!ip) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case IPM_CLEARADDRESS:
        for (int i = 0; i < 4; ++i) ip->setValue(i, -1);
        return 0;
    case IPM_SETADDRESS: {
        auto a = static_cast<DWORD>(lParam);
        ip->setValue(0, FIRST_IPADDRESS(a));
        ip->setValue(1, SECOND_IPADDRESS(a));
        ip->setValue(2, THIRD_IPADDRESS(a));
        ip->setValue(3, FOURTH_IPADDRESS(a));
        return 1;
    }
    case IPM_GETADDRESS: {
        // Blank fields count as 0; the answer is how many fields are not blank.
        DWORD a = 0;
        int filled = 0;
        for (int i = 0; i < 4; ++i) {
            int v = ip->value(i);
            if (v >= 0) ++filled;
            a = (a << 8) | static_cast<DWORD>(std::clamp(v, 0, 255));
        }
        if (auto *out = reinterpret_cast<DWORD *>(lParam)) *out = a;
        return filled;
    }
    case IPM_SETRANGE: {
        if (wParam > 3) return 0;
        int lo = LOBYTE(LOWORD(lParam)), hi = HIBYTE(LOWORD(lParam));
        if (lo > hi) return 0;
        ip->low[wParam] = lo, ip->high[wParam] = hi;
        if (int v = ip->value(static_cast<int>(wParam)); v >= 0) ip->setValue(static_cast<int>(wParam), v);
        return 1;
    }
    case IPM_SETFOCUS: {
        int field = static_cast<int>(wParam);
        if (field < 0 || field > 3) {
            // Any other number: the first blank field, else the first.
            field = 0;
            for (int i = 0; i < 4; ++i)
                if (ip->value(i) < 0) {
                    field = i;
                    break;
                }
        }
        ip->focusField(field);
        return 0;
    }
    case IPM_ISBLANK:
        for (int i = 0; i < 4; ++i)
            if (ip->value(i) >= 0) return FALSE;
        return TRUE;
    case WM_SETTEXT: {
        // "a.b.c.d"; missing or empty parts leave fields blank.
        std::string s = lParam ? reinterpret_cast<const char *>(lParam) : "";
        size_t start = 0;
        for (int i = 0; i < 4; ++i) {
            size_t dot = s.find('.', start);
            std::string part = start <= s.size() ? s.substr(start, dot == std::string::npos ? std::string::npos : dot - start) : "";
            bool digits = !part.empty() && part.size() <= 3 && part.find_first_not_of("0123456789") == std::string::npos;
            ip->setValue(i, digits ? std::stoi(part) : -1);
            start = dot == std::string::npos ? s.size() + 1 : dot + 1;
        }
        DefWindowProcA(hwnd, msg, wParam, lParam);
        return TRUE;
    }
    case WM_GETTEXT: return copyText(ip->text(), reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(ip->text().size());
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

PredefinedClassRegistrar registrar{{WC_IPADDRESSA, ipAddressProc, createIpAddress, 0}};

}  // namespace
}  // namespace platform::ui
