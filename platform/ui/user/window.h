// Windows as handle-table objects. Each window owns one Qt widget: a
// top-level window is a Qt window, a child window is a child widget of its
// parent's widget. A window's messages go to its procedure; the procedure of
// a predefined class (button, edit, ...) acts on the Qt widget that backs it.
#pragma once

#include "handles.h"

#include <windows.h>

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform::ui {

class WindowObject;

// Makes the Qt widget of a new window of a predefined class; parent is the
// parent window's widget (null for a top-level window).
using WidgetFactory = QWidget *(*)(WindowObject &window, QWidget *parent);

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int clsExtra = 0;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON iconSmall = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::string menuName;
    WidgetFactory factory = nullptr;  // null: a plain widget that reports its input as messages
    bool system = false;              // predefined: found for any instance
};

// What a dialog keeps beside the window: its procedure and words, the state
// of a modal loop, the default button and the template font's base units.
struct DialogState {
    std::atomic<DLGPROC> proc{nullptr};
    std::atomic<LONG_PTR> msgResult{0};
    std::atomic<LONG_PTR> user{0};
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
    int defaultId = IDOK;
    int baseX = 6;  // average character width of the dialog font, in pixels
    int baseY = 13; // character height of the dialog font, in pixels
};

class WindowObject : public PlatformObject {
public:
    WindowObject() : PlatformObject(ObjectType::Window) {}
    ~WindowObject() override;

    HWND hwnd = nullptr;
    std::shared_ptr<WindowClass> cls;
    DWORD threadId = 0;
    std::atomic<WNDPROC> proc{nullptr};
    std::atomic<LONG> style{0};
    std::atomic<LONG> exStyle{0};
    std::atomic<LONG_PTR> userData{0};
    std::atomic<LONG_PTR> id{0};
    std::atomic<HINSTANCE> instance{nullptr};
    std::atomic<HWND> parent{nullptr};  // child windows
    std::atomic<HWND> owner{nullptr};   // top-level windows
    std::vector<HWND> children;         // creation order (first = top of the Z order)
    QPointer<QWidget> widget;           // the window's widget; top-level: a Qt window
    QPointer<QWidget> client;           // where child windows go (the widget, or below a menu bar)
    HMENU menu = nullptr;               // menu bar of a top-level window
    std::string text;
    HFONT font = nullptr;
    HICON icons[2] = {nullptr, nullptr};
    std::vector<uint8_t> extra;         // cbWndExtra bytes
    std::unique_ptr<DialogState> dialog;
    bool destroying = false;
    bool visible = false;               // WS_VISIBLE as the caller set it
};

// The window of a handle (null if it names none, or names a window being
// torn down after WM_NCDESTROY).
std::shared_ptr<WindowObject> windowGet(HWND hwnd);

// The window whose widget is w or contains w (nearest first); null if none.
HWND windowFromWidget(const QWidget *w);

// The Qt widget of a window (null if none): for the graphics and shell areas.
QWidget *windowWidget(HWND hwnd);
// The widget that holds a window's children (below its menu bar).
QWidget *windowClientWidget(HWND hwnd);

// Calls a window procedure (tracking the nesting of sent messages).
LRESULT callWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Sends a message on the window's own thread (a direct call); used where the
// caller already is on the user-interface thread.
LRESULT sendDirect(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// WM_COMMAND to the parent of a control, with its id and a notification code.
void notifyParent(HWND control, WORD code);

// Runs f on the user-interface thread (directly when already there) and
// waits for it: window functions called from other threads go through here.
void onUiThread(const std::function<void()> &f);

// Text helpers for WM_GETTEXT-style answers: copies at most max-1 bytes and a
// terminator; returns the bytes copied.
int copyText(const std::string &text, LPSTR buffer, int max);

// Destroys the menu bar of a window being destroyed.
void menuDestroyedWindow(HWND hwnd);

// Registered class lookups.
std::shared_ptr<WindowClass> classFind(LPCSTR name, HINSTANCE instance);
void classRegisterPredefined();

// Window text in the 8-bit code page <-> Qt strings.
QString fromAnsi(const std::string &s);
QString fromAnsi(const char *s);
std::string toAnsi(const QString &s);

}  // namespace platform::ui
