// Installing plug-in files at run time through the host's exports, on real
// program directories: every result, the replacement of a loaded plug-in, and
// the replacement put off to the next start when the old file is in use.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "extmod/extmod.h"
#include "extmod/extmod_install.h"
#include "plugin_host.h"
#include "shell/shell.h"
#include "zelext.h"

extern "C" int zelextInstallModule(LPCSTR path);
extern "C" int zelextDeferInstallModule(LPCSTR path);

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string builtPlugin(const std::string &target) { return std::string(INSTALL_PLUGIN_DIR) + "/" + target + ".dll"; }

struct MessageBoxSeen {
    std::string text, caption;
    UINT type;
};

class Installation : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zeldownload-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        downloads_ = std::string(pattern) + "/";
        std::strcpy(shellState().title, "Test Host");
        uiSetMessageBoxHook(
            [](void *context, HWND, LPCSTR text, LPCSTR caption, UINT type) {
                static_cast<std::vector<MessageBoxSeen> *>(context)->push_back({text, caption, type});
                return IDOK;
            },
            &boxes_);
    }
    void TearDown() override {
        uiSetMessageBoxHook(nullptr, nullptr);
        host_.stop();
        std::error_code error;
        fs::remove_all(downloads_, error);
        if (!host_.directory().empty()) fs::remove_all(host_.directory(), error);
    }

    void start() {
        ASSERT_EQ(host_.start(), 0);
        ASSERT_TRUE(host_.log().sync());
        host_.log().clear();
    }
    // A copy of a built test plug-in where a download would leave it.
    std::string download(const std::string &target, const std::string &fileName) {
        std::string path = downloads_ + fileName;
        fs::copy_file(builtPlugin(target), path, fs::copy_options::overwrite_existing);
        return path;
    }
    std::vector<std::string> texts(const std::string &source) {
        EXPECT_TRUE(host_.log().sync());
        std::vector<std::string> result;
        for (const suite::LogRecord &record : host_.log().records())
            if (record.source == source) result.push_back(record.text);
        return result;
    }
    // The loaded entry of a name: its file and version; none: empty path.
    ExtmodEntryInfo loaded(const std::string &name) {
        for (int i = 0; i < EXTMOD_MAX_ENTRIES; ++i) {
            ExtmodEntryInfo info;
            if (extmodGetEntry(i, &info) == 0 && info.module && name == info.name) return info;
        }
        return ExtmodEntryInfo{};
    }
    std::vector<std::string> extFiles() {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(host_.extDirectory()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Starts the manager again in the same program directory, as the next
    // start of the program does.
    void restartManager() {
        ASSERT_EQ(extmodShutdown(), 0);
        ASSERT_EQ(extmodInit(host_.extDirectory().c_str(), nullptr, host_.brandingModule(), host_.logName().c_str(),
                             host_.configPath().c_str(), ZELEXT_HOST_VERSION),
                  0);
    }

    suite::PluginHost host_;
    std::string downloads_;
    std::vector<MessageBoxSeen> boxes_;
};

// A plug-in nobody has yet goes in under its InternalName, runs at once and
// leaves no source behind; when that name is taken by another file, it keeps
// the name it came with, ending in ".dll".
TEST_F(Installation, NewPluginIsCopiedUnderItsNameAndRuns) {
    host_.addFile("ext/innew.dll", "not a library");
    start();
    std::string first = download("in_new", "innew-setup.bin");
    EXPECT_EQ(zelextInstallModule(first.c_str()), 0);
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(readAll(host_.extDirectory() + "innew-setup.dll"), readAll(builtPlugin("in_new")));
    EXPECT_EQ(readAll(host_.extDirectory() + "innew.dll"), "not a library");
    EXPECT_EQ(std::string(loaded("innew").path), host_.extDirectory() + "innew-setup.dll");
    EXPECT_EQ(texts("cradle"), std::vector<std::string>{"Plug-in innew successfully installed"});
    EXPECT_EQ(texts("test").at(0).rfind("new initex ", 0), 0u);
    // It has no help, so none is written.
    EXPECT_FALSE(fs::exists(host_.directory() + "innew.hlp"));
}

TEST_F(Installation, NewPluginTakesItsNameWhenFree) {
    start();
    std::string source = download("in_new", "download");
    EXPECT_EQ(zelextDeferInstallModule(source.c_str()), 0);
    EXPECT_EQ(std::string(loaded("innew").path), host_.extDirectory() + "innew.dll");
    EXPECT_EQ(extFiles(), std::vector<std::string>{"innew.dll"});
}

// What is not a plug-in for this host is refused and left where it was.
TEST_F(Installation, RefusalsKeepTheSourceAndCopyNothing) {
    start();
    std::string text = downloads_ + "readme.dll";
    std::ofstream(text) << "just text";
    EXPECT_EQ(zelextInstallModule(text.c_str()), -3);
    std::string tooNew = download("in_toonew", "toonew.dll");
    EXPECT_EQ(zelextInstallModule(tooNew.c_str()), -8);
    std::string noSpecial = download("in_nospecial", "nospecial.dll");
    EXPECT_EQ(zelextDeferInstallModule(noSpecial.c_str()), -8);
    EXPECT_EQ(zelextInstallModule((downloads_ + "missing.dll").c_str()), -7);
    EXPECT_EQ(zelextInstallModule(downloads_.c_str()), -7);  // a directory
    EXPECT_EQ(zelextInstallModule(nullptr), -2);

    EXPECT_TRUE(fs::exists(text));
    EXPECT_TRUE(fs::exists(tooNew));
    EXPECT_TRUE(fs::exists(noSpecial));
    EXPECT_TRUE(extFiles().empty());
    EXPECT_EQ(texts("cradle"),
              (std::vector<std::string>{
                  "Object " + text + " () is being passed to loaded plug-in extension(s) for possible processing.",
                  "Plug-in intoonew could not be installed; a newer version of the Skyloom Client is required.",
                  "Plug-in innospecial could not be installed; a newer version of the Skyloom Client is required.",
              }));
    EXPECT_TRUE(boxes_.empty());
}

// An InternalName is made part of file names: one that climbs out of the
// directories is refused before anything is written.
TEST_F(Installation, ANameWithPathPartsIsRefused) {
    start();
    std::string source = download("in_escape", "escape.dll");
    char name[EXTMOD_INSTALL_NAME_SIZE];
    EXPECT_EQ(extmodInstallModule(source.c_str(), name, ZELEXT_HOST_VERSION, TRUE), -3);
    EXPECT_STREQ(name, "../escape");
    EXPECT_TRUE(extFiles().empty());
    EXPECT_FALSE(fs::exists(host_.directory() + "escape.dll"));
    EXPECT_FALSE(fs::exists(host_.directory() + "../escape.hlp"));
    EXPECT_TRUE(fs::exists(source));
}

TEST(InstallationBeforeStart, NeedsTheManager) {
    char name[EXTMOD_INSTALL_NAME_SIZE] = "x";
    EXPECT_EQ(extmodInstallModule("/nonexistent.dll", name, ZELEXT_HOST_VERSION, TRUE), -1);
    EXPECT_STREQ(name, "");
}

// zelextInstallModule replaces a loaded older copy at once: the old one is
// shut down, the new file takes its path and runs, its help file is written
// byte for byte, and nothing is left over.
TEST_F(Installation, ReplacesALoadedPluginNow) {
    host_.addPlugin(builtPlugin("in_alpha1"), "inalpha.dll");
    std::string installed;
    start();
    installed = host_.extDirectory() + "inalpha.dll";
    ASSERT_EQ(loaded("inalpha").versionLow, 1u);
    std::ofstream(host_.directory() + "inalpha.hlp") << "an older help file that is longer than the new one..........";

    std::string source = download("in_alpha2", "inalpha-2.dll");
    EXPECT_EQ(zelextInstallModule(source.c_str()), 0);
    ExtmodEntryInfo now = loaded("inalpha");
    EXPECT_EQ(now.versionLow, 2u);
    EXPECT_EQ(std::string(now.path), installed);
    EXPECT_EQ(readAll(installed), readAll(builtPlugin("in_alpha2")));
    EXPECT_EQ(readAll(host_.directory() + "inalpha.hlp"), readAll(INSTALL_HELP_FILE));
    EXPECT_EQ(extFiles(), std::vector<std::string>{"inalpha.dll"});
    EXPECT_FALSE(fs::exists(source));
    std::vector<std::string> calls = texts("test");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "alpha1 shutdown");
    EXPECT_EQ(calls[1].rfind("alpha2 initex ", 0), 0u);
    EXPECT_EQ(texts("cradle"), std::vector<std::string>{"Plug-in inalpha successfully installed"});
}

// zelextDeferInstallModule leaves the loaded copy running; its file stays in
// use, so the new one waits in extmod.ini and the user is told to restart.
// The next start runs the new version.
TEST_F(Installation, DeferredReplacementWaitsForTheNextStart) {
    host_.addPlugin(builtPlugin("in_alpha1"), "inalpha.dll");
    start();
    std::string installed = host_.extDirectory() + "inalpha.dll";
    std::string source = download("in_alpha2", "alpha-update.dll");
    EXPECT_EQ(zelextDeferInstallModule(source.c_str()), -4);

    EXPECT_EQ(loaded("inalpha").versionLow, 1u);
    EXPECT_TRUE(texts("test").empty());  // neither shut down nor started
    std::string pending = host_.extDirectory() + "alpha-update.dll";
    char value[MAX_PATH] = "";
    GetPrivateProfileStringA("rename", pending.c_str(), "", value, sizeof value,
                             (host_.extDirectory() + "extmod.ini").c_str());
    EXPECT_EQ(std::string(value), installed);
    EXPECT_EQ(readAll(host_.directory() + "inalpha.hlp"), readAll(INSTALL_HELP_FILE));
    EXPECT_EQ(texts("cradle"), std::vector<std::string>{"You must close and restart Test Host to activate plug-in inalpha."});
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "You must close and restart Test Host for plug-in inalpha to be activated.");
    EXPECT_EQ(boxes_[0].caption, "Test Host");
    EXPECT_EQ(boxes_[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));

    restartManager();
    EXPECT_EQ(loaded("inalpha").versionLow, 2u);
    EXPECT_EQ(readAll(installed), readAll(builtPlugin("in_alpha2")));
    EXPECT_FALSE(fs::exists(pending));
    EXPECT_FALSE(fs::exists(host_.extDirectory() + "extmod.ini"));
}

// An installed file held open by someone who does not share it is never
// written over: the new file waits for the next start instead.
TEST_F(Installation, AnInstalledFileInUseIsNeverOverwritten) {
    host_.addPlugin(builtPlugin("in_alpha1"), "inalpha.dll");
    start();
    std::string installed = host_.extDirectory() + "inalpha.dll";
    HANDLE holder = CreateFileA(installed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::string source = download("in_alpha2", "alpha-update.dll");
    EXPECT_EQ(zelextInstallModule(source.c_str()), -4);
    EXPECT_EQ(readAll(installed), readAll(builtPlugin("in_alpha1")));
    // Unloaded first, as asked; the restart message went out.
    EXPECT_EQ(loaded("inalpha").module, nullptr);
    EXPECT_EQ(boxes_.size(), 1u);
    CloseHandle(holder);

    restartManager();
    EXPECT_EQ(loaded("inalpha").versionLow, 2u);
    EXPECT_EQ(readAll(installed), readAll(builtPlugin("in_alpha2")));
}

// When the new file could be put nowhere (the installed file is held and the
// new one carries the same file name), nothing waits for a restart: the
// installation failed and says so.
TEST_F(Installation, NothingPutInPlaceIsNotReportedAsPending) {
    host_.addPlugin(builtPlugin("in_alpha1"), "inalpha.dll");
    start();
    std::string installed = host_.extDirectory() + "inalpha.dll";
    HANDLE holder = CreateFileA(installed.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    std::string source = download("in_alpha2", "inalpha.dll");
    EXPECT_EQ(zelextDeferInstallModule(source.c_str()), -3);
    CloseHandle(holder);
    EXPECT_EQ(readAll(installed), readAll(builtPlugin("in_alpha1")));
    EXPECT_FALSE(fs::exists(host_.extDirectory() + "extmod.ini"));
    EXPECT_TRUE(fs::exists(source));
    EXPECT_TRUE(boxes_.empty());
}

// A loaded copy without a version cannot be compared with: refused.
TEST_F(Installation, ALoadedCopyWithoutVersionIsNotReplaced) {
    host_.addPlugin(builtPlugin("in_alpha0"), "inalpha.dll");
    start();
    std::string source = download("in_alpha2", "alpha-update.dll");
    EXPECT_EQ(zelextInstallModule(source.c_str()), -3);
    EXPECT_NE(loaded("inalpha").module, nullptr);
    EXPECT_EQ(readAll(host_.extDirectory() + "inalpha.dll"), readAll(builtPlugin("in_alpha0")));
    EXPECT_TRUE(fs::exists(source));
    EXPECT_EQ(texts("cradle"), std::vector<std::string>{"Object " + source +
                                                        " (inalpha) is being passed to loaded plug-in extension(s) "
                                                        "for possible processing."});
}

// A new plug-in that refuses to start makes the host start every plug-in
// again; the installation itself stands.
TEST_F(Installation, APluginThatDoesNotStartReloadsEveryPlugin) {
    host_.addPlugin(builtPlugin("in_alpha1"), "inalpha.dll");
    start();
    std::string source = download("in_refuses", "refuses.dll");
    EXPECT_EQ(zelextInstallModule(source.c_str()), 0);
    EXPECT_TRUE(fs::exists(host_.extDirectory() + "inrefuses.dll"));
    std::vector<std::string> calls = texts("test");
    std::erase_if(calls, [](const std::string &text) { return text.rfind("refuses ", 0) == 0; });
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "alpha1 shutdown");
    EXPECT_EQ(calls[1].rfind("alpha1 initex ", 0), 0u);
    EXPECT_NE(loaded("inalpha").module, nullptr);
    EXPECT_EQ(loaded("inrefuses").module, nullptr);
}

}  // namespace
