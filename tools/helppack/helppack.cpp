// helppack FOLDER OUTPUT.hlp: packs a folder of help pages into a help
// archive. The folder must hold "help.map"; every page the map names must
// exist, so a broken link is a build error rather than a dead help button.
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

void listFiles(const std::string &root, const std::string &relative, std::vector<std::string> &out) {
    std::string dir = relative.empty() ? root : root + "/" + relative;
    DIR *d = opendir(dir.c_str());
    if (!d) return;
    while (dirent *e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string rel = relative.empty() ? name : relative + "/" + name;
        struct stat st {};
        if (stat((root + "/" + rel).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) listFiles(root, rel, out);
        else if (S_ISREG(st.st_mode)) out.push_back(rel);
    }
    closedir(d);
}

std::string trim(const std::string &s) {
    size_t a = s.find_first_not_of(" \t\r"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// Checks the map: "key = value" lines; numbers and "contents" name pages of
// the folder.
bool checkMap(const std::string &root, const std::vector<std::string> &files) {
    std::ifstream in(root + "/help.map");
    std::string line;
    int number = 0;
    bool ok = true;
    auto exists = [&](const std::string &page) { return std::find(files.begin(), files.end(), page) != files.end(); };
    while (std::getline(in, line)) {
        ++number;
        line = trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) {
            std::fprintf(stderr, "help.map:%d: expected key = value\n", number);
            ok = false;
            continue;
        }
        std::string key = trim(line.substr(0, eq)), value = trim(line.substr(eq + 1));
        bool numeric = !key.empty() && key.find_first_not_of("0123456789") == std::string::npos && key.size() <= 10;
        if (key == "title") continue;
        if (key != "contents" && key != "popups" && !numeric) {
            std::fprintf(stderr, "help.map:%d: unknown key '%s'\n", number, key.c_str());
            ok = false;
            continue;
        }
        std::string page = value.substr(0, value.find('#'));
        if (!exists(page)) {
            std::fprintf(stderr, "help.map:%d: '%s' is not in the folder\n", number, page.c_str());
            ok = false;
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: helppack FOLDER OUTPUT.hlp\n");
        return 2;
    }
    std::string root = argv[1], output = argv[2];
    std::vector<std::string> files;
    listFiles(root, "", files);
    std::sort(files.begin(), files.end());
    if (std::find(files.begin(), files.end(), "help.map") == files.end()) {
        std::fprintf(stderr, "%s: no help.map\n", root.c_str());
        return 1;
    }
    if (!checkMap(root, files)) return 1;
    std::string temp = output + ".tmp";
    std::remove(temp.c_str());
    int error = 0;
    zip_t *zip = zip_open(temp.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
    if (!zip) {
        std::fprintf(stderr, "%s: cannot create (libzip error %d)\n", temp.c_str(), error);
        return 1;
    }
    for (const std::string &file : files) {
        zip_source_t *source = zip_source_file(zip, (root + "/" + file).c_str(), 0, -1);
        zip_int64_t index = source ? zip_file_add(zip, file.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            std::fprintf(stderr, "%s: %s\n", file.c_str(), zip_strerror(zip));
            zip_discard(zip);
            return 1;
        }
        // Fixed times keep the archive the same from build to build.
        zip_file_set_mtime(zip, static_cast<zip_uint64_t>(index), 315532800, 0);
    }
    if (zip_close(zip) != 0) {
        std::fprintf(stderr, "%s: %s\n", temp.c_str(), zip_strerror(zip));
        zip_discard(zip);
        return 1;
    }
    if (std::rename(temp.c_str(), output.c_str()) != 0) {
        std::perror(output.c_str());
        return 1;
    }
    return 0;
}
