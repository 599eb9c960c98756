// The main window in this test program, which exports the host functions as
// the program does, on a private session bus with a watcher and a panel: a
// temporary program directory with the echo plug-in, the host's log read by
// a collector of the service name, the ready and closing events.
#pragma once

#include "../shell/bus_session.h"
#include "host_fixture.h"
#include "log_collector.h"

#include <gtest/gtest.h>

#include <string>

namespace hosttest {

// The bus of the whole program; ok when the bus and its stand-ins started.
shelltest::BusSession &busSession();
bool busReady();
// The tooltip of the one notification-area item, or a note of what is there.
std::string tooltipOfTheOnlyItem();
// Where a picture of this area goes: build/<cfg>/screenshots/host/<name>.png.
std::string screenshotPath(const std::string &name);

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void create();
    bool closing() const;
    bool logged(const std::string &text, int timeoutMs = 5000) { return log.waitForText(text, timeoutMs); }
    int indexOf(const std::string &text);

    ProgramDir dir;
    suite::LogCollector log;
    HWND hwnd = nullptr;
};

}  // namespace hosttest
