// The desktop's frame of a top-level window: a resize that the program did
// not ask for (the window system's, as when the user drags a border) reaches
// the window as WM_SIZING with the dragged edge and the proposed rectangle,
// and the rectangle the procedure leaves is the one the window gets; the
// icons of WM_SETICON are the frame's.
#include <gtest/gtest.h>

#include <QWidget>
#include <QWindow>

#include "uitest.h"

namespace {

using namespace uitest;

struct Sizing {
    WPARAM edge;
    RECT proposed;
    RECT current;  // GetWindowRect meanwhile
};
std::vector<Sizing> g_sizings;
int g_minimumWidth = 0;  // the window keeps at least this width, by moving its right edge

LRESULT CALLBACK sizingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_SIZING) {
        auto *r = reinterpret_cast<RECT *>(l);
        RECT current{};
        GetWindowRect(h, &current);
        g_sizings.push_back({w, *r, current});
        if (r->right - r->left < g_minimumWidth) r->right = r->left + g_minimumWidth;
        return TRUE;
    }
    return DefWindowProcA(h, m, w, l);
}

class WindowSizing : public ::testing::Test {
protected:
    void SetUp() override {
        g_sizings.clear();
        g_minimumWidth = 0;
        WNDCLASSA wc{};
        wc.lpfnWndProc = sizingProc;
        wc.lpszClassName = "UiTestSizing";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, "UiTestSizing", "Sizing", WS_OVERLAPPEDWINDOW, 100, 80, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
        ASSERT_NE(hwnd_, nullptr);
        ShowWindow(hwnd_, SW_SHOW);
        frame_ = widgetOf(hwnd_)->window();
        ASSERT_TRUE(pumpUntil([&] { return frame_->windowHandle() && frame_->windowHandle()->isExposed(); }));
    }
    void TearDown() override { DestroyWindow(hwnd_); }

    // What the window system does when the user drags a border: the native
    // window gets the new geometry first, the program hears of it after.
    // The edges move by the given amounts.
    void userDrags(int left, int top, int right, int bottom) {
        QRect geometry = frame_->windowHandle()->geometry().adjusted(left, top, right, bottom);
        frame_->windowHandle()->setGeometry(geometry);
        pumpUntil([&] { return frame_->size() == geometry.size() || !g_sizings.empty(); }, 2000);
        pumpUntil([] { return false; }, 50);
    }
    RECT windowRect() {
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return r;
    }

    HWND hwnd_ = nullptr;
    QWidget *frame_ = nullptr;
};

TEST_F(WindowSizing, TheDraggedEdgeAndTheProposedRectangleReachTheWindow) {
    RECT before = windowRect();
    userDrags(0, 0, 60, 40);
    ASSERT_EQ(g_sizings.size(), 1u);
    EXPECT_EQ(g_sizings[0].edge, static_cast<WPARAM>(WMSZ_BOTTOMRIGHT));
    EXPECT_EQ(g_sizings[0].proposed.left, before.left);
    EXPECT_EQ(g_sizings[0].proposed.right - g_sizings[0].proposed.left, 360);
    EXPECT_EQ(g_sizings[0].proposed.bottom - g_sizings[0].proposed.top, 240);
    // Meanwhile the window is still as it was when the user began.
    EXPECT_EQ(g_sizings[0].current.right - g_sizings[0].current.left, 300);
    EXPECT_EQ(g_sizings[0].current.left, before.left);

    // The left border: the left edge moves, the right one stays.
    g_sizings.clear();
    userDrags(-40, 0, 0, 0);
    ASSERT_EQ(g_sizings.size(), 1u);
    EXPECT_EQ(g_sizings[0].edge, static_cast<WPARAM>(WMSZ_LEFT));

    // The top border.
    g_sizings.clear();
    userDrags(0, 20, 0, 0);
    ASSERT_EQ(g_sizings.size(), 1u);
    EXPECT_EQ(g_sizings[0].edge, static_cast<WPARAM>(WMSZ_TOP));
}

TEST_F(WindowSizing, TheRectangleTheProcedureLeavesIsTheWindowsOwn) {
    g_minimumWidth = 280;
    userDrags(0, 0, -150, 0);
    ASSERT_FALSE(g_sizings.empty());
    pumpUntil([&] { return frame_->width() == 280; }, 2000);
    RECT after = windowRect();
    EXPECT_EQ(after.right - after.left, 280);
    EXPECT_EQ(after.bottom - after.top, 200);
}

TEST_F(WindowSizing, TheProgramsOwnResizesAreNoSizing) {
    SetWindowPos(hwnd_, nullptr, 0, 0, 420, 260, SWP_NOMOVE | SWP_NOZORDER);
    MoveWindow(hwnd_, 50, 60, 320, 230, TRUE);
    pumpUntil([] { return false; }, 200);
    EXPECT_TRUE(g_sizings.empty());
    RECT r = windowRect();
    EXPECT_EQ(r.right - r.left, 320);
    EXPECT_EQ(r.bottom - r.top, 230);
}

// What WM_CREATE and WM_INITDIALOG see: the client area of the size given,
// before the window was ever shown, and after a resize while hidden.
RECT g_clientAtCreate{};
LRESULT CALLBACK createProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_CREATE) GetClientRect(h, &g_clientAtCreate);
    return DefWindowProcA(h, m, w, l);
}

TEST(WindowClientArea, IsTheWindowsSizeFromCreationOnEvenWhileHidden) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = createProc;
    wc.lpszClassName = "UiTestClientArea";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "UiTestClientArea", "Client", WS_OVERLAPPEDWINDOW, 10, 10, 333, 222, nullptr,
                                nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(g_clientAtCreate.right, 333);
    EXPECT_EQ(g_clientAtCreate.bottom, 222);
    RECT r{};
    GetClientRect(hwnd, &r);
    EXPECT_EQ(r.right, 333);
    EXPECT_EQ(r.bottom, 222);
    SetWindowPos(hwnd, nullptr, 0, 0, 250, 150, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(hwnd, &r);
    EXPECT_EQ(r.right, 250);
    EXPECT_EQ(r.bottom, 150);
    DestroyWindow(hwnd);
}

TEST_F(WindowSizing, IconsOfWmSetIconAreTheFramesIcon) {
    EXPECT_TRUE(frame_->windowIcon().isNull());
    std::vector<uint32_t> pixels(32 * 32, 0xFF2060C0);
    HBITMAP colour = CreateBitmap(32, 32, 1, 32, pixels.data());
    ICONINFO info{TRUE, 0, 0, nullptr, colour};
    HICON icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon)), 0);
    ASSERT_FALSE(frame_->windowIcon().isNull());
    EXPECT_EQ(frame_->windowIcon().pixmap(32, 32).toImage().pixelColor(16, 16), QColor(0x20, 0x60, 0xC0));
    EXPECT_EQ(SendMessageA(hwnd_, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(icon));
    DeleteObject(colour);
}

}  // namespace
