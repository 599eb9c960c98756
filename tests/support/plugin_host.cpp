#include "plugin_host.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "extmod/extmod.h"
#include "zellog.h"

namespace fs = std::filesystem;

namespace suite {

std::string distPath(const std::string &relative) { return std::string(SUITE_DIST_DIR) + "/" + relative; }

PluginHost::PluginHost() : logName_(LogCollector::uniqueName("zelhost")) {}

PluginHost::~PluginHost() {
    stop();
    if (!directory_.empty()) {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
}

void PluginHost::addPlugin(const std::string &sourcePath, const std::string &fileName) {
    plugins_.push_back({sourcePath, fileName.empty() ? fs::path(sourcePath).filename().string() : fileName});
}

int PluginHost::start() {
    if (running_) return -1;
    char pattern[] = "/tmp/zelhost-XXXXXX";
    if (!mkdtemp(pattern)) return -100;
    directory_ = std::string(pattern) + "/";
    std::error_code error;
    fs::create_directories(extDirectory(), error);
    if (error) return -100;
    if (fs::exists(distPath("keystone.dll")))
        fs::copy_file(distPath("keystone.dll"), directory_ + "keystone.dll", error);
    for (const PluginFile &plugin : plugins_) {
        fs::copy_file(plugin.source, extDirectory() + plugin.name, fs::copy_options::overwrite_existing, error);
        if (error) return -100;
    }
    auto writeFile = [&](const std::string &relative, const std::string &content) {
        fs::path path = fs::path(directory_) / relative;
        fs::create_directories(path.parent_path(), error);
        std::ofstream out(path, std::ios::binary);
        out << content;
        return static_cast<bool>(out);
    };
    if (!writeFile("cradle.ini", config_)) return -100;
    for (const PluginFile &file : files_)
        if (!writeFile(file.source, file.name)) return -100;
    if (collectLog_ && !log_.start(logName_)) return -100;
    zelextLogSetSlot(logName_.c_str());

    char cwd[MAX_PATH];
    savedCwd_ = GetCurrentDirectoryA(sizeof cwd, cwd) ? cwd : "";
    if (fs::exists(directory_ + "keystone.dll")) branding_ = LoadLibraryA((directory_ + "keystone.dll").c_str());

    int result = extmodInit(extDirectory().c_str(), nullptr, branding_, logName_.c_str(), configPath().c_str(),
                            ZELEXT_HOST_VERSION);
    if (result != 0) {
        zelextLog("cradle", ZELLOG_ERROR, "extmodInit() returned error code %d", result);
        if (branding_) FreeLibrary(branding_);
        branding_ = nullptr;
        return result;
    }
    running_ = true;
    if (notifyStartup_) {
        startupResult_ = extmodNotify(EXT_NOTIFY_STARTUP, 1);
        if (startupResult_ != 0)
            zelextLog("cradle", ZELLOG_ERROR, "extmodNotify() returned error code %d", startupResult_);
    }
    return 0;
}

void PluginHost::stop() {
    if (running_) {
        int result = extmodShutdown();
        if (result != 0) zelextLog("cradle", ZELLOG_ERROR, "extmodShutdown() returned error code %d", result);
        if (branding_) FreeLibrary(branding_);
        branding_ = nullptr;
        running_ = false;
        if (!savedCwd_.empty()) SetCurrentDirectoryA(savedCwd_.c_str());
        // The host closes its log client last; records of later tests must
        // not reach this test's reader, nor a reader of the user's.
        zelextLogShutdown();
        zelextLogSetSlot(logName_.c_str());
    }
    log_.stop();
}

}  // namespace suite
