// Loading modules: DllMain attach and detach, references, lookups, paths.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "testdir.h"

extern "C" __attribute__((visibility("default"))) int platformTestProgramExport(void) { return 201; }

namespace {

class Modules : public ::testing::Test {
protected:
    void SetUp() override { setenv("PLATFORM_TESTMOD_LOG", dir.path("log").c_str(), 1); }
    void TearDown() override { unsetenv("PLATFORM_TESTMOD_LOG"); }
    static std::string mod(const char *variant) { return std::string(PLATFORM_TESTMOD_DIR) + "/testmod_" + variant + ".dll"; }
    TestDir dir;
};

TEST_F(Modules, AttachOnceDetachOnLastFree) {
    std::string path = mod("attach");
    HMODULE a = LoadLibraryA(path.c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_LT(reinterpret_cast<uintptr_t>(a), 0x80000000u);
    HMODULE b = LoadLibraryA(path.c_str());
    EXPECT_EQ(a, b);
    auto attaches = reinterpret_cast<int (*)()>(GetProcAddress(a, "testmodAttaches"));
    ASSERT_NE(attaches, nullptr);
    EXPECT_EQ(attaches(), 1);
    EXPECT_EQ(dir.read("log"), "attach\n");

    char name[PATH_MAX];
    DWORD n = GetModuleFileNameA(a, name, sizeof name);
    EXPECT_EQ(std::string(name, n), std::filesystem::canonical(path).string());
    EXPECT_EQ(GetModuleHandleA("testmod_attach.dll"), a);
    EXPECT_EQ(GetModuleHandleA("TESTMOD_ATTACH"), a);  // case and ".dll" as on Windows

    // Code inside the module finds its own handle.
    auto self = reinterpret_cast<HMODULE (*)()>(GetProcAddress(a, "testmodSelf"));
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self(), a);

    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_EQ(dir.read("log"), "attach\n");
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_EQ(dir.read("log"), "attach\ndetach\n");
    EXPECT_EQ(GetModuleHandleA("testmod_attach.dll"), nullptr);
    EXPECT_FALSE(FreeLibrary(a));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Modules, RefusedAttachUnloadsAndFails) {
    EXPECT_EQ(LoadLibraryA(mod("refuse").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_EQ(dir.read("log"), "attach\ndetach\n");
    EXPECT_EQ(GetModuleHandleA("testmod_refuse.dll"), nullptr);
}

TEST_F(Modules, ExportsAreTheModulesOwn) {
    HMODULE m = LoadLibraryA(mod("nomain").c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(dir.read("log"), "");
    // Only the module's own symbols: not those of the libraries it uses.
    EXPECT_EQ(GetProcAddress(m, "DllMain"), nullptr);
    EXPECT_EQ(GetProcAddress(m, "GetLastError"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_NE(GetProcAddress(m, "testmodAttaches"), nullptr);
    EXPECT_TRUE(FreeLibrary(m));
}

TEST_F(Modules, MissingAndInvalidFiles) {
    EXPECT_EQ(LoadLibraryA(dir.path("none.dll").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    dir.write("bad.dll", "not an ELF file");
    EXPECT_EQ(LoadLibraryA(dir.path("bad.dll").c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

TEST_F(Modules, ProgramModuleAndFileNameTruncation) {
    HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    char full[PATH_MAX];
    DWORD n = GetModuleFileNameA(nullptr, full, sizeof full);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::string(full), std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(GetModuleFileNameA(program, full, sizeof full), n);
    char small[5];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small), std::string(full).substr(0, 4));
    auto exported = reinterpret_cast<int (*)()>(GetProcAddress(program, "platformTestProgramExport"));
    ASSERT_NE(exported, nullptr);
    EXPECT_EQ(exported(), 201);
    EXPECT_EQ(GetProcAddress(program, "GetLastError"), nullptr);  // libplatform's, not the program's
    EXPECT_EQ(FreeLibrary(program), TRUE);  // the program is never unloaded
    EXPECT_EQ(GetModuleHandleA(nullptr), program);
}

}  // namespace
