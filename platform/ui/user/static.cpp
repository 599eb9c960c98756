// STATIC: text, icons, bitmaps, etched lines and frames, filled rectangles.
// Text is top-aligned and wraps (except SS_LEFTNOWORDWRAP and SS_SIMPLE); a
// single '&' marks a mnemonic that moves the focus to the next tab stop.
#include "user/controls.h"

#include "gdi/dc.h"

#include <QEvent>
#include <QPainter>
#include <QFrame>
#include <QLabel>

namespace platform::ui {
namespace {

DWORD typeOf(DWORD style) { return style & SS_TYPEMASK; }

bool isText(DWORD t) {
    return t == SS_LEFT || t == SS_CENTER || t == SS_RIGHT || t == SS_SIMPLE || t == SS_LEFTNOWORDWRAP;
}

// Display text without a buddy: "&&" shows '&', a single '&' is dropped
// (the dialog gives labels with a following control their mnemonic).
QString plainText(const std::string &text, bool noPrefix) {
    QString t = fromAnsi(text);
    if (noPrefix) return t;
    QString out;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i] == QLatin1Char('&')) {
            if (i + 1 < t.size() && t[i + 1] == QLatin1Char('&')) out.append(QLatin1Char('&')), ++i;
            continue;
        }
        out.append(t[i]);
    }
    return out;
}

// STN_CLICKED and STN_DBLCLK of SS_NOTIFY statics.
class ClickNotifier : public QObject {
public:
    ClickNotifier(QObject *parent, HWND hwnd) : QObject(parent), hwnd_(hwnd) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override {
        if (!(GetWindowLongA(hwnd_, GWL_STYLE) & SS_NOTIFY)) return false;
        if (e->type() == QEvent::MouseButtonRelease) notifyParent(hwnd_, STN_CLICKED);
        else if (e->type() == QEvent::MouseButtonDblClick) notifyParent(hwnd_, STN_DBLCLK);
        return false;
    }

private:
    HWND hwnd_;
};

// SS_OWNERDRAW: each paint is WM_DRAWITEM (ODT_STATIC) to the parent with a
// context on the label's painter.
class OwnerDrawnStatic : public QLabel {
public:
    OwnerDrawnStatic(HWND hwnd, QWidget *parent) : QLabel(parent), hwnd_(hwnd) {}

protected:
    void paintEvent(QPaintEvent *) override {
        auto w = windowGet(hwnd_);
        HWND parent = w ? w->parent.load() : nullptr;
        if (!parent) return;
        QPainter painter(this);
        HDC dc = gdiBeginPaint(&painter, hwnd_, w->font);
        if (!dc) return;
        UINT id = static_cast<UINT>(w->id.load());
        DRAWITEMSTRUCT dis{ODT_STATIC, id, 0, ODA_DRAWENTIRE, isEnabled() ? 0U : static_cast<UINT>(ODS_DISABLED),
                           hwnd_, dc, RECT{0, 0, width(), height()}, 0};
        SendMessageA(parent, WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&dis));
        gdiEndPaint(dc);
    }

private:
    HWND hwnd_;
};

void showText(QLabel *label, const WindowObject &w) {
    DWORD style = static_cast<DWORD>(w.style.load());
    if (label->buddy()) label->setText(mnemonicText(w.text, style & SS_NOPREFIX));
    else label->setText(plainText(w.text, style & SS_NOPREFIX));
}

}  // namespace

QWidget *createStatic(WindowObject &w, QWidget *parent) {
    DWORD style = static_cast<DWORD>(w.style.load());
    DWORD t = typeOf(style);
    QWidget *widget;
    if (isText(t) || t == SS_ICON || t == SS_BITMAP || t == SS_OWNERDRAW) {
        auto *label = t == SS_OWNERDRAW ? new OwnerDrawnStatic(w.hwnd, parent) : new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        Qt::Alignment h = t == SS_CENTER ? Qt::AlignHCenter : t == SS_RIGHT ? Qt::AlignRight : Qt::AlignLeft;
        Qt::Alignment v = (style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop;
        if (t == SS_ICON || t == SS_BITMAP) h = (style & SS_CENTERIMAGE) ? Qt::AlignHCenter : Qt::AlignLeft;
        label->setAlignment(h | v);
        label->setWordWrap(t == SS_LEFT || t == SS_CENTER || t == SS_RIGHT);
        if (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS)) label->setWordWrap(false);
        if (isText(t)) label->setText(plainText(w.text, style & SS_NOPREFIX));
        widget = label;
    } else {
        auto *frame = new QFrame(parent);
        switch (t) {
        case SS_ETCHEDHORZ: frame->setFrameStyle(QFrame::HLine | QFrame::Sunken); break;
        case SS_ETCHEDVERT: frame->setFrameStyle(QFrame::VLine | QFrame::Sunken); break;
        case SS_ETCHEDFRAME: frame->setFrameStyle(QFrame::Box | QFrame::Sunken); break;
        case SS_BLACKFRAME:
        case SS_GRAYFRAME:
        case SS_WHITEFRAME: frame->setFrameStyle(QFrame::Box | QFrame::Plain); break;
        default: {
            // Filled rectangles in the frame colours of the classic palette.
            int colour = t == SS_BLACKRECT ? COLOR_WINDOWFRAME : t == SS_GRAYRECT ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
            COLORREF c = GetSysColor(colour);
            frame->setAutoFillBackground(true);
            QPalette pal = frame->palette();
            pal.setColor(QPalette::Window, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
            frame->setPalette(pal);
            break;
        }
        }
        widget = frame;
    }
    if (style & SS_SUNKEN) {
        if (auto *f = qobject_cast<QFrame *>(widget)) f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    widget->setFocusPolicy(Qt::NoFocus);
    widget->installEventFilter(new ClickNotifier(widget, w.hwnd));
    return widget;
}

LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto w = windowGet(hwnd);
    auto *label = w ? qobject_cast<QLabel *>(w->widget.data()) : nullptr;
    DWORD t = typeOf(static_cast<DWORD>(w ? w->style.load() : 0));
    switch (msg) {
    case WM_SETTEXT:
        DefWindowProcA(hwnd, msg, wParam, lParam);
        if (label && isText(t)) showText(label, *w);
        return TRUE;
    case STM_SETICON:
        return SendMessageA(hwnd, STM_SETIMAGE, IMAGE_ICON, static_cast<LPARAM>(wParam));
    case STM_GETICON: return label ? static_cast<LRESULT>(label->property("platformImage").toLongLong()) : 0;
    case STM_SETIMAGE: {
        if (!label) return 0;
        LPARAM old = label->property("platformImage").toLongLong();
        label->setProperty("platformImage", QVariant::fromValue<qlonglong>(lParam));
        QPixmap pix = wParam == IMAGE_ICON ? pixmapFromIcon(reinterpret_cast<HICON>(lParam))
                                           : pixmapFromBitmap(reinterpret_cast<HBITMAP>(lParam));
        label->setPixmap(pix);
        // Without SS_CENTERIMAGE or SS_REALSIZEIMAGE the control takes the image's size.
        if (!pix.isNull() && !(w->style & (SS_CENTERIMAGE | SS_REALSIZEIMAGE))) label->resize(pix.size());
        return old;
    }
    case STM_GETIMAGE: return label ? static_cast<LRESULT>(label->property("platformImage").toLongLong()) : 0;
    case WM_GETDLGCODE: return DLGC_STATIC;
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void staticShowMnemonic(HWND hwnd, QWidget *buddy) {
    auto w = windowGet(hwnd);
    auto *label = w ? qobject_cast<QLabel *>(w->widget.data()) : nullptr;
    if (!label || (w->style & SS_NOPREFIX)) return;
    label->setBuddy(buddy);
    showText(label, *w);
}

}  // namespace platform::ui
