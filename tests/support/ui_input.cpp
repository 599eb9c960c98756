// Input through Qt's test library on the widgets behind the windows: the
// platform layer turns these events into the messages a user's input gives.
#include "ui_input.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <deque>

namespace uiinput {

namespace {

QWidget *widgetOf(HWND hwnd) {
    QWidget *found = nullptr;
    for (QWidget *w : QApplication::allWidgets()) {
        QVariant v = w->property("platformHwnd");
        if (!v.isValid() || v.toULongLong() != HandleToULong(hwnd)) continue;
        if (!found || found->isAncestorOf(w)) found = w;
    }
    return found;
}

struct Step {
    std::string caption;
    std::function<void(HWND)> action;
};

std::deque<Step> &steps() {
    static std::deque<Step> s;
    return s;
}

// Runs the first waiting step whose window is there; a thread timer calls it
// from whatever loop is running, the modal ones included.
std::chrono::steady_clock::time_point &deadline() {
    static std::chrono::steady_clock::time_point d;
    return d;
}

void CALLBACK runSteps(HWND, UINT, UINT_PTR, DWORD) {
    // Steps may run inside a step: its click opens a modal dialog whose own
    // loop runs the step that waits for that dialog.
    if (steps().empty()) return;
    HWND window = findTopLevel(steps().front().caption.c_str());
    if (!window) {
        // A window that never comes would leave the test in a modal loop:
        // close whatever is active so the test ends and reports it.
        if (std::chrono::steady_clock::now() > deadline())
            if (HWND stuck = GetActiveWindow()) PostMessageA(stuck, WM_CLOSE, 0, 0);
        return;
    }
    deadline() = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    Step step = steps().front();
    steps().pop_front();
    step.action(window);
}

// Keys and clicks reach the controls as queued messages: deliver them
// before the next step looks at the result.
void settle() {
    MSG m;
    for (int i = 0; i < 1000 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void ensureTimer() {
    static UINT_PTR timer = 0;
    if (!timer) timer = SetTimer(nullptr, 0, 20, runSteps);
}

}  // namespace

void click(HWND window) {
    QWidget *w = widgetOf(window);
    if (w) QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
    settle();
}

// The innermost widget under a point of the window's widget (a control's
// scrolled area, say), with the point in its coordinates.
QWidget *targetAt(HWND window, QPoint *point) {
    QWidget *w = widgetOf(window);
    if (!w) return nullptr;
    if (QWidget *inner = w->childAt(*point)) {
        *point = inner->mapFrom(w, *point);
        w = inner;
    }
    return w;
}

void clickAt(HWND window, int x, int y) {
    QPoint p(x, y);
    if (QWidget *w = targetAt(window, &p)) QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, p);
    settle();
}

void doubleClickAt(HWND window, int x, int y) {
    QPoint p(x, y);
    QWidget *w = targetAt(window, &p);
    if (!w) return;
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseDClick(w, Qt::LeftButton, Qt::NoModifier, p);
    settle();
}

void typeText(HWND window, const std::string &text) {
    QWidget *w = widgetOf(window);
    if (w) QTest::keyClicks(w, QString::fromStdString(text));
    settle();
}

void keyTab(HWND window) {
    QWidget *w = widgetOf(window);
    if (w) QTest::keyClick(w, Qt::Key_Tab);
    settle();
}

void keyReturn(HWND window) {
    QWidget *w = widgetOf(window);
    if (w) QTest::keyClick(w, Qt::Key_Return);
    settle();
}

void focus(HWND window) {
    SetFocus(window);
    settle();
}

bool pumpUntil(const std::function<bool()> &cond, int timeoutMs) {
    ensureTimer();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    UINT_PTR tick = SetTimer(nullptr, 0, 10, nullptr);
    MSG m;
    bool ok = cond();
    while (!ok && std::chrono::steady_clock::now() < deadline) {
        if (!GetMessageA(&m, nullptr, 0, 0)) {
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
        ok = cond();
    }
    KillTimer(nullptr, tick);
    return ok;
}

HWND findTopLevel(const char *caption) {
    HWND found = FindWindowA(nullptr, caption);
    return found && IsWindowVisible(found) ? found : nullptr;
}

void whenShown(const char *caption, std::function<void(HWND)> step) {
    ensureTimer();
    if (steps().empty()) deadline() = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    steps().push_back(Step{caption, std::move(step)});
}

int pendingSteps() { return static_cast<int>(steps().size()); }
void clearSteps() { steps().clear(); }

std::string text(HWND window) {
    char buf[1024] = "";
    GetWindowTextA(window, buf, sizeof buf);
    return buf;
}

std::string &screenshotFolder() {
    static std::string folder = "portreeve";
    return folder;
}

bool screenshot(HWND window, const std::string &name) {
    std::string dir = std::string(SUITE_BINARY_DIR) + "/screenshots/" + screenshotFolder();
    std::system(("mkdir -p '" + dir + "'").c_str());
    return uiSnapshotWindow(window, (dir + "/" + name + ".png").c_str());
}

}  // namespace uiinput
