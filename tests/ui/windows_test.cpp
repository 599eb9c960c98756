// Windows: creation and destruction order, window words, subclassing,
// lookups, text.
#include "uitest.h"

#include <QCursor>
#include <QTest>

#include <gtest/gtest.h>

using namespace uitest;

namespace {

HWND makeWindow(HWND parent = nullptr, DWORD style = WS_OVERLAPPEDWINDOW, int id = 0, const char *title = "Main") {
    return CreateWindowExA(0, recorderClass(), title, style, 10, 20, 200, 100, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

std::vector<std::pair<HWND, UINT>> destroyOrder;
LRESULT CALLBACK destroyProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_DESTROY || m == WM_NCDESTROY) {
        destroyOrder.emplace_back(h, m);
        // The window is still whole while WM_DESTROY runs.
        if (m == WM_DESTROY) {
            EXPECT_TRUE(IsWindow(h));
        }
    }
    return DefWindowProcA(h, m, w, l);
}

LRESULT CALLBACK refuseCreate(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_CREATE) return -1;
    return DefWindowProcA(h, m, w, l);
}

WNDPROC previousProc;
std::vector<UINT> subclassSeen;
LRESULT CALLBACK subclassProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    subclassSeen.push_back(m);
    if (m == WM_USER + 5) return 77;  // answered here, never reaches the class
    return CallWindowProcA(previousProc, h, m, w, l);
}

}  // namespace

TEST(Windows, CreationSendsNcCreateThenCreateWithTheCallersParameters) {
    recorded().clear();
    int param = 42;
    HWND h = CreateWindowExA(WS_EX_TOOLWINDOW, recorderClass(), "Title", WS_OVERLAPPED, 1, 2, 300, 200, nullptr,
                             nullptr, nullptr, &param);
    ASSERT_TRUE(h);
    std::vector<UINT> seen = messagesTo(h);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(seen[1], static_cast<UINT>(WM_CREATE));
    auto *cs = reinterpret_cast<CREATESTRUCTA *>(recorded()[1].lParam);
    (void)cs;  // the structure lives only during the call
    EXPECT_EQ(text(h), "Title");
    EXPECT_EQ(GetWindowLongA(h, GWL_EXSTYLE), WS_EX_TOOLWINDOW);
    EXPECT_FALSE(IsWindowVisible(h));
    ShowWindow(h, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(h));
    RECT r;
    ASSERT_TRUE(GetClientRect(h, &r));
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.bottom, 200);
    DestroyWindow(h);
    EXPECT_FALSE(IsWindow(h));
}

TEST(Windows, ClassesAreFoundWithoutCaseAndRefusedTwice) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "UiTestTwice";
    EXPECT_NE(RegisterClassA(&wc), 0);
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    HWND h = CreateWindowExA(0, "uitesttwice", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_TRUE(h);
    EXPECT_FALSE(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    DestroyWindow(h);
}

TEST(Windows, CreateFailsWhenTheProcedureRefusesWmCreate) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = refuseCreate;
    wc.lpszClassName = "UiTestRefuse";
    RegisterClassA(&wc);
    destroyOrder.clear();
    EXPECT_FALSE(CreateWindowExA(0, "UiTestRefuse", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
}

TEST(Windows, DestroyGoesParentDestroyChildrenThenParentNcDestroy) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = destroyProc;
    wc.lpszClassName = "UiTestDestroy";
    RegisterClassA(&wc);
    HWND top = CreateWindowExA(0, "UiTestDestroy", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExA(0, "UiTestDestroy", "", WS_CHILD, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
    HWND grandchild = CreateWindowExA(0, "UiTestDestroy", "", WS_CHILD, 0, 0, 5, 5, child, nullptr, nullptr, nullptr);
    HWND owned = CreateWindowExA(0, "UiTestDestroy", "", WS_POPUP, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top && child && grandchild && owned);
    EXPECT_EQ(GetParent(child), top);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), top);
    EXPECT_TRUE(IsChild(top, grandchild));
    destroyOrder.clear();
    ASSERT_TRUE(DestroyWindow(top));
    std::vector<std::pair<HWND, UINT>> expected = {
        {owned, WM_DESTROY},      {owned, WM_NCDESTROY},      {top, WM_DESTROY},     {child, WM_DESTROY},
        {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}};
    EXPECT_EQ(destroyOrder, expected);
    for (HWND h : {top, child, grandchild, owned}) EXPECT_FALSE(IsWindow(h));
    EXPECT_FALSE(DestroyWindow(top));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(Windows, WindowWordsAndSubclassingWithCallWindowProc) {
    HWND h = makeWindow();
    EXPECT_EQ(SetWindowLongA(h, GWL_USERDATA, 0x1234567890LL), 0);
    EXPECT_EQ(GetWindowLongA(h, GWL_USERDATA), 0x1234567890LL);  // pointers fit
    EXPECT_EQ(SetWindowLongA(h, 8, -5), 0);                       // cbWndExtra bytes
    EXPECT_EQ(GetWindowLongA(h, 8), -5);
    EXPECT_EQ(GetWindowLongA(h, 100), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));

    previousProc = reinterpret_cast<WNDPROC>(SetWindowLongA(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(subclassProc)));
    EXPECT_EQ(previousProc, recorderProc);
    subclassSeen.clear();
    recorded().clear();
    EXPECT_EQ(SendMessageA(h, WM_USER + 5, 0, 0), 77);
    SetWindowTextA(h, "Renamed");
    EXPECT_EQ(text(h), "Renamed");
    // The subclass saw every message first; the class saw what it passed on.
    EXPECT_EQ(subclassSeen.front(), static_cast<UINT>(WM_USER + 5));
    std::vector<UINT> classSaw = messagesTo(h);
    EXPECT_TRUE(std::find(classSaw.begin(), classSaw.end(), static_cast<UINT>(WM_USER + 5)) == classSaw.end());
    EXPECT_TRUE(std::find(classSaw.begin(), classSaw.end(), static_cast<UINT>(WM_SETTEXT)) != classSaw.end());
    SetWindowLongA(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
    EXPECT_EQ(GetWindowLongA(h, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(recorderProc));
    DestroyWindow(h);
}

TEST(Windows, FindWindowMatchesClassAndTitleOfTopLevelWindows) {
    HWND a = makeWindow(nullptr, WS_OVERLAPPED, 0, "Alpha");
    HWND b = makeWindow(nullptr, WS_OVERLAPPED, 0, "Beta");
    HWND child = makeWindow(a, WS_CHILD, 7, "Gamma");
    EXPECT_EQ(FindWindowA(recorderClass(), "Beta"), b);
    EXPECT_EQ(FindWindowA(nullptr, "Alpha"), a);
    EXPECT_EQ(FindWindowA(nullptr, "Gamma"), nullptr);  // children are not searched
    EXPECT_EQ(FindWindowA("BUTTON", "Alpha"), nullptr);
    EXPECT_EQ(GetDlgItem(a, 7), child);
    EXPECT_EQ(GetDlgCtrlID(child), 7);
    DestroyWindow(a);
    DestroyWindow(b);
    EXPECT_EQ(FindWindowA(nullptr, "Alpha"), nullptr);
}

TEST(Windows, EnableShowAndGeometry) {
    HWND top = makeWindow();
    HWND child = makeWindow(top, WS_CHILD | WS_VISIBLE, 3);
    EXPECT_FALSE(IsWindowVisible(child));  // its parent is hidden
    ShowWindow(top, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(child));
    recorded().clear();
    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_TRUE(GetWindowLongA(child, GWL_STYLE) & WS_DISABLED);
    EXPECT_EQ(messagesTo(child), std::vector<UINT>{WM_ENABLE});
    EXPECT_TRUE(EnableWindow(child, TRUE));
    MoveWindow(child, 5, 6, 50, 40, TRUE);
    RECT r;
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 50);
    EXPECT_EQ(r.bottom, 40);
    POINT p{0, 0};
    ClientToScreen(child, &p);
    POINT q = p;
    ScreenToClient(top, &q);
    EXPECT_EQ(q.x, 5);
    EXPECT_EQ(q.y, 6);
    DestroyWindow(top);
}

namespace {
WNDPROC staticProcBefore;
int setCursorSeen = 0;
// A static drawn as a link: the hand cursor over it.
LRESULT CALLBACK linkProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_SETCURSOR) {
        ++setCursorSeen;
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
    }
    return CallWindowProcA(staticProcBefore, h, m, w, l);
}
}  // namespace

TEST(Windows, CursorsFollowWmSetCursor) {
    EXPECT_EQ(LoadCursorA(nullptr, IDC_HAND), LoadCursorA(nullptr, IDC_HAND));
    EXPECT_NE(LoadCursorA(nullptr, IDC_HAND), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
    HWND top = makeWindow(nullptr, WS_OVERLAPPED | WS_VISIBLE);
    HWND link = CreateWindowExA(0, "STATIC", "link", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 10, 10, 60, 16, top, nullptr,
                                nullptr, nullptr);
    staticProcBefore = reinterpret_cast<WNDPROC>(SetWindowLongA(link, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(linkProc)));
    QWidget *w = widgetOf(link);
    QTest::mouseMove(w, QPoint(5, 5));
    EXPECT_GE(setCursorSeen, 1);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
    // The wait cursor covers the application until another cursor is set.
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    ASSERT_TRUE(QApplication::overrideCursor());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_FALSE(QApplication::overrideCursor());
    DestroyWindow(top);
}
