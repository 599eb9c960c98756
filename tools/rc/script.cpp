#include "script.h"

#include "preproc.h"
#include "statements.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace fs = std::filesystem;

namespace rc {

bool ResId::operator<(const ResId& o) const {
    // Names before ids, as in the familiar resource directories.
    if (isName != o.isName) return isName;
    return isName ? name < o.name : id < o.id;
}

namespace {

class Compiler {
public:
    Compiler(const std::string& path, const std::vector<std::string>& includeDirs)
        : scriptDir_(fs::path(path).parent_path().string()), includeDirs_(includeDirs) {}

    void run(TokenStream& ts);
    Script& script() { return script_; }

private:
    ResId resourceName(TokenStream& ts);
    void statement(TokenStream& ts, const ResId& name);
    std::string dataFile(TokenStream& ts);
    void add(ResId type, ResId name, Bytes data, const Origin& at);

    std::string scriptDir_;
    std::vector<std::string> includeDirs_;
    Script script_;
    std::map<uint16_t, std::pair<std::string, Origin>> strings_;
    uint16_t nextIconImage_ = 1;
};

void Compiler::run(TokenStream& ts) {
    while (!ts.atEnd()) {
        if (ts.acceptKeyword("STRINGTABLE")) {
            parseStringTable(ts, strings_);
        } else if (ts.acceptKeyword("LANGUAGE")) {
            evalExpr(ts);
            ts.expectPunct(",");
            evalExpr(ts);
        } else if (ts.acceptKeyword("VERSION") || ts.acceptKeyword("CHARACTERISTICS")) {
            evalExpr(ts);
        } else {
            ResId name = resourceName(ts);
            statement(ts, name);
        }
    }
    for (Resource& r : buildStringBlocks(strings_)) add(r.type, r.name, std::move(r.data), r.at);
}

// A name: a quoted string or a bare word is a name; a number (or a
// #defined id, which the preprocessor made a number) is an id.
ResId Compiler::resourceName(TokenStream& ts) {
    const Token& t = ts.peek();
    if (t.kind == Tok::String) return ResId::named(ts.expectString());
    if (t.kind == Tok::Ident && !builtinConstant(t.text)) return ResId::named(ts.next().text);
    return ResId::number(expectWord(ts, "a resource id"));
}

std::string Compiler::dataFile(TokenStream& ts) {
    Origin at = ts.where();
    std::string name = ts.expectString();
    std::vector<std::string> dirs{scriptDir_.empty() ? "." : scriptDir_};
    dirs.insert(dirs.end(), includeDirs_.begin(), includeDirs_.end());
    fs::path found;
    if (fs::path(name).is_absolute()) {
        found = name;
    } else {
        for (const std::string& d : dirs)
            if (fs::is_regular_file(fs::path(d) / name)) {
                found = fs::path(d) / name;
                break;
            }
    }
    if (found.empty() || !fs::is_regular_file(found)) throw Error(at, "cannot find file " + name);
    std::string abs = fs::absolute(found).lexically_normal().string();
    script_.files.insert(abs);
    return abs;
}

void Compiler::add(ResId type, ResId name, Bytes data, const Origin& at) {
    for (const Resource& r : script_.resources)
        if (r.type == type && r.name == name)
            throw Error(at, "resource " + name.describe() + " of type " + type.describe() +
                                " defined twice (first at " + r.at.file + ":" + std::to_string(r.at.line) + ")");
    script_.resources.push_back(Resource{std::move(type), std::move(name), std::move(data), at});
}

void Compiler::statement(TokenStream& ts, const ResId& name) {
    Origin at = ts.where();
    const Token& t = ts.peek();
    if (t.isKeyword("ICON")) {
        ts.next();
        skipMemoryOptions(ts);
        // One or more PNG files: the sizes of one icon.
        std::vector<PngInfo> images;
        std::vector<uint16_t> ids;
        do {
            images.push_back(readPng(dataFile(ts), at));
            ids.push_back(nextIconImage_++);
            add(ResId::number(kRtIcon), ResId::number(ids.back()), images.back().data, at);
        } while (ts.acceptPunct(","));
        add(ResId::number(kRtGroupIcon), name, buildIconGroup(images, ids), at);
    } else if (t.isKeyword("BITMAP")) {
        ts.next();
        skipMemoryOptions(ts);
        add(ResId::number(kRtBitmap), name, readPng(dataFile(ts), at).data, at);
    } else if (t.isKeyword("DIALOGEX") || t.isKeyword("DIALOG")) {
        bool extended = t.isKeyword("DIALOGEX");
        ts.next();
        skipMemoryOptions(ts);
        add(ResId::number(kRtDialog), name, parseDialog(ts, extended), at);
    } else if (t.isKeyword("MENU")) {
        ts.next();
        skipMemoryOptions(ts);
        add(ResId::number(kRtMenu), name, parseMenu(ts), at);
    } else if (t.isKeyword("VERSIONINFO")) {
        ts.next();
        add(ResId::number(kRtVersion), name, parseVersionInfo(ts), at);
    } else if (t.isKeyword("ACCELERATORS")) {
        ts.next();
        add(ResId::number(kRtAccelerator), name, parseAccelerators(ts), at);
    } else if (t.isKeyword("CURSOR")) {
        // A PNG file, then optionally the hot spot: name CURSOR "file.png", x, y
        ts.next();
        skipMemoryOptions(ts);
        PngInfo png = readPng(dataFile(ts), at);
        if (png.width > 256 || png.height > 256) throw Error(at, "a cursor image is at most 256 x 256 pixels");
        uint16_t hotX = 0, hotY = 0;
        if (ts.acceptPunct(",")) {
            hotX = expectWord(ts, "the hot spot's x");
            if (!ts.acceptPunct(",")) throw Error(at, "expected ', y' after the hot spot's x");
            hotY = expectWord(ts, "the hot spot's y");
        }
        if (hotX >= png.width || hotY >= png.height) throw Error(at, "the hot spot lies outside the cursor image");
        uint16_t id = nextIconImage_++;
        add(ResId::number(kRtCursor), ResId::number(id), buildCursorImage(png, hotX, hotY), at);
        add(ResId::number(kRtGroupCursor), name, buildCursorGroup(png, id), at);
    } else if (t.isKeyword("MENUEX")) {
        throw Error(at, t.text + " resources are not supported (use MENU for menus)");
    } else {
        // RCDATA or a user type (PNG, HELP, a number...): a file's bytes, or
        // a BEGIN ... END block of data.
        ResId type;
        if (t.isKeyword("RCDATA")) {
            ts.next();
            type = ResId::number(kRtRcdata);
        } else if (t.kind == Tok::String) {
            type = ResId::named(ts.expectString());
        } else if (t.kind == Tok::Ident && !builtinConstant(t.text)) {
            type = ResId::named(ts.next().text);
        } else if (t.kind == Tok::Number) {
            type = ResId::number(expectWord(ts, "a resource type"));
        } else {
            throw Error(at, "expected a resource type after " + name.describe() + " but found '" + t.text + "'");
        }
        skipMemoryOptions(ts);
        if (ts.peek().kind == Tok::String) {
            std::string file = dataFile(ts);
            std::ifstream in(file, std::ios::binary);
            Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (!in.good() && !in.eof()) throw Error(at, "cannot read " + file);
            add(type, name, std::move(data), at);
        } else {
            add(type, name, parseRawData(ts), at);
        }
    }
}

}  // namespace

Script compileScript(const std::string& path, const std::vector<std::string>& includeDirs,
                     const std::vector<std::pair<std::string, std::string>>& defines) {
    Preprocessor pp(includeDirs);
    pp.define("RC_INVOKED", "1");
    for (const auto& [name, value] : defines) pp.define(name, value);
    pp.run(path);
    Compiler c(path, includeDirs);
    // Errors at the end of the script point at its last line.
    Origin end = pp.tokens().empty() ? Origin{path, 1} : pp.tokens().back().at;
    TokenStream ts(pp.tokens(), end);
    c.run(ts);
    Script& s = c.script();
    s.files.insert(pp.files().begin(), pp.files().end());
    return std::move(s);
}

}  // namespace rc
