// Menus: items and their state, item information, popups chosen with the
// keyboard, owner-drawn items, menu bars, menu templates; accelerators;
// window snapshots.
#include "uitest.h"

#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace uitest;

namespace {

enum { ID_OPEN = 201, ID_CLOSE = 202, ID_DRAWN = 203, ID_SUB = 204 };

HWND makeWindow() {
    return CreateWindowExA(0, recorderClass(), "Menus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                           nullptr, nullptr, nullptr);
}

// Presses keys in the open popup menu when the timer fires.
std::vector<int> popupKeys;
void CALLBACK pressKeys(HWND, UINT, UINT_PTR id, DWORD) {
    QWidget *popup = QApplication::activePopupWidget();
    if (!popup) return;
    KillTimer(nullptr, id);
    for (int k : popupKeys) QTest::keyClick(popup, static_cast<Qt::Key>(k));
}

}  // namespace

TEST(Menus, ItemsStateAndInformation) {
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, ID_SUB, "Sub item");
    HMENU m = CreatePopupMenu();
    ASSERT_TRUE(AppendMenuA(m, MF_STRING, ID_OPEN, "&Open"));
    ASSERT_TRUE(AppendMenuA(m, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(m, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More"));
    ASSERT_TRUE(InsertMenuA(m, ID_OPEN, MF_BYCOMMAND | MF_STRING, ID_CLOSE, "&Close"));
    EXPECT_EQ(GetMenuItemCount(m), 4);
    EXPECT_EQ(GetMenuItemID(m, 0), static_cast<UINT>(ID_CLOSE));
    EXPECT_EQ(GetMenuItemID(m, 3), static_cast<UINT>(-1));
    EXPECT_EQ(GetSubMenu(m, 3), sub);

    EXPECT_EQ(CheckMenuItem(m, ID_OPEN, MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
    EXPECT_EQ(CheckMenuItem(m, ID_OPEN, MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(m, 999, MF_CHECKED), static_cast<DWORD>(-1));
    EXPECT_EQ(EnableMenuItem(m, ID_SUB, MF_GRAYED), MF_ENABLED);  // found in the submenu
    EXPECT_TRUE(GetMenuState(sub, ID_SUB, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(SetMenuDefaultItem(m, ID_OPEN, FALSE));
    EXPECT_EQ(GetMenuDefaultItem(m, FALSE, 0), static_cast<UINT>(ID_OPEN));

    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_DATA;
    mii.fType = MFT_OWNERDRAW;
    mii.dwItemData = 0xABCDEF;
    ASSERT_TRUE(SetMenuItemInfoA(m, ID_CLOSE, FALSE, &mii));
    MENUITEMINFOA got{};
    got.cbSize = sizeof got;
    got.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID | MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfoA(m, 0, TRUE, &got));
    EXPECT_EQ(got.fType & MFT_OWNERDRAW, static_cast<UINT>(MFT_OWNERDRAW));
    EXPECT_EQ(got.dwItemData, 0xABCDEFu);
    EXPECT_EQ(got.wID, static_cast<UINT>(ID_CLOSE));
    // Text: cch is the buffer size in and the text length out.
    char buf[4];
    MENUITEMINFOA txt{};
    txt.cbSize = sizeof txt;
    txt.fMask = MIIM_STRING;
    txt.dwTypeData = buf;
    txt.cch = sizeof buf;
    ASSERT_TRUE(GetMenuItemInfoA(m, ID_OPEN, FALSE, &txt));
    EXPECT_STREQ(buf, "&Op");
    EXPECT_EQ(txt.cch, 5u);

    EXPECT_TRUE(DeleteMenu(m, 3, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(sub));  // deleted with its item
    EXPECT_TRUE(DestroyMenu(m));
    EXPECT_FALSE(IsMenu(m));
    EXPECT_FALSE(AppendMenuA(m, MF_STRING, 1, "x"));
}

TEST(Menus, TrackPopupMenuReturnsOrPostsTheChosenCommand) {
    HWND h = makeWindow();
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_STRING, ID_OPEN, "&Open");
    AppendMenuA(m, MF_STRING | MF_GRAYED, ID_DRAWN, "Disabled");
    AppendMenuA(m, MF_STRING, ID_CLOSE, "&Close");
    recorded().clear();
    popupKeys = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return};  // the disabled item is skipped
    SetTimer(nullptr, 0, 10, pressKeys);
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD | TPM_RIGHTBUTTON, 50, 50, 0, h, nullptr), ID_CLOSE);
    std::vector<UINT> seen = messagesTo(h);
    EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_INITMENUPOPUP)), seen.end());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_COMMAND)), seen.end());

    popupKeys = {Qt::Key_Down, Qt::Key_Return};
    SetTimer(nullptr, 0, 10, pressKeys);
    recorded().clear();
    EXPECT_TRUE(TrackPopupMenu(m, TPM_RIGHTALIGN, 200, 50, 0, h, nullptr));
    EXPECT_TRUE(pumpUntil([&] {
        for (const Message &r : recorded())
            if (r.hwnd == h && r.msg == WM_COMMAND && LOWORD(r.wParam) == ID_OPEN) return true;
        return false;
    }));

    popupKeys = {Qt::Key_Escape};
    SetTimer(nullptr, 0, 10, pressKeys);
    EXPECT_EQ(TrackPopupMenu(m, TPM_RETURNCMD, 50, 50, 0, h, nullptr), 0);
    DestroyMenu(m);
    DestroyWindow(h);
}

namespace {
UINT measuredId = 0;
ULONG_PTR measuredData = 0;
LRESULT CALLBACK measureProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_MEASUREITEM) {
        auto *mis = reinterpret_cast<MEASUREITEMSTRUCT *>(l);
        measuredId = mis->itemID;
        measuredData = mis->itemData;
        mis->itemWidth = 150;
        mis->itemHeight = 30;
        return TRUE;
    }
    return DefWindowProcA(h, msg, w, l);
}
}  // namespace

TEST(Menus, OwnerDrawnItemsAreMeasuredByTheirOwner) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = measureProc;
    wc.lpszClassName = "UiTestMeasure";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, "UiTestMeasure", "", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HMENU m = CreatePopupMenu();
    AppendMenuA(m, MF_OWNERDRAW, ID_DRAWN, reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(0x5555)));
    popupKeys = {Qt::Key_Escape};
    QSize shown;
    SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
        if (QWidget *p = QApplication::activePopupWidget()) {
            KillTimer(nullptr, id);
            EXPECT_GE(p->sizeHint().height(), 30);
            EXPECT_GE(p->sizeHint().width(), 150);
            QTest::keyClick(p, Qt::Key_Escape);
        }
    });
    TrackPopupMenu(m, TPM_RETURNCMD, 10, 10, 0, h, nullptr);
    EXPECT_EQ(measuredId, static_cast<UINT>(ID_DRAWN));
    EXPECT_EQ(measuredData, 0x5555u);
    DestroyMenu(m);
    DestroyWindow(h);
}

TEST(Menus, AMenuBarSendsItsCommandsToTheWindow) {
    HWND h = makeWindow();
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, ID_OPEN, "&Open");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    ASSERT_TRUE(SetMenu(h, bar));
    EXPECT_EQ(GetMenu(h), bar);
    auto *qbar = widgetOf(h)->window()->findChild<QMenuBar *>();
    ASSERT_TRUE(qbar);
    ASSERT_EQ(qbar->actions().size(), 1);
    EXPECT_EQ(qbar->actions()[0]->text(), QStringLiteral("&File"));
    ModifyMenuA(bar, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&Archive");
    DrawMenuBar(h);
    EXPECT_EQ(qbar->actions()[0]->text(), QStringLiteral("&Archive"));
    // The client area starts below the bar.
    RECT client;
    GetClientRect(h, &client);
    EXPECT_LT(client.bottom, 200);
    DestroyWindow(h);
    EXPECT_FALSE(IsMenu(bar));  // a window's menu goes with it
}

TEST(Menus, MenuTemplatesInMemory) {
    // MENU template: header, "&File" popup (Open, separator, Exit), "&Help".
    std::vector<uint16_t> t = {0, 0};
    auto str = [&](const char *s) {
        for (; *s; ++s) t.push_back(static_cast<uint16_t>(*s));
        t.push_back(0);
    };
    t.push_back(MF_POPUP), str("&File");
    t.push_back(0), t.push_back(ID_OPEN), str("&Open");
    t.push_back(0), t.push_back(0), str("");
    t.push_back(MF_END), t.push_back(ID_CLOSE), str("E&xit");
    t.push_back(MF_END), t.push_back(ID_SUB), str("&Help");
    HMENU m = LoadMenuIndirectA(t.data());
    ASSERT_TRUE(m);
    ASSERT_EQ(GetMenuItemCount(m), 2);
    HMENU file = GetSubMenu(m, 0);
    ASSERT_TRUE(file);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_TRUE(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
    char buf[16];
    GetMenuStringA(file, ID_CLOSE, buf, sizeof buf, MF_BYCOMMAND);
    EXPECT_STREQ(buf, "E&xit");
    EXPECT_EQ(GetMenuItemID(m, 1), static_cast<UINT>(ID_SUB));
    DestroyMenu(m);
}

namespace {
int keyStep = 0;
HWND keyTarget = nullptr;
// Types one key per tick, while the timer's message is dispatched.
void CALLBACK typeKeys(HWND, UINT, UINT_PTR, DWORD) {
    QWidget *w = widgetOf(keyTarget);
    if (keyStep == 0) QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    if (keyStep == 1) QTest::keyClick(w, Qt::Key_S);  // no Ctrl: no command
    if (keyStep == 2) QTest::keyClick(w, Qt::Key_F5);
    ++keyStep;
}
}  // namespace

TEST(Accelerators, KeysInALoopBecomeCommands) {
    HWND h = makeWindow();
    ACCEL table[] = {{FVIRTKEY | FCONTROL, 'S', 301}, {FVIRTKEY, VK_F5, 302}};
    HACCEL acc = CreateAcceleratorTableA(table, 2);
    ASSERT_TRUE(acc);
    SetFocus(h);
    recorded().clear();
    keyStep = 0;
    keyTarget = h;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, typeKeys);
    MSG m;
    while (keyStep < 5 && GetMessageA(&m, nullptr, 0, 0)) {
        if (TranslateAcceleratorA(h, acc, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    KillTimer(nullptr, timer);
    std::vector<WPARAM> commands;
    for (const Message &r : recorded())
        if (r.hwnd == h && r.msg == WM_COMMAND) commands.push_back(r.wParam);
    EXPECT_EQ(commands, (std::vector<WPARAM>{MAKEWPARAM(301, 1), MAKEWPARAM(302, 1)}));
    // The plain 'S' reached the window as a key and a character.
    bool sawChar = false;
    for (const Message &r : recorded()) sawChar |= r.hwnd == h && r.msg == WM_CHAR && r.wParam == 's';
    EXPECT_TRUE(sawChar);
    EXPECT_TRUE(DestroyAcceleratorTable(acc));
    EXPECT_FALSE(DestroyAcceleratorTable(acc));
    DestroyWindow(h);
}

TEST(Snapshot, AWindowIsWrittenAsPngOfItsSize) {
    Template t(WS_POPUP | WS_CAPTION, 120, 60, "Shot");
    t.item(0x82, "Hello", 1, SS_LEFT, 5, 5, 60, 8).item(0x80, "OK", IDOK, BS_DEFPUSHBUTTON, 60, 40, 50, 14);
    HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, nullptr, 0);
    ASSERT_TRUE(dlg);
    std::string path = std::string(SUITE_BINARY_DIR) + "/tests/ui/snapshot_test.png";
    ASSERT_TRUE(uiSnapshotWindow(dlg, path.c_str()));
    QImage img(QString::fromStdString(path));
    RECT r;
    GetWindowRect(dlg, &r);
    EXPECT_EQ(img.width(), r.right - r.left);
    EXPECT_EQ(img.height(), r.bottom - r.top);
    EXPECT_FALSE(IsWindowVisible(dlg));  // taken without showing it
    EXPECT_FALSE(uiSnapshotWindow(dlg, "/nonexistent-dir/x.png"));
    QFile::remove(QString::fromStdString(path));
    DestroyWindow(dlg);
}
