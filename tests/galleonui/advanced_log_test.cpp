// The Log page of the real plug-in, with and without the suite's logging
// plug-in loaded beside it.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "advanced_ids.h"
#include "advanced_support.h"
#include "zellog.h"

namespace {

using namespace galleonui;
using namespace advancedtest;
using namespace uiinput;

constexpr int kLogPage = 3;

class LogPage : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        screenshotFolder() = "galleon";
        record_ = galleon.path("help-record.txt");
        setenv("SUITE_HELP_RECORD", record_.c_str(), 1);
        setenv("XDG_CACHE_HOME", galleon.path("cache").c_str(), 1);
    }
    void TearDown() override {
        PageTest::TearDown();
        logbook.stop();
        unsetenv("SUITE_HELP_RECORD");
    }
    std::string helpRecord() {
        std::ifstream in(record_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    HWND list() { return item(IDC_LOGPAGE_LIST); }
    bool listHas(const std::string& message) {
        for (auto& row : rows(list()))
            if (row.size() > 1 && row[1] == message) return true;
        return false;
    }

    Logbook logbook;
    std::string record_;
};

TEST_F(LogPage, WithoutALoggingPlugInOnlyTheLinkShowsAndItLeadsToTheHelpAboutThePlugIn) {
    startGalleon("WideConfig=1\nEnable=0\n");
    openPage(kLogPage);
    EXPECT_TRUE(visible(IDC_LOGPAGE_LINK));
    EXPECT_FALSE(visible(IDC_LOGPAGE_LIST));
    EXPECT_EQ(text(item(IDC_LOGPAGE_LINK)),
              "The System Logging Plug-in must be installed or upgraded to support logging of connections. Click here "
              "to install or upgrade.");
    EXPECT_TRUE(screenshot(page_, "log-page-link"));
    click(item(IDC_LOGPAGE_LINK));
    EXPECT_TRUE(pumpUntil([&] { return helpRecord().find("logging.html") != std::string::npos; }, 5000))
        << helpRecord();
    EXPECT_EQ(notify(PSN_APPLY), PSNRET_NOERROR);
    notify(PSN_HELP);
    EXPECT_TRUE(pumpUntil([&] { return helpRecord().find("log.html") != std::string::npos; }, 5000)) << helpRecord();
}

TEST_F(LogPage, WithTheLoggingPlugInTheListShowsTheServersRecordsOnly) {
    startGalleon("WideConfig=1\nEnable=0\n");
    ASSERT_TRUE(logbook.start(galleon));
    zelextLogSetSlot(logbook.slot().c_str());
    std::string longMessage = "Unable to create thumbnail for photo " + std::string(400, 'x') + " in collection Holiday";
    zelextLog("photo", ZELLOG_ERROR, "Host 192.0.2.7 has been blocked due to excessive password failures");
    zelextLog("upnp", ZELLOG_INFO, "a record of another plug-in");
    zelextLog("photo", ZELLOG_FAILURE, "%s", longMessage.c_str());

    openPage(kLogPage);
    EXPECT_TRUE(visible(IDC_LOGPAGE_LIST));
    EXPECT_FALSE(visible(IDC_LOGPAGE_LINK));
    ASSERT_TRUE(pumpUntil([&] { return listHas(longMessage); }, 10000));
    EXPECT_TRUE(listHas("Host 192.0.2.7 has been blocked due to excessive password failures"));
    EXPECT_FALSE(listHas("a record of another plug-in"));
    // Sort marks, then the logging plug-in's seven record icons.
    EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(list(), LVSIL_SMALL)), 10);
    HWND header = ListView_GetHeader(list());
    ASSERT_EQ(Header_GetItemCount(header), 2);
    char title[32] = "";
    HDITEMA hd{};
    hd.mask = HDI_TEXT;
    hd.pszText = title;
    hd.cchTextMax = sizeof title;
    Header_GetItem(header, 1, &hd);
    EXPECT_STREQ(title, "Message");

    // The tip of a row is its whole message.
    int row = -1;
    for (int i = 0; i < ListView_GetItemCount(list()); ++i) {
        char message[1024] = "";
        ListView_GetItemText(list(), i, 1, message, sizeof message);
        if (message == longMessage) row = i;
    }
    ASSERT_GE(row, 0);
    char tip[2048] = "";
    NMLVGETINFOTIPA info{};
    info.hdr.hwndFrom = list();
    info.hdr.idFrom = IDC_LOGPAGE_LIST;
    info.hdr.code = LVN_GETINFOTIPA;
    info.pszText = tip;
    info.cchTextMax = sizeof tip;
    info.iItem = row;
    SendMessageA(page_, WM_NOTIFY, IDC_LOGPAGE_LIST, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(tip, longMessage);
    EXPECT_TRUE(screenshot(page_, "log-page"));
}

}  // namespace
