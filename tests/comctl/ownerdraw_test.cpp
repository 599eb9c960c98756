// A static its parent draws (SS_OWNERDRAW): WM_DRAWITEM with ODT_STATIC, the
// control's id and size, and a context whose drawing reaches the screen.
#include "ctltest.h"

#include <QImage>
#include <QFile>

#include <gtest/gtest.h>

namespace {

struct Drawn {
    UINT type = 0, id = 0, state = 0;
    RECT rect{};
    HWND item = nullptr;
    int count = 0;
};
Drawn drawn;

LRESULT CALLBACK drawingParent(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_DRAWITEM) {
        auto *dis = reinterpret_cast<DRAWITEMSTRUCT *>(l);
        drawn.type = dis->CtlType, drawn.id = dis->CtlID, drawn.state = dis->itemState;
        drawn.rect = dis->rcItem, drawn.item = dis->hwndItem;
        ++drawn.count;
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dis->hDC, &dis->rcItem, red);
        DeleteObject(red);
        return TRUE;
    }
    return DefWindowProcA(h, m, w, l);
}

TEST(OwnerDrawnStatic, ParentPaintsItThroughWmDrawItem) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = drawingParent;
    wc.lpszClassName = "OwnerDrawParent";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    RegisterClassA(&wc);
    HWND top = CreateWindowExA(0, "OwnerDrawParent", "", WS_OVERLAPPED, 0, 0, 200, 120, nullptr, nullptr, nullptr, nullptr);
    HWND area = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 10, 10, 60, 40, top,
                                reinterpret_cast<HMENU>(10), nullptr, nullptr);
    ASSERT_TRUE(area);
    ShowWindow(top, SW_SHOW);
    std::string path = std::string(SUITE_BINARY_DIR) + "/tests/comctl/ownerdraw.png";
    ASSERT_TRUE(uiSnapshotWindow(top, path.c_str()));
    QImage img(QString::fromStdString(path));
    QFile::remove(QString::fromStdString(path));
    ASSERT_FALSE(img.isNull());
    EXPECT_GE(drawn.count, 1);
    EXPECT_EQ(drawn.type, static_cast<UINT>(ODT_STATIC));
    EXPECT_EQ(drawn.id, 10u);
    EXPECT_EQ(drawn.item, area);
    EXPECT_EQ(drawn.rect.right - drawn.rect.left, 60);
    EXPECT_EQ(drawn.rect.bottom - drawn.rect.top, 40);
    RECT rc;
    GetWindowRect(area, &rc);
    POINT inside{rc.left + 30, rc.top + 20};
    ScreenToClient(top, &inside);
    EXPECT_EQ(img.pixelColor(inside.x, inside.y), QColor(255, 0, 0));
    EXPECT_NE(img.pixelColor(5, 5), QColor(255, 0, 0));  // outside the control
    DestroyWindow(top);
}

}  // namespace
