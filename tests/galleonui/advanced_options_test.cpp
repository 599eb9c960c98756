// The Options page of the real plug-in: what it writes to cradle.ini and what
// the running server does with it.
#include <fstream>
#include <sstream>

#include "advanced_ids.h"
#include "advanced_support.h"

namespace {

using namespace galleonui;
using namespace advancedtest;
using namespace uiinput;

constexpr int kOptionsPage = 1;

class OptionsPage : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        screenshotFolder() = "galleon";
    }
    std::string ini(const std::string& key) {
        char value[64] = "";
        GetPrivateProfileStringA("photo", key.c_str(), "", value, sizeof value, galleon.path("cradle.ini").c_str());
        return value;
    }
    std::string sizeLabel() { return text(item(IDC_OPTIONS_SIZE_LABEL)); }
    int sizePosition() { return static_cast<int>(SendMessageA(item(IDC_OPTIONS_SIZE), TBM_GETPOS, 0, 0)); }
    bool logged(const std::string& text) { return galleon.readFile("galleon.log").find(text) != std::string::npos; }
    int restartMessages() {
        int n = 0;
        for (const Box& b : boxes) n += b.text == "You must stop and restart this server before applied changes will take effect.";
        return n;
    }
    // The port edit gets the focus with its text selected; typing replaces it.
    void choosePort(int port) {
        click(item(IDC_OPTIONS_USE_PORT));
        EXPECT_EQ(GetFocus(), item(IDC_OPTIONS_PORT));
        typeIntoFocus(std::to_string(port));
    }
};

TEST_F(OptionsPage, ANewPortIsStoredAndTheRunningServerAsksOnceForARestart) {
    startGalleon("WideConfig=1\n");
    ASSERT_TRUE(galleon.waitRunning());
    openPage(kOptionsPage);
    // The test's port is not 8888: the page shows it as the page's own port.
    EXPECT_TRUE(checked(IDC_OPTIONS_USE_PORT));
    EXPECT_TRUE(enabled(IDC_OPTIONS_PORT));
    EXPECT_EQ(text(item(IDC_OPTIONS_PORT)), std::to_string(galleon.port));
    EXPECT_TRUE(screenshot(page_, "options-page"));

    click(item(IDC_OPTIONS_DEFAULT_PORT));
    EXPECT_FALSE(enabled(IDC_OPTIONS_PORT));
    EXPECT_GE(changedCount, 1);
    int newPort = gtest_http::freePort();
    choosePort(newPort);
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(ini("Port"), std::to_string(newPort));
    EXPECT_EQ(restartMessages(), 1);
    EXPECT_EQ(boxes.back().caption, "photo");
    EXPECT_EQ(boxes.back().type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    // The server goes on where it listens until it is started again.
    EXPECT_EQ(httpGet(galleon.port, "/").status, 200);
    // A second Apply, nothing new: no second message.
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(restartMessages(), 1);

    // The default port: 8888 is written.
    click(item(IDC_OPTIONS_DEFAULT_PORT));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(ini("Port"), "8888");
    EXPECT_EQ(restartMessages(), 2);
}

TEST_F(OptionsPage, WhileTheServerIsStoppedANewPortNeedsNoMessageAndNoPortIsRefused) {
    startGalleon("WideConfig=1\nEnable=0\n");
    openPage(kOptionsPage);
    int newPort = gtest_http::freePort();
    choosePort(newPort);
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(ini("Port"), std::to_string(newPort));
    EXPECT_EQ(restartMessages(), 0);

    // A number no server can listen on is refused, and nothing is written.
    choosePort(99999);
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_INVALID_NOCHANGEPAGE);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "Please enter a port number from 1 to 65535.");
    EXPECT_EQ(ini("Port"), std::to_string(newPort));
    EXPECT_EQ(GetFocus(), item(IDC_OPTIONS_PORT));
    choosePort(0);
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_INVALID_NOCHANGEPAGE);
    EXPECT_EQ(ini("Port"), std::to_string(newPort));
    // An emptied edit stands for the default port.
    SetWindowTextA(item(IDC_OPTIONS_PORT), "");
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(ini("Port"), "8888");
    EXPECT_EQ(restartMessages(), 0);
}

TEST_F(OptionsPage, TheTrackBarsFirstPositionStores320By240AndShowsItAtTheNextStart) {
    startGalleon("WideConfig=1\nEnable=0\n");
    openPage(kOptionsPage);
    EXPECT_EQ(sizePosition(), 1);
    EXPECT_EQ(sizeLabel(), "640 x 480");
    int before = changedCount;
    focus(item(IDC_OPTIONS_SIZE));
    key(page_, Qt::Key_Home);
    EXPECT_EQ(sizePosition(), 0);
    EXPECT_EQ(sizeLabel(), "320 x 240");
    EXPECT_GT(changedCount, before);
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(ini("MaxImageX"), "320");
    EXPECT_EQ(ini("MaxImageY"), "240");

    closePage();
    galleon.stop();
    ASSERT_EQ(galleon.start("", "", true), 0);
    openPage(kOptionsPage);
    EXPECT_EQ(sizePosition(), 0);
    EXPECT_EQ(sizeLabel(), "320 x 240");
}

TEST_F(OptionsPage, ASizeTheTrackBarDoesNotOfferIsKeptUntilTheTrackBarMoves) {
    startGalleon("WideConfig=1\nEnable=0\nMaxImageX=700\nMaxImageY=525\n");
    openPage(kOptionsPage);
    EXPECT_EQ(sizePosition(), 1);
    EXPECT_EQ(sizeLabel(), "640 x 480");
    // Another setting changes: the size stays as the file has it.
    click(item(IDC_OPTIONS_DETAILS));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(ini("MixedListType"), "2");
    EXPECT_EQ(ini("MaxImageX"), "700");
    EXPECT_EQ(ini("MaxImageY"), "525");
    // Moved one step: the size of that step.
    focus(item(IDC_OPTIONS_SIZE));
    key(page_, Qt::Key_Right);
    EXPECT_EQ(sizeLabel(), "800 x 600");
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(ini("MaxImageX"), "800");
    EXPECT_EQ(ini("MaxImageY"), "600");
}

TEST_F(OptionsPage, TheMixedViewIsShownAndStored) {
    startGalleon("WideConfig=1\nEnable=0\nMixedListType=3\n");
    openPage(kOptionsPage);
    EXPECT_TRUE(checked(IDC_OPTIONS_FILMSTRIP));
    EXPECT_FALSE(checked(IDC_OPTIONS_ICONS));
    clickAt(item(IDC_OPTIONS_LIST), 8, 7);  // on the button itself: its label is short
    EXPECT_TRUE(checked(IDC_OPTIONS_LIST));
    EXPECT_FALSE(checked(IDC_OPTIONS_FILMSTRIP));
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(ini("MixedListType"), "1");
}

TEST_F(OptionsPage, WithAccessLoggingOffTheServerWritesNoRecords) {
    startGalleon("WideConfig=1\n");
    ASSERT_TRUE(galleon.waitRunning());
    ASSERT_EQ(httpGet(galleon.port, "/").status, 200);
    // The record follows the answer.
    EXPECT_TRUE(pumpUntil([&] { return logged("\"GET / HTTP/1.0\" 200"); }, 5000)) << galleon.readFile("galleon.log");

    openPage(kOptionsPage);
    EXPECT_TRUE(checked(IDC_OPTIONS_LOGGING));
    EXPECT_TRUE(enabled(IDC_OPTIONS_VIEW_LOG));
    click(item(IDC_OPTIONS_LOGGING));
    EXPECT_FALSE(enabled(IDC_OPTIONS_VIEW_LOG));
    EXPECT_FALSE(enabled(IDC_OPTIONS_CLEAR_LOG));
    // Nothing changes before Apply.
    ASSERT_EQ(httpGet(galleon.port, "/?before=apply").status, 200);
    EXPECT_TRUE(pumpUntil([&] { return logged("before=apply"); }, 5000));

    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    EXPECT_EQ(ini("AccessLogging"), "0");
    std::string before = galleon.readFile("galleon.log");
    ASSERT_EQ(httpGet(galleon.port, "/?after=apply").status, 200);
    ASSERT_EQ(httpGet(galleon.port, "/no-such-collection/").status, 404);
    // Time for a record to be written, had one been meant.
    pumpUntil([&] { return logged("after=apply"); }, 500);
    EXPECT_EQ(galleon.readFile("galleon.log"), before);
}

TEST_F(OptionsPage, ClearLogAsksFirstAndDeletesTheLog) {
    startGalleon("WideConfig=1\n");
    ASSERT_TRUE(galleon.waitRunning());
    ASSERT_EQ(httpGet(galleon.port, "/").status, 200);
    ASSERT_TRUE(pumpUntil([&] { return logged("GET / "); }, 5000));
    openPage(kOptionsPage);
    answers = {IDNO};
    click(item(IDC_OPTIONS_CLEAR_LOG));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Are you sure you want to clear the transaction log?");
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_FALSE(galleon.readFile("galleon.log").empty());
    click(item(IDC_OPTIONS_CLEAR_LOG));
    EXPECT_EQ(galleon.readFile("galleon.log"), "");
    EXPECT_EQ(changedCount, 0);  // not a setting
    ASSERT_EQ(httpGet(galleon.port, "/?next").status, 200);
    EXPECT_TRUE(pumpUntil([&] { return logged("/?next"); }, 5000));
}

}  // namespace
