// The tip-of-the-day dialog: an owner-drawn tip page, a check box that keeps
// tips on, a close button and a next-tip button.
#include "settings/tipsmod_state.h"

namespace {

constexpr char kNoTips[] = "No tips available";

struct TipFonts {
    HFONT heading = nullptr;
    HFONT body = nullptr;
};

TipFonts &fonts() {
    static TipFonts f;
    return f;
}

// The page: white with a black outline, a grey bar on the left holding the
// "TIP" icon, a grey rule under the heading, and the tip word-wrapped below.
void drawTipPage(HDC dc, const RECT &area, LPCSTR text) {
    const TipsState &s = tipsState();
    int w = area.right - area.left - 2;
    int h = area.bottom - area.top - 2;
    int bar = w * 15 / 100;
    int saved = SaveDC(dc);
    SetViewportOrgEx(dc, area.left, area.top, nullptr);

    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, 1, 1, w, h);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(GRAY_BRUSH));
    Rectangle(dc, 1, 1, bar, h);

    HPEN rule = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    SelectObject(dc, rule);
    MoveToEx(dc, bar, h / 4, nullptr);
    LineTo(dc, w, h / 4);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    DeleteObject(rule);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    if (fonts().heading) SelectObject(dc, fonts().heading);
    TextOutA(dc, 10 + bar, h / 10, "Did you know...", 15);

    HICON icon = static_cast<HICON>(LoadImageA(s.module, "TIP", IMAGE_ICON, 32, 32, LR_SHARED));
    if (icon) DrawIconEx(dc, w * 75 / 1000 - 16, h / 10, icon, 32, 32, 0, nullptr, DI_NORMAL);

    RECT textRect{10 + bar, h / 3, w - 8, h - 3};
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    FillRect(dc, &textRect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (fonts().body) SelectObject(dc, fonts().body);
    DrawTextA(dc, text, -1, &textRect, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    RestoreDC(dc, saved);
}

INT_PTR CALLBACK tipsDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
    TipsState &s = tipsState();
    switch (msg) {
    case WM_INITDIALOG:
        fonts().heading = CreateFontA(20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Times Roman");
        fonts().body = CreateFontA(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
        CheckDlgButton(dlg, TIPSMOD_KEEP, BST_CHECKED);
        return TRUE;
    case WM_DRAWITEM: {
        auto *di = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
        if (!di || di->CtlID != TIPSMOD_AREA) return FALSE;
        LPCSTR tip = tipsmodGetTip(s.position);
        if (!tip) {
            // Nothing to show: the page says so, and nothing more can be offered.
            EnableWindow(GetDlgItem(dlg, TIPSMOD_NEXT), FALSE);
            CheckDlgButton(dlg, TIPSMOD_KEEP, BST_UNCHECKED);
        }
        drawTipPage(di->hDC, di->rcItem, tip ? tip : kNoTips);
        SetWindowLongPtrA(dlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case TIPSMOD_NEXT:
            if (!s.tips.empty()) s.position = (s.position + 1) % static_cast<int>(s.tips.size());
            InvalidateRect(GetDlgItem(dlg, TIPSMOD_AREA), nullptr, FALSE);
            return TRUE;
        case TIPSMOD_CLOSE:
            // The next showing starts after this tip; tipsmodInit wraps it.
            s.showFlag = IsDlgButtonChecked(dlg, TIPSMOD_KEEP) == BST_CHECKED ? 1 : 0;
            s.position++;
            EndDialog(dlg, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dlg, 0);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        if (fonts().heading) DeleteObject(fonts().heading);
        if (fonts().body) DeleteObject(fonts().body);
        fonts() = TipFonts{};
        return FALSE;
    }
    (void)wParam;
    return FALSE;
}

}  // namespace

INT_PTR tipsRunDialog() {
    TipsState &s = tipsState();
    return DialogBoxParamA(s.module, MAKEINTRESOURCEA(TIPSMOD_DIALOG), s.owner, tipsDialogProc, 0);
}
