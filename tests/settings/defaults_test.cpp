// Restoring the recommended settings from the "Default-" sections.
#include "settings/defaults.h"

#include <cstring>
#include <string>

#include "settings_fixture.h"

using namespace settingstest;

namespace {

std::string value(const TempDir &dir, const char *section, const char *key) {
    char buf[256];
    GetPrivateProfileStringA(section, key, "(none)", buf, sizeof buf, dir.file("cradle.ini").c_str());
    return buf;
}

TEST(Defaults, EveryDefaultSectionIsCopiedKeyByKeyIntoItsSection) {
    TempDir dir;
    dir.write("cradle.ini",
              "[Settings]\nExpertMode=1\nConfirmClose=0\nKeep=me\n"
              "[Novice]\ngalleon-Log=1\n"
              "[default-settings]\nExpertMode=0\nConfirmClose=1\n"
              "[Default-Novice]\ngalleon-Log=0\nportreeve-UPnP=1\n"
              "[Default-]\nOrphan=1\n"
              "[NotDefault-Settings]\nExpertMode=7\n");
    ASSERT_EQ(settingsRestoreDefaults(dir.file("cradle.ini").c_str()), 0);
    EXPECT_EQ(value(dir, "Settings", "ExpertMode"), "0");
    EXPECT_EQ(value(dir, "Settings", "ConfirmClose"), "1");
    EXPECT_EQ(value(dir, "Settings", "Keep"), "me");  // keys without a default stay
    EXPECT_EQ(value(dir, "Novice", "galleon-Log"), "0");
    EXPECT_EQ(value(dir, "Novice", "portreeve-UPnP"), "1");
    EXPECT_EQ(value(dir, "", "Orphan"), "(none)");
    // The defaults themselves are untouched.
    EXPECT_EQ(value(dir, "Default-Novice", "galleon-Log"), "0");
    EXPECT_EQ(settingsRestoreDefaults(nullptr), -2);
}

TEST(Defaults, ASectionTooLargeForTheBufferChangesNothing) {
    TempDir dir;
    std::string big = "[Settings]\nExpertMode=1\n[Default-Settings]\nExpertMode=0\n[Default-Huge]\n";
    for (int i = 0; i < 900; ++i) big += "Key" + std::to_string(i) + "=some recommended value\n";
    dir.write("cradle.ini", big);
    std::string before = dir.read("cradle.ini");
    EXPECT_EQ(settingsRestoreDefaults(dir.file("cradle.ini").c_str()), -4);
    EXPECT_EQ(dir.read("cradle.ini"), before);
    EXPECT_EQ(value(dir, "Settings", "ExpertMode"), "1");
}

}  // namespace
