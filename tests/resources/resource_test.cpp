// FindResourceA and its companions, LoadStringA, and the binary layouts of
// dialogs, string blocks and accelerator tables, on the real test module.
#include "restest.h"
#include "resmod_ids.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace restest;

namespace restest {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "restest-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace restest

TEST(Resources, FindByIdNameTypeAndHashText) {
    HMODULE m = resmod();
    ASSERT_NE(m, nullptr);
    std::vector<uint8_t> help = readFile(RES_TEST_SOURCE "/help.txt");
    ASSERT_FALSE(help.empty());

    HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(IDH_HELP), "HELP");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(FindResourceA(m, "#100", "help"), r);  // "#100" is id 100; type names ignore case
    EXPECT_EQ(FindResourceExA(m, "Help", MAKEINTRESOURCEA(IDH_HELP), 0x409), r);
    EXPECT_EQ(SizeofResource(m, r), help.size());
    HGLOBAL g = LoadResource(m, r);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(LockResource(g), g);
    EXPECT_EQ(0, std::memcmp(LockResource(g), help.data(), help.size()));
    EXPECT_FALSE(FreeResource(g));

    HRSRC logo = FindResourceA(m, "logo", "PNG");
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(FindResourceA(m, "LOGO", "png"), logo);
    EXPECT_EQ(resourceBytes(m, "Logo", "PNG"), readFile(RES_TEST_IMAGES "/icon16.png"));

    // A data block: text bytes, 16-bit words, and 32-bit words with L.
    std::vector<uint8_t> data{'a', 'b', 0x02, 0x01, 0x06, 0x05, 0x04, 0x03};
    EXPECT_EQ(resourceBytes(m, MAKEINTRESOURCEA(IDR_DATA), RT_RCDATA), data);
}

TEST(Resources, MissingResourcesSetTheirErrors) {
    HMODULE m = resmod();
    SetLastError(0);
    EXPECT_EQ(FindResourceA(m, "logo", "NOSUCHTYPE"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(FindResourceA(m, MAKEINTRESOURCEA(999), "HELP"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(FindResourceA(m, "#", "HELP"), nullptr);  // "#" alone is a name
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));

    HMODULE bare = LoadLibraryA(RESBARE_PATH);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(FindResourceA(bare, MAKEINTRESOURCEA(1), RT_VERSION), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));

    // Handles that are not modules.
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(event), "logo", "PNG"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(event);

    // A resource handle belongs to its module and must point at an entry.
    HRSRC r = FindResourceA(m, "logo", "PNG");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(bare, r), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(LoadResource(bare, r), nullptr);
    HRSRC skewed = reinterpret_cast<HRSRC>(reinterpret_cast<char*>(r) + 1);
    EXPECT_EQ(LoadResource(m, skewed), nullptr);
    EXPECT_EQ(SizeofResource(m, nullptr), 0u);
    FreeLibrary(bare);
}

TEST(Resources, TheProgramCarriesItsOwn) {
    HRSRC r = FindResourceA(nullptr, MAKEINTRESOURCEA(1), RT_VERSION);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), RT_VERSION), r);
    char buf[64];
    EXPECT_EQ(LoadStringA(nullptr, 1, buf, sizeof buf), 14);
    EXPECT_STREQ(buf, "program string");
    // The test module's strings are not the program's.
    EXPECT_EQ(LoadStringA(nullptr, IDS_SUPPORT, buf, sizeof buf), 0);
}

TEST(Resources, AProgramOpenedAsADataFileShowsItsResourcesButNoCode) {
    char self[4096];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
    // The running program itself is already a module: that handle comes back.
    HMODULE program = LoadLibraryExA(self, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_EQ(program, GetModuleHandleA(nullptr));
    // A copy of it is another file: a data module of its own, never executed.
    std::string copy = std::filesystem::temp_directory_path() / ("restest-copy-" + std::to_string(getpid()));
    std::filesystem::copy_file(self, copy, std::filesystem::copy_options::overwrite_existing);
    HMODULE data = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(data, nullptr);
    EXPECT_NE(data, program);
    char buf[64];
    EXPECT_EQ(LoadStringA(data, 1, buf, sizeof buf), 14);
    EXPECT_STREQ(buf, "program string");
    EXPECT_EQ(GetProcAddress(data, "main"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    // A second open shares the record; both frees are needed.
    EXPECT_EQ(LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE), data);
    EXPECT_TRUE(FreeLibrary(data));
    EXPECT_EQ(LoadStringA(data, 1, buf, sizeof buf), 14);
    EXPECT_TRUE(FreeLibrary(data));
    EXPECT_EQ(LoadStringA(data, 1, buf, sizeof buf), 0);
    std::filesystem::remove(copy);
    // Missing files and unknown flags are refused.
    EXPECT_EQ(LoadLibraryExA("/nonexistent/file.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
    EXPECT_EQ(LoadLibraryExA(self, nullptr, 0x1000), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(Strings, LoadStringCopiesTruncatesAndTerminates) {
    HMODULE m = resmod();
    char buf[64];
    EXPECT_EQ(LoadStringA(m, 0, buf, sizeof buf), 4);
    EXPECT_STREQ(buf, "zero");
    EXPECT_EQ(LoadStringA(m, 15, buf, sizeof buf), 7);
    EXPECT_STREQ(buf, "fifteen");
    EXPECT_EQ(LoadStringA(m, 16, buf, sizeof buf), 7);
    EXPECT_STREQ(buf, "sixteen");
    EXPECT_EQ(LoadStringA(m, IDS_SUPPORT, buf, sizeof buf), 24);
    EXPECT_STREQ(buf, "https://support.invalid/");
    EXPECT_EQ(LoadStringA(m, IDS_LONG, buf, sizeof buf), 30);  // adjacent strings join
    // 8-bit text comes back byte for byte.
    EXPECT_EQ(LoadStringA(m, IDS_HIGH, buf, sizeof buf), 7);
    EXPECT_STREQ(buf, "Gr\xC3\xBC\xC3\x9F" "e");

    // Truncation: at most size - 1 characters and a NUL.
    EXPECT_EQ(LoadStringA(m, 15, buf, 5), 4);
    EXPECT_STREQ(buf, "fift");
    EXPECT_EQ(LoadStringA(m, 15, buf, 8), 7);
    EXPECT_STREQ(buf, "fifteen");
    EXPECT_EQ(LoadStringA(m, 15, buf, 1), 0);
    EXPECT_STREQ(buf, "");

    // Missing strings: an empty slot of a block, a missing block.
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(LoadStringA(m, 14, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(LoadStringA(m, 5000, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");

    // No buffer, or no room: nothing is written.
    EXPECT_EQ(LoadStringA(m, 0, nullptr, 10), 0);
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(LoadStringA(m, 0, buf, 0), 0);
    EXPECT_EQ(buf[0], 'x');
}

TEST(Strings, StoredInBlocksOfSixteen) {
    HMODULE m = resmod();
    Bytes first;  // ids 0 to 15
    first.u16(4);
    for (char c : std::string("zero")) first.u16(static_cast<unsigned char>(c));
    for (int i = 1; i < 15; ++i) first.u16(0);
    first.u16(7);
    for (char c : std::string("fifteen")) first.u16(static_cast<unsigned char>(c));
    EXPECT_EQ(resourceBytes(m, MAKEINTRESOURCEA(1), RT_STRING), first.b);

    std::vector<uint8_t> block = resourceBytes(m, MAKEINTRESOURCEA(IDS_SUPPORT / 16 + 1), RT_STRING);
    ASSERT_EQ(block.size(), 2u * 16 + 2u * 24);
    // Id 103 is slot 7 of block 7: seven empty slots before it.
    for (int i = 0; i < 7; ++i) EXPECT_EQ(block[2 * i] | block[2 * i + 1] << 8, 0) << i;
    EXPECT_EQ(block[14] | block[15] << 8, 24);
    EXPECT_EQ(block[16], 'h');
}

TEST(Dialogs, ExtendedTemplateLayout) {
    Bytes t;
    t.u16(1).u16(0xFFFF).u32(0).u32(0x00010000 /* WS_EX_CONTROLPARENT */)
        .u32(0x80C00040 /* WS_POPUP | WS_CAPTION | DS_SETFONT */).u16(4);
    t.u16(0).u16(0).u16(200).u16(100);
    t.u16(0).u16(0).wstr("Page");                    // no menu, default class, title
    t.u16(8).u16(600).u8(1).u8(0).wstr("Helv");      // font
    t.align4().u32(0).u32(0).u32(0x50020000);        // LTEXT: child, visible, group, SS_LEFT
    t.u16(5).u16(6).u16(50).u16(8).u32(0xFFFFFFFF).u16(0xFFFF).u16(0x82).wstr("Hi").u16(0);
    t.align4().u32(0).u32(0).u32(0x50010080);        // EDITTEXT: tab stop, ES_AUTOHSCROLL, no border
    t.u16(5).u16(20).u16(100).u16(12).u32(1001).u16(0xFFFF).u16(0x81).u16(0).u16(0);
    t.align4().u32(0).u32(0x200).u32(0x50800001);    // CONTROL: LVS_REPORT | WS_BORDER, client edge
    t.u16(5).u16(40).u16(100).u16(50).u32(1002).wstr("SysListView32").u16(0).u16(0);
    t.align4().u32(0).u32(0).u32(0x50000003);        // ICON: SS_ICON, named icon
    t.u16(150).u16(5).u16(0).u16(0).u32(0xFFFFFFFF).u16(0xFFFF).u16(0x82).wstr("tabicon").u16(0);

    std::vector<uint8_t> bytes = resourceBytes(resmod(), MAKEINTRESOURCEA(IDD_PAGE), RT_DIALOG);
    EXPECT_EQ(bytes, t.b);
    // The style word of an extended template is at offset 12.
    ASSERT_GE(bytes.size(), sizeof(DLGTEMPLATEEX_HEAD));
    DLGTEMPLATEEX_HEAD head;
    std::memcpy(&head, bytes.data(), sizeof head);
    EXPECT_EQ(head.signature, 0xFFFF);
    EXPECT_EQ(head.style, 0x80C00040u);
    EXPECT_EQ(offsetof(DLGTEMPLATEEX_HEAD, style), 12u);
}

TEST(Accelerators, TableLayout) {
    Bytes t;
    t.u16(0x01).u16(0x70).u16(180).u16(0);          // VK_F1, VIRTKEY
    t.u16(0x00).u16(0x03).u16(101).u16(0);          // "^C": control character 3
    t.u16(0x01 | 0x04 | 0x08 | 0x80).u16('A').u16(102).u16(0);  // last entry flagged
    EXPECT_EQ(resourceBytes(resmod(), MAKEINTRESOURCEA(IDA_MAIN), RT_ACCELERATOR), t.b);
}
