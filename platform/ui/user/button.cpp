// BUTTON: push buttons, check boxes, radio buttons and group boxes. The Qt
// button toggles itself on a click; the state a Win32 button of that style
// takes is set here instead (plain check boxes and radio buttons keep their
// state, three-state boxes cycle unchecked, checked, indeterminate).
#include "user/controls.h"

#include "gdi/dc.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

namespace platform::ui {
namespace {

DWORD typeOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

bool isCheck(DWORD t) { return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE; }
bool isRadio(DWORD t) { return t == BS_RADIOBUTTON || t == BS_AUTORADIOBUTTON; }

int stateOf(QAbstractButton *b) {
    if (auto *c = qobject_cast<QCheckBox *>(b)) {
        switch (c->checkState()) {
        case Qt::Checked: return BST_CHECKED;
        case Qt::PartiallyChecked: return BST_INDETERMINATE;
        default: return BST_UNCHECKED;
        }
    }
    return b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void setState(QAbstractButton *b, int state) {
    ProgrammaticChange quiet;
    if (auto *c = qobject_cast<QCheckBox *>(b)) {
        if (state == BST_INDETERMINATE && !c->isTristate()) state = BST_CHECKED;
        c->setCheckState(state == BST_CHECKED ? Qt::Checked : state == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                                                          : Qt::Unchecked);
    } else if (b->isCheckable()) {
        b->setChecked(state == BST_CHECKED);
    }
}

// Checks an automatic radio button and clears the others of its group.
void checkInGroup(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    for (HWND h = GetNextDlgGroupItem(parent, hwnd, FALSE); h && h != hwnd; h = GetNextDlgGroupItem(parent, h, FALSE)) {
        if (typeOf(h) == BS_AUTORADIOBUTTON && windowGet(h) && windowGet(h)->cls->proc == buttonProc)
            SendMessageA(h, BM_SETCHECK, BST_UNCHECKED, 0);
    }
    SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
}

void connectClick(QAbstractButton *b, HWND hwnd) {
    auto held = std::make_shared<int>(BST_UNCHECKED);
    QObject::connect(b, &QAbstractButton::pressed, b, [b, held] { *held = stateOf(b); });
    QObject::connect(b, &QAbstractButton::clicked, b, [b, hwnd, held] {
        if (!IsWindow(hwnd)) return;
        DWORD t = typeOf(hwnd);
        if (t == BS_AUTOCHECKBOX) setState(b, *held == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        else if (t == BS_AUTO3STATE)
            setState(b, *held == BST_UNCHECKED ? BST_CHECKED : *held == BST_CHECKED ? BST_INDETERMINATE : BST_UNCHECKED);
        else if (t == BS_AUTORADIOBUTTON) checkInGroup(hwnd);
        else if (isCheck(t) || isRadio(t)) setState(b, *held);
        notifyParent(hwnd, BN_CLICKED);
    });
}

// A button its parent draws (BS_OWNERDRAW): each paint is WM_DRAWITEM with a
// context on the button's painter and its state; clicks work as for any
// push button.
void paintOwnerDrawn(QPushButton *b, HWND hwnd) {
    auto w = windowGet(hwnd);
    HWND parent = w ? w->parent.load() : nullptr;
    if (!parent) return;
    QPainter painter(b);
    HDC dc = gdiBeginPaint(&painter, hwnd, w->font);
    if (!dc) return;
    UINT state = 0;
    if (b->isDown()) state |= ODS_SELECTED;
    if (b->hasFocus()) state |= ODS_FOCUS;
    if (!b->isEnabled()) state |= ODS_DISABLED;
    int id = static_cast<int>(w->id.load());
    if (id && LOWORD(SendMessageA(parent, DM_GETDEFID, 0, 0)) == id) state |= ODS_DEFAULT;
    DRAWITEMSTRUCT dis{ODT_BUTTON, static_cast<UINT>(id), 0, ODA_DRAWENTIRE, state, hwnd, dc,
                       RECT{0, 0, b->width(), b->height()}, 0};
    SendMessageA(parent, WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&dis));
    gdiEndPaint(dc);
}

class OwnerDrawnButton : public QPushButton {
public:
    OwnerDrawnButton(HWND hwnd, QWidget *parent) : QPushButton(parent), hwnd_(hwnd) { setAutoDefault(false); }

protected:
    void paintEvent(QPaintEvent *) override { paintOwnerDrawn(this, hwnd_); }

private:
    HWND hwnd_;
};

// A push button made owner-drawn after its creation (a style change): its
// paints are taken over the same way.
class OwnerDrawFilter : public QObject {
public:
    OwnerDrawFilter(QPushButton *b, HWND hwnd) : QObject(b), hwnd_(hwnd) { setObjectName(name()); }
    static QString name() { return QStringLiteral("platformOwnerDraw"); }

protected:
    bool eventFilter(QObject *o, QEvent *e) override {
        if (e->type() != QEvent::Paint) return false;
        paintOwnerDrawn(static_cast<QPushButton *>(o), hwnd_);
        return true;
    }

private:
    HWND hwnd_;
};

void ownerDrawChanged(QAbstractButton *b, HWND hwnd, DWORD type) {
    auto *p = qobject_cast<QPushButton *>(b);
    if (!p || p->isCheckable() || dynamic_cast<OwnerDrawnButton *>(p)) return;
    auto *filter = p->findChild<OwnerDrawFilter *>(OwnerDrawFilter::name(), Qt::FindDirectChildrenOnly);
    if (type == BS_OWNERDRAW && !filter) {
        p->installEventFilter(new OwnerDrawFilter(p, hwnd));
    } else if (type != BS_OWNERDRAW && filter) {
        p->removeEventFilter(filter);
        delete filter;
    }
    p->update();
}

}  // namespace

QWidget *createButton(WindowObject &w, QWidget *parent) {
    DWORD style = static_cast<DWORD>(w.style.load());
    DWORD t = style & BS_TYPEMASK;
    QString text = mnemonicText(w.text, false);
    QWidget *widget;
    if (t == BS_GROUPBOX) {
        auto *g = new QGroupBox(text, parent);
        g->setFocusPolicy(Qt::NoFocus);
        // A group box frames its siblings; clicks go through it.
        g->setAttribute(Qt::WA_TransparentForMouseEvents);
        return g;
    }
    QAbstractButton *b;
    if ((isCheck(t) || isRadio(t)) && (style & BS_PUSHLIKE)) {
        b = new QPushButton(text, parent);
        b->setCheckable(true);
    } else if (isCheck(t)) {
        auto *c = new QCheckBox(text, parent);
        c->setTristate(t == BS_3STATE || t == BS_AUTO3STATE);
        b = c;
    } else if (isRadio(t)) {
        auto *r = new QRadioButton(text, parent);
        r->setAutoExclusive(false);  // groups follow WS_GROUP, not the Qt parent
        b = r;
    } else if (t == BS_OWNERDRAW) {
        b = new OwnerDrawnButton(w.hwnd, parent);
        b->setText(text);  // for accessibility and mnemonics; the parent draws
    } else {
        auto *p = new QPushButton(text, parent);
        p->setAutoDefault(false);
        p->setDefault(t == BS_DEFPUSHBUTTON);
        b = p;
    }
    widget = b;
    connectClick(b, w.hwnd);
    if (style & BS_NOTIFY) notifyFocus(b, w.hwnd, BN_SETFOCUS, BN_KILLFOCUS);
    applyTabStop(b, style);
    return widget;
}

LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto w = windowGet(hwnd);
    QWidget *widget = w ? w->widget.data() : nullptr;
    auto *b = qobject_cast<QAbstractButton *>(widget);
    DWORD t = static_cast<DWORD>(w ? w->style.load() : 0) & BS_TYPEMASK;
    switch (msg) {
    case BM_GETCHECK: return b && (isCheck(t) || isRadio(t)) ? stateOf(b) : BST_UNCHECKED;
    case BM_SETCHECK:
        if (b && (isCheck(t) || isRadio(t))) setState(b, static_cast<int>(wParam));
        return 0;
    case BM_GETSTATE: return b ? (stateOf(b) | (b->isDown() ? BST_PUSHED : 0) | (b->hasFocus() ? BST_FOCUS : 0)) : 0;
    case BM_SETSTATE:
        if (b) b->setDown(wParam != 0);
        return 0;
    case BM_CLICK:
        if (b && b->isEnabled()) b->click();
        return 0;
    case BM_SETSTYLE: {
        DWORD style = (static_cast<DWORD>(w->style.load()) & ~BS_TYPEMASK) | (static_cast<DWORD>(wParam) & BS_TYPEMASK);
        w->style = static_cast<LONG>(style);
        if (auto *p = qobject_cast<QPushButton *>(b); p && !p->isCheckable())
            p->setDefault((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        return 0;
    }
    case BM_SETIMAGE: {
        if (!b) return 0;
        QPixmap pix = wParam == IMAGE_ICON ? pixmapFromIcon(reinterpret_cast<HICON>(lParam))
                                           : pixmapFromBitmap(reinterpret_cast<HBITMAP>(lParam));
        LPARAM old = b->property("platformImage").toLongLong();
        b->setProperty("platformImage", QVariant::fromValue<qlonglong>(lParam));
        b->setIcon(QIcon(pix));
        if (!pix.isNull()) b->setIconSize(pix.size());
        return old;
    }
    case BM_GETIMAGE: return b ? static_cast<LRESULT>(b->property("platformImage").toLongLong()) : 0;
    case WM_SETTEXT: {
        DefWindowProcA(hwnd, msg, wParam, lParam);
        QString text = mnemonicText(w->text, false);
        if (b) b->setText(text);
        else if (auto *g = qobject_cast<QGroupBox *>(widget)) g->setTitle(text);
        return TRUE;
    }
    case WM_STYLECHANGED:
        if (wParam == static_cast<WPARAM>(GWL_STYLE) && b) ownerDrawChanged(b, hwnd, t);
        return 0;
    case WM_GETDLGCODE:
        if (t == BS_GROUPBOX) return DLGC_STATIC;
        if (isRadio(t)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (isCheck(t)) return DLGC_BUTTON;
        return t == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui
