// DrawIconEx, DrawIcon and DrawStateA: icons blended by their alpha, and the
// disabled (embossed) look of icons, bitmaps and text.
#include "gdi/dc.h"
#include "gdi/text.h"

#include <QFontMetrics>

#include <cstring>

using namespace platform;
using namespace platform::ui;

namespace {

std::shared_ptr<DcObject> dcOrFail(HDC hdc) {
    auto dc = dcGet(hdc);
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

// The shape of an image for the disabled look: every pixel that would not
// be white when the image is drawn on white.
QImage shapeOf(const QImage &image) {
    QImage onWhite(image.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    {
        QPainter p(&onWhite);
        p.drawImage(0, 0, image);
    }
    QImage shape(image.size(), QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((onWhite.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) shape.setPixel(x, y, 0xFF000000);
    return shape;
}

QImage tinted(const QImage &shape, const QColor &color) {
    QImage out = shape;
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(out.rect(), color);
    return out;
}

// Draws image at r in the requested state.
void drawImageState(QPainter &p, const QRect &r, const QImage &image, UINT flags, const QBrush *fore) {
    if (flags & DSS_DISABLED) {
        QImage shape = shapeOf(image.scaled(r.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        p.drawImage(r.topLeft() + QPoint(1, 1), tinted(shape, toQColor(GetSysColor(COLOR_BTNHIGHLIGHT))));
        p.drawImage(r.topLeft(), tinted(shape, toQColor(GetSysColor(COLOR_BTNSHADOW))));
    } else if (flags & DSS_MONO) {
        QImage shape = shapeOf(image.scaled(r.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        p.drawImage(r.topLeft(), tinted(shape, fore ? fore->color() : QColor(Qt::black)));
    } else {
        p.drawImage(r, image);
    }
}

}  // namespace

extern "C" {

WINBASEAPI BOOL WINAPI DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT,
                                  HBRUSH hbrFlickerFreeDraw, UINT diFlags) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    QImage image = gdiIconImage(hIcon);
    if (image.isNull()) {
        SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return FALSE;
    }
    int w = cxWidth, h = cyWidth;
    if (w == 0) w = (diFlags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : image.width();
    if (h == 0) h = (diFlags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : image.height();
    QRect target(xLeft, yTop, w, h);
    QPainter &p = dc->paint();
    if (auto brush = brushOf(hbrFlickerFreeDraw)) p.fillRect(target, brush->qbrush());
    QImage scaled = image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    UINT what = diFlags & DI_NORMAL;
    if (what == DI_MASK) {
        // The mask alone: black where the icon is opaque, white elsewhere.
        QImage mask(scaled.size(), QImage::Format_RGB32);
        for (int y = 0; y < scaled.height(); ++y)
            for (int x = 0; x < scaled.width(); ++x)
                mask.setPixel(x, y, qAlpha(scaled.pixel(x, y)) >= 128 ? 0xFF000000 : 0xFFFFFFFF);
        p.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        p.drawImage(target.topLeft(), mask);
    } else if (what == DI_IMAGE) {
        // The colours alone, without the mask.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(target.topLeft(), scaled.convertToFormat(QImage::Format_RGB32));
    } else {
        p.drawImage(target.topLeft(), scaled);
    }
    return TRUE;
}

WINBASEAPI BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
    return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

WINBASEAPI BOOL WINAPI DrawStateA(HDC hdc, HBRUSH hbrFore, DRAWSTATEPROC qfnCallBack, LPARAM lData, WPARAM wData,
                                  int x, int y, int cx, int cy, UINT uFlags) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    auto foreBrush = brushOf(hbrFore);
    QBrush fore = foreBrush ? foreBrush->qbrush() : QBrush(Qt::black);
    UINT type = uFlags & 0x000F;
    switch (type) {
    case DST_ICON:
    case DST_BITMAP: {
        QImage image = type == DST_ICON ? gdiIconImage(reinterpret_cast<HICON>(lData))
                                        : gdiBitmapImage(reinterpret_cast<HBITMAP>(lData));
        if (image.isNull()) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        QRect r(x, y, cx > 0 ? cx : image.width(), cy > 0 ? cy : image.height());
        drawImageState(dc->paint(), r, image, uFlags, &fore);
        return TRUE;
    }
    case DST_TEXT:
    case DST_PREFIXTEXT: {
        const char *text = reinterpret_cast<const char *>(lData);
        if (!text) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        int length = wData ? static_cast<int>(wData) : static_cast<int>(std::strlen(text));
        QString s = gdiFromAnsi(text, length);
        int underline = -1;
        if (type == DST_PREFIXTEXT) {
            s = stripPrefixes(s, &underline);
            if (uFlags & DSS_HIDEPREFIX) underline = -1;
        }
        QPainter &p = dc->paint();
        int savedMode = dc->state.bkMode;
        dc->state.bkMode = TRANSPARENT;
        if (uFlags & DSS_DISABLED) {
            QColor light = toQColor(GetSysColor(COLOR_BTNHIGHLIGHT)), dark = toQColor(GetSysColor(COLOR_BTNSHADOW));
            drawTextLine(*dc, p, x + 1, y + 1, s, underline, &light);
            drawTextLine(*dc, p, x, y, s, underline, &dark);
        } else if (uFlags & DSS_MONO) {
            QColor c = fore.color();
            drawTextLine(*dc, p, x, y, s, underline, &c);
        } else {
            drawTextLine(*dc, p, x, y, s, underline);
        }
        dc->state.bkMode = savedMode;
        return TRUE;
    }
    case DST_COMPLEX: {
        if (!qfnCallBack) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        // The callback draws at the origin of a context moved to (x, y).
        POINT old = dc->state.origin;
        dc->state.origin = POINT{old.x + x, old.y + y};
        BOOL ok = qfnCallBack(hdc, lData, wData, cx, cy);
        dc->state.origin = old;
        return ok;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
}

}  // extern "C"
