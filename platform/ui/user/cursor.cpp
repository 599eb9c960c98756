// Cursors: the standard shapes (LoadCursorA with a null module), SetCursor,
// and WM_SETCURSOR as the pointer moves over a window. A set cursor stays on
// the widget under the pointer; the wait shapes cover the whole application
// until another cursor is set.
#include "core/app.h"
#include "user/window.h"

#include <QApplication>
#include <QCursor>

#include <map>
#include <mutex>

using namespace platform;
using namespace platform::ui;

namespace {

class CursorObject : public PlatformObject {
public:
    explicit CursorObject(Qt::CursorShape shape) : PlatformObject(ObjectType::Other), shape(shape) {}
    const Qt::CursorShape shape;
};

std::mutex cursorLock;
HCURSOR currentCursor = nullptr;
bool overriding = false;

Qt::CursorShape shapeOf(uintptr_t id, bool *known) {
    *known = true;
    switch (id) {
    case 32512: return Qt::ArrowCursor;
    case 32513: return Qt::IBeamCursor;
    case 32514: return Qt::WaitCursor;
    case 32515: return Qt::CrossCursor;
    case 32516: return Qt::UpArrowCursor;
    case 32646: return Qt::SizeAllCursor;
    case 32648: return Qt::ForbiddenCursor;
    case 32649: return Qt::PointingHandCursor;
    case 32650: return Qt::BusyCursor;
    case 32651: return Qt::WhatsThisCursor;
    default: *known = false; return Qt::ArrowCursor;
    }
}

}  // namespace

namespace platform::ui {

// WM_SETCURSOR for the window under the pointer (from the input filter).
void cursorPointerMoved(HWND hwnd) {
    SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(1 /* HTCLIENT */, WM_MOUSEMOVE));
}

}  // namespace platform::ui

extern "C" {

WINUSERAPI HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    bool known = false;
    Qt::CursorShape shape = IS_INTRESOURCE(lpCursorName) ? shapeOf(reinterpret_cast<uintptr_t>(lpCursorName), &known)
                                                         : Qt::ArrowCursor;
    if (hInstance || !known) {
        // Cursor resources are not compiled; only the standard shapes exist.
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    static std::map<int, HCURSOR> shared;  // one handle per shape, never freed
    std::lock_guard<std::mutex> g(cursorLock);
    HCURSOR &h = shared[static_cast<int>(shape)];
    if (!h) h = handleNew<HCURSOR>(std::make_shared<CursorObject>(shape));
    return h;
}

WINUSERAPI HCURSOR WINAPI GetCursor(void) {
    std::lock_guard<std::mutex> g(cursorLock);
    return currentCursor;
}

WINUSERAPI HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
    HCURSOR old;
    {
        std::lock_guard<std::mutex> g(cursorLock);
        old = currentCursor;
        currentCursor = hCursor;
    }
    auto cursor = handleGet<CursorObject>(hCursor);
    Qt::CursorShape shape = cursor ? cursor->shape : Qt::BlankCursor;
    onUiThread([shape] {
        if (overriding) {
            QApplication::restoreOverrideCursor();
            overriding = false;
        }
        if (shape == Qt::WaitCursor || shape == Qt::BusyCursor) {
            QApplication::setOverrideCursor(QCursor(shape));
            overriding = true;
            return;
        }
        if (QWidget *under = QApplication::widgetAt(QCursor::pos()); under && windowFromWidget(under))
            under->setCursor(QCursor(shape));
    });
    return old;
}

}  // extern "C"
