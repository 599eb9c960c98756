// Dialogs from templates: creation, dialog units, items, the dialog
// manager's keys, modal loops (nested), and notifications that come from
// real widget input.
#include "uitest.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace uitest;

namespace {

enum { IDC_NAME = 101, IDC_PORT = 102, IDC_CHECK = 103, IDC_PLAIN = 104, IDC_RADIO1 = 105, IDC_RADIO2 = 106,
       IDC_RADIO3 = 107, IDC_LABEL = 108, IDC_COMBO = 109, IDC_LIST = 110, IDC_STATIC_OFF = 111 };

Template settingsTemplate() {
    Template t(WS_POPUP | WS_CAPTION | WS_SYSMENU, 200, 150, "Settings");
    t.item(0x82, "&Name:", IDC_LABEL, SS_LEFT, 5, 5, 40, 8)
        .item(0x81, "", IDC_NAME, ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 50, 5, 100, 12)
        .item(0x81, "", IDC_PORT, ES_NUMBER | WS_TABSTOP | WS_BORDER, 50, 20, 40, 12)
        .item(0x80, "Auto", IDC_CHECK, BS_AUTOCHECKBOX | WS_TABSTOP, 5, 35, 60, 10)
        .item(0x80, "Plain", IDC_PLAIN, BS_CHECKBOX | WS_TABSTOP, 70, 35, 60, 10)
        .item(0x80, "One", IDC_RADIO1, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 5, 50, 40, 10)
        .item(0x80, "Two", IDC_RADIO2, BS_AUTORADIOBUTTON, 50, 50, 40, 10)
        .item(0x80, "Three", IDC_RADIO3, BS_AUTORADIOBUTTON, 95, 50, 40, 10)
        .item(0x85, "", IDC_COMBO, CBS_DROPDOWNLIST | WS_TABSTOP | WS_GROUP, 5, 65, 80, 60)
        .item(0x83, "", IDC_LIST, LBS_NOTIFY | WS_TABSTOP | WS_BORDER, 90, 65, 60, 40)
        .item(0x82, "off", IDC_STATIC_OFF, SS_LEFT, 5, 110, 20, 8)
        .item(0x80, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 90, 130, 50, 14)
        .item(0x80, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 145, 130, 50, 14);
    return t;
}

struct Log {
    std::vector<std::pair<int, int>> commands;  // (id, notification)
    LPARAM initParam = 0;
    HWND initFocus = nullptr;
    bool endOnOk = true;
    int count(int id, int code) const {
        return static_cast<int>(std::count(commands.begin(), commands.end(), std::make_pair(id, code)));
    }
};
Log *logOf = nullptr;

INT_PTR CALLBACK settingsProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        logOf->initParam = lParam;
        logOf->initFocus = reinterpret_cast<HWND>(wParam);
        return TRUE;
    case WM_COMMAND:
        logOf->commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if ((LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) && logOf->endOnOk) EndDialog(dlg, LOWORD(wParam));
        return TRUE;
    default: return FALSE;
    }
}

class Dialog : public ::testing::Test {
protected:
    void SetUp() override {
        logOf = &log;
        tmpl = settingsTemplate();
        dlg = CreateDialogIndirectParamA(nullptr, tmpl.get(), nullptr, settingsProc, 1234);
        ASSERT_TRUE(dlg);
        ShowWindow(dlg, SW_SHOW);
    }
    void TearDown() override {
        if (IsWindow(dlg)) DestroyWindow(dlg);
        logOf = nullptr;
    }
    QWidget *item(int id) { return widgetOf(GetDlgItem(dlg, id)); }
    Log log;
    Template tmpl{0, 0, 0, ""};
    HWND dlg = nullptr;
};

}  // namespace

TEST_F(Dialog, InitDialogGetsTheParameterAndTheFirstTabStop) {
    EXPECT_EQ(log.initParam, 1234);
    EXPECT_EQ(log.initFocus, GetDlgItem(dlg, IDC_NAME));
    EXPECT_EQ(text(dlg), "Settings");
    EXPECT_EQ(GetWindowLongA(dlg, DWL_MSGRESULT), 0);
    EXPECT_EQ(GetWindowLongA(dlg, DWL_DLGPROC), reinterpret_cast<LONG_PTR>(settingsProc));
    char cls[32];
    GetClassNameA(dlg, cls, sizeof cls);
    EXPECT_STREQ(cls, "#32770");
}

TEST_F(Dialog, DialogUnitsFollowTheTemplateFont) {
    RECT r{0, 0, 4, 8};
    ASSERT_TRUE(MapDialogRect(dlg, &r));
    // One base unit each way: a character width near 5-7 pixels and a line
    // height near 12-15 for an 8-point sans-serif font at 96 dpi.
    EXPECT_GE(r.right, 4);
    EXPECT_LE(r.right, 8);
    EXPECT_GE(r.bottom, 11);
    EXPECT_LE(r.bottom, 16);
    RECT client;
    GetClientRect(dlg, &client);
    RECT want{0, 0, 200, 150};
    MapDialogRect(dlg, &want);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
    RECT ok;
    GetWindowRect(GetDlgItem(dlg, IDOK), &ok);
    RECT okWant{90, 130, 140, 144};
    MapDialogRect(dlg, &okWant);
    POINT p{ok.left, ok.top};
    ScreenToClient(dlg, &p);
    EXPECT_EQ(p.x, okWant.left);
    EXPECT_EQ(p.y, okWant.top);
    EXPECT_EQ(ok.right - ok.left, okWant.right - okWant.left);
}

TEST_F(Dialog, ItemTextAndNumbers) {
    EXPECT_TRUE(SetDlgItemTextA(dlg, IDC_NAME, "holiday"));
    char buf[8];
    EXPECT_EQ(GetDlgItemTextA(dlg, IDC_NAME, buf, sizeof buf), 7u);
    EXPECT_STREQ(buf, "holiday");
    EXPECT_EQ(GetDlgItemTextA(dlg, IDC_NAME, buf, 4), 3u);  // truncated, terminated
    EXPECT_STREQ(buf, "hol");
    BOOL ok;
    SetDlgItemInt(dlg, IDC_NAME, static_cast<UINT>(-25), TRUE);
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(dlg, IDC_NAME, &ok, TRUE)), -25);
    EXPECT_TRUE(ok);
    GetDlgItemInt(dlg, IDC_NAME, &ok, FALSE);
    EXPECT_FALSE(ok);  // a sign is not a digit when unsigned
    for (const char *bad : {"", "12x", "4294967296", "x1", "--1"}) {
        SetDlgItemTextA(dlg, IDC_NAME, bad);
        EXPECT_EQ(GetDlgItemInt(dlg, IDC_NAME, &ok, FALSE), 0u) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    SetDlgItemTextA(dlg, IDC_NAME, " 4294967295 ");
    EXPECT_EQ(GetDlgItemInt(dlg, IDC_NAME, &ok, FALSE), 4294967295u);
    EXPECT_TRUE(ok);
    SetDlgItemTextA(dlg, IDC_NAME, "2147483648");
    GetDlgItemInt(dlg, IDC_NAME, &ok, TRUE);
    EXPECT_FALSE(ok);
    // Setting text reports a change, as typing does.
    EXPECT_GE(log.count(IDC_NAME, EN_CHANGE), 1);
    EXPECT_FALSE(SetDlgItemTextA(dlg, 999, "x"));
}

TEST_F(Dialog, TypingReportsChangesAndNumberEditsRefuseLetters) {
    QWidget *name = item(IDC_NAME);
    name->setFocus();
    log.commands.clear();
    QTest::keyClicks(name, "abc");
    EXPECT_EQ(uitest::text(GetDlgItem(dlg, IDC_NAME)), "abc");
    EXPECT_EQ(log.count(IDC_NAME, EN_CHANGE), 3);
    QTest::keyClicks(item(IDC_PORT), "8a8b8");
    EXPECT_EQ(uitest::text(GetDlgItem(dlg, IDC_PORT)), "888");
    EXPECT_EQ(GetDlgItemInt(dlg, IDC_PORT, nullptr, FALSE), 888u);
}

TEST_F(Dialog, ButtonClicksFollowTheButtonStyle) {
    QTest::mouseClick(item(IDC_CHECK), Qt::LeftButton);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_CHECK), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(log.count(IDC_CHECK, BN_CLICKED), 1);
    // A plain check box only reports the click; its owner decides.
    QTest::mouseClick(item(IDC_PLAIN), Qt::LeftButton);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_PLAIN), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(log.count(IDC_PLAIN, BN_CLICKED), 1);
    CheckDlgButton(dlg, IDC_PLAIN, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_PLAIN), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(log.count(IDC_PLAIN, BN_CLICKED), 1);  // no notification for a message

    // Automatic radio buttons clear the others of their group.
    QTest::mouseClick(item(IDC_RADIO2), Qt::LeftButton);
    QTest::mouseClick(item(IDC_RADIO3), Qt::LeftButton);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_RADIO2), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_RADIO3), static_cast<UINT>(BST_CHECKED));
    CheckRadioButton(dlg, IDC_RADIO1, IDC_RADIO3, IDC_RADIO1);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_RADIO1), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_RADIO3), static_cast<UINT>(BST_UNCHECKED));

    // A disabled button gives no click.
    EnableWindow(GetDlgItem(dlg, IDC_CHECK), FALSE);
    QTest::mouseClick(item(IDC_CHECK), Qt::LeftButton);
    EXPECT_EQ(log.count(IDC_CHECK, BN_CLICKED), 1);
}

TEST_F(Dialog, ComboAndListReportOnlyTheUsersSelections) {
    HWND combo = GetDlgItem(dlg, IDC_COMBO);
    EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Icons")), 0);
    EXPECT_EQ(SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("List")), 1);
    EXPECT_EQ(SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("Details")), 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);  // nothing chosen yet
    SendMessageA(combo, CB_SETITEMDATA, 2, 99);
    EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 2, 0), 99);
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("icons")), 1);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(log.count(IDC_COMBO, CBN_SELCHANGE), 0);
    QTest::keyClick(item(IDC_COMBO), Qt::Key_Down);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(log.count(IDC_COMBO, CBN_SELCHANGE), 1);
    char buf[16];
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 1, 0), 5);
    SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(buf));
    EXPECT_STREQ(buf, "Icons");
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 9, reinterpret_cast<LPARAM>(buf)), CB_ERR);

    HWND list = GetDlgItem(dlg, IDC_LIST);
    for (const char *s : {"b", "a", "c"}) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 5, 0), LB_ERR);
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    EXPECT_EQ(log.count(IDC_LIST, LBN_SELCHANGE), 0);
    auto *lw = item(IDC_LIST);
    lw->setFocus();
    QTest::keyClick(lw, Qt::Key_Up);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(log.count(IDC_LIST, LBN_SELCHANGE), 1);
}

TEST_F(Dialog, EnterAndEscapeAnswerForTheDialogWithoutALoop) {
    log.endOnOk = false;
    QWidget *name = item(IDC_NAME);
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(log.count(IDOK, BN_CLICKED), 1);
    QTest::keyClick(name, Qt::Key_Escape);
    EXPECT_EQ(log.count(IDCANCEL, BN_CLICKED), 1);
    // DM_SETDEFID moves Enter to another button.
    SendMessageA(dlg, DM_SETDEFID, IDCANCEL, 0);
    EXPECT_EQ(LOWORD(SendMessageA(dlg, DM_GETDEFID, 0, 0)), IDCANCEL);
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(log.count(IDCANCEL, BN_CLICKED), 2);
}

TEST_F(Dialog, TabStopsAndGroupsDecideNavigation) {
    HWND name = GetDlgItem(dlg, IDC_NAME);
    EXPECT_EQ(GetNextDlgTabItem(dlg, name, FALSE), GetDlgItem(dlg, IDC_PORT));
    EXPECT_EQ(GetNextDlgTabItem(dlg, name, TRUE), GetDlgItem(dlg, IDCANCEL));
    HWND r1 = GetDlgItem(dlg, IDC_RADIO1);
    // Radio 2 and 3 are no tab stops; the group is reached through radio 1.
    EXPECT_EQ(GetNextDlgTabItem(dlg, r1, FALSE), GetDlgItem(dlg, IDC_COMBO));
    EXPECT_EQ(GetNextDlgGroupItem(dlg, r1, FALSE), GetDlgItem(dlg, IDC_RADIO2));
    EXPECT_EQ(GetNextDlgGroupItem(dlg, r1, TRUE), GetDlgItem(dlg, IDC_RADIO3));
    EnableWindow(GetDlgItem(dlg, IDC_PORT), FALSE);
    EXPECT_EQ(GetNextDlgTabItem(dlg, name, FALSE), GetDlgItem(dlg, IDC_CHECK));

    // Through the dialog manager in a loop: Tab, then arrows in the group.
    // Keys typed while a message is dispatched wait in the queue.
    SetFocus(name);
    log.endOnOk = false;
    static int step;
    static QWidget *focusAfterTab;
    static HWND radio1;
    step = 0, focusAfterTab = nullptr, radio1 = r1;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
        if (step == 0) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (step == 1) {
            focusAfterTab = QApplication::focusWidget();
            SetFocus(radio1);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        }
        ++step;
    });
    MSG m;
    while (step < 3 && GetMessageA(&m, nullptr, 0, 0)) {
        if (!IsDialogMessageA(dlg, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    KillTimer(nullptr, timer);
    EXPECT_EQ(focusAfterTab, item(IDC_CHECK));
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, IDC_RADIO2));
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_RADIO2), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(log.count(IDC_RADIO2, BN_CLICKED), 1);
}

TEST_F(Dialog, MnemonicOfALabelFocusesTheNextControl) {
    item(IDC_CHECK)->setFocus();
    QTest::keyClick(item(IDC_CHECK), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg, IDC_NAME));
}

namespace {

int depthReached = 0;
HWND outerOwner = nullptr;
bool ownerWasDisabled = false;

INT_PTR CALLBACK nestedProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongA(dlg, DWL_USER, lParam);
        SetTimer(dlg, 1, 10, nullptr);
        return TRUE;
    case WM_TIMER: {
        KillTimer(dlg, 1);
        int depth = static_cast<int>(GetWindowLongA(dlg, DWL_USER));
        depthReached = std::max(depthReached, depth);
        if (depth == 1) ownerWasDisabled = !IsWindowEnabled(outerOwner);
        // The owner is disabled, the dialog is not.
        EXPECT_TRUE(widgetOf(dlg)->isEnabled());
        EXPECT_TRUE(widgetOf(GetDlgItem(dlg, IDOK))->isEnabled());
        if (depth < 3) {
            Template t(WS_POPUP | WS_CAPTION, 100, 50, "Inner");
            t.item(0x80, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10, 40, 14);
            INT_PTR r = DialogBoxIndirectParamA(nullptr, t.get(), dlg, nestedProc, depth + 1);
            EXPECT_EQ(r, 100 + depth + 1);
            EXPECT_TRUE(IsWindowEnabled(dlg));  // given back when the inner box ended
        }
        // Enter on the default button, through the dialog manager.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) EndDialog(dlg, 100 + GetWindowLongA(dlg, DWL_USER));
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

TEST(ModalDialog, ModalLoopsNestAndDisableTheirOwners) {
    outerOwner = CreateWindowExA(0, recorderClass(), "Owner", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    Template t(WS_POPUP | WS_CAPTION, 120, 60, "Outer");
    t.item(0x80, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 10, 10, 40, 14);
    depthReached = 0;
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), outerOwner, nestedProc, 1), 101);
    EXPECT_EQ(depthReached, 3);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(outerOwner));
    EXPECT_EQ(FindWindowA(nullptr, "Outer"), nullptr);  // destroyed on the way out
    DestroyWindow(outerOwner);
}

TEST(ModalDialog, AQuitMessageEndsTheModalLoopAndIsKeptForTheOuterLoop) {
    Template t(WS_POPUP | WS_CAPTION, 100, 50, "Quit");
    PostQuitMessage(5);
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, t.get(), nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0), 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 5u);
}

namespace {
struct BoxSeen {
    std::string text, caption;
    UINT type = 0;
};
int answerNo(void *ctx, HWND, LPCSTR text, LPCSTR caption, UINT type) {
    auto *seen = static_cast<BoxSeen *>(ctx);
    seen->text = text, seen->caption = caption, seen->type = type;
    return IDNO;
}
}  // namespace

TEST(MessageBox, TheTestHookSeesTheBoxAndAnswersIt) {
    BoxSeen seen;
    uiSetMessageBoxHook(answerNo, &seen);
    EXPECT_EQ(MessageBoxA(nullptr, "Delete the collection?", "Share", MB_YESNO | MB_ICONQUESTION), IDNO);
    uiSetMessageBoxHook(nullptr, nullptr);
    EXPECT_EQ(seen.text, "Delete the collection?");
    EXPECT_EQ(seen.caption, "Share");
    EXPECT_EQ(seen.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    // Without a display and a hook the default button answers.
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_YESNOCANCEL | MB_DEFBUTTON2), IDNO);
}
