// sheetshot: pictures of a property sheet (two tabbed pages, Apply enabled)
// and of a wizard page, as the layer draws them, for review without a
// desktop.
//
//   sheetshot --out DIR
//
// Writes DIR/propsheet.png and DIR/wizard.png.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A DLGTEMPLATEEX in memory: a page of the sheet.
class Page {
public:
    Page(const char *caption, short cx, short cy) {
        u16(1), u16(0xFFFF), u32(0), u32(0), u32(WS_POPUP | WS_CAPTION | DS_SETFONT);
        countAt_ = bytes_.size();
        u16(0), u16(0), u16(0), u16(static_cast<WORD>(cx)), u16(static_cast<WORD>(cy)), u16(0), u16(0), str(caption);
        u16(8), u16(400), u16(0x0100), str("MS Sans Serif");
    }
    Page &item(WORD cls, const char *text, DWORD id, DWORD style, short x, short y, short cx, short cy) {
        while (bytes_.size() % 4) bytes_.push_back(0);
        u32(0), u32(0), u32(style | WS_CHILD | WS_VISIBLE);
        u16(static_cast<WORD>(x)), u16(static_cast<WORD>(y)), u16(static_cast<WORD>(cx)), u16(static_cast<WORD>(cy));
        u32(id), u16(0xFFFF), u16(cls), str(text), u16(0);
        bytes_[countAt_] = static_cast<uint8_t>(++count_);
        return *this;
    }
    LPCDLGTEMPLATEA get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(bytes_.data()); }

private:
    void u16(WORD v) { bytes_.push_back(static_cast<uint8_t>(v)), bytes_.push_back(static_cast<uint8_t>(v >> 8)); }
    void u32(DWORD v) { u16(static_cast<WORD>(v)), u16(static_cast<WORD>(v >> 16)); }
    void str(const char *s) {
        for (; *s; ++s) u16(static_cast<unsigned char>(*s));
        u16(0);
    }
    std::vector<uint8_t> bytes_;
    size_t countAt_ = 0;
    int count_ = 0;
};

std::string g_path;
bool g_written = false;

INT_PTR CALLBACK pageProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

// Shoots the sheet once it is up, then cancels it.
void CALLBACK shoot(HWND, UINT, UINT_PTR, DWORD) {
    HWND sheet = GetActiveWindow();
    if (!sheet || !PropSheet_GetCurrentPageHwnd(sheet)) return;
    if (HWND page = PropSheet_GetCurrentPageHwnd(sheet); page && GetDlgItem(page, 12)) PropSheet_Changed(sheet, page);
    if (!g_written) g_written = uiSnapshotWindow(sheet, g_path.c_str());
    PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

bool run(PROPSHEETHEADERA &h, const std::string &path) {
    g_path = path;
    g_written = false;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, shoot);
    PropertySheetA(&h);
    KillTimer(nullptr, timer);
    if (!g_written) std::fprintf(stderr, "sheetshot: %s not written\n", path.c_str());
    return g_written;
}

PROPSHEETPAGEA page(const Page &t, DWORD flags = 0) {
    PROPSHEETPAGEA p{};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_DLGINDIRECT | flags;
    p.pResource = t.get();
    p.pfnDlgProc = pageProc;
    return p;
}

}  // namespace

int main(int argc, char **argv) {
    std::string out = ".";
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--out") == 0) out = argv[i + 1];

    Page general("General", 212, 140);
    general.item(0x80, "Server", 400, BS_GROUPBOX, 7, 7, 198, 60)
        .item(0x82, "&Port:", -1, SS_LEFT, 14, 22, 40, 8)
        .item(0x81, "8888", 10, WS_BORDER | WS_TABSTOP | ES_NUMBER, 60, 20, 40, 12)
        .item(0x80, "&Start the server with the host", 11, BS_AUTOCHECKBOX | WS_TABSTOP, 14, 40, 150, 10)
        .item(0x80, "&Keep a log of the requests", 12, BS_AUTOCHECKBOX | WS_TABSTOP, 14, 76, 150, 10)
        .item(0x82, "Changes take effect when you press Apply or OK.", -1, SS_LEFT, 7, 120, 198, 8);
    Page security("Security", 212, 140);
    security.item(0x82, "Allowed hosts:", -1, SS_LEFT, 7, 7, 100, 8);
    std::vector<PROPSHEETPAGEA> pages{page(general, PSP_HASHELP), page(security)};
    PROPSHEETHEADERA h{};
    h.dwSize = sizeof h;
    h.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
    h.pszCaption = "Advanced...";
    h.nPages = static_cast<UINT>(pages.size());
    h.ppsp = pages.data();
    bool ok = run(h, out + "/propsheet.png");

    Page name("Add Collection...", 260, 120);
    name.item(0x82, "Please indicate if you are creating a new collection or adding to an existing collection.", -1,
              SS_LEFT, 7, 7, 246, 20)
        .item(0x80, "&Create a new collection:", 20, BS_AUTORADIOBUTTON | WS_TABSTOP, 7, 34, 150, 10)
        .item(0x82, "&Name:", -1, SS_LEFT, 20, 50, 30, 8)
        .item(0x81, "Wedding Photos", 10, WS_BORDER | WS_TABSTOP, 54, 48, 150, 12)
        .item(0x80, "A&dd to an existing collection:", 21, BS_AUTORADIOBUTTON | WS_TABSTOP, 7, 70, 150, 10);
    Page files("Add Collection...", 260, 120);
    std::vector<PROPSHEETPAGEA> steps{page(name), page(files)};
    h.dwFlags = PSH_PROPSHEETPAGE | PSH_WIZARD;
    h.pszCaption = "Add Collection...";
    h.nPages = static_cast<UINT>(steps.size());
    h.ppsp = steps.data();
    ok = run(h, out + "/wizard.png") && ok;
    return ok ? 0 : 1;
}
