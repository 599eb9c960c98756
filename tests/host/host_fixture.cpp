#include "host_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <chrono>

namespace hosttest {

namespace {

std::function<bool()> driver;
bool quit = false;
UINT_PTR driverTimer = 0;

void CALLBACK driverTick(HWND, UINT, UINT_PTR, DWORD) {
    if (driver && driver()) stopDriving();
}

int CALLBACK answerBox(void *context, HWND, LPCSTR text, LPCSTR caption, UINT type) {
    auto *boxes = static_cast<MessageBoxes *>(context);
    size_t n = boxes->seen.size();
    boxes->seen.push_back({text, caption, type});
    if (n < boxes->answers.size()) return boxes->answers[n];
    return (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
}

}  // namespace

ProgramDir::ProgramDir() {
    char pattern[] = "/tmp/hosttest-XXXXXX";
    dir_ = mkdtemp(pattern);
    ShellState &s = shellState();
    std::string d = dir_.string() + "/";
    snprintf(s.paths.programDir, sizeof s.paths.programDir, "%s", d.c_str());
    snprintf(s.paths.config, sizeof s.paths.config, "%scradle.ini", d.c_str());
    snprintf(s.paths.extDir, sizeof s.paths.extDir, "%sext", d.c_str());
    snprintf(s.paths.branding, sizeof s.paths.branding, "%s/keystone.dll", SUITE_DIST_DIR);
    s.branding = LoadLibraryA(s.paths.branding);
    s.program = GetModuleHandleA(nullptr);
    snprintf(s.title, sizeof s.title, "Test Title");
    snprintf(s.serviceName, sizeof s.serviceName, "TestService");
}

ProgramDir::~ProgramDir() {
    ShellState &s = shellState();
    if (s.branding) FreeLibrary(s.branding);
    s = ShellState{};
    s.trayIcon = -1;
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void ProgramDir::write(const char *section, const char *key, const char *value) const {
    WritePrivateProfileStringA(section, key, value, config().c_str());
}

std::string ProgramDir::read(const char *section, const char *key) const {
    char buf[512];
    GetPrivateProfileStringA(section, key, "\x01", buf, sizeof buf, config().c_str());
    return buf;
}

bool pumpUntil(const std::function<bool()> &cond, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
    MSG m;
    bool ok = cond();
    while (!ok && std::chrono::steady_clock::now() < deadline) {
        if (!GetMessageA(&m, nullptr, 0, 0)) {
            quit = true;
            ok = cond();
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
        ok = cond();
    }
    KillTimer(nullptr, timer);
    return ok;
}

bool quitSeen() { return quit; }
void resetQuit() { quit = false; }

void driveFromLoop(std::function<bool()> step) {
    stopDriving();
    driver = std::move(step);
    driverTimer = SetTimer(nullptr, 0, 10, driverTick);
}

void stopDriving() {
    if (driverTimer) KillTimer(nullptr, driverTimer);
    driverTimer = 0;
    driver = nullptr;
}

HWND findTitled(const char *title) { return FindWindowA(nullptr, title); }

MessageBoxes::MessageBoxes() { uiSetMessageBoxHook(answerBox, this); }
MessageBoxes::~MessageBoxes() { uiSetMessageBoxHook(nullptr, nullptr); }

}  // namespace hosttest
