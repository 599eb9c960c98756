// The program's paths and switches: everything beside the program, the XDG
// directories for a program directory that cannot be written, the help file
// name, and the switches with their defaults.
#include "host_fixture.h"

#include "shell/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

TEST(ShellPaths, LiveBesideAWritableProgram) {
    hosttest::ProgramDir dir;
    std::string program = (dir.dir() / "cradle").string();
    shellDerivePaths(program.c_str());
    const ShellPaths &p = shellState().paths;
    std::string base = dir.dir().string() + "/";
    EXPECT_EQ(std::string(p.programDir), base);
    EXPECT_EQ(std::string(p.config), base + "cradle.ini");
    EXPECT_EQ(std::string(p.extDir), base + "ext");
    EXPECT_EQ(std::string(p.sharedExtDir), "");
    EXPECT_EQ(std::string(p.shippedDir), "");  // the build lays this directory out itself
    EXPECT_EQ(std::string(p.branding), base + "keystone.dll");
    EXPECT_EQ(std::string(p.help), base + "cradle.hlp");
}

TEST(ShellPaths, MoveToTheUsersDirectoriesWhenTheProgramDirectoryCannotBeWritten) {
    hosttest::ProgramDir dir;
    std::string config = (dir.dir() / "config").string(), data = (dir.dir() / "data").string();
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    shellDerivePaths("/nonexistent/install/cradle");  // no write access there
    const ShellPaths &p = shellState().paths;
    EXPECT_EQ(std::string(p.config), config + "/cradle/cradle.ini");
    EXPECT_EQ(std::string(p.extDir), data + "/cradle/ext");
    EXPECT_EQ(std::string(p.sharedExtDir), "/nonexistent/install/ext");
    EXPECT_EQ(std::string(p.shippedDir), "/nonexistent/install/");  // first-start files and tips
    EXPECT_EQ(std::string(p.branding), "/nonexistent/install/keystone.dll");
    EXPECT_TRUE(fs::is_directory(config + "/cradle"));
    EXPECT_TRUE(fs::is_directory(data + "/cradle/ext"));
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
}

TEST(ShellSwitches, HaveTheirDefaultsAndTheHelpFileIsANameOnly) {
    hosttest::ProgramDir dir;
    shellReadSwitches();
    const ShellSwitches &w = shellState().switches;
    EXPECT_EQ(w.confirmClose, 1);
    EXPECT_EQ(w.notifyMinimize, 1);
    EXPECT_EQ(w.showTips, 1);
    EXPECT_EQ(w.disableTray + w.disablePopup + w.expertMode + w.closePassword + w.passwordProperties, 0);

    std::string base = shellState().paths.programDir;
    dir.write("help", "File", "guide.hlp");
    shellReadSwitches();
    EXPECT_EQ(std::string(shellState().paths.help), base + "guide.hlp");
    // A value with directories cannot lead out of the program directory.
    dir.write("help", "File", "../../etc/other.hlp");
    shellReadSwitches();
    EXPECT_EQ(std::string(shellState().paths.help), base + "other.hlp");

    dir.write("Settings", "DisableTray", "1");
    shellReadSwitches();
    EXPECT_EQ(shellState().switches.disableTray, 1);
    snprintf(shellState().className, sizeof shellState().className, "LoomRemote:Main");
    shellReadSwitches();
    EXPECT_EQ(shellState().switches.disableTray, 0);  // that variant always shows its icon
}

}  // namespace
