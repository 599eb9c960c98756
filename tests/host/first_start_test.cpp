// A new user's files made from an installed copy: the configuration file and
// the sample collection are copied whole and only when the user has none,
// what the user has is never replaced, and a copy that fails leaves nothing
// that a later start would take for the user's own.
#include "host_fixture.h"

#include "shell/startup.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path &path, const std::string &content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string readFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry below dir, relative, folders with a trailing "/".
std::set<std::string> tree(const fs::path &dir) {
    std::set<std::string> names;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator(); ++it) {
        std::string rel = fs::relative(it->path(), dir).string();
        names.insert(it->is_directory() && !it->is_symlink() ? rel + "/" : rel);
    }
    return names;
}

class FirstStart : public ::testing::Test {
protected:
    void SetUp() override {
        shipped = dir.dir() / "shipped";
        user = dir.dir() / "user";
        fs::create_directories(user);
    }
    hosttest::ProgramDir dir;
    fs::path shipped, user;
};

TEST_F(FirstStart, AFileIsCopiedOnlyWhenTheUserHasNone) {
    writeFile(shipped / "cradle.ini", "[Categories]\nGeneral\n");
    std::string from = (shipped / "cradle.ini").string(), to = (user / "cradle.ini").string();
    EXPECT_EQ(shellSeedFile(from.c_str(), to.c_str()), 1);
    EXPECT_EQ(readFile(to), "[Categories]\nGeneral\n");
    EXPECT_EQ(tree(user), (std::set<std::string>{"cradle.ini"}));  // no temporary file left

    // The user's own file, even an empty one, and a link to a file not there
    // yet are left as they are.
    writeFile(to, "");
    EXPECT_EQ(shellSeedFile(from.c_str(), to.c_str()), 0);
    EXPECT_EQ(readFile(to), "");
    fs::remove(to);
    fs::create_symlink(user / "elsewhere.ini", to);
    EXPECT_EQ(shellSeedFile(from.c_str(), to.c_str()), 0);
    EXPECT_TRUE(fs::is_symlink(to));
    EXPECT_FALSE(fs::exists(user / "elsewhere.ini"));

    // Nothing shipped, or nowhere to write: nothing is made.
    fs::remove(to);
    EXPECT_EQ(shellSeedFile((shipped / "missing.ini").string().c_str(), to.c_str()), -1);
    EXPECT_EQ(shellSeedFile(from.c_str(), (user / "no" / "cradle.ini").string().c_str()), -2);
    EXPECT_EQ(shellSeedFile(nullptr, to.c_str()), -1);
    EXPECT_TRUE(tree(user).empty());
}

TEST_F(FirstStart, AFileThatCannotBeWrittenWholeLeavesNothingBehind) {
    // A full disk, as the limit on file sizes gives it.
    writeFile(shipped / "cradle.ini", std::string(20000, 'x'));
    std::string from = (shipped / "cradle.ini").string(), to = (user / "cradle.ini").string();
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    auto previous = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int fileResult = shellSeedFile(from.c_str(), to.c_str());
    int folderResult = shellSeedFolder(shipped.string().c_str(), (user / "Collections").string().c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(fileResult, -2);
    EXPECT_EQ(folderResult, -2);
    EXPECT_TRUE(tree(user).empty());  // the next start tries again
    EXPECT_EQ(shellSeedFile(from.c_str(), to.c_str()), 1);
    EXPECT_EQ(fs::file_size(to), 20000u);
}

TEST_F(FirstStart, AFolderIsCopiedWithItsTimesOnlyWhenTheUserHasNone) {
    fs::path samples = shipped / "Collections" / "Samples";
    writeFile(samples / "Lake.jpg", "photo");
    writeFile(samples / "Lake.tmb", "thumbnail");
    writeFile(samples / ".hidden", "Lake.tmb\n");
    writeFile(samples / "Older" / "Hill.jpg", "hill");
    fs::create_symlink("/etc/passwd", samples / "link.jpg");
    // The thumbnail is valid only while it has its photo's time.
    auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(240);
    fs::last_write_time(samples / "Lake.jpg", stamp);
    fs::last_write_time(samples / "Lake.tmb", stamp);

    fs::path to = user / "Collections";
    ASSERT_EQ(shellSeedFolder((shipped / "Collections").string().c_str(), to.string().c_str()), 1);
    EXPECT_EQ(tree(to), (std::set<std::string>{"Samples/", "Samples/Lake.jpg", "Samples/Lake.tmb", "Samples/.hidden",
                                               "Samples/Older/", "Samples/Older/Hill.jpg"}));
    EXPECT_EQ(readFile(to / "Samples" / "Lake.tmb"), "thumbnail");
    EXPECT_EQ(fs::last_write_time(to / "Samples" / "Lake.jpg"), stamp);
    EXPECT_EQ(fs::last_write_time(to / "Samples" / "Lake.tmb"), stamp);
    EXPECT_EQ(tree(user), (std::set<std::string>{"Collections/", "Collections/Samples/", "Collections/Samples/Lake.jpg",
                                                 "Collections/Samples/Lake.tmb", "Collections/Samples/.hidden",
                                                 "Collections/Samples/Older/",
                                                 "Collections/Samples/Older/Hill.jpg"}));

    // A user who removed the samples, or has an empty folder, keeps it so.
    fs::remove_all(to / "Samples");
    EXPECT_EQ(shellSeedFolder((shipped / "Collections").string().c_str(), to.string().c_str()), 0);
    EXPECT_TRUE(tree(to).empty());
    EXPECT_EQ(shellSeedFolder((shipped / "none").string().c_str(), (user / "Other").string().c_str()), -1);
    EXPECT_FALSE(fs::exists(user / "Other"));

    // A link left at the temporary name is removed, never followed.
    fs::path keep = dir.dir() / "keep";
    writeFile(keep / "mine.jpg", "mine");
    fs::create_symlink(keep, user / ("Again." + std::to_string(getpid()) + ".part"));
    EXPECT_EQ(shellSeedFolder((shipped / "Collections").string().c_str(), (user / "Again").string().c_str()), 1);
    EXPECT_EQ(readFile(keep / "mine.jpg"), "mine");
    EXPECT_TRUE(fs::exists(user / "Again" / "Samples" / "Lake.jpg"));
}

TEST_F(FirstStart, TheUsersFolderIsMadeFromTheShippedDirectoryOfAnInstalledCopy) {
    writeFile(shipped / "cradle.ini", "[Categories]\nGeneral\n[Novice]\ncradle-Settings=1\n");
    writeFile(shipped / "Collections" / "Samples" / "Lake.jpg", "photo");
    writeFile(shipped / "cradle.tip", "a tip\n");
    ShellPaths &p = shellState().paths;
    std::snprintf(p.config, sizeof p.config, "%s/cradle.ini", user.c_str());

    // A copy that keeps everything beside itself is left to its build.
    p.shippedDir[0] = '\0';
    shellSeedUserFolder();
    EXPECT_TRUE(tree(user).empty());

    std::snprintf(p.shippedDir, sizeof p.shippedDir, "%s/", shipped.c_str());
    shellSeedUserFolder();
    EXPECT_EQ(tree(user), (std::set<std::string>{"cradle.ini", "Collections/", "Collections/Samples/",
                                                 "Collections/Samples/Lake.jpg"}));  // tips are read in place
    char value[16];
    GetPrivateProfileStringA("Novice", "cradle-Settings", "", value, sizeof value, p.config);
    EXPECT_STREQ(value, "1");

    // The second start keeps what the user changed and took away.
    WritePrivateProfileStringA("Novice", "cradle-Settings", "0", p.config);
    fs::remove(user / "Collections" / "Samples" / "Lake.jpg");
    shellSeedUserFolder();
    GetPrivateProfileStringA("Novice", "cradle-Settings", "", value, sizeof value, p.config);
    EXPECT_STREQ(value, "0");
    EXPECT_FALSE(fs::exists(user / "Collections" / "Samples" / "Lake.jpg"));
}

}  // namespace
