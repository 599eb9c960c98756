// dlgshot: writes every dialog template of modules as PNG pictures, laid out
// and showing the texts of their controls, so that dialogs can be reviewed
// without a desktop.
//
//   dlgshot --out DIR MODULE...
//
// Each picture is DIR/<module>-<id>.png (<module> is the file name without
// its extension; <id> the template's number or name). Child templates
// (settings pages) are placed in a plain frame of their size. Controls whose
// class is not available are left out and counted on standard error.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Job {
    HMODULE module;
    std::string stem;
    std::string outDir;
    int written = 0;
    int failed = 0;
};

bool isExtended(const uint8_t *t) { return t[0] == 1 && t[1] == 0 && t[2] == 0xFF && t[3] == 0xFF; }
size_t styleOffset(const uint8_t *t) { return isExtended(t) ? 12 : 0; }
size_t countOffset(const uint8_t *t) { return isExtended(t) ? 16 : 8; }

int childCount(HWND h) {
    int n = 0;
    for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++n;
    return n;
}

BOOL CALLBACK shoot(HMODULE module, LPCSTR, LPSTR name, LONG_PTR param) {
    auto *job = reinterpret_cast<Job *>(param);
    std::string id = IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<uintptr_t>(name)) : std::string(name);
    HRSRC res = FindResourceA(module, name, RT_DIALOG);
    DWORD size = res ? SizeofResource(module, res) : 0;
    const void *data = res ? LockResource(LoadResource(module, res)) : nullptr;
    if (!data || size < 18) {
        std::fprintf(stderr, "dlgshot: %s-%s: unreadable template\n", job->stem.c_str(), id.c_str());
        ++job->failed;
        return TRUE;
    }
    // A copy whose style keeps the dialog when one of its controls cannot be made.
    std::vector<uint8_t> copy(static_cast<const uint8_t *>(data), static_cast<const uint8_t *>(data) + size);
    DWORD style;
    std::memcpy(&style, copy.data() + styleOffset(copy.data()), 4);
    style |= DS_NOFAILCREATE;
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    bool child = (style & (WS_CHILD | DS_CONTROL)) != 0;
    std::memcpy(copy.data() + styleOffset(copy.data()), &style, 4);
    WORD items;
    std::memcpy(&items, copy.data() + countOffset(copy.data()), 2);

    HWND frame = nullptr;
    if (child) {
        frame = CreateWindowExA(0, "#32770", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    HWND dlg = CreateDialogIndirectParamA(module, reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), frame, nullptr, 0);
    if (!dlg) {
        std::fprintf(stderr, "dlgshot: %s-%s: the dialog could not be created (error %lu)\n", job->stem.c_str(),
                     id.c_str(), static_cast<unsigned long>(GetLastError()));
        ++job->failed;
        if (frame) DestroyWindow(frame);
        return TRUE;
    }
    HWND shot = dlg;
    if (frame) {
        RECT r;
        GetWindowRect(dlg, &r);
        MoveWindow(frame, 0, 0, r.right - r.left, r.bottom - r.top, FALSE);
        MoveWindow(dlg, 0, 0, r.right - r.left, r.bottom - r.top, FALSE);
        ShowWindow(dlg, SW_SHOW);
        shot = frame;
    }
    int made = childCount(dlg);
    if (made < items)
        std::fprintf(stderr, "dlgshot: %s-%s: %d of %u controls are not available yet\n", job->stem.c_str(),
                     id.c_str(), items - made, static_cast<unsigned>(items));
    std::string path = job->outDir + "/" + job->stem + "-" + id + ".png";
    if (uiSnapshotWindow(shot, path.c_str())) {
        ++job->written;
    } else {
        std::fprintf(stderr, "dlgshot: cannot write %s\n", path.c_str());
        ++job->failed;
    }
    DestroyWindow(frame ? frame : dlg);
    return TRUE;
}

std::string stemOf(const std::string &path) {
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace

int main(int argc, char **argv) {
    std::string out;
    std::vector<std::string> modules;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) out = argv[++i];
        else modules.emplace_back(argv[i]);
    }
    if (out.empty() || modules.empty()) {
        std::fprintf(stderr, "usage: dlgshot --out DIR MODULE...\n");
        return 2;
    }
    CreateDirectoryA(out.c_str(), nullptr);
    int failed = 0, written = 0;
    for (const std::string &path : modules) {
        // Resources only: programs cannot be loaded as libraries.
        HMODULE m = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!m && GetLastError() == ERROR_RESOURCE_DATA_NOT_FOUND) continue;  // no resources, no dialogs
        if (!m) {
            std::fprintf(stderr, "dlgshot: cannot load %s (error %lu)\n", path.c_str(),
                         static_cast<unsigned long>(GetLastError()));
            ++failed;
            continue;
        }
        Job job{m, stemOf(path), out};
        EnumResourceNamesA(m, RT_DIALOG, shoot, reinterpret_cast<LONG_PTR>(&job));
        written += job.written;
        failed += job.failed;
        FreeLibrary(m);
    }
    std::printf("dlgshot: %d picture(s) in %s\n", written, out.c_str());
    return failed ? 1 : 0;
}
