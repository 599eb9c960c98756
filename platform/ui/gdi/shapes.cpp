// Rectangles, lines, ellipses, polygons, pixels and the focus rectangle.
// Rectangles exclude their right and bottom edges; lines exclude their last
// point, as in GDI.
#include "gdi/dcobject.h"

#include <cstdlib>

using namespace platform;
using namespace platform::ui;

namespace {

std::shared_ptr<DcObject> dcOrFail(HDC hdc) {
    auto dc = dcGet(hdc);
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

QRect toQRect(const RECT &r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// A frame of thickness t just inside r, filled with brush.
void fillFrame(QPainter &p, const QRect &r, int t, const QBrush &brush) {
    if (r.width() <= 0 || r.height() <= 0) return;
    if (t * 2 >= r.width() || t * 2 >= r.height()) {
        p.fillRect(r, brush);
        return;
    }
    p.fillRect(QRect(r.left(), r.top(), r.width(), t), brush);
    p.fillRect(QRect(r.left(), r.bottom() - t + 1, r.width(), t), brush);
    p.fillRect(QRect(r.left(), r.top() + t, t, r.height() - 2 * t), brush);
    p.fillRect(QRect(r.right() - t + 1, r.top() + t, t, r.height() - 2 * t), brush);
}

// The pixel before (x2, y2) on the line from (x1, y1): GDI leaves out a
// line's last point, Qt's aliased lines include it.
QPoint lastPointBefore(int x1, int y1, int x2, int y2) {
    int dx = x2 - x1, dy = y2 - y1;
    int adx = std::abs(dx), ady = std::abs(dy);
    if (adx == 0 && ady == 0) return QPoint(x2, y2);
    if (adx >= ady) {
        int steps = adx - 1;
        int y = y1 + (adx ? static_cast<int>(std::lround(static_cast<double>(dy) * steps / adx)) : 0);
        return QPoint(x1 + (dx > 0 ? steps : -steps), y);
    }
    int steps = ady - 1;
    int x = x1 + static_cast<int>(std::lround(static_cast<double>(dx) * steps / ady));
    return QPoint(x, y1 + (dy > 0 ? steps : -steps));
}

void drawLine(DcObject &dc, QPainter &p, int x1, int y1, int x2, int y2) {
    const PenObject &pen = *dc.state.pen;
    if (pen.isNull() || (x1 == x2 && y1 == y2)) return;
    p.setPen(pen.qpen());
    if (pen.width() == 1) {
        QPoint end = lastPointBefore(x1, y1, x2, y2);
        p.drawLine(QPoint(x1, y1), end);
    } else {
        p.drawLine(QPoint(x1, y1), QPoint(x2, y2));
    }
}

}  // namespace

extern "C" {

WINBASEAPI int WINAPI FillRect(HDC hDC, const RECT *lprc, HBRUSH hbr) {
    auto dc = dcOrFail(hDC);
    auto brush = brushOf(hbr);
    if (!dc || !lprc || !brush) {
        if (dc) SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    QPainter &p = dc->paint();
    p.fillRect(toQRect(*lprc), brush->qbrush());
    return 1;
}

WINBASEAPI int WINAPI FrameRect(HDC hDC, const RECT *lprc, HBRUSH hbr) {
    auto dc = dcOrFail(hDC);
    auto brush = brushOf(hbr);
    if (!dc || !lprc || !brush) {
        if (dc) SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    QPainter &p = dc->paint();
    fillFrame(p, toQRect(*lprc), 1, brush->qbrush());
    return 1;
}

WINBASEAPI BOOL WINAPI InvertRect(HDC hDC, const RECT *lprc) {
    auto dc = dcOrFail(hDC);
    if (!dc || !lprc) return FALSE;
    QPainter &p = dc->paint();
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.fillRect(toQRect(*lprc), Qt::black);
    return TRUE;
}

WINBASEAPI BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    QPainter &p = dc->paint();
    QRect r(left, top, right - left, bottom - top);
    const PenObject &pen = *dc->state.pen;
    int t = pen.isNull() ? 0 : pen.width();
    if (!dc->state.brush->isNull()) p.fillRect(r.adjusted(t, t, -t, -t), dc->state.brush->qbrush());
    if (t == 0) return TRUE;
    int style = pen.log.lopnStyle & PS_STYLE_MASK;
    if (style == PS_SOLID || style == PS_INSIDEFRAME || t > 1) {
        fillFrame(p, r, t, QBrush(toQColor(pen.log.lopnColor)));
    } else {
        p.setPen(pen.qpen());
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
    return TRUE;
}

WINBASEAPI BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    QPainter &p = dc->paint();
    p.setPen(dc->state.pen->qpen());
    p.setBrush(dc->state.brush->qbrush());
    p.drawRoundedRect(QRect(left, top, right - left - 1, bottom - top - 1), width / 2.0, height / 2.0);
    return TRUE;
}

WINBASEAPI BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    QPainter &p = dc->paint();
    p.setPen(dc->state.pen->qpen());
    p.setBrush(dc->state.brush->qbrush());
    p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
    return TRUE;
}

WINBASEAPI BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    if (lppt) *lppt = dc->state.position;
    dc->state.position = POINT{x, y};
    return TRUE;
}

WINBASEAPI BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    auto dc = dcOrFail(hdc);
    if (!dc) return FALSE;
    QPainter &p = dc->paint();
    drawLine(*dc, p, dc->state.position.x, dc->state.position.y, x, y);
    dc->state.position = POINT{x, y};
    return TRUE;
}

WINBASEAPI BOOL WINAPI Polyline(HDC hdc, const POINT *apt, int cpt) {
    auto dc = dcOrFail(hdc);
    if (!dc || !apt || cpt < 2) {
        if (dc) SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    QPainter &p = dc->paint();
    for (int i = 1; i < cpt; ++i) drawLine(*dc, p, apt[i - 1].x, apt[i - 1].y, apt[i].x, apt[i].y);
    return TRUE;
}

WINBASEAPI BOOL WINAPI Polygon(HDC hdc, const POINT *apt, int cpt) {
    auto dc = dcOrFail(hdc);
    if (!dc || !apt || cpt < 2) {
        if (dc) SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    QPolygon polygon;
    for (int i = 0; i < cpt; ++i) polygon << QPoint(apt[i].x, apt[i].y);
    QPainter &p = dc->paint();
    p.setPen(dc->state.pen->qpen());
    p.setBrush(dc->state.brush->qbrush());
    p.drawPolygon(polygon);
    return TRUE;
}

WINBASEAPI BOOL WINAPI DrawFocusRect(HDC hDC, const RECT *lprc) {
    auto dc = dcOrFail(hDC);
    if (!dc || !lprc) return FALSE;
    QRect r = toQRect(*lprc);
    if (r.width() <= 0 || r.height() <= 0) return TRUE;
    QPainter &p = dc->paint();
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    // Every other pixel of the border, in a checker pattern from the
    // top-left corner, so that a second call restores the pixels.
    auto dot = [&](int x, int y) {
        if (((x - r.left()) + (y - r.top())) % 2 == 0) p.fillRect(QRect(x, y, 1, 1), Qt::black);
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        dot(x, r.top());
        if (r.bottom() > r.top()) dot(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        dot(r.left(), y);
        if (r.right() > r.left()) dot(r.right(), y);
    }
    return TRUE;
}

WINBASEAPI COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    auto dc = dcOrFail(hdc);
    QImage *surface = dc ? dc->surface() : nullptr;
    if (!surface) return CLR_INVALID;
    QPoint pt = dc->paint().transform().map(QPoint(x, y));
    if (!surface->rect().contains(pt) || (dc->state.clip && !dc->state.clip->contains(pt))) return CLR_INVALID;
    QColor c = surface->pixelColor(pt);
    return RGB(c.red(), c.green(), c.blue());
}

WINBASEAPI COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
    auto dc = dcOrFail(hdc);
    if (!dc) return CLR_INVALID;
    QPainter &p = dc->paint();
    p.fillRect(QRect(x, y, 1, 1), toQColor(color));
    return color & 0xFFFFFF;
}

WINBASEAPI BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF color) {
    return SetPixel(hdc, x, y, color) != CLR_INVALID;
}

}  // extern "C"
