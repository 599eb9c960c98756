// Version information read from module files: the fixed part, the string
// blocks, the translation table, both ways of reading, the branding module,
// and files that are not what they claim to be.
#include "restest.h"

#include "res_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace restest;

namespace {

std::vector<uint8_t> versionData(const char* path) {
    DWORD handle = 1;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0) return {};
    std::vector<uint8_t> data(size);
    EXPECT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));
    return data;
}

// Text of a string item, or null when the lookup fails.
const char* query(const std::vector<uint8_t>& data, const char* sub, UINT* len = nullptr) {
    LPVOID value = nullptr;
    UINT n = 0;
    if (!VerQueryValueA(data.data(), sub, &value, &n)) return nullptr;
    if (len) *len = n;
    return static_cast<const char*>(value);
}

// The lookup order callers use: block "100904B0" first, then "040904B0".
std::string item(const std::vector<uint8_t>& data, const char* name) {
    for (const char* block : {"100904B0", "040904B0"}) {
        std::string sub = std::string("\\StringFileInfo\\") + block + "\\" + name;
        if (const char* v = query(data, sub.c_str())) return v;
    }
    return "<missing>";
}

}  // namespace

TEST(Version, FixedPartStringsAndTranslations) {
    std::vector<uint8_t> data = versionData(RESMOD_PATH);
    ASSERT_FALSE(data.empty());
    LPVOID value = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", &value, &len));
    ASSERT_EQ(len, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00030004u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));

    // Each block answers for itself; the lookup order picks the first.
    EXPECT_STREQ(query(data, "\\StringFileInfo\\100904B0\\InternalName", &len), "resmod");
    EXPECT_EQ(len, 7u);  // characters with the NUL
    EXPECT_STREQ(query(data, "\\StringFileInfo\\040904B0\\InternalName"), "resmod-us");
    EXPECT_EQ(query(data, "\\StringFileInfo\\100904B0\\CompanyName"), nullptr);
    EXPECT_EQ(item(data, "InternalName"), "resmod");
    EXPECT_EQ(item(data, "CompanyName"), "Test Works");
    EXPECT_EQ(item(data, "SpecialBuild"), "201");
    EXPECT_EQ(item(data, "ProductName"), "<missing>");
    EXPECT_STREQ(query(data, "\\StringFileInfo\\100904B0\\Empty", &len), "");
    EXPECT_EQ(len, 1u);
    // Keys ignore case; "/" separates like "\".
    EXPECT_STREQ(query(data, "\\stringfileinfo\\100904b0\\internalname"), "resmod");
    EXPECT_STREQ(query(data, "/StringFileInfo/040904B0/CompanyName"), "Test Works");
    EXPECT_EQ(query(data, "\\StringFileInfo\\100904B0\\InternalNam"), nullptr);
    EXPECT_EQ(query(data, "\\StringFileInfo\\100904B0\\InternalNameX"), nullptr);

    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &len));
    ASSERT_EQ(len, 8u);
    DWORD tr[2];
    std::memcpy(tr, value, sizeof tr);
    EXPECT_EQ(tr[0], 0x04B01009u);
    EXPECT_EQ(tr[1], 0x04B00409u);
}

TEST(Version, FileAndLoadedModuleAgree) {
    std::vector<uint8_t> fromFile = versionData(RESMOD_PATH);
    std::vector<uint8_t> loaded = resourceBytes(resmod(), MAKEINTRESOURCEA(1), RT_VERSION);
    ASSERT_GT(loaded.size(), 100u);
    ASSERT_GE(fromFile.size(), loaded.size());
    // The same bytes, except the root's type word that marks the room for
    // 8-bit texts.
    fromFile[4] = loaded[4];
    fromFile[5] = loaded[5];
    EXPECT_TRUE(std::equal(loaded.begin(), loaded.end(), fromFile.begin()));
    // The raw resource has no such room: the fixed part is there, texts not.
    LPVOID value = nullptr;
    UINT len = 0;
    EXPECT_TRUE(VerQueryValueA(loaded.data(), "\\", &value, &len));
    EXPECT_TRUE(VerQueryValueA(loaded.data(), "\\VarFileInfo\\Translation", &value, &len));
    EXPECT_FALSE(VerQueryValueA(loaded.data(), "\\StringFileInfo\\100904B0\\InternalName", &value, &len));
}

TEST(Version, ShortBuffersStayInBounds) {
    DWORD size = GetFileVersionInfoSizeA(RESMOD_PATH, nullptr);
    std::vector<uint8_t> full = versionData(RESMOD_PATH);
    size_t length = full[0] | full[1] << 8;
    ASSERT_LT(length, size);
    // Exactly the resource, no room for texts.
    std::vector<uint8_t> exact(length);
    ASSERT_TRUE(GetFileVersionInfoA(RESMOD_PATH, 0, static_cast<DWORD>(exact.size()), exact.data()));
    EXPECT_NE(query(exact, "\\"), nullptr);
    EXPECT_EQ(query(exact, "\\StringFileInfo\\100904B0\\InternalName"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    // Cut inside the fixed part: nothing can be found, nothing is read beyond.
    std::vector<uint8_t> cut(40);
    ASSERT_TRUE(GetFileVersionInfoA(RESMOD_PATH, 0, static_cast<DWORD>(cut.size()), cut.data()));
    EXPECT_EQ(query(cut, "\\"), nullptr);
    EXPECT_EQ(query(cut, "\\StringFileInfo\\100904B0\\InternalName"), nullptr);
    EXPECT_FALSE(GetFileVersionInfoA(RESMOD_PATH, 0, 0, cut.data()));
    EXPECT_FALSE(GetFileVersionInfoA(RESMOD_PATH, 0, 10, nullptr));
}

TEST(Version, FilesWithoutVersionInformation) {
    struct Case {
        std::string path;
        DWORD error;
    } cases[] = {
        {RES_TEST_SOURCE "/none.dll", ERROR_FILE_NOT_FOUND},
        {RES_TEST_SOURCE "/help.txt", ERROR_BAD_FORMAT},
        {RES_TEST_SOURCE, ERROR_ACCESS_DENIED},
        {RESBARE_PATH, ERROR_RESOURCE_DATA_NOT_FOUND},
        {RESNOVER_PATH, ERROR_RESOURCE_TYPE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        DWORD handle = 7;
        EXPECT_EQ(GetFileVersionInfoSizeA(c.path.c_str(), &handle), 0u) << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
        EXPECT_EQ(handle, 0u);
        uint8_t buf[64];
        EXPECT_FALSE(GetFileVersionInfoA(c.path.c_str(), 0, sizeof buf, buf)) << c.path;
    }
}

TEST(Version, BrandingModule) {
    std::string path = SUITE_DIST_DIR "/keystone.dll";
    std::vector<uint8_t> data = versionData(path.c_str());
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(item(data, "InternalName"), "LOOMC:PROGRAM");
    std::string description = item(data, "FileDescription");
    EXPECT_NE(description, "<missing>");
    EXPECT_FALSE(description.empty());
    EXPECT_LE(description.size(), 127u);
    EXPECT_EQ(description.find_first_of(" \t/\\"), std::string::npos) << description;
    std::string comments = item(data, "Comments");
    EXPECT_LE(comments.size(), 255u);
    // Loaded as the host loads it, its resources are there too.
    HMODULE m = LoadLibraryA(path.c_str());
    ASSERT_NE(m, nullptr);
    EXPECT_NE(FindResourceA(m, MAKEINTRESOURCEA(1), RT_VERSION), nullptr);
    FreeLibrary(m);
}

// Damaged files: every reader stays within the data and fails cleanly.
TEST(Version, DamagedFilesAreRefusedSafely) {
    std::vector<uint8_t> original = readFile(RESMOD_PATH);
    // The blob follows the note's name "ZELRSRC\0".
    const char name[] = "ZELRSRC";
    auto it = std::search(original.begin(), original.end(), name, name + sizeof name);
    ASSERT_NE(it, original.end());
    size_t blob = static_cast<size_t>(it - original.begin()) + sizeof name;
    uint32_t magic;
    std::memcpy(&magic, &original[blob], 4);
    ASSERT_EQ(magic, RES_BLOB_MAGIC);
    uint32_t total;
    std::memcpy(&total, &original[blob + 8], 4);

    TempDir dir;
    std::string path = dir.file("damaged.dll");
    auto patch32 = [&](size_t at, uint32_t v) {
        std::vector<uint8_t> copy = original;
        std::memcpy(&copy[at], &v, 4);
        writeFile(path, copy);
    };
    patch32(blob + 4, 0x10000000);  // entry count far beyond the blob
    EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
    patch32(blob + 16 + 8, 0xFFFFFF00);  // first entry's data outside the blob
    EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);
    patch32(blob - 8 - 8, 0x7FFFFFF0);  // note descriptor size beyond the segment
    EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), nullptr), 0u);

    // Random damage anywhere in the blob.
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> copy = original;
        for (int k = 0; k < 4; ++k) copy[blob + rng() % total] ^= static_cast<uint8_t>(1 + rng() % 255);
        writeFile(path, copy);
        DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
        if (size == 0 || size > (1u << 20)) continue;
        std::vector<uint8_t> data(size);
        if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) continue;
        for (const char* sub : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\100904B0\\InternalName",
                                "\\StringFileInfo\\040904B0\\CompanyName"}) {
            LPVOID value = nullptr;
            UINT len = 0;
            if (VerQueryValueA(data.data(), sub, &value, &len) && len > 0) {
                auto* p = static_cast<const uint8_t*>(value);
                ASSERT_GE(p, data.data());
                ASSERT_LE(p + len, data.data() + data.size());
            }
        }
    }
}
