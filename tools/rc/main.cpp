// rescomp: compiles a resource script into the resource blob that a module
// carries in its ".note.zelrsrc" section.
//
//   rescomp [-I dir]... [-D name[=value]]... -o out.res [-d out.d] script.rc
//
// -d writes a make-style dependency file listing every file the script read.
#include "blob.h"
#include "script.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace {

int usage() {
    std::cerr << "usage: rescomp [-I dir]... [-D name[=value]]... -o out.res [-d out.d] script.rc\n";
    return 2;
}

std::string makeEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '#' || c == '\\') out += '\\';
        if (c == '$') out += '$';
        out += c;
    }
    return out;
}

bool writeFile(const std::string& path, const std::string& data) {
    std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out.write(data.data(), static_cast<std::streamsize>(data.size()))) return false;
    }
    return std::rename(tmp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> includeDirs;
    std::vector<std::pair<std::string, std::string>> defines;
    std::string output, depfile, script;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& dst) {
            if (a.size() > 2) dst = a.substr(2);
            else if (i + 1 < argc) dst = argv[++i];
            else return false;
            return true;
        };
        std::string v;
        if (a.rfind("-I", 0) == 0) {
            if (!value(v)) return usage();
            includeDirs.push_back(v);
        } else if (a.rfind("-D", 0) == 0) {
            if (!value(v)) return usage();
            size_t eq = v.find('=');
            defines.emplace_back(v.substr(0, eq), eq == std::string::npos ? "1" : v.substr(eq + 1));
        } else if (a.rfind("-o", 0) == 0) {
            if (!value(output)) return usage();
        } else if (a.rfind("-d", 0) == 0) {
            if (!value(depfile)) return usage();
        } else if (a.empty() || a[0] == '-' || !script.empty()) {
            return usage();
        } else {
            script = a;
        }
    }
    if (script.empty() || output.empty()) return usage();
    try {
        rc::Script s = rc::compileScript(script, includeDirs, defines);
        rc::Bytes blob = rc::buildBlob(std::move(s.resources));
        if (!writeFile(output, std::string(blob.begin(), blob.end()))) {
            std::cerr << "rescomp: cannot write " << output << ": " << std::strerror(errno) << "\n";
            return 1;
        }
        if (!depfile.empty()) {
            std::string d = makeEscape(output) + ":";
            for (const std::string& f : s.files) d += " \\\n  " + makeEscape(f);
            d += "\n";
            if (!writeFile(depfile, d)) {
                std::cerr << "rescomp: cannot write " << depfile << "\n";
                return 1;
            }
        }
    } catch (const rc::Error& e) {
        std::cerr << "rescomp: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "rescomp: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
