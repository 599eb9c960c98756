// Hyperlinks on static controls: what a click opens (seen through the shell's
// test log), the colours and cursor while the pointer is over a link, and
// the table's limit.
#include <windows.h>
#include <shellapi.h>

#include "linkmod.h"
#include "uitest.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace uitest;

namespace {

INT_PTR CALLBACK dialogProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_CTLCOLORSTATIC) {
        if (HBRUSH b = linkmodCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<INT_PTR>(b);
    }
    return FALSE;
}

class Links : public ::testing::Test {
protected:
    void SetUp() override {
        log_ = std::filesystem::temp_directory_path() / ("linkmod-" + std::to_string(GetCurrentProcessId()) + ".log");
        std::filesystem::remove(log_);
        setenv("PLATFORM_SHELL_OPEN_LOG", log_.c_str(), 1);
        Template t(WS_POPUP | WS_CAPTION | WS_VISIBLE, 260, 100, "Links");
        t.item(0x82, "Write to help@example.org or visit http://example.org/help now", 10, SS_LEFT, 7, 7, 240, 10);
        t.item(0x82, "Call us", 11, SS_LEFT, 7, 27, 100, 10);
        t.item(0x82, "mail sales@example.org today", 12, SS_LEFT, 7, 47, 200, 10);
        t.item(0x82, "Nothing to open here", 13, SS_LEFT, 7, 67, 200, 10);
        dialog_ = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, dialogProc, 0);
        ASSERT_NE(dialog_, nullptr);
        ASSERT_EQ(linkmodInit(nullptr), 0);
    }
    void TearDown() override {
        EXPECT_EQ(linkmodShutdown(), 0);
        DestroyWindow(dialog_);
        unsetenv("PLATFORM_SHELL_OPEN_LOG");
        std::filesystem::remove(log_);
    }

    void click(int id) { QTest::mouseClick(widgetOf(GetDlgItem(dialog_, id)), Qt::LeftButton, {}, QPoint(3, 3)); }

    std::string opened() const {
        std::ifstream in(log_);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path log_;
    HWND dialog_ = nullptr;
};

// Pixels drawn in the link colour (pure blue, or the darker hover blue).
int bluePixels(const QImage &img, int blue) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QRgb p = img.pixel(x, y);
            if (qRed(p) < 40 && qGreen(p) < 40 && std::abs(qBlue(p) - blue) < 12) ++n;
        }
    return n;
}

}  // namespace

TEST_F(Links, AClickOpensTheAddressesInTheText) {
    for (int id : {10, 11, 12, 13}) ASSERT_EQ(linkmodAddLink(GetDlgItem(dialog_, id), id == 11 ? "callto:5551234" : nullptr), 0);
    click(10);
    // The e-mail address, then the web page, which ends the walk.
    EXPECT_EQ(opened(), "open\tmailto:help@example.org\nopen\thttp://example.org/help\n");
    std::filesystem::remove(log_);
    click(11);
    EXPECT_EQ(opened(), "open\tcallto:5551234\n");
    std::filesystem::remove(log_);
    click(12);
    click(13);
    EXPECT_EQ(opened(), "open\tmailto:sales@example.org\n");
}

TEST_F(Links, ALinkIsUnderlinedBlueAndDarkerUnderThePointer) {
    HWND link = GetDlgItem(dialog_, 13);
    HFONT original = reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0));
    ASSERT_EQ(linkmodAddLink(link, "http://example.org/"), 0);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_GT(bluePixels(snapshot(link), 255), 0);
    EXPECT_EQ(bluePixels(snapshot(link), 192), 0);

    QTest::mouseMove(widgetOf(link), QPoint(5, 5));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
    EXPECT_GT(bluePixels(snapshot(link), 192), 0);
    // Leaving for the dialog's background un-hovers the link.
    QTest::mouseMove(widgetOf(dialog_), QPoint(300, 140));
    EXPECT_EQ(bluePixels(snapshot(link), 192), 0);
    EXPECT_GT(bluePixels(snapshot(link), 255), 0);

    // Other controls are left to the dialog.
    EXPECT_EQ(linkmodCtlColor(nullptr, GetDlgItem(dialog_, 12)), nullptr);
    // Shut down, the control has its own font back.
    EXPECT_EQ(linkmodShutdown(), 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)), original);
    EXPECT_EQ(linkmodInit(nullptr), 0);
}

TEST_F(Links, SixteenLinksAtMost) {
    EXPECT_EQ(linkmodInit(nullptr), -1);
    std::vector<HWND> statics;
    for (int i = 0; i < LINKMOD_MAX_LINKS + 1; ++i)
        statics.push_back(CreateWindowExA(0, "STATIC", "link", WS_CHILD | WS_VISIBLE, 0, 0, 20, 10, dialog_, nullptr,
                                          nullptr, nullptr));
    for (int i = 0; i < LINKMOD_MAX_LINKS; ++i) EXPECT_EQ(linkmodAddLink(statics[i], nullptr), 0);
    EXPECT_EQ(linkmodAddLink(statics[LINKMOD_MAX_LINKS], nullptr), -2);
    // A destroyed link gives its place back.
    DestroyWindow(statics[0]);
    EXPECT_EQ(linkmodAddLink(statics[LINKMOD_MAX_LINKS], nullptr), 0);
    EXPECT_EQ(linkmodAddLink(nullptr, nullptr), -2);
}

TEST(LinksState, OperationsNeedInitialisation) {
    EXPECT_EQ(linkmodAddLink(nullptr, nullptr), -1);
    EXPECT_EQ(linkmodCtlColor(nullptr, nullptr), nullptr);
    EXPECT_EQ(linkmodShutdown(), -1);
}
