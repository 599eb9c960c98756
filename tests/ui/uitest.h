// Helpers of the user-interface tests: a message loop that runs until a
// condition holds, widget lookup for Qt's input simulation, in-memory dialog
// templates and a recorder of the messages a window receives.
#pragma once

#include <windows.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QWidget>

#include <chrono>
#include <functional>
#include <unistd.h>
#include <string>
#include <vector>

namespace uitest {

// Runs a Win32 loop (translate, dispatch) until cond() holds; false on
// time-out. A thread timer wakes the loop to check.
inline bool pumpUntil(const std::function<bool()> &cond, int timeoutMs = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
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
    KillTimer(nullptr, timer);
    return ok;
}

// The widget that backs a window (its client, for top-level windows).
inline QWidget *widgetOf(HWND hwnd) {
    QWidget *found = nullptr;
    for (QWidget *w : QApplication::allWidgets()) {
        QVariant v = w->property("platformHwnd");
        if (!v.isValid() || v.toULongLong() != HandleToULong(hwnd)) continue;
        if (!found || found->isAncestorOf(w)) found = w;
    }
    return found;
}

// A window as uiSnapshotWindow renders it (through a PNG file, removed after;
// named after the process too, since tests run in parallel processes whose
// handles have the same numbers).
inline QImage snapshot(HWND hwnd) {
    std::string path = std::string(SUITE_BINARY_DIR) + "/tests/ui/snapshot-" + std::to_string(getpid()) + "-" +
                       std::to_string(HandleToULong(hwnd)) + ".png";
    if (!uiSnapshotWindow(hwnd, path.c_str())) return QImage();
    QImage img(QString::fromStdString(path));
    QFile::remove(QString::fromStdString(path));
    return img.convertToFormat(QImage::Format_RGB32);
}

inline std::string text(HWND hwnd) {
    char buf[512];
    GetWindowTextA(hwnd, buf, sizeof buf);
    return buf;
}

// A DLGTEMPLATEEX in memory.
class Template {
public:
    Template(DWORD style, short cx, short cy, const char *caption, const char *face = "MS Sans Serif",
             WORD points = 8) {
        u16(1), u16(0xFFFF), u32(0), u32(0), u32(style | (face ? DS_SETFONT : 0));
        countAt_ = bytes_.size();
        u16(0), u16(0), u16(0), u16(static_cast<WORD>(cx)), u16(static_cast<WORD>(cy));
        u16(0), u16(0), wstr(caption);
        if (face) u16(points), u16(400), u16(0x0100), wstr(face);
    }
    // cls: 0x80 button, 0x81 edit, 0x82 static, 0x83 list box, 0x85 combo box.
    Template &item(WORD cls, const char *title, DWORD id, DWORD style, short x, short y, short cx, short cy) {
        while (bytes_.size() % 4) bytes_.push_back(0);
        u32(0), u32(0), u32(style | WS_CHILD | WS_VISIBLE);
        u16(static_cast<WORD>(x)), u16(static_cast<WORD>(y)), u16(static_cast<WORD>(cx)), u16(static_cast<WORD>(cy));
        u32(id), u16(0xFFFF), u16(cls), wstr(title), u16(0);
        ++count_;
        bytes_[countAt_] = static_cast<uint8_t>(count_);
        bytes_[countAt_ + 1] = static_cast<uint8_t>(count_ >> 8);
        return *this;
    }
    LPCDLGTEMPLATEA get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(bytes_.data()); }
    const std::vector<uint8_t> &bytes() const { return bytes_; }

private:
    void u16(WORD v) { bytes_.push_back(static_cast<uint8_t>(v)), bytes_.push_back(static_cast<uint8_t>(v >> 8)); }
    void u32(DWORD v) { u16(static_cast<WORD>(v)), u16(static_cast<WORD>(v >> 16)); }
    void wstr(const char *s) {
        for (; s && *s; ++s) u16(static_cast<unsigned char>(*s));
        u16(0);
    }
    std::vector<uint8_t> bytes_;
    size_t countAt_ = 0;
    WORD count_ = 0;
};

struct Message {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages seen by recorderProc (a window class procedure) or appended by tests.
inline std::vector<Message> &recorded() {
    static std::vector<Message> v;
    return v;
}

inline LRESULT CALLBACK recorderProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    recorded().push_back(Message{h, m, w, l});
    return DefWindowProcA(h, m, w, l);
}

// Registers the recorder class once; returns its name.
inline const char *recorderClass() {
    static bool done = false;
    if (!done) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = recorderProc;
        wc.lpszClassName = "UiTestRecorder";
        wc.cbWndExtra = 16;
        RegisterClassA(&wc);
        done = true;
    }
    return "UiTestRecorder";
}

inline std::vector<UINT> messagesTo(HWND h) {
    std::vector<UINT> out;
    for (const Message &m : recorded())
        if (m.hwnd == h) out.push_back(m.msg);
    return out;
}

}  // namespace uitest
