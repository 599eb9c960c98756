#include "preproc.h"

#include "expr.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace rc {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("cannot read " + path);
    std::ostringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);  // UTF-8 byte order mark
    return text;
}

// Replaces comments by blanks (keeping line breaks) outside strings.
std::string stripComments(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    bool inString = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (inString) {
            out += c;
            if (c == '\\' && i + 1 < s.size() && s[i + 1] != '\n') out += s[++i];
            else if (c == '"') inString = false;
            else if (c == '\n') inString = false;  // unterminated: the lexer reports it
            continue;
        }
        if (c == '"') {
            inString = true;
            out += c;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
            while (i < s.size() && s[i] != '\n') ++i;
            if (i < s.size()) out += '\n';
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            i += 2;
            while (i < s.size() && !(s[i] == '*' && i + 1 < s.size() && s[i + 1] == '/')) {
                if (s[i] == '\n') out += '\n';
                ++i;
            }
            ++i;
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

bool isHeaderFile(const std::string& path) {
    std::string ext = upper(fs::path(path).extension().string());
    return ext == ".H" || ext == ".HPP" || ext == ".HH" || ext == ".C";
}

}  // namespace

void Preprocessor::define(const std::string& name, const std::string& value) {
    macros_[name] = lexLine(value, Origin{"<command line>", 0});
}

void Preprocessor::run(const std::string& path) {
    processFile(path, isHeaderFile(path), 0);
    if (!conds_.empty()) throw Error(path + ": #if without #endif");
}

void Preprocessor::processFile(const std::string& path, bool directivesOnly, int depth) {
    if (depth > 32) throw Error(path + ": #include nested too deeply");
    files_.insert(fs::absolute(path).lexically_normal().string());
    std::string text = stripComments(readFile(path));
    size_t condDepth = conds_.size();
    std::istringstream lines(text);
    std::string raw;
    int lineNo = 0;
    while (std::getline(lines, raw)) {
        ++lineNo;
        Origin at{path, lineNo};
        // Joined continuation lines.
        while (!raw.empty() && (raw.back() == '\\' || raw.back() == '\r')) {
            bool cont = raw.back() == '\\';
            raw.pop_back();
            if (!cont) continue;
            std::string next;
            if (!std::getline(lines, next)) break;
            ++lineNo;
            raw += next;
        }
        size_t first = raw.find_first_not_of(" \t");
        if (first == std::string::npos) continue;
        if (raw[first] == '#') {
            size_t p = raw.find_first_not_of(" \t", first + 1);
            size_t e = p == std::string::npos ? raw.size() : raw.find_first_of(" \t(\"<", p);
            std::string dir = p == std::string::npos ? "" : raw.substr(p, (e == std::string::npos ? raw.size() : e) - p);
            std::string body = e == std::string::npos ? "" : raw.substr(e);
            directive(body, at, dir, directivesOnly, depth);
            continue;
        }
        if (!active() || directivesOnly) continue;
        std::set<std::string> busy;
        expand(lexLine(raw, at), out_, busy);
    }
    if (conds_.size() != condDepth) throw Error(Origin{path, lineNo}, "#if without #endif");
}

void Preprocessor::directive(const std::string& body, const Origin& at, const std::string& dir,
                             bool directivesOnly, int depth) {
    if (dir == "if" || dir == "ifdef" || dir == "ifndef") {
        bool parent = active();
        bool value = false;
        if (parent) {
            std::vector<Token> toks = lexLine(body, at);
            if (dir == "if") {
                value = evalCondition(toks, at);
            } else {
                if (toks.size() != 1 || toks[0].kind != Tok::Ident) throw Error(at, "#" + dir + " needs a name");
                value = macros_.count(toks[0].text) != 0;
                if (dir == "ifndef") value = !value;
            }
        }
        conds_.push_back(Cond{parent, value, parent && value, false});
        return;
    }
    if (dir == "elif" || dir == "else") {
        if (conds_.empty()) throw Error(at, "#" + dir + " without #if");
        Cond& c = conds_.back();
        if (c.sawElse) throw Error(at, "#" + dir + " after #else");
        bool value = false;
        if (c.parentActive && !c.taken) value = dir == "else" ? true : evalCondition(lexLine(body, at), at);
        c.active = c.parentActive && !c.taken && value;
        c.taken = c.taken || c.active;
        c.sawElse = dir == "else";
        return;
    }
    if (dir == "endif") {
        if (conds_.empty()) throw Error(at, "#endif without #if");
        conds_.pop_back();
        return;
    }
    if (!active()) return;
    if (dir == "define") {
        size_t p = body.find_first_not_of(" \t");
        if (p == std::string::npos) throw Error(at, "#define needs a name");
        size_t e = p;
        while (e < body.size() && (std::isalnum(static_cast<unsigned char>(body[e])) || body[e] == '_')) ++e;
        std::string name = body.substr(p, e - p);
        if (name.empty()) throw Error(at, "#define needs a name");
        if (e < body.size() && body[e] == '(') return;  // function-like macros are of no use to resources
        macros_[name] = lexLine(body.substr(e), at);
    } else if (dir == "undef") {
        std::vector<Token> toks = lexLine(body, at);
        if (toks.size() != 1 || toks[0].kind != Tok::Ident) throw Error(at, "#undef needs a name");
        macros_.erase(toks[0].text);
    } else if (dir == "include") {
        size_t p = body.find_first_not_of(" \t");
        if (p == std::string::npos) throw Error(at, "#include needs a file name");
        bool angled = body[p] == '<';
        char close = angled ? '>' : '"';
        if (!angled && body[p] != '"') throw Error(at, "#include needs \"file\" or <file>");
        size_t e = body.find(close, p + 1);
        if (e == std::string::npos) throw Error(at, "unterminated #include file name");
        std::string name = body.substr(p + 1, e - p - 1);
        std::string found = resolveInclude(name, fs::path(at.file).parent_path().string(), angled);
        if (found.empty()) {
            // System headers of the familiar toolchain only carry constants that
            // the compiler knows already.
            if (angled) return;
            throw Error(at, "cannot find include file " + name);
        }
        processFile(found, directivesOnly || isHeaderFile(found), depth + 1);
    } else if (dir == "error") {
        throw Error(at, "#error" + body);
    } else if (dir == "pragma" || dir == "line" || dir.empty()) {
        // nothing to do
    } else {
        throw Error(at, "unknown directive #" + dir);
    }
}

std::string Preprocessor::resolveInclude(const std::string& name, const std::string& fromDir, bool angled) const {
    if (fs::path(name).is_absolute()) return fs::exists(name) ? name : "";
    std::vector<std::string> dirs;
    if (!angled) dirs.push_back(fromDir.empty() ? "." : fromDir);
    dirs.insert(dirs.end(), includeDirs_.begin(), includeDirs_.end());
    for (const std::string& d : dirs) {
        fs::path p = fs::path(d) / name;
        if (fs::is_regular_file(p)) return p.string();
    }
    return "";
}

bool Preprocessor::evalCondition(const std::vector<Token>& toks, const Origin& at) {
    // defined NAME / defined(NAME) first, then macros; unknown names are 0.
    std::vector<Token> pre;
    for (size_t i = 0; i < toks.size(); ++i) {
        if (toks[i].kind == Tok::Ident && toks[i].text == "defined") {
            size_t j = i + 1;
            bool paren = j < toks.size() && toks[j].isPunct("(");
            if (paren) ++j;
            if (j >= toks.size() || toks[j].kind != Tok::Ident) throw Error(at, "defined needs a name");
            Token t = toks[j];
            t.kind = Tok::Number;
            t.value = macros_.count(toks[j].text) ? 1 : 0;
            pre.push_back(t);
            i = j;
            if (paren) {
                if (i + 1 >= toks.size() || !toks[i + 1].isPunct(")")) throw Error(at, "missing ) after defined");
                ++i;
            }
            continue;
        }
        pre.push_back(toks[i]);
    }
    std::vector<Token> expanded;
    std::set<std::string> busy;
    expand(pre, expanded, busy);
    for (Token& t : expanded)
        if (t.kind == Tok::Ident) {
            t.kind = Tok::Number;
            t.value = 0;
        }
    TokenStream ts(expanded, at);
    int64_t v = evalExpr(ts);
    if (!ts.atEnd()) throw Error(at, "unexpected text in #if: " + ts.peek().text);
    return v != 0;
}

void Preprocessor::expand(const std::vector<Token>& in, std::vector<Token>& out, std::set<std::string>& busy) const {
    for (const Token& t : in) {
        if (t.kind == Tok::Ident && !busy.count(t.text)) {
            auto m = macros_.find(t.text);
            if (m != macros_.end()) {
                busy.insert(t.text);
                std::vector<Token> body = m->second;
                for (Token& b : body) b.at = t.at;
                expand(body, out, busy);
                busy.erase(t.text);
                continue;
            }
        }
        out.push_back(t);
    }
}

}  // namespace rc
