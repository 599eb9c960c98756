// Helpers of the Options, Security and Log page tests: keys and mouse drags
// on the widgets behind windows, the lines of a list box, a log of the
// server's answers in galleon.log, and the logging plug-in loaded beside
// the photo plug-in.
#pragma once

#include <windows.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <string>
#include <vector>

#include "page_fixture.h"
#include "plugin_host.h"
#include "zelext.h"
#include "zelext_plugin.h"

namespace advancedtest {

// The innermost widget that backs a window.
inline QWidget* widgetOf(HWND hwnd) {
    QWidget* found = nullptr;
    for (QWidget* w : QApplication::allWidgets()) {
        QVariant v = w->property("platformHwnd");
        if (!v.isValid() || v.toULongLong() != HandleToULong(hwnd)) continue;
        if (!found || found->isAncestorOf(w)) found = w;
    }
    return found;
}

// Delivers what queued input left behind.
inline void settle() {
    MSG m;
    for (int i = 0; i < 1000 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// A key pressed on the widget that has the keyboard focus (or on window).
inline void key(HWND window, Qt::Key k) {
    QWidget* w = QApplication::focusWidget() ? QApplication::focusWidget() : widgetOf(window);
    if (w) QTest::keyClick(w, k);
    settle();
}

// Types text key by key into whatever has the focus at each key (a field
// of an address control moves the focus on by itself).
inline void typeIntoFocus(const std::string& text) {
    for (char c : text) {
        if (QWidget* w = QApplication::focusWidget()) QTest::keyClicks(w, QString(QChar(c)));
        settle();
    }
}

// A drag with the left button from a point of the window (client
// coordinates) by dx, dy on the screen, in a few steps as a hand would; the
// window may move meanwhile (a size grip does).
inline void drag(HWND window, int x, int y, int dx, int dy) {
    QWidget* w = widgetOf(window);
    if (!w) return;
    QPoint start(x, y), startOnScreen = w->mapToGlobal(start);
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, start);
    settle();
    QPoint at = start;
    for (int step = 1; step <= 4; ++step) {
        at = w->mapFromGlobal(startOnScreen + QPoint(dx * step / 4, dy * step / 4));
        QTest::mouseMove(w, at);
        settle();
    }
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, at);
    settle();
}

inline std::vector<std::string> listBoxLines(HWND box) {
    std::vector<std::string> lines;
    int n = static_cast<int>(SendMessageA(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[2048] = "";
        SendMessageA(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

inline RECT windowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// A child's rectangle in its parent's client coordinates.
inline RECT childRect(HWND child) {
    RECT r = windowRect(child);
    POINT a{r.left, r.top}, b{r.right, r.bottom};
    ScreenToClient(GetParent(child), &a);
    ScreenToClient(GetParent(child), &b);
    return RECT{a.x, a.y, b.x, b.y};
}

// The logging plug-in of the suite, initialised beside the photo plug-in
// with a mailslot of its own and handed to the photo plug-in as the host
// hands modules over.
class Logbook {
public:
    bool start(GalleonInstance& galleon) {
        module_ = LoadLibraryA(suite::distPath("ext/logbook.dll").c_str());
        if (!module_) return false;
        slot_ = suite::LogCollector::uniqueName("logbooktest");
        ExtInitInfo info;
        zelextFillInitInfo(&info, nullptr, nullptr, slot_.c_str(), galleon.path("cradle.ini").c_str());
        auto init = reinterpret_cast<PFN_zelextInitEx>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "zelextInitEx")));
        if (!init || init(&info) != 0) return false;
        running_ = true;
        auto enumModules = galleon.proc<PFN_zelextEnumModules>("zelextEnumModules");
        return enumModules && enumModules(module_) == 0;
    }
    void stop() {
        if (running_) {
            reinterpret_cast<PFN_zelextShutdown>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "zelextShutdown")))();
            running_ = false;
        }
        if (module_) FreeLibrary(module_);
        module_ = nullptr;
    }
    ~Logbook() { stop(); }
    const std::string& slot() const { return slot_; }

private:
    HMODULE module_ = nullptr;
    std::string slot_;
    bool running_ = false;
};

}  // namespace advancedtest
