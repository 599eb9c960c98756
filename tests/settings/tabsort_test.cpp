// The tab list: sections of the configuration file ordering and grouping the
// master records.
#include "settings/tabsort.h"

#include <string>
#include <vector>

#include "settings_fixture.h"

using namespace settingstest;

namespace {

class TabList : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("cradle.ini",
                  "[Categories]\nGeneral\nSharing\n\n[Category-General]\ncradle-Settings\nCRADLE-ABOUT\n"
                  "[Category-Sharing]\ngalleon-Photo\nnobody-Missing\n"
                  "[TabSort]\nportreeve-UPnP\ncradle-about\nportreeve-upnp\n");
        ASSERT_EQ(tabsortInit(dir.file("cradle.ini").c_str()), 0);
        for (const char *key : {"galleon-Photo", "galleon-Log", "portreeve-UPnP", "cradle-Settings", "cradle-About"})
            items.push_back(add(key));
    }
    void TearDown() override { tabsortShutdown(); }
    int add(const char *key) {
        PROPSHEETPAGEA page{};
        page.dwSize = sizeof page;
        std::string title = std::string(key).substr(std::string(key).find('-') + 1);
        titles.push_back(title);
        page.pszTitle = titles.back().c_str();
        return tabsortAdd(TABSORT_MASTER, key, &page);
    }
    std::vector<std::string> ordered(int lines, int flag) {
        std::vector<std::string> keys;
        char key[TABSORT_KEY_SIZE];
        for (int p = 0; tabsortGetOrdered(lines, p, key, flag) >= 0; ++p) keys.push_back(key);
        return keys;
    }
    std::vector<std::string> lines(int list) {
        std::vector<std::string> v;
        char text[TABSORT_KEY_SIZE];
        for (int p = 0; tabsortGetLine(list, p, text, sizeof text) >= 0; ++p) v.push_back(text);
        return v;
    }
    TempDir dir;
    std::vector<int> items;
    std::vector<std::string> titles = std::vector<std::string>();
};

TEST_F(TabList, OrderFollowsTheLinesOnceEachThenTheRestWithFlagZero) {
    int tabSort = tabsortLoad("TabSort");
    ASSERT_GE(tabSort, 0);
    EXPECT_EQ(ordered(tabSort, 0), (std::vector<std::string>{"portreeve-UPnP", "cradle-About", "galleon-Photo",
                                                             "galleon-Log", "cradle-Settings"}));
    EXPECT_EQ(ordered(tabSort, 1), (std::vector<std::string>{"portreeve-UPnP", "cradle-About"}));
    // The item number returned is the master record's.
    EXPECT_EQ(tabsortGetOrdered(tabSort, 0, nullptr, 1), items[2]);
    EXPECT_EQ(tabsortGetOrdered(tabSort, 2, nullptr, 1), -5);
    EXPECT_EQ(tabsortGetOrdered(tabSort, -1, nullptr, 1), -2);
    EXPECT_EQ(tabsortDestroy(tabSort), 0);
    EXPECT_EQ(tabsortDestroy(tabSort), -2);
}

TEST_F(TabList, SectionLinesStopAtTheEndAndMissingSectionsAreEmpty) {
    int general = tabsortLoad("Category-General");
    EXPECT_EQ(lines(general), (std::vector<std::string>{"cradle-Settings", "CRADLE-ABOUT"}));
    EXPECT_EQ(ordered(general, 1), (std::vector<std::string>{"cradle-Settings", "cradle-About"}));
    int none = tabsortLoad("No-Such-Section");
    ASSERT_GE(none, 0);
    EXPECT_TRUE(lines(none).empty());
    EXPECT_EQ(ordered(none, 0).size(), 5u);
    // A line that names no master record is skipped.
    int sharing = tabsortLoad("Category-Sharing");
    EXPECT_EQ(ordered(sharing, 1), (std::vector<std::string>{"galleon-Photo"}));
}

TEST_F(TabList, UncategorisedKeysAreThoseNoCategoryNamesInMasterOrder) {
    int rest = tabsortGetUncategorised();
    ASSERT_GE(rest, 0);
    EXPECT_EQ(lines(rest), (std::vector<std::string>{"galleon-Log", "portreeve-UPnP"}));
}

TEST_F(TabList, RecordsAnswerTheirTitleKeyPageAndNumber) {
    char text[TABSORT_TITLE_SIZE];
    EXPECT_EQ(tabsortGetTitle(items[0], text, sizeof text), 5);
    EXPECT_STREQ(text, "Photo");
    EXPECT_GT(tabsortGetKey(items[4], text, sizeof text), 0);
    EXPECT_STREQ(text, "cradle-About");
    int number = 7;
    EXPECT_EQ(tabsortGetPageNumber(items[1], &number), 0);
    EXPECT_EQ(number, -1);
    EXPECT_EQ(tabsortGetModule(items[1]), nullptr);
    PROPSHEETPAGEA page{};
    EXPECT_EQ(tabsortGetPage(items[3], &page), 0);
    EXPECT_EQ(page.dwSize, sizeof page);
    // Host pages have no page number to be found by.
    EXPECT_EQ(tabsortFindPage(-1), -2);
    EXPECT_EQ(tabsortFindPage(0), -2);
    EXPECT_EQ(tabsortGetTitle(123456, text, sizeof text), -2);
    // A long key is cut to the record's size.
    std::string longKey(100, 'k');
    int item = add(longKey.c_str());
    EXPECT_EQ(tabsortGetKey(item, text, sizeof text), TABSORT_KEY_SIZE - 1);
}

TEST(TabListState, CallsBeforeInitOrTwiceAreRefused) {
    EXPECT_EQ(tabsortLoad("Categories"), -1);
    EXPECT_EQ(tabsortGetUncategorised(), -1);
    EXPECT_EQ(tabsortShutdown(), -1);
    TempDir dir;
    ASSERT_EQ(tabsortInit(dir.file("cradle.ini").c_str()), 0);
    EXPECT_EQ(tabsortInit(dir.file("cradle.ini").c_str()), -1);
    EXPECT_EQ(tabsortAdd(TABSORT_MASTER, nullptr, nullptr), -2);
    EXPECT_EQ(tabsortAdd(999, "x-y", nullptr), -2);
    EXPECT_EQ(tabsortShutdown(), 0);
}

}  // namespace
