// DefWindowProcA: what a window does with a message its procedure passes on.
// Input messages hand the Qt event behind them back to the widget.
#include "core/app.h"
#include "gdi/dc.h"
#include "user/input.h"
#include "user/window.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QMetaObject>

namespace platform::ui {

void onUiThread(const std::function<void()> &f) {
    if (uiOnMainThread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(uiApplication(), f, Qt::BlockingQueuedConnection);
}

}  // namespace platform::ui

using namespace platform;
using namespace platform::ui;

extern "C" {

WINUSERAPI LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto w = windowGet(hWnd);
    if (!w) return 0;
    switch (Msg) {
    case WM_NCCREATE: return TRUE;
    case WM_SETTEXT: {
        const char *s = reinterpret_cast<const char *>(lParam);
        w->text = s ? s : "";
        if (!(w->style & WS_CHILD) && w->widget) w->widget->setWindowTitle(fromAnsi(w->text));
        return TRUE;
    }
    case WM_GETTEXT: return copyText(w->text, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE: DestroyWindow(hWnd); return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE: SendMessageA(hWnd, WM_CLOSE, 0, 0); break;
        case SC_MINIMIZE: ShowWindow(hWnd, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ShowWindow(hWnd, SW_MAXIMIZE); break;
        case SC_RESTORE: ShowWindow(hWnd, SW_RESTORE); break;
        default: break;
        }
        return 0;
    case WM_SETFONT: {
        // The widget shows the font; null gives back the font it inherits
        // (its dialog's). A dialog keeps its children's fonts as they are.
        HFONT font = reinterpret_cast<HFONT>(wParam);
        w->font = font;
        if (!w->dialog && w->widget) {
            QFont qfont = font ? gdiFont(font) : QFont();
            w->widget->setFont(qfont);
            if (w->client && w->client.data() != w->widget.data()) w->client->setFont(qfont);
            if (LOWORD(lParam)) w->widget->update();
        }
        return 0;
    }
    case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
    case WM_SETICON: {
        int i = wParam ? 1 : 0;
        HICON old = w->icons[i];
        w->icons[i] = reinterpret_cast<HICON>(lParam);
        // A top-level window shows its icons in the desktop's frame and task list.
        if (!(w->style & WS_CHILD) && w->widget) {
            QIcon shown;
            for (HICON icon : w->icons)
                if (icon) shown.addPixmap(QPixmap::fromImage(gdiIconImage(icon)));
            w->widget->setWindowIcon(shown);
        }
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON: return reinterpret_cast<LRESULT>(w->icons[wParam ? 1 : 0]);
    case WM_HELP:
    case WM_CONTEXTMENU:
        // Unanswered help and context requests go up to the parent.
        if (HWND p = w->parent.load()) return SendMessageA(p, Msg, wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_F1) {
            sendHelp(GetFocus() ? GetFocus() : hWnd);
            return 0;
        }
        inputPassOn(hWnd, Msg, wParam, lParam);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        inputPassOn(hWnd, Msg, wParam, lParam);
        return 0;
    case WM_SETCURSOR:
        // The parent may choose first; else the class cursor, if any.
        if (HWND p = w->parent.load(); p && SendMessageA(p, WM_SETCURSOR, wParam, lParam)) return TRUE;
        if (LOWORD(lParam) == HTCLIENT && w->cls->cursor && reinterpret_cast<HWND>(wParam) == hWnd) {
            SetCursor(w->cls->cursor);
            return TRUE;
        }
        return FALSE;
    case WM_ERASEBKGND: {
        // The class brush fills the client area; without one the background
        // is left to WM_PAINT (BeginPaint's fErase).
        HBRUSH brush = w->cls->background;
        RECT r;
        if (!brush || !GetClientRect(hWnd, &r)) return 0;
        return FillRect(reinterpret_cast<HDC>(wParam), &r, brush) ? 1 : 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hWnd, &ps)) EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_MOUSEACTIVATE: return 1;  // MA_ACTIVATE
    default:
        if (Msg >= WM_MOUSEFIRST && Msg <= WM_MOUSELAST) inputPassOn(hWnd, Msg, wParam, lParam);
        return 0;
    }
}

}  // extern "C"
