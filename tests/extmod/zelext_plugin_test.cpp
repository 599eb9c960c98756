// Plug-in side helpers: reading the initialisation record and walking the
// module handles received through zelextEnumModules.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "zelext_plugin.h"

namespace {

std::string testPlugin(const std::string &target) { return std::string(TEST_PLUGIN_DIR) + "/" + target + ".dll"; }

TEST(InitRecord, IsCheckedAndCopiedSafely) {
    ExtInitInfo info;
    std::string longCaption(300, 'c');
    zelextFillInitInfo(&info, ULongToHandle<HMODULE>(0x1234), ULongToHandle<HWND>(0x56), longCaption.c_str(),
                       "/opt/cradle/cradle.ini");
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(&info);
    EXPECT_EQ(bytes[0] | bytes[1] << 8, 592);
    EXPECT_EQ(bytes[4] | bytes[5] << 8, 0x1234);
    EXPECT_EQ(bytes[8], 0x56);
    EXPECT_EQ(bytes[12 + 63], 0);
    EXPECT_EQ(bytes[76 + 255], 0);
    EXPECT_EQ(std::memcmp(bytes + 332, "/opt/cradle/cradle.ini", 23), 0);

    ZelextHostInfo host;
    ASSERT_EQ(zelextReadInitInfo(&info, &host), 0);
    EXPECT_EQ(host.resourceModule, ULongToHandle<HMODULE>(0x1234));
    EXPECT_EQ(host.hostWindow, ULongToHandle<HWND>(0x56));
    EXPECT_EQ(std::string(host.logName), std::string(63, 'c'));
    EXPECT_EQ(std::string(host.caption), std::string(255, 'c'));
    EXPECT_STREQ(host.configPath, "/opt/cradle/cradle.ini");

    // Fields without their NUL still come out terminated.
    std::memset(info.logName, 'x', sizeof info.logName);
    std::memset(info.configPath, 'p', sizeof info.configPath);
    ASSERT_EQ(zelextReadInitInfo(&info, &host), 0);
    EXPECT_EQ(std::string(host.logName), std::string(63, 'x'));
    EXPECT_EQ(std::strlen(host.configPath), sizeof host.configPath - 1);

    info.size = 591;
    EXPECT_EQ(zelextReadInitInfo(&info, &host), -2);
    EXPECT_EQ(zelextReadInitInfo(nullptr, &host), -2);
}

TEST(ModuleTable, KeepsSixteenDistinctHandles) {
    ZelextModuleTable table;
    zelextModulesClear(&table);
    EXPECT_EQ(zelextModulesAdd(&table, nullptr), 0);
    for (ULONG i = 1; i <= 17; ++i) EXPECT_EQ(zelextModulesAdd(&table, ULongToHandle<HMODULE>(i)), 0);
    EXPECT_EQ(zelextModulesAdd(&table, ULongToHandle<HMODULE>(3)), 0);
    for (int i = 0; i < ZELEXT_MAX_MODULES; ++i) EXPECT_EQ(table.modules[i], ULongToHandle<HMODULE>(i + 1));
}

// The walk visits, in table order, every remembered module that exports the
// function, and skips the others.
TEST(ModuleTable, FindsAnExportOnEveryModuleThatHasIt) {
    HMODULE alpha = LoadLibraryA(testPlugin("tp_alpha4").c_str());
    HMODULE noentry = LoadLibraryA(testPlugin("tp_noentry").c_str());
    HMODULE beta = LoadLibraryA(testPlugin("tp_beta").c_str());
    ASSERT_TRUE(alpha && noentry && beta);
    ZelextModuleTable table;
    zelextModulesClear(&table);
    zelextModulesAdd(&table, GetModuleHandleA(nullptr));
    zelextModulesAdd(&table, alpha);
    zelextModulesAdd(&table, noentry);
    zelextModulesAdd(&table, beta);

    int cursor = 0;
    FARPROC first = zelextModulesNextExport(&table, "zelextInitEx", &cursor);
    EXPECT_EQ(first, GetProcAddress(alpha, "zelextInitEx"));
    auto second = zelextModulesNext<PFN_zelextInitEx>(&table, "zelextInitEx", &cursor);
    EXPECT_EQ(second, zelextProc<PFN_zelextInitEx>(GetProcAddress(beta, "zelextInitEx")));
    EXPECT_EQ(zelextModulesNextExport(&table, "zelextInitEx", &cursor), nullptr);
    cursor = 0;
    EXPECT_EQ(zelextModulesNextExport(&table, "zelextNoSuchExport", &cursor), nullptr);

    FreeLibrary(beta);
    FreeLibrary(noentry);
    FreeLibrary(alpha);
}

}  // namespace
