// On a real X server (Xvfb, Qt's xcb platform): a dialog is shown and
// clicked by xdotool, an outside program, so the clicks travel through the X
// server, Qt's event loop inside GetMessageA and the widgets.
#include "uitest.h"
#include "display_probe.h"

#include <QWindow>

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <string>

extern char **environ;

using namespace uitest;

namespace {

std::vector<int> commands;

INT_PTR CALLBACK proc(HWND, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND) {
        commands.push_back(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// Runs xdotool with the arguments; its exit status.
int xdotool(const std::vector<std::string> &args) {
    std::vector<char *> argv;
    std::string name = "xdotool";
    argv.push_back(name.data());
    std::vector<std::string> copy = args;
    for (std::string &a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Clicks the middle of a control, as the X server sees the screen.
void click(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    ASSERT_EQ(xdotool({"mousemove", "--sync", std::to_string((r.left + r.right) / 2),
                       std::to_string((r.top + r.bottom) / 2), "click", "1"}), 0);
}

}  // namespace

TEST(Xvfb, ARealDialogIsClickedThroughTheXServer) {
    ASSERT_TRUE(getenv("DISPLAY"));
    Template t(WS_POPUP | WS_CAPTION | WS_VISIBLE, 160, 60, "Xvfb");
    t.item(0x80, "Enabled", 10, BS_AUTOCHECKBOX | WS_TABSTOP, 5, 5, 80, 12)
        .item(0x80, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 100, 40, 50, 14);
    HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, proc, 0);
    ASSERT_TRUE(dlg);
    QWidget *w = widgetOf(dlg);
    ASSERT_TRUE(pumpUntil([&] { return w->window()->windowHandle() && w->window()->windowHandle()->isExposed(); }));
    // The window's place as the X server has it.
    pumpUntil([] { return false; }, 200);
    click(GetDlgItem(dlg, 10));
    ASSERT_TRUE(pumpUntil([] { return !commands.empty(); }, 10000));
    EXPECT_EQ(commands.back(), 10);
    EXPECT_EQ(IsDlgButtonChecked(dlg, 10), static_cast<UINT>(BST_CHECKED));
    click(GetDlgItem(dlg, IDOK));
    ASSERT_TRUE(pumpUntil([] { return commands.back() == IDOK; }, 10000));
    DestroyWindow(dlg);
}

// A program that names no platform finds the running X server and shows its
// windows there (the display answers, authorisation included).
TEST(Xvfb, AProgramThatNamesNoPlatformUsesTheXServer) {
    std::vector<std::string> env = {"PATH=/usr/bin:/bin", "HOME=/tmp"};
    for (const char *name : {"DISPLAY", "XAUTHORITY", "XDG_RUNTIME_DIR", "ASAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char *value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    auto r = uitest::runDisplayProbe(env);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("shown"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("No display reachable"), std::string::npos) << r.output;
}
