// "msctls_trackbar32" on QSlider. The position and range are the slider's;
// what the user does is told to the parent as WM_HSCROLL (WM_VSCROLL for
// TBS_VERT) with a TB_* code and, for thumb moves, the position. Messages
// change the slider quietly.
#include <windows.h>
#include <commctrl.h>

#include "user/controls.h"
#include "user/window.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSlider>

namespace platform::ui {
namespace {

class TrackBar : public QSlider {
public:
    TrackBar(HWND hwnd, DWORD style, QWidget *parent)
        : QSlider((style & TBS_VERT) ? Qt::Vertical : Qt::Horizontal, parent), hwnd_(hwnd) {
        setRange(0, 100);
        setSingleStep(1);
        setPageStep(20);
        if (style & TBS_VERT) setInvertedAppearance(true);  // the minimum is at the top
        if (style & TBS_NOTICKS) setTickPosition(QSlider::NoTicks);
        else if (style & TBS_BOTH) setTickPosition(QSlider::TicksBothSides);
        else if (style & TBS_TOP) setTickPosition(QSlider::TicksAbove);  // TBS_LEFT for vertical bars
        else setTickPosition(QSlider::TicksBelow);
        setTickInterval(1);
        connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) {
            if (!ProgrammaticChange::active()) pending_ = codeOf(action);
        });
        connect(this, &QAbstractSlider::sliderReleased, this, [this] { notify(TB_THUMBPOSITION); });
    }

    bool pageSizeSet = false;

protected:
    // Keys move the position the same way in both orientations: Left, Up and
    // Page Up towards the minimum, Right, Down and Page Down towards the maximum.
    void keyPressEvent(QKeyEvent *e) override {
        SliderAction action = SliderNoAction;
        switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up: action = SliderSingleStepSub; break;
        case Qt::Key_Right:
        case Qt::Key_Down: action = SliderSingleStepAdd; break;
        case Qt::Key_PageUp: action = SliderPageStepSub; break;
        case Qt::Key_PageDown: action = SliderPageStepAdd; break;
        case Qt::Key_Home: action = SliderToMinimum; break;
        case Qt::Key_End: action = SliderToMaximum; break;
        default: return QSlider::keyPressEvent(e);
        }
        triggerAction(action);
        e->accept();
    }

    bool event(QEvent *e) override {
        QEvent::Type type = e->type();
        QPointer<TrackBar> alive(this);  // the event may delete the slider (deferred delete) or its window
        bool r = QSlider::event(e);
        if (!alive || type == QEvent::DeferredDelete) return r;
        // An action of this event has moved the slider by now: report it.
        if (pending_ >= 0) {
            int code = pending_;
            pending_ = -1;
            notify(code);
            if (!alive) return r;
        }
        bool release = type == QEvent::MouseButtonRelease &&
                       static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton;
        if (type == QEvent::KeyRelease && !static_cast<QKeyEvent *>(e)->isAutoRepeat()) {
            int k = static_cast<QKeyEvent *>(e)->key();
            release = k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down ||
                      k == Qt::Key_PageUp || k == Qt::Key_PageDown || k == Qt::Key_Home || k == Qt::Key_End;
        }
        if (release) notify(TB_ENDTRACK);
        return r;
    }

private:
    static int codeOf(int action) {
        switch (action) {
        case SliderSingleStepAdd: return TB_LINEDOWN;
        case SliderSingleStepSub: return TB_LINEUP;
        case SliderPageStepAdd: return TB_PAGEDOWN;
        case SliderPageStepSub: return TB_PAGEUP;
        case SliderToMinimum: return TB_TOP;
        case SliderToMaximum: return TB_BOTTOM;
        case SliderMove: return TB_THUMBTRACK;
        default: return -1;
        }
    }

    void notify(int code) {
        auto w = windowGet(hwnd_);
        HWND parent = w ? w->parent.load() : nullptr;
        if (!parent || code < 0) return;
        WORD pos = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<WORD>(value()) : 0;
        UINT msg = (w->style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
        SendMessageA(parent, msg, MAKEWPARAM(code, pos), reinterpret_cast<LPARAM>(hwnd_));
    }

    HWND hwnd_;
    int pending_ = -1;
};

TrackBar *barOf(HWND hwnd) {
    auto w = windowGet(hwnd);
    return w ? dynamic_cast<TrackBar *>(w->widget.data()) : nullptr;
}

QWidget *createTrackBar(WindowObject &w, QWidget *parent) {
    DWORD style = static_cast<DWORD>(w.style.load());
    auto *bar = new TrackBar(w.hwnd, style, parent);
    applyTabStop(bar, style);
    return bar;
}

// The default page is a fifth of the range, until the caller sets one.
void defaultPage(TrackBar *b) {
    if (!b->pageSizeSet) b->setPageStep(std::max(1, (b->maximum() - b->minimum()) / 5));
}

LRESULT CALLBACK trackBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TrackBar *b = barOf(hwnd);
    if (!b) return DefWindowProcA(hwnd, msg, wParam, lParam);
    ProgrammaticChange quiet;
    int value = static_cast<int>(static_cast<LONG>(lParam));
    switch (msg) {
    case TBM_GETPOS: return b->value();
    case TBM_GETRANGEMIN: return b->minimum();
    case TBM_GETRANGEMAX: return b->maximum();
    case TBM_SETPOS: b->setValue(value); return 0;  // the slider keeps it within the range
    case TBM_SETRANGE:
        b->setRange(static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
        defaultPage(b);
        return 0;
    case TBM_SETRANGEMIN:
        b->setMinimum(value);
        defaultPage(b);
        return 0;
    case TBM_SETRANGEMAX:
        b->setMaximum(value);
        defaultPage(b);
        return 0;
    case TBM_SETTICFREQ: b->setTickInterval(std::max(1, static_cast<int>(wParam))); return 0;
    case TBM_CLEARTICS: b->setTickPosition(QSlider::NoTicks); return 0;
    case TBM_GETNUMTICS:
        if (b->tickPosition() == QSlider::NoTicks) return 0;
        return (b->maximum() - b->minimum()) / std::max(1, b->tickInterval()) + 1;
    case TBM_SETPAGESIZE: {
        int old = b->pageStep();
        b->setPageStep(std::max(1, value));
        b->pageSizeSet = true;
        return old;
    }
    case TBM_GETPAGESIZE: return b->pageStep();
    case TBM_SETLINESIZE: {
        int old = b->singleStep();
        b->setSingleStep(std::max(1, value));
        return old;
    }
    case TBM_GETLINESIZE: return b->singleStep();
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

PredefinedClassRegistrar registrar{{TRACKBAR_CLASSA, trackBarProc, createTrackBar, 0}};

}  // namespace
}  // namespace platform::ui
