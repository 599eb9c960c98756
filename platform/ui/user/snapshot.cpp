// uiSnapshotWindow: a window and its children rendered to a PNG file, shown
// or not, with or without a display.
#include "core/app.h"
#include "user/window.h"

#include <QApplication>
#include <QLayout>
#include <QPixmap>

using namespace platform;
using namespace platform::ui;

extern "C" {

WINUSERAPI BOOL WINAPI uiSnapshotWindow(HWND hWnd, LPCSTR pngPath) {
    QWidget *w = windowWidget(hWnd);
    if (!w || !pngPath) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool ok = false;
    onUiThread([&] {
        bool hidden = w->isHidden();
        if (hidden) {
            // Laid out and polished as if shown, but never put on screen.
            w->setAttribute(Qt::WA_DontShowOnScreen, true);
            w->show();
        }
        if (w->layout()) w->layout()->activate();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QPixmap pix = w->grab();
        if (hidden) {
            w->hide();
            w->setAttribute(Qt::WA_DontShowOnScreen, false);
        }
        ok = !pix.isNull() && pix.save(QString::fromLocal8Bit(pngPath), "PNG");
    });
    if (!ok) SetLastError(ERROR_WRITE_FAULT);
    return ok;
}

}  // extern "C"
