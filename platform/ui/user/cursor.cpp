// Cursors: the standard shapes (LoadCursorA with a null module), cursor
// resources of a module (a PNG with its hot spot), SetCursor,
// and WM_SETCURSOR as the pointer moves over a window. A set cursor stays on
// the widget under the pointer; the wait shapes cover the whole application
// until another cursor is set.
#include "core/app.h"
#include "res_image.h"
#include "user/window.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QPixmap>

#include <cstring>
#include <string>

#include <map>
#include <mutex>

using namespace platform;
using namespace platform::ui;

namespace {

class CursorObject : public PlatformObject {
public:
    explicit CursorObject(Qt::CursorShape shape) : PlatformObject(ObjectType::Other), shape(shape) {}
    CursorObject(std::shared_ptr<const Image> image, int hotX, int hotY)
        : PlatformObject(ObjectType::Other), shape(Qt::BitmapCursor), image(std::move(image)), hotX(hotX), hotY(hotY) {}
    const Qt::CursorShape shape;
    const std::shared_ptr<const Image> image;  // a cursor resource's pixels
    const int hotX = 0, hotY = 0;

    // Built on the user-interface thread, where pixmaps may be made.
    QCursor cursor() const {
        if (!image) return QCursor(shape);
        QImage q(image->rgba.data(), image->width, image->height, image->width * 4, QImage::Format_RGBA8888);
        return QCursor(QPixmap::fromImage(q.copy()), hotX, hotY);
    }
};

uint16_t le16(const uint8_t *p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The bytes of a resource, or null.
const uint8_t *resourceBytes(HINSTANCE module, LPCSTR name, LPCSTR type, DWORD *size) {
    HRSRC r = FindResourceA(module, name, type);
    HGLOBAL g = r ? LoadResource(module, r) : nullptr;
    *size = r ? SizeofResource(module, r) : 0;
    return g ? static_cast<const uint8_t *>(LockResource(g)) : nullptr;
}

// A cursor of a module: its group directory (RT_GROUP_CURSOR) names images
// (RT_CURSOR: the hot spot, then a PNG). The entry nearest 32 pixels wide is
// taken; every size and offset is checked against the resource's size.
std::shared_ptr<CursorObject> loadCursorResource(HINSTANCE module, LPCSTR name) {
    DWORD size = 0;
    const uint8_t *dir = resourceBytes(module, name, MAKEINTRESOURCEA(12), &size);
    if (!dir || size < 6 || le16(dir + 2) != 2) return nullptr;
    unsigned count = le16(dir + 4);
    if (count == 0 || size < 6 + 14 * static_cast<DWORD>(count)) return nullptr;
    int best = -1, bestDistance = 0;
    for (unsigned i = 0; i < count; ++i) {
        int distance = std::abs(le16(dir + 6 + 14 * i) - 32);
        if (best < 0 || distance < bestDistance) best = static_cast<int>(i), bestDistance = distance;
    }
    uint16_t id = le16(dir + 6 + 14 * best + 12);
    const uint8_t *data = resourceBytes(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(1), &size);
    if (!data || size <= 4) return nullptr;
    auto image = std::make_shared<Image>();
    if (!decodePng(data + 4, size - 4, image.get())) return nullptr;
    int hotX = std::min<int>(le16(data), image->width - 1), hotY = std::min<int>(le16(data + 2), image->height - 1);
    return std::make_shared<CursorObject>(std::move(image), hotX, hotY);
}

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
    case 32642: return Qt::SizeFDiagCursor;
    case 32643: return Qt::SizeBDiagCursor;
    case 32644: return Qt::SizeHorCursor;
    case 32645: return Qt::SizeVerCursor;
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
    if (hInstance) {
        // A module's cursor: one handle per module and name, kept for the
        // process's life, as the system shares loaded cursors.
        std::string key = std::to_string(reinterpret_cast<uintptr_t>(hInstance)) + "/" +
                          (IS_INTRESOURCE(lpCursorName) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(lpCursorName))
                                                        : std::string(lpCursorName));
        static std::map<std::string, HCURSOR> loaded;
        {
            std::lock_guard<std::mutex> g(cursorLock);
            if (auto it = loaded.find(key); it != loaded.end()) return it->second;
        }
        auto object = loadCursorResource(hInstance, lpCursorName);
        if (!object) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        std::lock_guard<std::mutex> g(cursorLock);
        HCURSOR &h = loaded[key];
        if (!h) h = handleNew<HCURSOR>(object);
        return h;
    }
    if (!known) {
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
    onUiThread([shape, cursor] {
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
            under->setCursor(cursor ? cursor->cursor() : QCursor(shape));
    });
    return old;
}

}  // extern "C"
