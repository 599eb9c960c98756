// Helpers of the common control tests: a parent window that records the
// WM_NOTIFY and WM_COMMAND messages its controls send (copied, since the
// records live only during the call) and answers them through a hook.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <QApplication>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace ctltest {

struct Note {
    UINT code = 0;         // NMHDR.code, or the WM_COMMAND notification code
    UINT_PTR id = 0;
    HWND from = nullptr;
    UINT msg = 0;          // WM_NOTIFY, WM_COMMAND, WM_HSCROLL, WM_VSCROLL
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    NMTREEVIEWA tree{};    // for tree view notifications
    std::string text;      // texts the notification carried
};

struct Parent {
    std::vector<Note> notes;
    // Answers a WM_NOTIFY (after it was recorded); 0 when unset.
    std::function<LRESULT(NMHDR *)> answer;
    std::function<void(UINT, WPARAM, LPARAM)> other;

    std::vector<UINT> codes() const {
        std::vector<UINT> out;
        for (const Note &n : notes) if (n.msg == WM_NOTIFY) out.push_back(n.code);
        return out;
    }
    const Note *last(UINT code) const {
        for (auto it = notes.rbegin(); it != notes.rend(); ++it)
            if (it->msg == WM_NOTIFY && it->code == code) return &*it;
        return nullptr;
    }
    int count(UINT code) const {
        int n = 0;
        for (const Note &x : notes) n += x.msg == WM_NOTIFY && x.code == code;
        return n;
    }
};

inline Parent *&current() {
    static Parent *p = nullptr;
    return p;
}

inline LRESULT CALLBACK parentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    Parent *p = current();
    if (p && m == WM_NOTIFY) {
        auto *hdr = reinterpret_cast<NMHDR *>(l);
        Note n;
        n.msg = m, n.code = hdr->code, n.id = hdr->idFrom, n.from = hdr->hwndFrom, n.wParam = w, n.lParam = l;
        if (hdr->code <= TVN_FIRST && hdr->code > TVN_FIRST - 20 && hdr->code != TVN_KEYDOWN &&
            hdr->code != TVN_GETINFOTIPA)
            n.tree = *reinterpret_cast<NMTREEVIEWA *>(l);
        p->notes.push_back(n);
        return p->answer ? p->answer(hdr) : 0;
    }
    if (p && (m == WM_COMMAND || m == WM_HSCROLL || m == WM_VSCROLL)) {
        Note n;
        n.msg = m, n.code = HIWORD(w), n.id = LOWORD(w), n.from = reinterpret_cast<HWND>(l), n.wParam = w, n.lParam = l;
        p->notes.push_back(n);
        if (p->other) p->other(m, w, l);
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

// A shown top-level window of 400 x 300 whose messages go to parent.
inline HWND makeParent(Parent *parent) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = parentProc;
        wc.lpszClassName = "CtlTestParent";
        RegisterClassA(&wc);
        registered = true;
    }
    current() = parent;
    HWND h = CreateWindowExA(0, "CtlTestParent", "Controls", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                             nullptr, nullptr);
    ShowWindow(h, SW_SHOW);
    return h;
}

// The widget that backs a control.
inline QWidget *widgetOf(HWND hwnd) {
    QWidget *found = nullptr;
    for (QWidget *w : QApplication::allWidgets()) {
        QVariant v = w->property("platformHwnd");
        if (!v.isValid() || v.toULongLong() != HandleToULong(hwnd)) continue;
        if (!found || found->isAncestorOf(w)) found = w;
    }
    return found;
}

}  // namespace ctltest
