// The plug-ins of an installed copy: the user's own plug-in directory and
// the installed, shared one are read together, and the newer file of a
// plug-in wins wherever it lies.
#include "host_fixture.h"

#include "extmod/extmod.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

std::set<std::string> loadedFiles() {
    std::set<std::string> files;
    for (int i = 0; i < EXTMOD_MAX_ENTRIES; ++i) {
        ExtmodEntryInfo e;
        if (extmodGetEntry(i, &e) == 0 && e.module) files.insert(e.path);
    }
    return files;
}

TEST(SharedPluginDirectory, IsReadBesideTheUsersOwnAndTheNewerFileWins) {
    hosttest::ProgramDir dir;
    fs::path user = dir.dir() / "user", shared = dir.dir() / "shared";
    fs::create_directories(user);
    fs::create_directories(shared);
    const fs::path plugins = TEST_PLUGIN_DIR;
    fs::copy_file(plugins / "tp_alpha4.dll", user / "alpha_old.dll");     // alpha 1.0.0.4, the user's
    fs::copy_file(plugins / "tp_alpha10.dll", shared / "alpha_new.dll");  // alpha 1.0.1.0, installed
    fs::copy_file(plugins / "tp_beta.dll", shared / "beta.dll");          // only installed
    fs::copy_file(plugins / "tp_both.dll", user / "both.dll");            // only the user's

    extmodSetSharedDirectory(shared.c_str());
    ASSERT_EQ(extmodInit(user.c_str(), nullptr, nullptr, "test", dir.config().c_str(), 201), 0);
    EXPECT_EQ(loadedFiles(), (std::set<std::string>{(shared / "alpha_new.dll").string(), (shared / "beta.dll").string(),
                                                    (user / "both.dll").string()}));
    EXPECT_EQ(extmodShutdown(), 0);

    // The same directory given twice counts once; no shared directory: the user's only.
    extmodSetSharedDirectory(user.c_str());
    ASSERT_EQ(extmodInit(user.c_str(), nullptr, nullptr, "test", dir.config().c_str(), 201), 0);
    EXPECT_EQ(loadedFiles().size(), 2u);
    EXPECT_EQ(extmodShutdown(), 0);
    extmodSetSharedDirectory(nullptr);
    ASSERT_EQ(extmodInit(user.c_str(), nullptr, nullptr, "test", dir.config().c_str(), 201), 0);
    EXPECT_EQ(loadedFiles(), (std::set<std::string>{(user / "alpha_old.dll").string(), (user / "both.dll").string()}));
    EXPECT_EQ(extmodShutdown(), 0);
}

}  // namespace
