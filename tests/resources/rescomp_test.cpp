// The resource compiler run on scripts written by the tests: preprocessing,
// names and ids, and the errors it reports with file and line.
#include "restest.h"

#include "res_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/wait.h>

using namespace restest;

namespace {

struct CompilerRun {
    int status = -1;
    std::string output;  // stderr and stdout
};

CompilerRun rescomp(const std::string& args) {
    CompilerRun r;
    std::string cmd = std::string(RESCOMP_PATH) + " " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

void writeText(const std::string& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// "type/name" of every entry of a compiled blob: ids as numbers, names as text.
std::set<std::string> entries(const std::vector<uint8_t>& blob) {
    std::set<std::string> out;
    ResBlobHeader h;
    if (blob.size() < sizeof h) return out;
    std::memcpy(&h, blob.data(), sizeof h);
    EXPECT_EQ(h.magic, RES_BLOB_MAGIC);
    EXPECT_EQ(h.totalSize, blob.size());
    auto field = [&](uint32_t f) {
        if (!(f & RES_NAME_FLAG)) return std::to_string(f);
        return std::string(reinterpret_cast<const char*>(&blob[f & ~RES_NAME_FLAG]));
    };
    for (uint32_t i = 0; i < h.entryCount; ++i) {
        ResBlobEntry e;
        std::memcpy(&e, &blob[sizeof h + i * sizeof e], sizeof e);
        EXPECT_EQ(e.dataOffset % 4, 0u);
        EXPECT_LE(e.dataOffset + e.dataSize, blob.size());
        out.insert(field(e.type) + "/" + field(e.name));
    }
    return out;
}

}  // namespace

TEST(Rescomp, PreprocessingNamesAndIds) {
    TempDir dir;
    writeText(dir.file("ids.h"),
              "#ifndef IDS_H\n#define IDS_H\n#define IDS_A 101\n#define IDS_B (IDS_A + 16)\n"
              "#define IDD_X 10\nstruct NotForResources { int x; };\nint f(void);\n#endif\n");
    std::filesystem::create_directories(dir.file("sub"));
    writeText(dir.file("sub/inner.rc"), "STRINGTABLE { IDS_B, \"from inner\" }\n");
    writeText(dir.file("data.bin"), "xyz");
    writeText(dir.file("t.rc"),
              "\xEF\xBB\xBF#include \"ids.h\"\r\n"
              "#include <windows.h>\n"
              "#include \"sub/inner.rc\"\n"
              "/* a comment\n   over lines */\n"
              "#ifdef FROM_COMMAND_LINE\n"
              "named RCDATA \"data.bin\"\n"
              "#else\n"
              "other RCDATA \"data.bin\"\n"
              "#endif\n"
              "#if defined(IDS_A) && IDS_A > 100\n"
              "IDD_X HELP \"data.bin\" // an id from the header\n"
              "#elif 1\n"
              "wrong HELP \"data.bin\"\n"
              "#endif\n"
              "#if 0\n#error not this\n#endif\n"
              "\"Quoted Name\" 300 \"data.bin\"\n"
              "STRINGTABLE\nBEGIN\n  IDS_A \"http://not.a.comment/\"\nEND\n");
    std::string out = dir.file("t.res"), dep = dir.file("t.d");
    CompilerRun r = rescomp("-DFROM_COMMAND_LINE -o " + out + " -d " + dep + " " + dir.file("t.rc"));
    ASSERT_EQ(r.status, 0) << r.output;
    std::set<std::string> expected{"10/NAMED", "HELP/10", "300/QUOTED NAME", "6/7", "6/8"};
    EXPECT_EQ(entries(readFile(out)), expected);

    // The dependency file lists every file read.
    std::vector<uint8_t> d = readFile(dep);
    std::string deps(d.begin(), d.end());
    for (const char* f : {"t.rc", "ids.h", "sub/inner.rc", "data.bin"})
        EXPECT_NE(deps.find(dir.file(f)), std::string::npos) << f << "\n" << deps;
}

TEST(Rescomp, ErrorsNameFileAndLine) {
    struct Case {
        const char* script;
        const char* message;
        int line;
    } cases[] = {
        {"1 HELP \"data.bin\"\n1 HELP \"data.bin\"\n", "defined twice", 2},
        {"\n\nx ICON \"missing.png\"\n", "cannot find file missing.png", 3},
        {"x ICON \"data.bin\"\n", "is not a PNG image", 1},
        {"STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n", "string 1 defined twice", 4},
        {"1 DIALOGEX 0, 0, 10, 10\nSTYLE WS_CHILD | NO_SUCH_STYLE\nBEGIN\nEND\n", "unknown name 'NO_SUCH_STYLE'", 2},
        {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  BUTTONX \"a\", 1, 0, 0, 1, 1\nEND\n", "unknown control statement", 3},
        {"1 VERSIONINFO\nBEGIN\n  BLOCK \"StringFileInfo\"\n  BEGIN\n    VALUE \"a\", \"b\", 3\n", "mixes text", 5},
        {"STRINGTABLE\nBEGIN\n 1 \"open\n", "unterminated string", 3},
        {"#include \"nowhere.h\"\n", "cannot find include file", 1},
        {"#if 1\n1 HELP \"data.bin\"\n", "#if without #endif", 2},
        {"x MENU\nBEGIN\nEND\n", "an empty MENU", 2},
        {"x MENUEX\nBEGIN\nEND\n", "not supported", 1},
        {"70000 HELP \"data.bin\"\n", "must be 1 to 65535", 1},
        {"1 ACCELERATORS\nBEGIN\n \"^C\", 1, VIRTKEY\nEND\n", "not a virtual key", 3},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeText(dir.file("data.bin"), "not an image");
        writeText(dir.file("bad.rc"), c.script);
        std::string out = dir.file("bad.res");
        CompilerRun r = rescomp("-o " + out + " " + dir.file("bad.rc"));
        EXPECT_EQ(r.status, 1) << c.script;
        std::string where = dir.file("bad.rc") + ":" + std::to_string(c.line) + ":";
        EXPECT_NE(r.output.find(where), std::string::npos) << c.script << "\n" << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << c.script << "\n" << r.output;
        EXPECT_TRUE(readFile(out).empty()) << "no output after an error";
    }
    EXPECT_EQ(rescomp("").status, 2);  // usage
}
