// "msctls_progress32" on QProgressBar. The range and position are kept here
// (Qt's bar shows a busy animation for an empty range, Windows an empty bar).
#include <windows.h>
#include <commctrl.h>

#include "gdi/dc.h"
#include "user/controls.h"
#include "user/window.h"

#include <QProgressBar>
#include <QStyle>

namespace platform::ui {
namespace {

class ProgressBar : public QProgressBar {
public:
    explicit ProgressBar(QWidget *parent) : QProgressBar(parent) {
        setTextVisible(false);
        show_();
    }

    int low = 0, high = 100, pos = 0, step = 10;

    void setPosition(int p) {
        pos = std::clamp(p, low, std::max(low, high));
        show_();
    }
    void show_() {
        if (high > low) {
            setRange(low, high);
            setValue(pos);
        } else {
            setRange(0, 1);
            setValue(0);
        }
    }
};

ProgressBar *barOf(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? dynamic_cast<ProgressBar *>(w->widget.data()) : nullptr;
}

QWidget *createProgressBar(WindowObject &w, QWidget *parent) {
    auto *bar = new ProgressBar(parent);
    if (w.style & PBS_VERTICAL) bar->setOrientation(Qt::Vertical);
    bar->setFocusPolicy(Qt::NoFocus);
    return bar;
}

LRESULT CALLBACK progressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ProgressBar *b = barOf(hwnd);
    if (!b) return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
        LRESULT old = MAKELONG(static_cast<WORD>(b->low), static_cast<WORD>(b->high));
        if (msg == PBM_SETRANGE) {
            b->low = LOWORD(lParam);
            b->high = HIWORD(lParam);
        } else {
            b->low = static_cast<int>(wParam);
            b->high = static_cast<int>(lParam);
        }
        b->setPosition(b->pos);
        return old;
    }
    case PBM_GETRANGE: {
        if (auto *r = reinterpret_cast<PBRANGE *>(lParam)) r->iLow = b->low, r->iHigh = b->high;
        return wParam ? b->low : b->high;
    }
    case PBM_SETPOS: {
        int old = b->pos;
        b->setPosition(static_cast<int>(wParam));
        return old;
    }
    case PBM_DELTAPOS: {
        int old = b->pos;
        b->setPosition(old + static_cast<int>(wParam));
        return old;
    }
    case PBM_SETSTEP: {
        int old = b->step;
        b->step = static_cast<int>(wParam);
        return old;
    }
    case PBM_STEPIT: {
        // Stepping past the end starts again from the beginning.
        int old = b->pos;
        int next = old + b->step;
        if (next > b->high) next = b->low + (next - b->high) % std::max(1, b->high - b->low);
        else if (next < b->low) next = b->high - (b->low - next) % std::max(1, b->high - b->low);
        b->setPosition(next);
        return old;
    }
    case PBM_GETPOS: return b->pos;
    case PBM_SETBARCOLOR:
    case PBM_SETBKCOLOR: {
        QPalette p = b->palette();
        QPalette::ColorRole role = msg == PBM_SETBARCOLOR ? QPalette::Highlight : QPalette::Window;
        COLORREF old = gdiColorRef(p.color(role));
        auto c = static_cast<COLORREF>(lParam);
        p.setColor(role, c == CLR_DEFAULT ? b->style()->standardPalette().color(role) : gdiColor(c));
        b->setPalette(p);
        return c == CLR_DEFAULT ? CLR_DEFAULT : old;
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

PredefinedClassRegistrar registrar{{PROGRESS_CLASSA, progressProc, createProgressBar, 0}};

}  // namespace
}  // namespace platform::ui
