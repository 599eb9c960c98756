// DrawEdge and DrawFrameControl: the classic three-dimensional look in the
// system colours.
#include "gdi/dcobject.h"

using namespace platform;
using namespace platform::ui;

namespace {

QColor sys(int index) { return toQColor(GetSysColor(index)); }

// One ring of an edge: top and left in one colour, bottom and right in
// another; the bottom-right pair covers the corners it shares.
void ring(QPainter &p, const QRect &r, UINT sides, const QColor &topLeft, const QColor &bottomRight) {
    if (r.width() <= 0 || r.height() <= 0) return;
    if (sides & BF_TOP) p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    if (sides & BF_LEFT) p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    if (sides & BF_BOTTOM) p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    if (sides & BF_RIGHT) p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

QRect shrink(const QRect &r, UINT sides) {
    return r.adjusted((sides & BF_LEFT) ? 1 : 0, (sides & BF_TOP) ? 1 : 0, (sides & BF_RIGHT) ? -1 : 0,
                      (sides & BF_BOTTOM) ? -1 : 0);
}

// Draws the edge and returns the rectangle inside it.
QRect drawEdge(QPainter &p, QRect r, UINT edge, UINT flags) {
    UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
    if (flags & (BF_MONO | BF_FLAT)) {
        // Flat and mono edges: one line of the frame colour, then the face.
        QColor line = (flags & BF_MONO) ? sys(COLOR_WINDOWFRAME) : sys(COLOR_BTNSHADOW);
        QColor face = (flags & BF_MONO) ? sys(COLOR_WINDOW) : sys(COLOR_BTNFACE);
        if (outer) ring(p, r, flags, line, line), r = shrink(r, flags);
        if (inner) ring(p, r, flags, face, face), r = shrink(r, flags);
    } else {
        if (outer & BDR_RAISEDOUTER) {
            ring(p, r, flags, sys((flags & BF_SOFT) ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT), sys(COLOR_3DDKSHADOW));
            r = shrink(r, flags);
        } else if (outer & BDR_SUNKENOUTER) {
            ring(p, r, flags, sys((flags & BF_SOFT) ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW), sys(COLOR_BTNHIGHLIGHT));
            r = shrink(r, flags);
        }
        if (inner & BDR_RAISEDINNER) {
            ring(p, r, flags, sys((flags & BF_SOFT) ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT), sys(COLOR_BTNSHADOW));
            r = shrink(r, flags);
        } else if (inner & BDR_SUNKENINNER) {
            ring(p, r, flags, sys((flags & BF_SOFT) ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW), sys(COLOR_3DLIGHT));
            r = shrink(r, flags);
        }
    }
    if (flags & BF_MIDDLE) p.fillRect(r, (flags & BF_MONO) ? sys(COLOR_WINDOW) : sys(COLOR_BTNFACE));
    return r;
}

QRect toQRect(const RECT &r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

void setRect(LPRECT out, const QRect &r) { *out = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

// A glyph centred in r, drawn from rows of a 7 x 7 pattern scaled to fit.
void glyph(QPainter &p, const QRect &r, const char *const rows[7], const QColor &color) {
    int unit = std::max(1, std::min(r.width(), r.height()) / 10);
    int x0 = r.left() + (r.width() - 7 * unit) / 2, y0 = r.top() + (r.height() - 7 * unit) / 2;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            if (rows[y][x] == '#') p.fillRect(QRect(x0 + x * unit, y0 + y * unit, unit, unit), color);
}

const char *const kCheck[7] = {"......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#...."};
const char *const kArrowRight[7] = {"..#....", "..##...", "..###..", "..####.", "..###..", "..##...", "..#...."};
const char *const kArrowDown[7] = {".......", ".......", "#######", ".#####.", "..###..", "...#...", "......."};
const char *const kArrowUp[7] = {".......", "...#...", "..###..", ".#####.", "#######", ".......", "......."};
const char *const kArrowLeft[7] = {"....#..", "...##..", "..###..", ".####..", "..###..", "...##..", "....#.."};
const char *const kBullet[7] = {".......", "..###..", ".#####.", ".#####.", ".#####.", "..###..", "......."};
const char *const kClose[7] = {"##...##", ".##.##.", "..###..", "..###..", ".##.##.", "##...##", "......."};
const char *const kMin[7] = {".......", ".......", ".......", ".......", ".......", "######.", "######."};
const char *const kMax[7] = {"#######", "#######", "#.....#", "#.....#", "#.....#", "#.....#", "#######"};
const char *const kHelp[7] = {".####..", "##..##.", "...##..", "..##...", "..##...", ".......", "..##..."};

void checkBox(QPainter &p, QRect r, UINT state) {
    int side = std::min(13, std::min(r.width(), r.height()));
    QRect box(r.left() + (r.width() - side) / 2, r.top() + (r.height() - side) / 2, side, side);
    QRect inside = (state & DFCS_FLAT) ? drawEdge(p, box, BDR_SUNKENOUTER, BF_RECT | BF_FLAT)
                                        : drawEdge(p, box, EDGE_SUNKEN, BF_RECT);
    p.fillRect(inside, (state & (DFCS_PUSHED | DFCS_INACTIVE)) ? sys(COLOR_BTNFACE) : sys(COLOR_WINDOW));
    if (state & DFCS_CHECKED)
        glyph(p, inside, kCheck, (state & DFCS_INACTIVE) ? sys(COLOR_GRAYTEXT) : sys(COLOR_WINDOWTEXT));
}

void radio(QPainter &p, QRect r, UINT state) {
    int side = std::min(12, std::min(r.width(), r.height()));
    QRect box(r.left() + (r.width() - side) / 2, r.top() + (r.height() - side) / 2, side, side);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(sys(COLOR_BTNSHADOW), 1));
    p.setBrush((state & (DFCS_PUSHED | DFCS_INACTIVE)) ? sys(COLOR_BTNFACE) : sys(COLOR_WINDOW));
    p.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    if (state & DFCS_CHECKED) {
        p.setPen(Qt::NoPen);
        p.setBrush((state & DFCS_INACTIVE) ? sys(COLOR_GRAYTEXT) : sys(COLOR_WINDOWTEXT));
        p.drawEllipse(QRectF(box).adjusted(side * 0.33, side * 0.33, -side * 0.33, -side * 0.33));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

void sizeGrip(QPainter &p, const QRect &r) {
    // Three pairs of diagonal lines in the lower right corner.
    int n = std::min(r.width(), r.height());
    for (int k = 0; k < 3; ++k) {
        int offset = 4 * k + 1;
        for (int i = 0; i < n - offset; ++i) {
            int x = r.right() - i, y = r.bottom() - (n - offset - 1) + i;
            if (y < r.top()) continue;
            p.fillRect(QRect(x - 0, y, 1, 1), sys(COLOR_BTNHIGHLIGHT));
            p.fillRect(QRect(x + 1 <= r.right() ? x + 1 : x, y, 1, 1), sys(COLOR_BTNSHADOW));
        }
    }
}

}  // namespace

extern "C" {

WINBASEAPI BOOL WINAPI DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
    auto dc = dcGet(hdc);
    if (!dc || !qrc) {
        SetLastError(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    QRect inside = drawEdge(dc->paint(), toQRect(*qrc), edge, grfFlags);
    if (grfFlags & BF_ADJUST) setRect(qrc, inside);
    return TRUE;
}

WINBASEAPI BOOL WINAPI DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
    auto dc = dcGet(hdc);
    if (!dc || !lprc) {
        SetLastError(dc ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    QPainter &p = dc->paint();
    QRect r = toQRect(*lprc);
    QColor ink = (uState & DFCS_INACTIVE) ? sys(COLOR_GRAYTEXT) : sys(COLOR_BTNTEXT);
    auto button = [&](bool pushed) {
        UINT flags = BF_RECT | BF_MIDDLE | ((uState & DFCS_FLAT) ? BF_FLAT : BF_SOFT);
        if (uState & DFCS_MONO) flags |= BF_MONO;
        QRect inside = drawEdge(p, r, pushed ? EDGE_SUNKEN : EDGE_RAISED, flags);
        if (uState & DFCS_ADJUSTRECT) setRect(lprc, inside);
        return pushed ? inside.translated(1, 1) : inside;
    };
    switch (uType) {
    case DFC_BUTTON:
        if (uState & DFCS_BUTTONPUSH) {
            // The hot state has no classic look of its own.
            button((uState & (DFCS_PUSHED | DFCS_CHECKED)) != 0);
        } else if (uState & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
            radio(p, r, uState);
        } else {
            checkBox(p, r, uState);
        }
        return TRUE;
    case DFC_CAPTION: {
        QRect inside = button((uState & DFCS_PUSHED) != 0);
        const char *const *rows = kClose;
        switch (uState & 0xFF) {
        case DFCS_CAPTIONMIN: rows = kMin; break;
        case DFCS_CAPTIONMAX: rows = kMax; break;
        case DFCS_CAPTIONRESTORE: rows = kMax; break;
        case DFCS_CAPTIONHELP: rows = kHelp; break;
        default: break;
        }
        glyph(p, inside, rows, ink);
        return TRUE;
    }
    case DFC_SCROLL: {
        if (uState & (DFCS_SCROLLSIZEGRIP | DFCS_SCROLLSIZEGRIPRIGHT)) {
            p.fillRect(r, sys(COLOR_BTNFACE));
            sizeGrip(p, r);
            return TRUE;
        }
        QRect inside = button((uState & DFCS_PUSHED) != 0);
        const char *const *rows = kArrowUp;
        switch (uState & 0xFF) {
        case DFCS_SCROLLDOWN:
        case DFCS_SCROLLCOMBOBOX: rows = kArrowDown; break;
        case DFCS_SCROLLLEFT: rows = kArrowLeft; break;
        case DFCS_SCROLLRIGHT: rows = kArrowRight; break;
        default: break;
        }
        glyph(p, inside, rows, ink);
        return TRUE;
    }
    case DFC_MENU:
    case DFC_POPUPMENU: {
        // Menu glyphs: black on white, as masks are drawn on Windows.
        p.fillRect(r, Qt::white);
        const char *const *rows = kArrowRight;
        if ((uState & 0xFF) == DFCS_MENUCHECK) rows = kCheck;
        else if ((uState & 0xFF) == DFCS_MENUBULLET) rows = kBullet;
        glyph(p, r, rows, Qt::black);
        return TRUE;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
    }
}

}  // extern "C"
