// The host password: its stored form, the check against cradle.ini and the
// password dialog driven through its controls.
#include "host_fixture.h"

#include "shell/password.h"

#include <gtest/gtest.h>

#include <string>

using namespace hosttest;

namespace {

constexpr const char *kCaption = "Password Required";
constexpr const char *kWrongText = "You have not supplied the correct password. Please try again.";

std::string storedForm(const std::string &typed) {
    char out[PASSWORD_STORED_SIZE];
    EXPECT_EQ(passwordStoredForm(typed.c_str(), out), 0);
    return out;
}

TEST(PasswordForm, IsBase64OfTheMd5DigestOfTheTypedBytes) {
    EXPECT_EQ(storedForm(""), "1B2M2Y8AsgTpgAmY7PhCfg==");
    EXPECT_EQ(storedForm("password"), "X03MO1qnZdYdgyfeuILPmQ==");
    EXPECT_EQ(storedForm("The quick brown fox jumps over the lazy dog"), "nhB9nTcrtoJr2B01QqQZ1g==");
    EXPECT_EQ(storedForm("\xe9t\xe9"), "cLBuMIc1DIxPw/E+dBh58w==");  // 8-bit text as bytes
    EXPECT_EQ(storedForm(std::string(255, 'a')), "RrwkmlqPxdYizxLELEY64A==");
    for (const char *p : {"x", "a much longer pass phrase with blanks", "+/=="}) {
        std::string f = storedForm(p);
        EXPECT_EQ(f.size(), 24u);
        EXPECT_EQ(f.substr(22), "==");
    }
    char out[PASSWORD_STORED_SIZE];
    EXPECT_EQ(passwordStoredForm(nullptr, out), -2);
    EXPECT_EQ(passwordStoredForm("x", nullptr), -2);
}

TEST(PasswordCheck, ComparesWithTheStoredTextOfTheConfiguration) {
    ProgramDir dir;
    EXPECT_FALSE(passwordIsSet());
    EXPECT_EQ(passwordCheck("anything"), 0);  // nothing to match
    dir.write("Expert", "Password", "");
    EXPECT_FALSE(passwordIsSet());

    dir.write("Expert", "Password", storedForm("secret").c_str());
    EXPECT_TRUE(passwordIsSet());
    EXPECT_EQ(passwordCheck("secret"), 1);
    EXPECT_EQ(passwordCheck("Secret"), 0);
    EXPECT_EQ(passwordCheck("secret "), 0);
    EXPECT_EQ(passwordCheck(""), 0);
    EXPECT_EQ(passwordCheck(nullptr), -2);

    // A stored text that is not a stored form (hand-edited, or its prefix)
    // never matches, also not the password whose form begins with it.
    std::string form = storedForm("secret");
    dir.write("Expert", "Password", form.substr(0, 23).c_str());
    EXPECT_TRUE(passwordIsSet());
    EXPECT_EQ(passwordCheck("secret"), 0);
    dir.write("Expert", "Password", (form + "x").c_str());
    EXPECT_EQ(passwordCheck("secret"), 0);
    dir.write("Expert", "Password", "secret");  // the plain text is not accepted either
    EXPECT_EQ(passwordCheck("secret"), 0);
}

// Drives the password dialog: types each entry and presses OK until the
// dialog ends. Returns the dialog's result.
struct DialogRun {
    bool okEnabledAtStart = false;
    bool okEnabledAfterTyping = false;
    bool okEnabledAfterClearing = true;
    bool focusInField = false;
};

int runDialog(const std::vector<std::string> &entries, DialogRun &seen, int finish = 0) {
    driveFromLoop([&]() {
        HWND dlg = findTitled(kCaption);
        if (!dlg || !IsWindowVisible(dlg)) return false;
        HWND ok = GetDlgItem(dlg, 100);
        seen.okEnabledAtStart = IsWindowEnabled(ok);
        seen.focusInField = GetFocus() == GetDlgItem(dlg, 10);
        SetDlgItemTextA(dlg, 10, "typed");
        seen.okEnabledAfterTyping = IsWindowEnabled(ok);
        SetDlgItemTextA(dlg, 10, "");
        seen.okEnabledAfterClearing = IsWindowEnabled(ok);
        for (const std::string &e : entries) {
            if (!IsWindow(dlg)) break;
            SetDlgItemTextA(dlg, 10, e.c_str());
            SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        }
        if (IsWindow(dlg) && finish) {
            if (finish == WM_CLOSE)
                SendMessageA(dlg, WM_CLOSE, 0, 0);
            else
                SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(finish, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, finish)));
        }
        return true;
    });
    int r = passwordDialog(nullptr);
    stopDriving();
    return r;
}

TEST(PasswordDialog, WithoutAPasswordOkSucceedsAtOnce) {
    ProgramDir dir;
    MessageBoxes boxes;
    DialogRun seen;
    EXPECT_EQ(runDialog({"whatever"}, seen), 1);
    EXPECT_TRUE(seen.okEnabledAtStart);
    EXPECT_TRUE(seen.focusInField);
    EXPECT_TRUE(boxes.seen.empty());
}

TEST(PasswordDialog, OkFollowsTheFieldAndTheRightPasswordSucceeds) {
    ProgramDir dir;
    dir.write("Expert", "Password", storedForm("open sesame").c_str());
    MessageBoxes boxes;
    DialogRun seen;
    EXPECT_EQ(runDialog({"wrong", "open sesame"}, seen), 1);
    EXPECT_FALSE(seen.okEnabledAtStart);
    EXPECT_TRUE(seen.okEnabledAfterTyping);
    EXPECT_FALSE(seen.okEnabledAfterClearing);
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, kWrongText);
    EXPECT_EQ(boxes.seen[0].caption, "Test Title");
    EXPECT_EQ(boxes.seen[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

TEST(PasswordDialog, ThreeWrongEntriesEndItAsCancelled) {
    ProgramDir dir;
    dir.write("Expert", "Password", storedForm("open sesame").c_str());
    MessageBoxes boxes;
    DialogRun seen;
    // The fourth entry is right, but the dialog has ended after the third.
    EXPECT_EQ(runDialog({"a", "b", "c", "open sesame"}, seen), 0);
    EXPECT_EQ(boxes.seen.size(), 3u);
    EXPECT_EQ(findTitled(kCaption), nullptr);
}

TEST(PasswordDialog, CancelAndTheCloseBoxEndItWithZero) {
    ProgramDir dir;
    dir.write("Expert", "Password", storedForm("pw").c_str());
    MessageBoxes boxes;
    DialogRun seen;
    EXPECT_EQ(runDialog({}, seen, 101), 0);
    EXPECT_EQ(runDialog({}, seen, WM_CLOSE), 0);
    EXPECT_EQ(runDialog({"wrong"}, seen, 101), 0);
    EXPECT_EQ(boxes.seen.size(), 1u);
}

}  // namespace
