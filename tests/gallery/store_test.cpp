// The collection store on real directories: names, listing and counting,
// the Recycle Bin, renaming and deleting, and the store watcher.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "listmod.h"
#include "log_collector.h"
#include "zellog.h"
#include "pwdmod.h"
#include "store.h"
#include "watch.h"

namespace fs = std::filesystem;

namespace {

class Store : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/gallery-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        dir = root + "/Collections";
        ini = root + "/cradle.ini";
        fs::create_directories(dir);
        std::ofstream(ini) << "[photo]\nPort=8888\n";
    }
    void TearDown() override { fs::remove_all(root); }
    void file(const std::string& rel, const std::string& content = "x") {
        fs::create_directories(fs::path(dir + "/" + rel).parent_path());
        std::ofstream(dir + "/" + rel) << content;
    }
    std::string today() const {
        SYSTEMTIME now;
        GetLocalTime(&now);
        return dir + "/Recycle Bin/" + storeRecycleDayName(now.wYear, now.wMonth, now.wDay);
    }
    std::string root, dir, ini;
};

TEST(StoreNames, RefusesNamesThatWouldEscapeOrOverwriteSettings) {
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "Port", "enable", "TIMEOUT", "MaxImageX", "Hostname",
                            "host-access-policy", "Recycle Bin", "recycle bin", ".hidden", "tab\there"})
        EXPECT_EQ(storeIsValidName(bad), 0) << bad;
    EXPECT_EQ(storeIsValidName(std::string(65, 'a').c_str()), 0);
    for (const char* good : {"Holiday", "Port side", "Portrait", "Summer 2005", "a.b"})
        EXPECT_EQ(storeIsValidName(good), 1) << good;
    EXPECT_EQ(storeIsValidName(std::string(64, 'a').c_str()), 1);
    EXPECT_EQ(storeRecycleDayName(2005, 2, 3), "February 3, 2005");
    EXPECT_EQ(storeRecycleDayName(2005, 5, 7), "May 7, 2005");
}

TEST_F(Store, ListsVisibleCollectionsWithTheirTypesAndVisibleFileCounts) {
    file("Holiday/a.jpg");
    file("Holiday/.a.tmb");
    file("Holiday/Day 1/b.jpg");
    file("Holiday/.hidden-dir/c.jpg");
    file("Work/report.txt");
    fs::create_directories(dir + "/Empty");
    fs::create_directories(dir + "/Recycle Bin");
    SetFileAttributesA((dir + "/Recycle Bin").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WritePrivateProfileStringA("photo", "Holiday", "Photo", ini.c_str());
    WritePrivateProfileStringA("photo", "Work", "File", ini.c_str());
    std::vector<StoreCollection> list;
    ASSERT_EQ(storeEnumCollections(dir.c_str(), ini.c_str(), &list), 3);
    EXPECT_EQ(list[0].name, "Empty");
    EXPECT_EQ(list[0].type, STORE_TYPE_MIXED);
    EXPECT_EQ(list[0].fileCount, 0);
    EXPECT_EQ(list[1].name, "Holiday");
    EXPECT_EQ(list[1].type, STORE_TYPE_PHOTO);
    EXPECT_EQ(list[1].fileCount, 2);
    EXPECT_EQ(list[2].type, STORE_TYPE_FILE);

    ASSERT_EQ(listInit() >= -1, true);
    int l = listCreate();
    ASSERT_EQ(storeCollectContents(dir.c_str(), "Holiday", l), 2);
    char record[MAX_PATH];
    ASSERT_GE(listGetItem(l, listGetItemId(l, 0), record, sizeof record), 0);
    EXPECT_EQ(std::string(record).rfind(dir + "/Holiday/", 0), 0u);
    listDestroy(l);
}

TEST_F(Store, RecycleBinKeepsThePathByDateAndFoldersMoveWhole) {
    file("Holiday/a.jpg", "photo");
    file("Holiday/a.tmb", "thumb");
    SetFileAttributesA((dir + "/Holiday/a.tmb").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_EQ(storeDeletePhoto(dir.c_str(), (dir + "/Holiday/a.jpg").c_str()), STORE_OK);
    EXPECT_TRUE(fs::exists(today() + "/Holiday/a.jpg"));
    EXPECT_TRUE(fs::exists(today() + "/Holiday/a.tmb"));
    EXPECT_FALSE(fs::exists(dir + "/Holiday/a.jpg"));
    EXPECT_TRUE(GetFileAttributesA((dir + "/Recycle Bin").c_str()) & FILE_ATTRIBUTE_HIDDEN);

    // A collection with subfolders moves whole, and a second one of that name
    // deleted the same day goes beside it.
    file("Trip/one.jpg");
    file("Trip/Day 2/two.jpg");
    file("Trip/Day 2/Night/three.jpg");
    ASSERT_EQ(storeMoveToRecycleBin(dir.c_str(), (dir + "/Trip").c_str()), STORE_OK);
    EXPECT_FALSE(fs::exists(dir + "/Trip"));
    EXPECT_TRUE(fs::exists(today() + "/Trip/Day 2/Night/three.jpg"));
    file("Trip/again.jpg");
    ASSERT_EQ(storeMoveToRecycleBin(dir.c_str(), (dir + "/Trip").c_str()), STORE_OK);
    EXPECT_TRUE(fs::exists(today() + "/Trip (2)/again.jpg"));
    EXPECT_TRUE(fs::exists(today() + "/Trip/one.jpg"));

    EXPECT_EQ(storeMoveToRecycleBin(dir.c_str(), (dir + "/Nothing").c_str()), STORE_ERR_NOT_FOUND);
    EXPECT_EQ(storeMoveToRecycleBin(dir.c_str(), (dir + "/Recycle Bin").c_str()), STORE_ERR_ARG);
}

TEST_F(Store, DeletingAndRenamingCollectionsKeepPasswordsAndKeysInStep) {
    ASSERT_EQ(pwdmodInit((root + "/galleon.dbu").c_str()), 0);
    file("Old/a.jpg");
    file("Other/b.jpg");
    ASSERT_EQ(storeSaveCollection(dir.c_str(), ini.c_str(), nullptr, "Old", "pw", false, STORE_TYPE_PHOTO), STORE_OK);
    EXPECT_EQ(pwdmodResourceHasPassword("Old"), 1);

    // Renaming onto another collection is refused and changes nothing.
    EXPECT_EQ(storeSaveCollection(dir.c_str(), ini.c_str(), "Old", "Other", "pw", false, STORE_TYPE_PHOTO), STORE_ERR_ARG);
    EXPECT_TRUE(fs::exists(dir + "/Old/a.jpg"));
    // A settings name is refused before anything is written.
    EXPECT_EQ(storeSaveCollection(dir.c_str(), ini.c_str(), "Old", "Port", "pw", false, STORE_TYPE_PHOTO), STORE_ERR_ARG);
    char port[16];
    GetPrivateProfileStringA("photo", "Port", "", port, sizeof port, ini.c_str());
    EXPECT_STREQ(port, "8888");

    ASSERT_EQ(storeSaveCollection(dir.c_str(), ini.c_str(), "Old", "New", nullptr, true, STORE_TYPE_FILE), STORE_OK);
    EXPECT_TRUE(fs::exists(dir + "/New/a.jpg"));
    EXPECT_FALSE(fs::exists(dir + "/Old"));
    char type[16];
    GetPrivateProfileStringA("photo", "New", "", type, sizeof type, ini.c_str());
    EXPECT_STREQ(type, "File");
    GetPrivateProfileStringA("photo", "Old", "gone", type, sizeof type, ini.c_str());
    EXPECT_STREQ(type, "gone");
    EXPECT_EQ(pwdmodResourceHasPassword("New"), 0);

    ASSERT_EQ(storeSaveCollection(dir.c_str(), ini.c_str(), nullptr, "Other", "pw2", false, STORE_TYPE_MIXED), STORE_OK);
    ASSERT_EQ(storeDeleteCollection(dir.c_str(), "Other"), STORE_OK);
    EXPECT_EQ(pwdmodResourceExists("Other"), 0);
    EXPECT_TRUE(fs::exists(today() + "/Other/b.jpg"));
    EXPECT_EQ(storeDeleteCollection(dir.c_str(), ".."), STORE_ERR_ARG);
    EXPECT_TRUE(fs::exists(root + "/cradle.ini"));
    pwdmodShutdown();
}

TEST_F(Store, DeletingACollectionWithoutPasswordRecordIsLogged) {
    suite::LogCollector log;
    ASSERT_TRUE(log.start(suite::LogCollector::uniqueName("store")));
    zelextLogSetSlot(log.name().c_str());
    ASSERT_EQ(pwdmodInit((root + "/galleon.dbu").c_str()), 0);
    file("Kept/a.jpg");
    file("Made by hand/a.jpg");
    ASSERT_EQ(storeSaveCollection(dir.c_str(), ini.c_str(), nullptr, "Kept", nullptr, true, STORE_TYPE_FILE), STORE_OK);
    ASSERT_EQ(storeDeleteCollection(dir.c_str(), "Kept"), STORE_OK);
    ASSERT_TRUE(log.sync());
    EXPECT_TRUE(log.texts().empty());
    ASSERT_EQ(storeDeleteCollection(dir.c_str(), "Made by hand"), STORE_OK);
    EXPECT_FALSE(fs::exists(dir + "/Made by hand"));
    ASSERT_TRUE(log.waitForText("pwdmodDeleteUserResource() returned error code -2"));
    pwdmodShutdown();
    zelextLogSetSlot(nullptr);
}

TEST_F(Store, WatcherReportsChangesAndNeitherSpinsNorHangsWhenItsFolderGoes) {
    fs::create_directories(dir + "/Holiday/Sub");
    static std::atomic<int> calls;
    calls = 0;
    auto notify = [](void* window, UINT message, WPARAM command, LPARAM) {
        EXPECT_EQ(window, reinterpret_cast<void*>(0x1234));
        EXPECT_EQ(message, 0x0111u);
        EXPECT_EQ(command, 105u);
        ++calls;
    };
    WatchParams* w = watchStart((dir + "/Holiday").c_str(), notify, reinterpret_cast<void*>(0x1234), 0x0111, 105);
    ASSERT_NE(w, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    file("Holiday/Sub/new.jpg");  // deep in the subtree
    for (int i = 0; i < 50 && calls == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_GE(calls.load(), 1);

    fs::remove_all(dir + "/Holiday");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    int settled = calls;
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(calls.load(), settled);  // no stream of reports for a folder that is gone
    auto start = std::chrono::steady_clock::now();
    watchStop(w);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
