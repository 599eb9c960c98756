// The transaction log window of the real plug-in: opened from the Options
// page, filled by the access log while requests arrive, resized by its grip
// (the window layout module), closed while the server goes on writing.
#include <QWindow>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "advanced_ids.h"
#include "advanced_support.h"

namespace {

using namespace galleonui;
using namespace advancedtest;
using namespace uiinput;

constexpr int kOptionsPage = 1;

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }
RECT moved(RECT r, int dx, int dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }
RECT grown(RECT r, int dx, int dy) { return RECT{r.left, r.top, r.right + dx, r.bottom + dy}; }

void expectRect(const RECT& actual, const RECT& expected, const char* what) {
    EXPECT_EQ(actual.left, expected.left) << what;
    EXPECT_EQ(actual.top, expected.top) << what;
    EXPECT_EQ(actual.right, expected.right) << what;
    EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

// Requests on a thread of their own until stopped.
class Visitors {
public:
    explicit Visitors(int port) : thread_([this, port] {
          for (int i = 0; !stop_; ++i) {
              if (httpGet(port, "/?visit=" + std::to_string(i)).status == 200) answered_ = i;
              sent_ = i + 1;
          }
      }) {}
    ~Visitors() { stop(); }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    int sent() const { return sent_; }
    int lastAnswered() const { return answered_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> sent_{0};
    std::atomic<int> answered_{-1};
    std::thread thread_;
};

// Fails the run instead of hanging when a step never ends.
class Watchdog {
public:
    explicit Watchdog(const char* what, int seconds) : thread_([this, what, seconds] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) {
              std::fprintf(stderr, "%s did not end within %d s\n", what, seconds);
              std::_Exit(1);
          }
      }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

class TransactionLog : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        screenshotFolder() = "galleon";
    }
    // "&View Log..." of the Options page.
    HWND viewLog() {
        click(item(IDC_OPTIONS_VIEW_LOG));
        HWND log = findTopLevel("Transaction Log");
        EXPECT_NE(log, nullptr);
        return log;
    }
    static HWND box(HWND log) { return GetDlgItem(log, IDC_TRANSLOG_LIST); }
    static std::string lastLine(HWND log) {
        auto lines = listBoxLines(box(log));
        return lines.empty() ? "" : lines.back();
    }
};

TEST_F(TransactionLog, TheListShowsTheLastLinesAndFillsWhileRequestsArrive) {
    std::string lines;
    for (int i = 1; i <= 300; ++i) lines += "10.0.0.1 - - [01/Jan/2026:00:00:00 +0000] \"GET /line" + std::to_string(i) + " HTTP/1.0\" 200 1\n";
    galleon.writeFile("galleon.log", lines);
    startGalleon("WideConfig=1\n");
    ASSERT_TRUE(galleon.waitRunning());
    openPage(kOptionsPage);
    HWND log = viewLog();
    ASSERT_NE(log, nullptr);
    auto shown = listBoxLines(box(log));
    ASSERT_EQ(shown.size(), 250u);
    EXPECT_NE(shown.front().find("/line51 "), std::string::npos);
    EXPECT_NE(shown.back().find("/line300 "), std::string::npos);
    EXPECT_EQ(SendMessageA(box(log), LB_GETCURSEL, 0, 0), 249);
    EXPECT_NE(SendMessageA(log, WM_GETICON, ICON_BIG, 0), 0);

    {
        Visitors visitors(galleon.port);
        EXPECT_TRUE(pumpUntil([&] { return visitors.sent() >= 20; }, 20000));
        visitors.stop();
        // Every answered visit shows up (in the order the server logged them).
        auto shownAll = [&] {
            std::string all;
            for (const std::string& l : listBoxLines(box(log))) all += l + "\n";
            for (int i = 0; i <= visitors.lastAnswered(); ++i)
                if (all.find("/?visit=" + std::to_string(i) + " ") == std::string::npos) return false;
            return true;
        };
        EXPECT_GE(visitors.lastAnswered(), 19);
        EXPECT_TRUE(pumpUntil(shownAll, 5000)) << lastLine(log);
    }
    EXPECT_EQ(listBoxLines(box(log)).size(), 250u);
    EXPECT_TRUE(screenshot(log, "transaction-log"));

    // "&View Log..." again: the same window.
    EXPECT_EQ(viewLog(), log);

    answers = {IDNO};
    click(GetDlgItem(log, IDC_TRANSLOG_CLEAR));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Are you sure you want to clear the transaction log?");
    EXPECT_EQ(listBoxLines(box(log)).size(), 250u);
    click(GetDlgItem(log, IDC_TRANSLOG_CLEAR));
    EXPECT_TRUE(listBoxLines(box(log)).empty());
    EXPECT_EQ(galleon.readFile("galleon.log"), "");
    ASSERT_EQ(httpGet(galleon.port, "/?after=clear").status, 200);
    EXPECT_TRUE(pumpUntil([&] { return listBoxLines(box(log)).size() == 1; }));
    EXPECT_NE(lastLine(log).find("/?after=clear"), std::string::npos);
}

TEST_F(TransactionLog, ItsControlsFollowTheGripAndItNeverGetsSmallerThanAtFirst) {
    std::string lines;
    for (int i = 1; i <= 40; ++i)
        lines += "192.168.1." + std::to_string(i) + " - - [06/Dec/2026:12:06:13 +0100] \"GET /Holiday/photo" +
                 std::to_string(i) + ".jpg HTTP/1.1\" 200 5120 \"\" \"Browser/1.0\"\n";
    galleon.writeFile("galleon.log", lines);
    startGalleon("WideConfig=1\nEnable=0\n");
    openPage(kOptionsPage);
    HWND log = viewLog();
    ASSERT_NE(log, nullptr);
    HWND list = box(log), button = GetDlgItem(log, IDC_TRANSLOG_CLEAR), text = GetDlgItem(log, IDC_TRANSLOG_TEXT),
         grip = GetDlgItem(log, IDC_TRANSLOG_GRIP), icon = GetDlgItem(log, IDC_TRANSLOG_ICON);
    RECT window = windowRect(log), listAt = childRect(list), buttonAt = childRect(button), textAt = childRect(text),
         iconAt = childRect(icon), client{};
    GetClientRect(log, &client);
    // The grip sits in the bottom-right corner.
    EXPECT_EQ(childRect(grip).right, client.right);
    EXPECT_EQ(childRect(grip).bottom, client.bottom);

    RECT g = childRect(grip);
    drag(grip, width(g) / 2, height(g) / 2, 120, 80);
    RECT bigger = windowRect(log);
    EXPECT_EQ(width(bigger), width(window) + 120);
    EXPECT_EQ(height(bigger), height(window) + 80);
    expectRect(childRect(button), moved(buttonAt, 120, 80), "the button keeps to the corner");
    expectRect(childRect(text), grown(textAt, 120, 0), "the text widens");
    expectRect(childRect(list), grown(listAt, 120, 80), "the list widens and grows");
    expectRect(childRect(icon), iconAt, "the icon stays");
    GetClientRect(log, &client);
    EXPECT_EQ(childRect(grip).right, client.right);
    EXPECT_EQ(childRect(grip).bottom, client.bottom);
    EXPECT_TRUE(screenshot(log, "transaction-log-resized"));

    // Far smaller than at first: held at the first size.
    g = childRect(grip);
    drag(grip, width(g) / 2, height(g) / 2, -500, -400);
    RECT smallest = windowRect(log);
    EXPECT_EQ(width(smallest), width(window));
    EXPECT_EQ(height(smallest), height(window));
    expectRect(childRect(list), listAt, "the list is back");
    expectRect(childRect(button), buttonAt, "the button is back");

    // Sizing requests as the system sends them: another edge leaves the
    // window as it is; the corner is held at the first size.
    RECT now = windowRect(log);
    RECT proposal{now.left - 50, now.top, now.right, now.bottom};
    SendMessageA(log, WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&proposal));
    expectRect(proposal, now, "a left edge drag");
    proposal = RECT{now.left, now.top - 30, now.right + 40, now.bottom};
    SendMessageA(log, WM_SIZING, WMSZ_TOPRIGHT, reinterpret_cast<LPARAM>(&proposal));
    expectRect(proposal, now, "a top-right drag");
    proposal = RECT{now.left, now.top, now.left + 10, now.top + 10};
    SendMessageA(log, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposal));
    expectRect(proposal, RECT{now.left, now.top, now.left + width(window), now.top + height(window)}, "the corner");

    // The desktop's frame dragged at its left border: the window keeps its size.
    QWindow* native = widgetOf(log)->window()->windowHandle();
    ASSERT_NE(native, nullptr);
    QRect frame = native->geometry();
    native->setGeometry(frame.adjusted(-60, 0, 0, 0));
    pumpUntil([&] { return width(windowRect(log)) == width(window) + 60; }, 300);
    EXPECT_TRUE(pumpUntil([&] { return width(windowRect(log)) == width(window); }, 3000));
    EXPECT_EQ(height(windowRect(log)), height(window));
    expectRect(childRect(list), listAt, "the list after the border drag");
}

TEST_F(TransactionLog, AClosedWindowGetsNoMoreRecordsAndTheServerStopsWhileItWrites) {
    startGalleon("WideConfig=1\n");
    ASSERT_TRUE(galleon.waitRunning());
    openPage(kOptionsPage);
    HWND log = viewLog();
    ASSERT_NE(log, nullptr);
    Visitors visitors(galleon.port);
    EXPECT_TRUE(pumpUntil([&] { return listBoxLines(box(log)).size() >= 5; }, 10000));

    // The close box, while records go on arriving.
    widgetOf(log)->window()->close();
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(log); }, 5000));
    int before = visitors.sent();
    EXPECT_TRUE(pumpUntil([&] { return visitors.sent() >= before + 10; }, 10000));
    EXPECT_EQ(findTopLevel("Transaction Log"), nullptr);

    // A new window shows what was written meanwhile, and follows again.
    log = viewLog();
    ASSERT_NE(log, nullptr);
    EXPECT_FALSE(listBoxLines(box(log)).empty());
    int sent = visitors.sent();
    std::string later = "/?visit=" + std::to_string(sent + 2) + " ";
    EXPECT_TRUE(pumpUntil([&] {
        for (const std::string& l : listBoxLines(box(log)))
            if (l.find(later) != std::string::npos) return true;
        return false;
    }, 10000));

    // The plug-in stops with the window open and requests being logged: the
    // server's threads never wait for this thread, which waits for them.
    {
        Watchdog watchdog("stopping the plug-in while requests are logged", 60);
        closePage();
        EXPECT_EQ(galleon.stop(), 0);
    }
    visitors.stop();
    EXPECT_FALSE(IsWindow(log));
    EXPECT_EQ(findTopLevel("Transaction Log"), nullptr);
}

}  // namespace
