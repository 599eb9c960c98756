// Runs the plug-in manager the way the host program does, in a temporary
// program directory, for tests of the manager and of real plug-ins.
//
//     suite::PluginHost host;
//     host.addDistPlugin("galleon.dll");               // dist/ext/galleon.dll
//     host.setConfig("[photo]\nPort=18888\n");          // cradle.ini
//     ASSERT_EQ(host.start(), 0);                       // extmodInit + notification 1
//     ASSERT_TRUE(host.log().waitForText("..."));       // every record of host and plug-ins
//     host.stop();                                      // extmodShutdown
//
// The program directory holds keystone.dll (copied from dist, loaded as the
// branding module), cradle.ini and ext/ with the chosen plug-ins (copies).
// Host and plug-ins log to a mailslot of the test's own, read by log().
// Only one PluginHost may run at a time (the manager is one per process);
// the manager makes ext/ the current directory, and stop() restores it.
#ifndef TESTS_SUPPORT_PLUGIN_HOST_H
#define TESTS_SUPPORT_PLUGIN_HOST_H

#include <windows.h>

#include <string>
#include <vector>

#include "log_collector.h"

namespace suite {

// Path of a file in the program directory of the build (SUITE_DIST_DIR).
std::string distPath(const std::string &relative);

class PluginHost {
public:
    PluginHost();
    ~PluginHost();
    PluginHost(const PluginHost &) = delete;
    PluginHost &operator=(const PluginHost &) = delete;

    // Plug-in files to put into ext/ before start, under the given name
    // (default: the source's own file name).
    void addPlugin(const std::string &sourcePath, const std::string &fileName = "");
    void addDistPlugin(const std::string &fileName) { addPlugin(distPath("ext/" + fileName), fileName); }
    // Content of cradle.ini (written at start).
    void setConfig(const std::string &ini) { config_ = ini; }
    // Any other file to write at start, relative to the program directory
    // (for example "ext/extmod.ini").
    void addFile(const std::string &relativePath, const std::string &content) {
        files_.push_back({relativePath, content});
    }
    // Sends notification 1 after start-up, as the host does (default on).
    void setStartupNotification(bool send) { notifyStartup_ = send; }
    // Whether log() owns the log mailslot (default on). Off, the mailslot is
    // left to a plug-in that reads it (the logging plug-in); records wait in
    // the log clients' queues until it is there.
    void setLogCollector(bool collect) { collectLog_ = collect; }

    // Lays out the directory and starts the manager. Returns extmodInit's
    // result (or -100 when the directory or the log could not be set up).
    int start();
    // Shuts the manager down and closes this process's log client, as the
    // host does; also done by the destructor.
    void stop();

    bool running() const { return running_; }
    const std::string &directory() const { return directory_; }  // with trailing "/"
    std::string extDirectory() const { return directory_ + "ext/"; }
    std::string configPath() const { return directory_ + "cradle.ini"; }
    // Name of the log mailslot, also the caption handed to the plug-ins;
    // chosen at construction, unique in the process.
    const std::string &logName() const { return logName_; }
    LogCollector &log() { return log_; }
    const LogCollector &log() const { return log_; }
    HMODULE brandingModule() const { return branding_; }
    // Result of notification 1 (valid after start with the notification).
    int startupResult() const { return startupResult_; }

private:
    struct PluginFile {
        std::string source;
        std::string name;
    };

    std::vector<PluginFile> plugins_;
    std::vector<PluginFile> files_;  // relative path and content
    std::string logName_;
    std::string config_;
    bool notifyStartup_ = true;
    bool collectLog_ = true;
    bool running_ = false;
    std::string directory_;
    std::string savedCwd_;
    HMODULE branding_ = nullptr;
    int startupResult_ = 0;
    LogCollector log_;
};

}  // namespace suite

#endif
