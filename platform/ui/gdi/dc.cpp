// Device contexts: painter contexts for windows and owner drawing, memory
// contexts that draw into bitmaps, screen contexts for measuring; their
// colours, modes, origin, clip and saved states.
#include "gdi/dcobject.h"

#include "core/app.h"
#include "gdi/dc.h"

#include <QGuiApplication>
#include <QScreen>

#include <cstring>
#include <strings.h>

using namespace platform;
using namespace platform::ui;

namespace platform::ui {

DcObject::DcObject(Kind kind) : PlatformObject(ObjectType::Other), kind(kind) {
    dcDefaultObjects(state);
    if (kind != Kind::Painter) {
        bitmapHandle_ = stockBitmap();
        image_ = QImage(1, 1, QImage::Format_RGBA8888);
        image_.fill(Qt::black);
        ownPainter_.begin(&image_);
        painter_ = &ownPainter_;
    }
}

DcObject::~DcObject() { endSurface(); }

void DcObject::endSurface() {
    if (ownPainter_.isActive()) ownPainter_.end();
    if (bitmap_) bitmap_->endDrawing();
    bitmap_.reset();
    pixels_.reset();
}

bool DcObject::monochrome() const { return bitmap_ ? bitmap_->bitsPerPixel == 1 : kind == Kind::Memory; }

bool DcObject::selectBitmap(HBITMAP handle) {
    if (handle == bitmapHandle_) return true;
    std::shared_ptr<BitmapObject> bitmap;
    std::shared_ptr<Image> pixels;
    if (handle != stockBitmap()) {
        bitmap = handleGet<BitmapObject>(handle);
        if (!bitmap || !(pixels = bitmap->beginDrawing())) return false;
    }
    endSurface();
    bitmapHandle_ = handle;
    if (bitmap) {
        bitmap_ = bitmap;
        pixels_ = pixels;
        image_ = QImage(pixels_->rgba.data(), pixels_->width, pixels_->height, pixels_->width * 4,
                        QImage::Format_RGBA8888);
    } else {
        image_ = QImage(1, 1, QImage::Format_RGBA8888);
        image_.fill(Qt::black);
    }
    ownPainter_.begin(&image_);
    return true;
}

void DcObject::attachPainter(QPainter *painter) {
    painter_ = painter;
    painter_->save();
    baseTransform_ = painter_->transform();
    baseClipped_ = painter_->hasClipping();
    if (baseClipped_) baseClip_ = painter_->clipRegion();
}

void DcObject::detachPainter() {
    if (painter_ && painter_->isActive()) painter_->restore();
    painter_ = nullptr;
}

QPainter &DcObject::paint() {
    QPainter &p = *painter_;
    p.setTransform(baseTransform_);
    if (state.clip) {
        if (baseClipped_) {
            p.setClipRegion(baseClip_);
            p.setClipRect(*state.clip, Qt::IntersectClip);
        } else {
            p.setClipRect(*state.clip);
        }
    } else if (baseClipped_) {
        p.setClipRegion(baseClip_);
    } else {
        p.setClipping(false);
    }
    p.setTransform(QTransform::fromTranslate(state.origin.x, state.origin.y) * baseTransform_);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Stretching picks pixels unless the context asks for halftoning.
    p.setRenderHint(QPainter::SmoothPixmapTransform, state.stretchMode == HALFTONE);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setOpacity(1.0);
    p.setBrush(Qt::NoBrush);
    p.setPen(Qt::NoPen);
    return p;
}

QImage *DcObject::surface() {
    if (kind != Kind::Painter) return &image_;
    if (painter_ && painter_->device() && painter_->device()->devType() == QInternal::Image)
        return static_cast<QImage *>(painter_->device());
    return nullptr;
}

QSize DcObject::deviceSize() const {
    if (kind == Kind::Memory) return image_.size();
    if (kind == Kind::Painter && painter_ && painter_->device())
        return QSize(painter_->device()->width(), painter_->device()->height());
    uiApplication();
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

std::shared_ptr<DcObject> dcGet(HDC dc) { return handleGet<DcObject>(dc); }

HBITMAP stockBitmap() {
    static HBITMAP bitmap = [] {
        auto image = std::make_shared<Image>(1, 1);
        image->pixel(0, 0)[3] = 255;
        return bitmapCreate(image, 1, true);
    }();
    return bitmap;
}

HDC gdiBeginPaint(QPainter *painter, HWND window, HFONT font) {
    if (painter == nullptr || !painter->isActive()) return nullptr;
    auto dc = std::make_shared<DcObject>(DcObject::Kind::Painter);
    dc->window = window;
    dc->attachPainter(painter);
    if (auto f = handleGet<FontObject>(font)) dc->state.fontHandle = font, dc->state.font = f;
    HDC h = handleNew<HDC>(dc);
    if (!h) dc->detachPainter();
    return h;
}

void gdiEndPaint(HDC hdc) {
    auto dc = dcGet(hdc);
    if (!dc || dc->kind != DcObject::Kind::Painter) return;
    dc->detachPainter();
    handleRemove(handleValue(hdc));
}

bool gdiDcTextState(HDC hdc, DcTextState *out) {
    auto dc = dcGet(hdc);
    if (!dc || !out) return false;
    out->textColor = dc->state.textColor;
    out->bkColor = dc->state.bkColor;
    out->bkMode = dc->state.bkMode;
    out->font = static_cast<HFONT>(dc->state.fontHandle);
    return true;
}

QFont gdiFont(HFONT font) {
    if (auto f = handleGet<FontObject>(font)) return f->font;
    return handleGet<FontObject>(stockObject(DEFAULT_GUI_FONT))->font;
}

HFONT gdiDefaultGuiFont() { return static_cast<HFONT>(stockObject(DEFAULT_GUI_FONT)); }

bool gdiBrushColor(HBRUSH brush, QColor *color) {
    auto b = brushOf(brush);
    if (!b || b->isNull()) return false;
    if (color) *color = toQColor(b->color());
    return true;
}

QColor gdiColor(COLORREF color) { return toQColor(color); }

COLORREF gdiColorRef(const QColor &color) {
    return RGB(color.red(), color.green(), color.blue());
}

namespace {

QImage toQImage(const std::shared_ptr<const Image> &image) {
    if (!image || image->width <= 0 || image->height <= 0) return QImage();
    QImage wrapped(image->rgba.data(), image->width, image->height, image->width * 4, QImage::Format_RGBA8888);
    return wrapped.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

QImage gdiIconImage(HICON icon) { return toQImage(iconImage(icon)); }
QImage gdiBitmapImage(HBITMAP bitmap) { return toQImage(bitmapImage(bitmap)); }

HICON gdiIconFromImage(const QImage &source) {
    if (source.isNull()) return nullptr;
    QImage rgba = source.convertToFormat(QImage::Format_RGBA8888);
    auto image = std::make_shared<Image>(rgba.width(), rgba.height());
    for (int y = 0; y < rgba.height(); ++y)
        std::memcpy(image->pixel(0, y), rgba.constScanLine(y), static_cast<size_t>(rgba.width()) * 4);
    return iconCreate(image, false);
}

}  // namespace platform::ui

namespace {

std::shared_ptr<DcObject> dcOrFail(HDC hdc) {
    auto dc = dcGet(hdc);
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

HDC newDc(DcObject::Kind kind, HWND window = nullptr) {
    uiApplication();
    auto dc = std::make_shared<DcObject>(kind);
    dc->window = window;
    return handleNew<HDC>(dc);
}

}  // namespace

extern "C" {

WINBASEAPI HDC WINAPI CreateCompatibleDC(HDC hdc) {
    if (hdc && !dcOrFail(hdc)) return nullptr;
    return newDc(DcObject::Kind::Memory);
}

WINBASEAPI HDC WINAPI CreateDCA(LPCSTR pwszDriver, LPCSTR, LPCSTR, const void *) {
    // Only the display exists.
    if (pwszDriver == nullptr || strcasecmp(pwszDriver, "DISPLAY") != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return newDc(DcObject::Kind::Screen);
}

WINBASEAPI BOOL WINAPI DeleteDC(HDC hdc) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    if (dc->kind == DcObject::Kind::Painter) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // The selected bitmap is released by the context's destructor, once no
    // call in progress holds it.
    handleRemove(handleValue(hdc));
    return TRUE;
}

WINBASEAPI HDC WINAPI GetDC(HWND hWnd) { return newDc(DcObject::Kind::Screen, hWnd); }

WINBASEAPI HDC WINAPI GetWindowDC(HWND hWnd) { return newDc(DcObject::Kind::Screen, hWnd); }

WINBASEAPI int WINAPI ReleaseDC(HWND, HDC hDC) {
    auto dc = dcGet(hDC);
    if (!dc || dc->kind != DcObject::Kind::Screen) return 0;
    handleRemove(handleValue(hDC));
    return 1;
}

WINBASEAPI HWND WINAPI WindowFromDC(HDC hDC) {
    auto dc = dcGet(hDC);
    return dc ? dc->window : nullptr;
}

WINBASEAPI int WINAPI SaveDC(HDC hdc) {
    auto dc = dcOrFail(hdc);
    if (!dc) return 0;
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

WINBASEAPI BOOL WINAPI RestoreDC(HDC hdc, int nSavedDC) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    int count = static_cast<int>(dc->saved.size());
    int level = nSavedDC < 0 ? count + 1 + nSavedDC : nSavedDC;
    if (level < 1 || level > count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    dc->state = dc->saved[static_cast<size_t>(level - 1)];
    dc->saved.resize(static_cast<size_t>(level - 1));
    return TRUE;
}

WINBASEAPI COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    auto dc = dcOrFail(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF old = dc->state.textColor;
    dc->state.textColor = color & 0xFFFFFF;
    return old;
}

WINBASEAPI COLORREF WINAPI GetTextColor(HDC hdc) {
    auto dc = dcOrFail(hdc);
    return dc ? dc->state.textColor : CLR_INVALID;
}

WINBASEAPI COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    auto dc = dcOrFail(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF old = dc->state.bkColor;
    dc->state.bkColor = color & 0xFFFFFF;
    return old;
}

WINBASEAPI COLORREF WINAPI GetBkColor(HDC hdc) {
    auto dc = dcOrFail(hdc);
    return dc ? dc->state.bkColor : CLR_INVALID;
}

WINBASEAPI int WINAPI SetBkMode(HDC hdc, int mode) {
    auto dc = dcOrFail(hdc);
    if (!dc) return 0;
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int old = dc->state.bkMode;
    dc->state.bkMode = mode;
    return old;
}

WINBASEAPI int WINAPI GetBkMode(HDC hdc) {
    auto dc = dcOrFail(hdc);
    return dc ? dc->state.bkMode : 0;
}

WINBASEAPI UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
    auto dc = dcOrFail(hdc);
    if (!dc) return 0xFFFFFFFF;  // GDI_ERROR
    UINT old = dc->state.textAlign;
    dc->state.textAlign = align;
    return old;
}

WINBASEAPI UINT WINAPI GetTextAlign(HDC hdc) {
    auto dc = dcOrFail(hdc);
    return dc ? dc->state.textAlign : 0xFFFFFFFF;
}

WINBASEAPI int WINAPI SetStretchBltMode(HDC hdc, int mode) {
    auto dc = dcOrFail(hdc);
    if (!dc) return 0;
    int old = dc->state.stretchMode;
    dc->state.stretchMode = mode;
    return old;
}

WINBASEAPI BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    if (lppt) *lppt = dc->state.origin;
    dc->state.origin = POINT{x, y};
    return TRUE;
}

WINBASEAPI BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT lppoint) {
    auto dc = dcOrFail(hdc);
    if (!dc || !lppoint) return FALSE;
    *lppoint = dc->state.origin;
    return TRUE;
}

WINBASEAPI int WINAPI GetClipBox(HDC hdc, LPRECT lprect) {
    auto dc = dcOrFail(hdc);
    if (!dc || !lprect) return 0;
    QRect box(QPoint(0, 0), dc->deviceSize());
    if (dc->state.clip) box = box.intersected(*dc->state.clip);
    box.translate(-dc->state.origin.x, -dc->state.origin.y);
    *lprect = RECT{box.left(), box.top(), box.left() + box.width(), box.top() + box.height()};
    return box.isEmpty() ? NULLREGION : SIMPLEREGION;
}

WINBASEAPI int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = dcOrFail(hdc);
    if (!dc) return 0;
    QRect r(left + dc->state.origin.x, top + dc->state.origin.y, right - left, bottom - top);
    if (r.width() < 0 || r.height() < 0) r = QRect();
    dc->state.clip = dc->state.clip ? dc->state.clip->intersected(r) : r;
    return dc->state.clip->isEmpty() ? NULLREGION : SIMPLEREGION;
}

}  // extern "C"

namespace platform::ui {

QPainter *gdiPainter(HDC hdc) {
    auto dc = dcGet(hdc);
    return dc ? &dc->paint() : nullptr;
}

}  // namespace platform::ui
