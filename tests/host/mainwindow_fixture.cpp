#include "mainwindow_fixture.h"

#include "service/service.h"
#include "shell/mainwindow.h"
#include "shell/shell.h"
#include "zellog.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace hosttest {

namespace {

// One private bus with a watcher and a panel for the whole program.
class BusEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        session = new shelltest::BusSession();
        ok = session->startBus() && session->startWatcher() && session->startPanel();
    }
    void TearDown() override {
        session->stop();
        delete session;
    }
    static shelltest::BusSession *session;
    static bool ok;
};
shelltest::BusSession *BusEnvironment::session = nullptr;
bool BusEnvironment::ok = false;
[[maybe_unused]] ::testing::Environment *const busEnvironment =
    ::testing::AddGlobalTestEnvironment(new BusEnvironment);

}  // namespace

shelltest::BusSession &busSession() { return *BusEnvironment::session; }
bool busReady() { return BusEnvironment::ok; }

std::string tooltipOfTheOnlyItem() {
    auto items = busSession().panel("items");
    if (items.size() != 1) return "<" + std::to_string(items.size()) + " items>";
    for (const std::string &line : busSession().panel("props " + items[0]))
        if (line.rfind("ToolTip.title=", 0) == 0) return line.substr(14);
    return "<no tooltip>";
}

std::string screenshotPath(const std::string &name) {
    fs::path folder = fs::path(SUITE_BINARY_DIR) / "screenshots" / "host";
    fs::create_directories(folder);
    return (folder / (name + ".png")).string();
}

void MainWindow::SetUp() {
    ASSERT_TRUE(busReady()) << "the private bus or its doubles did not start";
    ASSERT_TRUE(log.start(suite::LogCollector::uniqueName("hostmain")));
    ShellState &s = shellState();
    snprintf(s.serviceName, sizeof s.serviceName, "%s", log.name().c_str());
    static int n = 0;
    snprintf(s.className, sizeof s.className, "HostTest:Main%d", ++n);
    fs::create_directories(dir.dir() / "ext");
    fs::copy_file(ECHO_PLUGIN, dir.dir() / "ext" / "echo.dll");
    zelextLogSetSlot(s.serviceName);
    s.readyEvent = serviceCreateReadyEvent();
    s.closingEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

void MainWindow::TearDown() {
    ShellState &s = shellState();
    if (hwnd && IsWindow(hwnd)) {
        if (!quitSeen()) {
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            pumpUntil(quitSeen, 5000);
        }
        DestroyWindow(hwnd);
    }
    UnregisterClassA(s.className, GetModuleHandleA(nullptr));
    CloseHandle(s.readyEvent);
    CloseHandle(s.closingEvent);
    pumpUntil([] { return busSession().panel("items").empty(); }, 5000);
    log.stop();
}

void MainWindow::create() {
    resetQuit();
    hwnd = shellCreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(hwnd, nullptr);
}

bool MainWindow::closing() const { return WaitForSingleObject(shellState().closingEvent, 0) == WAIT_OBJECT_0; }

int MainWindow::indexOf(const std::string &text) {
    auto texts = log.texts();
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text) return static_cast<int>(i);
    return -1;
}

}  // namespace hosttest
