// Helpers shared by the predefined controls.
#include "user/controls.h"

#include "res_image.h"

#include <QEvent>
#include <QImage>

namespace platform::ui {
namespace {

thread_local int programmatic = 0;

QPixmap pixmapOf(const std::shared_ptr<const Image> &image) {
    if (!image || image->width <= 0 || image->height <= 0) return {};
    QImage q(image->rgba.data(), image->width, image->height, image->width * 4, QImage::Format_RGBA8888);
    return QPixmap::fromImage(q.copy());
}

class FocusNotifier : public QObject {
public:
    FocusNotifier(QObject *parent, HWND hwnd, WORD setCode, WORD killCode)
        : QObject(parent), hwnd_(hwnd), set_(setCode), kill_(killCode) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::FocusIn && set_) notifyParent(hwnd_, set_);
        else if (e->type() == QEvent::FocusOut && kill_) notifyParent(hwnd_, kill_);
        return false;
    }

private:
    HWND hwnd_;
    WORD set_, kill_;
};

}  // namespace

ProgrammaticChange::ProgrammaticChange() { ++programmatic; }
ProgrammaticChange::~ProgrammaticChange() { --programmatic; }
bool ProgrammaticChange::active() { return programmatic > 0; }

QString mnemonicText(const std::string &text, bool noPrefix) {
    QString t = fromAnsi(text);
    if (noPrefix) t.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return t;
}

QPixmap pixmapFromIcon(HICON icon) { return pixmapOf(iconImage(icon)); }
QPixmap pixmapFromBitmap(HBITMAP bitmap) { return pixmapOf(bitmapImage(bitmap)); }

void notifyFocus(QWidget *widget, HWND hwnd, WORD setCode, WORD killCode) {
    widget->installEventFilter(new FocusNotifier(widget, hwnd, setCode, killCode));
}

void applyTabStop(QWidget *widget, DWORD style) {
    if (!(style & WS_TABSTOP) && (widget->focusPolicy() & Qt::TabFocus)) widget->setFocusPolicy(Qt::ClickFocus);
}

}  // namespace platform::ui
