// Dialogs, menus and accelerators from a module's resources (the test
// program's own, compiled from uitest.rc).
#include "uitest.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace uitest;

namespace {

INT_PTR CALLBACK quietProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

}  // namespace

TEST(Resources, AnOldStyleDialogTemplateMakesItsControls) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    HWND dlg = CreateDialogParamA(self, "IDD_OLD", nullptr, quietProc, 0);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(text(dlg), "Old style");
    HWND port = GetDlgItem(dlg, 10);
    ASSERT_TRUE(port);
    EXPECT_TRUE(GetWindowLongA(port, GWL_STYLE) & ES_NUMBER);
    EXPECT_EQ(GetNextDlgTabItem(dlg, nullptr, FALSE), port);
    // The label shows its mnemonic for the edit that follows it.
    HWND label = GetWindow(GetWindow(dlg, GW_CHILD), GW_HWNDFIRST);
    auto *q = qobject_cast<QLabel *>(widgetOf(label));
    ASSERT_TRUE(q);
    EXPECT_EQ(q->buddy(), widgetOf(port));
    EXPECT_EQ(text(label), "&Port:");
    EXPECT_EQ(LOWORD(SendMessageA(dlg, DM_GETDEFID, 0, 0)), IDOK);
    DestroyWindow(dlg);
    EXPECT_FALSE(CreateDialogParamA(self, "NO_SUCH_DIALOG", nullptr, quietProc, 0));
    EXPECT_EQ(DialogBoxParamA(self, "NO_SUCH_DIALOG", nullptr, quietProc, 0), -1);
}

TEST(Resources, MenusAndAcceleratorsLoad) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    HMENU m = LoadMenuA(self, "IDR_MENU");
    ASSERT_TRUE(m);
    ASSERT_EQ(GetMenuItemCount(m), 2);
    HMENU file = GetSubMenu(m, 0);
    ASSERT_EQ(GetMenuItemCount(file), 3);
    EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_TRUE(GetMenuState(m, 202, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(m, 203, MF_BYCOMMAND) & MF_CHECKED);
    char buf[16];
    GetMenuStringA(m, 0, buf, sizeof buf, MF_BYPOSITION);
    EXPECT_STREQ(buf, "&File");
    DestroyMenu(m);
    HACCEL acc = LoadAcceleratorsA(self, "IDR_ACCEL");
    ASSERT_TRUE(acc);
    HWND h = CreateWindowExA(0, recorderClass(), "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    recorded().clear();
    MSG f5{h, WM_KEYDOWN, VK_F5, 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorA(h, acc, &f5), 1);
    MSG f6{h, WM_KEYDOWN, VK_F6, 0, 0, {0, 0}};
    EXPECT_EQ(TranslateAcceleratorA(h, acc, &f6), 0);
    ASSERT_FALSE(recorded().empty());
    EXPECT_EQ(recorded().back().msg, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(recorded().back().wParam, MAKEWPARAM(302, 1));
    DestroyAcceleratorTable(acc);
    DestroyWindow(h);
    EXPECT_FALSE(LoadMenuA(self, "NO_SUCH_MENU"));
}
