// The photo plug-in's pages under test: the real ext/galleon.dll initialised
// with a cradle.ini of the test (GalleonInstance), a page created the way
// the host's settings window creates it (its template, as a child of a
// frame, with the procedure zelextGetEntryPointProc gives), PSN_
// notifications sent to it, PSM_ messages back recorded, and every message
// box recorded and answered by the test.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "galleon_fixture.h"
#include "http_client.h"
#include "ui_input.h"

namespace galleonui {

struct Box {
    std::string text, caption;
    UINT type;
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the plug-in (see GalleonInstance::start); fails the test when it cannot.
    void startGalleon(const std::string& photoLines = "", const std::string& otherSections = "");
    // The page of index (0 Settings, 1 Options, 2 Security, 3 Log; 1 to 3
    // need WideConfig=1), shown in the test's frame.
    HWND openPage(int index);
    void closePage();
    // A PSN_ notification to the page, as the settings window sends it; the
    // page's DWLP_MSGRESULT answer.
    LONG_PTR notify(UINT code, LPARAM value = 0);
    HWND item(int id) const { return GetDlgItem(page_, id); }
    bool enabled(int id) const { return IsWindowEnabled(item(id)); }
    bool visible(int id) const { return IsWindowVisible(item(id)); }
    bool checked(int id) const { return IsDlgButtonChecked(page_, id) == BST_CHECKED; }
    // Texts of a list view's cells in column order, row by row.
    static std::vector<std::vector<std::string>> rows(HWND list);
    static int rowImage(HWND list, int row);

    // Message boxes: recorded; answered with the next of answers (IDYES for
    // a question when none is left, else IDOK).
    std::vector<Box> boxes;
    std::vector<int> answers;
    // PSM_CHANGED messages and PSM_PRESSBUTTON buttons that reached the frame.
    int changedCount = 0;
    std::vector<int> pressedButtons;

    GalleonInstance galleon;
    HWND frame_ = nullptr;
    HWND page_ = nullptr;

private:
    static int answerBox(void* context, HWND, LPCSTR text, LPCSTR caption, UINT type);
    static LRESULT CALLBACK frameProc(HWND, UINT, WPARAM, LPARAM);
};

// A GET over loopback; the answer's status and body.
gtest_http::Response httpGet(int port, const std::string& path, const std::string& extraHeaders = "");
// "Authorization: Basic ..." for user and password.
std::string basicAuth(const std::string& user, const std::string& password);

}  // namespace galleonui
