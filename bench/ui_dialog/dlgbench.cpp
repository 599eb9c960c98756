// dlgbench [ROUNDS]: times making, showing and destroying a dialog of 40
// controls from a template against the same dialog built with Qt directly.
// dlgbench rss | rss-qt: prints the resident memory of this process once it
// has its windowing state (a hidden window, messages pumped) and no window
// shown; rss-qt does the same with Qt alone, for comparison.
#include "dialog_workload.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

const ControlSpec kControls[] = {
    {ControlKind::Group, "Server", 1000, 4, 4, 312, 112},
    {ControlKind::Label, "&Name:", -1, 10, 18, 50, 8},     {ControlKind::Edit, "", 100, 64, 16, 90, 12},
    {ControlKind::Label, "&Port:", -1, 10, 34, 50, 8},     {ControlKind::Edit, "8888", 101, 64, 32, 40, 12},
    {ControlKind::Label, "&Folder:", -1, 10, 50, 50, 8},   {ControlKind::Edit, "", 102, 64, 48, 90, 12},
    {ControlKind::Label, "&User:", -1, 10, 66, 50, 8},     {ControlKind::Edit, "", 103, 64, 64, 90, 12},
    {ControlKind::Label, "Pass&word:", -1, 10, 82, 50, 8}, {ControlKind::Edit, "", 104, 64, 80, 90, 12},
    {ControlKind::Label, "&Host:", -1, 164, 18, 50, 8},    {ControlKind::Edit, "", 105, 218, 16, 90, 12},
    {ControlKind::Label, "&Mail:", -1, 164, 34, 50, 8},    {ControlKind::Edit, "", 106, 218, 32, 90, 12},
    {ControlKind::Label, "&Log:", -1, 164, 50, 50, 8},     {ControlKind::Edit, "", 107, 218, 48, 90, 12},
    {ControlKind::Label, "&Size:", -1, 164, 66, 50, 8},    {ControlKind::Edit, "640", 108, 218, 64, 40, 12},
    {ControlKind::Label, "&Quality:", -1, 164, 82, 50, 8}, {ControlKind::Edit, "95", 109, 218, 80, 40, 12},
    {ControlKind::Check, "&Enable the server", 200, 10, 122, 100, 10},
    {ControlKind::Check, "Start with the &host", 201, 10, 134, 100, 10},
    {ControlKind::Check, "&Thumbnails", 202, 10, 146, 100, 10},
    {ControlKind::Check, "&Reduce photos", 203, 10, 158, 100, 10},
    {ControlKind::Check, "Keep a lo&g", 204, 120, 122, 100, 10},
    {ControlKind::Check, "&Combined format", 205, 120, 134, 100, 10},
    {ControlKind::Check, "&Block hosts", 206, 120, 146, 100, 10},
    {ControlKind::Check, "&Allow listing", 207, 120, 158, 100, 10},
    {ControlKind::Radio, "&Icons", 300, 230, 122, 80, 10},
    {ControlKind::Radio, "&List", 301, 230, 134, 80, 10},
    {ControlKind::Radio, "&Details", 302, 230, 146, 80, 10},
    {ControlKind::Radio, "&Filmstrip", 303, 230, 158, 80, 10},
    {ControlKind::Combo, "", 400, 10, 174, 100, 60},
    {ControlKind::Combo, "", 401, 120, 174, 100, 60},
    {ControlKind::List, "", 500, 230, 174, 80, 40},
    {ControlKind::Push, "OK", IDOK, 10, 220, 50, 14},
    {ControlKind::Push, "Cancel", IDCANCEL, 64, 220, 50, 14},
    {ControlKind::Push, "&Apply", 600, 118, 220, 50, 14},
    {ControlKind::Push, "Help", 601, 172, 220, 50, 14},
};
static_assert(sizeof kControls / sizeof kControls[0] == 40, "the benchmark's dialog has 40 controls");

// A DLGTEMPLATEEX of the controls.
class TemplateBytes {
public:
    TemplateBytes() {
        u16(1), u16(0xFFFF), u32(0), u32(0);
        u32(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT);
        u16(40), u16(0), u16(0), u16(kDialogCx), u16(kDialogCy), u16(0), u16(0), str("Benchmark");
        u16(8), u16(400), u16(0x0100), str("MS Sans Serif");
        for (const ControlSpec &c : kControls) item(c);
    }
    LPCDLGTEMPLATEA get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(bytes_.data()); }

private:
    void item(const ControlSpec &c) {
        while (bytes_.size() % 4) bytes_.push_back(0);
        DWORD style = WS_CHILD | WS_VISIBLE;
        WORD cls = 0x82;
        switch (c.kind) {
        case ControlKind::Label: cls = 0x82; break;
        case ControlKind::Edit: cls = 0x81, style |= WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL; break;
        case ControlKind::Check: cls = 0x80, style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
        case ControlKind::Radio: cls = 0x80, style |= BS_AUTORADIOBUTTON | WS_TABSTOP; break;
        case ControlKind::Push: cls = 0x80, style |= (c.id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP; break;
        case ControlKind::Combo: cls = 0x85, style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP; break;
        case ControlKind::List: cls = 0x83, style |= LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP; break;
        case ControlKind::Group: cls = 0x80, style |= BS_GROUPBOX; break;
        }
        u32(0), u32(0), u32(style);
        u16(static_cast<WORD>(c.x)), u16(static_cast<WORD>(c.y)), u16(static_cast<WORD>(c.cx)), u16(static_cast<WORD>(c.cy));
        u32(static_cast<DWORD>(c.id)), u16(0xFFFF), u16(cls), str(c.text), u16(0);
    }
    void u16(WORD v) { bytes_.push_back(static_cast<uint8_t>(v)), bytes_.push_back(static_cast<uint8_t>(v >> 8)); }
    void u32(DWORD v) { u16(static_cast<WORD>(v)), u16(static_cast<WORD>(v >> 16)); }
    void str(const char *s) {
        for (; *s; ++s) u16(static_cast<unsigned char>(*s));
        u16(0);
    }
    std::vector<uint8_t> bytes_;
};

INT_PTR CALLBACK dialogProc(HWND dlg, UINT msg, WPARAM, LPARAM) {
    if (msg != WM_INITDIALOG) return FALSE;
    // Filled as a page fills itself: combo and list entries.
    for (int id : {400, 401})
        for (const char *s : {"First", "Second", "Third"}) SendDlgItemMessageA(dlg, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    for (const char *s : {"alpha", "beta", "gamma"}) SendDlgItemMessageA(dlg, 500, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    return TRUE;
}

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Seconds spent making, showing (with the paint) and destroying.
struct Phases {
    double make = 0, show = 0, destroy = 0;
};

double dialogsWithTemplates(int rounds, Phases *phases = nullptr) {
    TemplateBytes t;
    using Clock = std::chrono::steady_clock;
    auto seconds = [](Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); };
    auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        auto t0 = Clock::now();
        HWND dlg = CreateDialogIndirectParamA(nullptr, t.get(), nullptr, dialogProc, 0);
        if (!dlg) {
            std::fprintf(stderr, "the dialog could not be made\n");
            std::exit(1);
        }
        auto t1 = Clock::now();
        ShowWindow(dlg, SW_SHOW);
        pump();
        auto t2 = Clock::now();
        DestroyWindow(dlg);
        pump();
        auto t3 = Clock::now();
        if (phases) phases->make += seconds(t0, t1), phases->show += seconds(t1, t2), phases->destroy += seconds(t2, t3);
    }
    return seconds(start, Clock::now());
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

void windowingStateWithTemplates() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "BenchHidden";
    RegisterClassA(&wc);
    HWND hidden = CreateWindowExA(0, "BenchHidden", "hidden", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    if (!hidden) std::exit(1);
    SetTimer(hidden, 1, 10, nullptr);
    pump();
}

}  // namespace

const ControlSpec *dialogControls(int *count) {
    *count = static_cast<int>(sizeof kControls / sizeof kControls[0]);
    return kControls;
}

int main(int argc, char **argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc > 1 && (std::strcmp(argv[1], "rss") == 0 || std::strcmp(argv[1], "rss-qt") == 0)) {
        bool qt = std::strcmp(argv[1], "rss-qt") == 0;
        if (qt) windowingStateWithQt();
        else windowingStateWithTemplates();
        std::printf("%s %ld\n", qt ? "qt" : "layer", residentKiB());
        return 0;
    }
    int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    if (rounds <= 0) rounds = 200;
    // Warm-up: fonts, styles and caches of both halves.
    dialogsWithTemplates(5);
    dialogsWithQt(5);
    // Batches of both halves alternate, and each half's median batch counts,
    // so that a busy machine slows both alike.
    const int batch = 10, batches = std::max(1, rounds / batch);
    std::vector<double> layerTimes, qtTimes;
    Phases phases;
    for (int b = 0; b < batches; ++b) {
        layerTimes.push_back(dialogsWithTemplates(batch, &phases));
        qtTimes.push_back(dialogsWithQt(batch));
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    rounds = batches * batch;
    double layer = median(layerTimes) * batches, qt = median(qtTimes) * batches;
    std::printf("%-40s %10s %10s %7s\n", "dialog of 40 controls", "layer ms", "qt ms", "ratio");
    std::printf("%-40s %10.3f %10.3f %7.2f\n", "make, show, destroy (per dialog)", layer * 1e3 / rounds, qt * 1e3 / rounds,
                qt > 0 ? layer / qt : 0.0);
    std::printf("(%d rounds; layer per dialog: make %.3f ms, show %.3f ms, destroy %.3f ms)\n", rounds,
                phases.make * 1e3 / rounds, phases.show * 1e3 / rounds, phases.destroy * 1e3 / rounds);
    return 0;
}
