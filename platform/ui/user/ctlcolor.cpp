// Control colours chosen by the parent: before a static, button, edit or
// list box paints, WM_CTLCOLOR* goes to its parent with a device context of
// the control; the text colour and background mode left in that context and
// the brush returned become the widget's palette. A null brush answer means
// the default colours.
#include "gdi/dc.h"
#include "user/window.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QPalette>

#include <strings.h>

namespace platform::ui {
namespace {

enum class Kind { Static, Button, Edit, ListBox };

// The message a control sends for its colours (0: none, for push buttons,
// which keep the desktop's button colours).
UINT colorMessage(const WindowObject &w, Kind kind) {
    LONG style = w.style.load();
    switch (kind) {
    case Kind::Static: return WM_CTLCOLORSTATIC;
    case Kind::Button: {
        LONG type = style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW) return 0;
        return WM_CTLCOLORSTATIC;
    }
    case Kind::Edit: return (style & (ES_READONLY | WS_DISABLED)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    case Kind::ListBox: return WM_CTLCOLORLISTBOX;
    }
    return 0;
}

struct Colors {
    bool custom = false;
    QColor text;
    QColor fill;  // invalid: transparent
    bool operator==(const Colors &o) const = default;
};

class ColorFilter : public QObject {
public:
    ColorFilter(QWidget *control, HWND hwnd, Kind kind) : QObject(control), control_(control), hwnd_(hwnd), kind_(kind) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::Paint) update();
        return false;
    }

private:
    Colors ask() {
        Colors c;
        auto w = windowGet(hwnd_);
        HWND parent = w ? w->parent.load() : nullptr;
        UINT msg = w ? colorMessage(*w, kind_) : 0;
        if (!parent || !msg) return c;
        HDC dc = GetDC(hwnd_);
        if (!dc) return c;
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(parent, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd_)));
        DcTextState state{};
        bool gotState = gdiDcTextState(dc, &state);
        ReleaseDC(hwnd_, dc);
        if (!brush || !gotState) return c;
        c.custom = true;
        c.text = gdiColor(state.textColor);
        QColor brushColor;
        if (gdiBrushColor(brush, &brushColor)) c.fill = brushColor;
        else if (state.bkMode == OPAQUE) c.fill = gdiColor(state.bkColor);
        return c;
    }

    void update() {
        Colors c = ask();
        if (c == applied_) return;
        applied_ = c;
        // Unset roles are inherited from the parent, so an empty palette
        // gives the default colours back.
        QPalette pal;
        if (c.custom) {
            for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
                pal.setColor(g, QPalette::WindowText, c.text);
                pal.setColor(g, QPalette::ButtonText, c.text);
                pal.setColor(g, QPalette::Text, c.text);
                if (c.fill.isValid()) pal.setColor(g, kind_ == Kind::Static || kind_ == Kind::Button ? QPalette::Window : QPalette::Base, c.fill);
            }
        }
        control_->setPalette(pal);
        if (kind_ == Kind::Static || kind_ == Kind::Button) control_->setAutoFillBackground(c.fill.isValid());
    }

    QWidget *control_;
    HWND hwnd_;
    Kind kind_;
    Colors applied_;
};

}  // namespace

void ctlColorWatch(HWND hwnd, const std::string &className, QWidget *control) {
    Kind kind;
    if (strcasecmp(className.c_str(), "STATIC") == 0) kind = Kind::Static;
    else if (strcasecmp(className.c_str(), "BUTTON") == 0) kind = Kind::Button;
    else if (strcasecmp(className.c_str(), "EDIT") == 0) kind = Kind::Edit;
    else if (strcasecmp(className.c_str(), "LISTBOX") == 0) kind = Kind::ListBox;
    else return;
    auto *filter = new ColorFilter(control, hwnd, kind);
    control->installEventFilter(filter);
    // Scrolling controls paint in their viewport.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(control)) area->viewport()->installEventFilter(filter);
}

}  // namespace platform::ui
