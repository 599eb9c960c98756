// Widget events to Win32 messages: the application-wide input filter and the
// plain widget that backs windows of registered classes.
#include "user/input.h"

#include "core/app.h"
#include "user/dialog.h"
#include "user/hooks.h"
#include "user/queue.h"
#include "user/sizing.h"
#include "user/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <deque>
#include <memory>

namespace platform::ui {
namespace {

// A key event waiting in the queue as WM_KEYDOWN/WM_KEYUP.
struct KeyRecord {
    MSG msg;
    std::unique_ptr<QKeyEvent> event;
    QPointer<QWidget> target;
};
thread_local std::deque<KeyRecord> keyRecords;
thread_local const QEvent *passing = nullptr;

// The mouse event being sent to a subclassed control's procedure.
struct MouseRecord {
    HWND hwnd;
    UINT msg;
    bool passedOn;
};
thread_local MouseRecord *currentMouse = nullptr;

WPARAM virtualKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<WPARAM>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<WPARAM>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<WPARAM>(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Help: return VK_HELP;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Slash: return VK_DIVIDE;
    default: return 0;
    }
}

MSG keyMessage(HWND hwnd, const QKeyEvent &e) {
    bool down = e.type() == QEvent::KeyPress;
    bool alt = e.modifiers() & Qt::AltModifier;
    UINT msg = alt ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    LPARAM lp = 1 | (static_cast<LPARAM>(e.nativeScanCode() & 0xFF) << 16);
    if (alt) lp |= 1L << 29;
    if (!down) lp |= 0xC0000000L;
    POINT pt{0, 0};
    return MSG{hwnd, msg, virtualKey(e.key()), lp, GetTickCount(), pt};
}

UINT mouseMessage(const QMouseEvent &e) {
    Qt::MouseButton b = e.button();
    auto pick = [b](UINT l, UINT r, UINT m) { return b == Qt::LeftButton ? l : b == Qt::RightButton ? r : m; };
    switch (e.type()) {
    case QEvent::MouseButtonPress: return pick(WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN);
    case QEvent::MouseButtonRelease: return pick(WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP);
    case QEvent::MouseButtonDblClick: return pick(WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK);
    case QEvent::MouseMove: return WM_MOUSEMOVE;
    default: return 0;
    }
}

WPARAM mouseKeys(const QMouseEvent &e) {
    WPARAM k = 0;
    if (e.buttons() & Qt::LeftButton) k |= MK_LBUTTON;
    if (e.buttons() & Qt::RightButton) k |= MK_RBUTTON;
    if (e.buttons() & Qt::MiddleButton) k |= MK_MBUTTON;
    if (e.modifiers() & Qt::ShiftModifier) k |= MK_SHIFT;
    if (e.modifiers() & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

// Mouse position in the window's client coordinates.
LPARAM clientPoint(HWND hwnd, QWidget *receiver, const QPointF &local) {
    QWidget *client = windowClientWidget(hwnd);
    QPoint p = local.toPoint();
    if (client && receiver != client) p = receiver->mapTo(client->window(), p) - client->mapTo(client->window(), QPoint(0, 0));
    return MAKELPARAM(static_cast<WORD>(p.x()), static_cast<WORD>(p.y()));
}

// The message hooks see each mouse event once, as the message of the
// innermost window under the pointer: Qt hands an event the widget ignores
// on to its parents (a copy with the same time stamp), and shows pointer
// moves with no button held to the application's filters even for widgets
// that do not track the mouse.
void hookMouse(HWND hwnd, QWidget *w, QMouseEvent *e) {
    if (!hooksActive()) return;
    UINT msg = mouseMessage(*e);
    if (!msg) return;
    struct Seen {
        QEvent::Type type;
        quint64 stamp;
        QPointF global;
        Qt::MouseButton button;
        bool operator==(const Seen &) const = default;
    };
    static thread_local Seen last{QEvent::None, 0, {}, Qt::NoButton};
    Seen now{e->type(), e->timestamp(), e->globalPosition(), e->button()};
    if (now == last) return;
    last = now;
    if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK) {
        auto win = windowGet(hwnd);
        if (win && !(win->cls->style & CS_DBLCLKS)) msg -= 2;  // a second button-down
    }
    QPoint global = e->globalPosition().toPoint();
    MSG m{hwnd, msg, mouseKeys(*e), clientPoint(hwnd, w, e->position()), GetTickCount(), POINT{global.x(), global.y()}};
    hooksGetMessage(&m, PM_REMOVE);
}

bool isTopLevelFrame(QWidget *w, HWND hwnd) {
    auto win = windowGet(hwnd);
    return win && win->widget == w && !(win->style & WS_CHILD);
}

class InputFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *obj, QEvent *e) override {
        if (e == passing || !obj->isWidgetType()) return false;
        switch (e->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return key(static_cast<QWidget *>(obj), static_cast<QKeyEvent *>(e));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return mouse(static_cast<QWidget *>(obj), static_cast<QMouseEvent *>(e));
        case QEvent::Close:
            return close(static_cast<QWidget *>(obj), static_cast<QCloseEvent *>(e));
        case QEvent::Leave:
            left(static_cast<QWidget *>(obj));
            return false;
        case QEvent::Resize:
        case QEvent::Move:
            if (auto *w = static_cast<QWidget *>(obj); w->isWindow() && isTopLevelFrame(w, windowFromWidget(w)))
                sizingFrameEvent(w, e);
            return false;
        default: return false;
        }
    }

private:
    bool key(QWidget *w, QKeyEvent *e) {
        HWND hwnd = windowFromWidget(w);
        if (!hwnd) return false;
        MSG msg = keyMessage(hwnd, *e);
        if (!msg.wParam) return false;
        if (queuePumping()) {
            if (keyRecords.size() >= 256) keyRecords.pop_front();
            keyRecords.push_back(KeyRecord{msg, std::unique_ptr<QKeyEvent>(e->clone()), w});
            queuePostInput(msg);
            return true;
        }
        // No Win32 loop runs: the keys a dialog manager acts on are handled
        // here, everything else goes straight to the widget.
        if (msg.message == WM_KEYDOWN) {
            if (msg.wParam == VK_F1) {
                sendHelp(hwnd);
                return true;
            }
            if (dialogDirectKey(hwnd, msg)) return true;
        }
        return false;
    }

    bool mouse(QWidget *w, QMouseEvent *e) {
        HWND hwnd = windowFromWidget(w);
        if (hwnd) hookMouse(hwnd, w, e);
        if (hwnd && e->type() == QEvent::MouseMove) cursorPointerMoved(hwnd);
        auto win = windowGet(hwnd);
        if (!win || !win->cls->factory || win->proc.load() == win->cls->proc) return false;
        UINT msg = mouseMessage(*e);
        if (!msg) return false;
        MouseRecord rec{hwnd, msg, false};
        MouseRecord *saved = currentMouse;
        currentMouse = &rec;
        callWindowProc(win->proc.load(), hwnd, msg, mouseKeys(*e), clientPoint(hwnd, w, e->position()));
        currentMouse = saved;
        return !rec.passedOn;
    }

    // WM_MOUSELEAVE for a window that asked for it, when the pointer leaves
    // the window's own widget (not one of the widgets inside it).
    void left(QWidget *w) {
        HWND hwnd = windowFromWidget(w);
        auto win = windowGet(hwnd);
        if (!win || (win->widget != w && win->client != w)) return;
        if (trackMouseLeft(hwnd)) sendDirect(hwnd, WM_MOUSELEAVE, 0, 0);
    }

    bool close(QWidget *w, QCloseEvent *e) {
        QVariant v = w->property("platformHwnd");
        if (!v.isValid()) return false;
        HWND hwnd = handleFromValue<HWND>(static_cast<HandleValue>(v.toULongLong()));
        if (!isTopLevelFrame(w, hwnd)) return false;
        // The window decides: WM_CLOSE, whose default destroys the window.
        e->ignore();
        SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
};

// The widget of a registered class: everything it shows is painted by its
// window procedure; its input and size changes are messages.
class HostWidget : public QWidget {
public:
    HostWidget(HWND hwnd, QWidget *parent) : QWidget(parent), hwnd_(hwnd) {
        setMouseTracking(true);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent *e) override {
        QPainter painter(this);
        windowPaint(hwnd_, &painter, e->rect());
    }
    void resizeEvent(QResizeEvent *) override {
        sendDirect(hwnd_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width(), height()));
    }
    void moveEvent(QMoveEvent *) override { sendDirect(hwnd_, WM_MOVE, 0, MAKELPARAM(x(), y())); }
    void mousePressEvent(QMouseEvent *e) override { mouse(e); }
    void mouseReleaseEvent(QMouseEvent *e) override { mouse(e); }
    void mouseDoubleClickEvent(QMouseEvent *e) override { mouse(e); }
    void mouseMoveEvent(QMouseEvent *e) override { mouse(e); }
    void focusInEvent(QFocusEvent *) override { sendDirect(hwnd_, WM_SETFOCUS, 0, 0); }
    void focusOutEvent(QFocusEvent *) override { sendDirect(hwnd_, WM_KILLFOCUS, 0, 0); }
    void contextMenuEvent(QContextMenuEvent *e) override {
        sendDirect(hwnd_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd_),
                   MAKELPARAM(e->globalPos().x(), e->globalPos().y()));
    }

private:
    void mouse(QMouseEvent *e) {
        UINT msg = mouseMessage(*e);
        if (!msg) return;
        if (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK) {
            auto w = windowGet(hwnd_);
            if (w && !(w->cls->style & CS_DBLCLKS)) msg -= 2;  // a second button-down
        }
        QPoint p = e->position().toPoint();
        sendDirect(hwnd_, msg, mouseKeys(*e), MAKELPARAM(static_cast<WORD>(p.x()), static_cast<WORD>(p.y())));
    }

    HWND hwnd_;
};

}  // namespace

WPARAM inputVirtualKey(int qtKey) { return virtualKey(qtKey); }

void sendHelp(HWND hwnd) {
    HELPINFO hi{sizeof(HELPINFO), HELPINFO_WINDOW, static_cast<int>(GetWindowLongA(hwnd, GWL_ID)),
                reinterpret_cast<HANDLE>(hwnd), 0, {0, 0}};
    GetCursorPos(&hi.MousePos);
    SendMessageA(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
}

void inputInstall() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    uiApplication()->installEventFilter(new InputFilter(uiApplication()));
}

bool inputCharOf(const MSG &msg, WPARAM *ch) {
    for (const KeyRecord &r : keyRecords) {
        if (r.msg.hwnd != msg.hwnd || r.msg.message != msg.message || r.msg.wParam != msg.wParam ||
            r.msg.time != msg.time)
            continue;
        QString text = r.event->text();
        if (text.isEmpty()) return false;
        std::string a = toAnsi(text.left(1));
        *ch = static_cast<unsigned char>(a[0]);
        return true;
    }
    return false;
}

BYTE inputModifiersOf(const MSG &msg) {
    Qt::KeyboardModifiers m = QGuiApplication::keyboardModifiers();
    for (const KeyRecord &r : keyRecords)
        if (r.msg.hwnd == msg.hwnd && r.msg.message == msg.message && r.msg.wParam == msg.wParam && r.msg.time == msg.time)
            m = r.event->modifiers();
    BYTE f = 0;
    if (m & Qt::ShiftModifier) f |= FSHIFT;
    if (m & Qt::ControlModifier) f |= FCONTROL;
    if (m & Qt::AltModifier) f |= FALT;
    return f;
}

bool inputPassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
        if (currentMouse && currentMouse->hwnd == hwnd && currentMouse->msg == msg) {
            currentMouse->passedOn = true;
            return true;
        }
        return false;
    }
    if (msg != WM_KEYDOWN && msg != WM_KEYUP && msg != WM_SYSKEYDOWN && msg != WM_SYSKEYUP) return false;
    for (auto it = keyRecords.begin(); it != keyRecords.end(); ++it) {
        if (it->msg.hwnd != hwnd || it->msg.message != msg || it->msg.wParam != wParam) continue;
        KeyRecord rec = std::move(*it);
        // Records before this one were never dispatched (an accelerator or
        // the dialog manager took them).
        keyRecords.erase(keyRecords.begin(), it + 1);
        if (!rec.target) return false;
        const QEvent *saved = passing;
        passing = rec.event.get();
        QApplication::sendEvent(rec.target, rec.event.get());
        passing = saved;
        return true;
    }
    return false;
}

QWidget *createHostWidget(HWND hwnd, QWidget *parent) { return new HostWidget(hwnd, parent); }

}  // namespace platform::ui
