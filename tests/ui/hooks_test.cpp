// Message hooks: what GetMessageA, PeekMessageA and modal loops take from the
// queue, and the mouse input of windows, pass through the WH_GETMESSAGE
// procedures of the thread, newest first, each handing on with CallNextHookEx.
#include "uitest.h"

#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <thread>

using namespace uitest;

namespace {

struct Seen {
    int hook;
    HWND hwnd;
    UINT msg;
    WPARAM remove;
    LPARAM lParam;
};
std::vector<Seen> seen;
HHOOK hooks[3];
bool passOn[3] = {true, true, true};
bool unhookInside = false;

template <int N>
LRESULT CALLBACK hookProc(int code, WPARAM wParam, LPARAM lParam) {
    auto *m = reinterpret_cast<MSG *>(lParam);
    if (m->message >= WM_USER || (m->message >= WM_MOUSEFIRST && m->message <= WM_MOUSELAST))
        seen.push_back(Seen{N, m->hwnd, m->message, wParam, m->lParam});
    if (N == 0 && m->message == WM_USER + 5) m->wParam = 55;  // hooks may change what is dispatched
    HHOOK self = hooks[N];
    if (N == 1 && unhookInside) {
        UnhookWindowsHookEx(hooks[1]);
        hooks[1] = nullptr;
    }
    return passOn[N] ? CallNextHookEx(self, code, wParam, lParam) : 0;
}

class Hooks : public ::testing::Test {
protected:
    void SetUp() override {
        seen.clear();
        for (bool &p : passOn) p = true;
        unhookInside = false;
    }
    void TearDown() override {
        for (HHOOK &h : hooks)
            if (h) UnhookWindowsHookEx(h), h = nullptr;
    }
    static std::vector<int> order(UINT msg) {
        std::vector<int> out;
        for (const Seen &s : seen)
            if (s.msg == msg) out.push_back(s.hook);
        return out;
    }
};

HWND recorder() {
    return CreateWindowExA(0, recorderClass(), "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(Hooks, QueuedMessagesPassTheChainNewestFirstAndMayBeChanged) {
    HWND h = recorder();
    hooks[0] = SetWindowsHookExA(WH_GETMESSAGE, hookProc<0>, nullptr, GetCurrentThreadId());
    hooks[1] = SetWindowsHookExA(WH_GETMESSAGE, hookProc<1>, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hooks[0] && hooks[1]);
    PostMessageA(h, WM_USER + 5, 1, 7);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.wParam, 55u) << "the hook's change comes back to the caller";
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(order(WM_USER + 5), (std::vector<int>{1, 0, 1, 0}));
    EXPECT_EQ(seen[0].remove, static_cast<WPARAM>(PM_NOREMOVE));
    EXPECT_EQ(seen[2].remove, static_cast<WPARAM>(PM_REMOVE));
    EXPECT_EQ(seen[2].hwnd, h);
    EXPECT_EQ(seen[2].lParam, 7);

    // A hook that does not pass the message on ends the chain there.
    seen.clear();
    passOn[1] = false;
    PostMessageA(h, WM_USER + 6, 0, 0);
    ASSERT_TRUE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(order(WM_USER + 6), (std::vector<int>{1}));
    DestroyWindow(h);
}

TEST_F(Hooks, UnhookedProceduresAreSkippedEvenInTheRunThatRemovesThem) {
    HWND h = recorder();
    hooks[0] = SetWindowsHookExA(WH_GETMESSAGE, hookProc<0>, nullptr, 0);  // every thread
    hooks[1] = SetWindowsHookExA(WH_GETMESSAGE, hookProc<1>, nullptr, GetCurrentThreadId());
    hooks[2] = SetWindowsHookExA(WH_GETMESSAGE, hookProc<2>, nullptr, GetCurrentThreadId());
    unhookInside = true;
    PostMessageA(h, WM_USER + 1, 0, 0);
    PostMessageA(h, WM_USER + 2, 0, 0);
    MSG m;
    GetMessageA(&m, nullptr, 0, 0);
    GetMessageA(&m, nullptr, 0, 0);
    EXPECT_EQ(order(WM_USER + 1), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(order(WM_USER + 2), (std::vector<int>{2, 0}));

    ASSERT_TRUE(UnhookWindowsHookEx(hooks[2]));
    EXPECT_FALSE(UnhookWindowsHookEx(hooks[2]));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HOOK_HANDLE));
    hooks[2] = nullptr;
    EXPECT_EQ(SetWindowsHookExA(2 /* WH_KEYBOARD */, hookProc<0>, nullptr, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HOOK_FILTER));
    DestroyWindow(h);
}

TEST_F(Hooks, AHookOfAnotherThreadSeesNothingHere) {
    DWORD other = 0;
    std::thread t([&other] { other = GetCurrentThreadId(); });
    t.join();
    hooks[0] = SetWindowsHookExA(WH_GETMESSAGE, hookProc<0>, nullptr, other);
    ASSERT_NE(hooks[0], nullptr);
    HWND h = recorder();
    PostMessageA(h, WM_USER + 1, 0, 0);
    MSG m;
    GetMessageA(&m, nullptr, 0, 0);
    EXPECT_TRUE(seen.empty());
    DestroyWindow(h);
}

INT_PTR CALLBACK modalProc(HWND dlg, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) PostMessageA(dlg, WM_USER + 9, 0, 0);
    if (msg == WM_USER + 9) EndDialog(dlg, 4);
    return FALSE;
}

TEST_F(Hooks, ModalLoopsPassTheirMessagesToo) {
    hooks[0] = SetWindowsHookExA(WH_GETMESSAGE, hookProc<0>, nullptr, GetCurrentThreadId());
    Template t(WS_POPUP | WS_CAPTION, 100, 50, "modal");
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), nullptr, modalProc, 0), 4);
    EXPECT_EQ(order(WM_USER + 9), (std::vector<int>{0}));
}

INT_PTR CALLBACK buttonDialogProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_COMMAND && LOWORD(wParam) == 10) recorded().push_back(Message{nullptr, WM_COMMAND, wParam, 0});
    return FALSE;
}

// The mouse reaches controls straight from Qt, not through the queue; the
// hooks still see each event once, addressed to the control under the
// pointer, and the control still acts on it.
TEST_F(Hooks, MouseInputOfControlsIsSeenOnceAsTheControlsMessage) {
    Template t(WS_POPUP | WS_CAPTION | WS_VISIBLE, 120, 60, "mouse");
    t.item(0x80, "Press", 10, BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 60, 14);
    HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, buttonDialogProc, 0);
    ASSERT_NE(dlg, nullptr);
    HWND button = GetDlgItem(dlg, 10);
    QWidget *widget = widgetOf(button);
    ASSERT_NE(widget, nullptr);
    pumpUntil([&] { return widget->window()->windowHandle() && widget->window()->windowHandle()->isExposed(); }, 2000);
    recorded().clear();
    hooks[0] = SetWindowsHookExA(WH_GETMESSAGE, hookProc<0>, nullptr, GetCurrentThreadId());

    QPoint inButton(5, 4);
    QWindow *window = widget->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    QTest::mouseMove(window, widget->mapTo(widget->window(), inButton));
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, inButton);
    pumpUntil([] { return !recorded().empty(); }, 2000);

    EXPECT_EQ(order(WM_MOUSEMOVE), (std::vector<int>{0})) << "a move with no button, once";
    EXPECT_EQ(order(WM_LBUTTONDOWN), (std::vector<int>{0}));
    EXPECT_EQ(order(WM_LBUTTONUP), (std::vector<int>{0}));
    for (const Seen &s : seen) {
        EXPECT_EQ(s.hwnd, button) << "message " << s.msg;
        EXPECT_EQ(s.remove, static_cast<WPARAM>(PM_REMOVE));
        if (s.msg == WM_LBUTTONDOWN) {
            EXPECT_EQ(GET_X_LPARAM(s.lParam), 5);
            EXPECT_EQ(GET_Y_LPARAM(s.lParam), 4);
        }
    }
    ASSERT_EQ(recorded().size(), 1u) << "the button was still clicked";

    // Without the hook nothing is recorded any more.
    UnhookWindowsHookEx(hooks[0]);
    hooks[0] = nullptr;
    seen.clear();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, inButton);
    EXPECT_TRUE(seen.empty());
    DestroyWindow(dlg);
}

}  // namespace
