#include "page_fixture.h"

#include "zelext.h"

namespace galleonui {

namespace {

PageTest* g_current = nullptr;

}  // namespace

void PageTest::SetUp() {
    g_current = this;
    uiSetMessageBoxHook(answerBox, this);
}

void PageTest::TearDown() {
    closePage();
    uiSetMessageBoxHook(nullptr, nullptr);
    uiinput::clearSteps();
    galleon.stop();
    g_current = nullptr;
}

void PageTest::startGalleon(const std::string& photoLines, const std::string& otherSections) {
    ASSERT_EQ(galleon.start(photoLines, otherSections), 0);
}

int PageTest::answerBox(void* context, HWND, LPCSTR text, LPCSTR caption, UINT type) {
    auto* t = static_cast<PageTest*>(context);
    t->boxes.push_back({text ? text : "", caption ? caption : "", type});
    if (!t->answers.empty()) {
        int a = t->answers.front();
        t->answers.erase(t->answers.begin());
        return a;
    }
    UINT buttons = type & MB_TYPEMASK;
    return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
}

LRESULT CALLBACK PageTest::frameProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (g_current && m == PSM_CHANGED) {
        ++g_current->changedCount;
        return 0;
    }
    if (g_current && m == PSM_PRESSBUTTON) {
        g_current->pressedButtons.push_back(static_cast<int>(w));
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

HWND PageTest::openPage(int index) {
    auto procOf = galleon.proc<PFN_zelextGetEntryPointProc>("zelextGetEntryPointProc");
    auto dlgOf = galleon.proc<PFN_zelextGetEntryPointDlg>("zelextGetEntryPointDlg");
    EXPECT_TRUE(procOf && dlgOf);
    if (!procOf || !dlgOf) return nullptr;
    if (!frame_) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = frameProc;
        wc.lpszClassName = "GalleonPageTestFrame";
        RegisterClassA(&wc);
        frame_ = CreateWindowExA(0, "GalleonPageTestFrame", "Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 640, 520, nullptr, nullptr, nullptr, nullptr);
    }
    int dialog = dlgOf(index);
    DLGPROC proc = procOf(index);
    page_ = CreateDialogParamA(galleon.module, MAKEINTRESOURCEA(dialog), frame_, proc, 0);
    EXPECT_NE(page_, nullptr) << "page " << index << " (template " << dialog << ") could not be created: error "
                              << GetLastError();
    if (page_) ShowWindow(page_, SW_SHOW);
    return page_;
}

void PageTest::closePage() {
    if (page_ && IsWindow(page_)) DestroyWindow(page_);
    page_ = nullptr;
    if (frame_ && IsWindow(frame_)) DestroyWindow(frame_);
    frame_ = nullptr;
}

LONG_PTR PageTest::notify(UINT code, LPARAM value) {
    PSHNOTIFY n{};
    n.hdr.hwndFrom = frame_;
    n.hdr.idFrom = 0;
    n.hdr.code = code;
    n.lParam = value;
    SetWindowLongPtrA(page_, DWLP_MSGRESULT, 0);
    SendMessageA(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
    return GetWindowLongPtrA(page_, DWLP_MSGRESULT);
}

std::vector<std::vector<std::string>> PageTest::rows(HWND list) {
    std::vector<std::vector<std::string>> out;
    HWND header = ListView_GetHeader(list);
    int columns = header ? Header_GetItemCount(header) : 1;
    int n = ListView_GetItemCount(list);
    for (int i = 0; i < n; ++i) {
        std::vector<std::string> row;
        for (int c = 0; c < columns; ++c) {
            char text[512] = "";
            ListView_GetItemText(list, i, c, text, sizeof text);
            row.push_back(text);
        }
        out.push_back(row);
    }
    return out;
}

int PageTest::rowImage(HWND list, int row) {
    LVITEMA it{};
    it.mask = LVIF_IMAGE;
    it.iItem = row;
    ListView_GetItem(list, &it);
    return it.iImage;
}

gtest_http::Response httpGet(int port, const std::string& path, const std::string& extraHeaders) {
    gtest_http::Connection c(port);
    if (!c.ok()) return {};
    return c.request("GET " + path + " HTTP/1.0\r\n" + extraHeaders + "\r\n");
}

std::string basicAuth(const std::string& user, const std::string& password) {
    static const char* const B64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string in = user + ":" + password, out;
    for (size_t i = 0; i < in.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(in[i]) << 16;
        if (i + 1 < in.size()) v |= static_cast<unsigned char>(in[i + 1]) << 8;
        if (i + 2 < in.size()) v |= static_cast<unsigned char>(in[i + 2]);
        out += B64[(v >> 18) & 63];
        out += B64[(v >> 12) & 63];
        out += i + 1 < in.size() ? B64[(v >> 6) & 63] : '=';
        out += i + 2 < in.size() ? B64[v & 63] : '=';
    }
    return "Authorization: Basic " + out + "\r\n";
}

}  // namespace galleonui
