// Pens, brushes, stock objects, SelectObject and GetCurrentObject.
#include "gdi/dcobject.h"

#include "core/app.h"

#include <cstring>
#include <mutex>

using namespace platform;
using namespace platform::ui;

namespace platform::ui {

int PenObject::gdiDescribe(int c, void *pv) const {
    if (pv == nullptr) return static_cast<int>(sizeof(LOGPEN));
    if (c < static_cast<int>(sizeof(LOGPEN))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    *static_cast<LOGPEN *>(pv) = log;
    return static_cast<int>(sizeof(LOGPEN));
}

QPen PenObject::qpen() const {
    if (isNull()) return QPen(Qt::NoPen);
    QPen pen(toQColor(log.lopnColor));
    pen.setWidth(width());
    pen.setCapStyle(width() > 1 ? Qt::RoundCap : Qt::SquareCap);
    pen.setJoinStyle(Qt::MiterJoin);
    switch (log.lopnStyle & PS_STYLE_MASK) {
    case PS_DASH: pen.setDashPattern({6, 2}); break;
    case PS_DOT: pen.setDashPattern({1, 1}); break;
    case PS_DASHDOT: pen.setDashPattern({3, 1, 1, 1}); break;
    case PS_DASHDOTDOT: pen.setDashPattern({3, 1, 1, 1, 1, 1}); break;
    default: break;
    }
    return pen;
}

int BrushObject::gdiDescribe(int c, void *pv) const {
    if (pv == nullptr) return static_cast<int>(sizeof(LOGBRUSH));
    if (c < static_cast<int>(sizeof(LOGBRUSH))) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    LOGBRUSH out = log;
    out.lbColor = color();
    *static_cast<LOGBRUSH *>(pv) = out;
    return static_cast<int>(sizeof(LOGBRUSH));
}

COLORREF BrushObject::color() const {
    return sysColor >= 0 ? GetSysColor(sysColor) : log.lbColor;
}

QBrush BrushObject::qbrush() const {
    if (isNull()) return QBrush(Qt::NoBrush);
    QColor c = toQColor(color());
    if (log.lbStyle != BS_HATCHED) return QBrush(c);
    static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,  Qt::FDiagPattern,
                                             Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    return QBrush(c, log.lbHatch < 6 ? hatches[log.lbHatch] : Qt::SolidPattern);
}

std::shared_ptr<BrushObject> brushOf(HBRUSH brush) {
    if (auto b = handleGet<BrushObject>(brush)) return b;
    // Window classes and FillRect accept a system colour index + 1.
    auto value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= COLOR_MENUBAR + 1) {
        auto sys = handleGet<BrushObject>(GetSysColorBrush(static_cast<int>(value - 1)));
        if (sys) return sys;
    }
    return nullptr;
}

QColor toQColor(COLORREF color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }

}  // namespace platform::ui

namespace {

HGDIOBJ makePen(UINT style, int width, COLORREF color, bool permanent) {
    LOGPEN log{style, {width, 0}, color};
    return handleNew<HGDIOBJ>(std::make_shared<PenObject>(log, permanent));
}

HGDIOBJ makeBrush(UINT style, COLORREF color, bool permanent, int sysColor = -1) {
    LOGBRUSH log{style, color, 0};
    return handleNew<HGDIOBJ>(std::make_shared<BrushObject>(log, permanent, sysColor));
}

HGDIOBJ makeFont(const char *face, LONG height, LONG weight, BYTE pitchAndFamily) {
    LOGFONTA log{};
    log.lfHeight = height;
    log.lfWeight = weight;
    log.lfCharSet = ANSI_CHARSET;
    log.lfPitchAndFamily = pitchAndFamily;
    std::strncpy(log.lfFaceName, face, LF_FACESIZE - 1);
    return handleNew<HGDIOBJ>(std::make_shared<FontObject>(log, true));
}

}  // namespace

namespace platform::ui {

HGDIOBJ stockObject(int index) {
    static std::mutex mutex;
    static HGDIOBJ objects[DC_PEN + 1] = {};
    if (index < 0 || index > DC_PEN) return nullptr;
    std::lock_guard lock(mutex);
    if (objects[index]) return objects[index];
    HGDIOBJ h = nullptr;
    switch (index) {
    case WHITE_BRUSH: h = makeBrush(BS_SOLID, RGB(255, 255, 255), true); break;
    case LTGRAY_BRUSH: h = makeBrush(BS_SOLID, RGB(192, 192, 192), true); break;
    case GRAY_BRUSH: h = makeBrush(BS_SOLID, RGB(128, 128, 128), true); break;
    case DKGRAY_BRUSH: h = makeBrush(BS_SOLID, RGB(64, 64, 64), true); break;
    case BLACK_BRUSH: h = makeBrush(BS_SOLID, RGB(0, 0, 0), true); break;
    case NULL_BRUSH: h = makeBrush(BS_NULL, 0, true); break;
    case DC_BRUSH: h = makeBrush(BS_SOLID, RGB(255, 255, 255), true); break;
    case WHITE_PEN: h = makePen(PS_SOLID, 1, RGB(255, 255, 255), true); break;
    case BLACK_PEN: h = makePen(PS_SOLID, 1, RGB(0, 0, 0), true); break;
    case DC_PEN: h = makePen(PS_SOLID, 1, RGB(0, 0, 0), true); break;
    case NULL_PEN: h = makePen(PS_NULL, 1, 0, true); break;
    // Fonts of the system's families at their classic sizes (cell heights
    // positive, character heights negative, as in LOGFONTA).
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT: uiApplication(); h = makeFont("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS); break;
    case ANSI_VAR_FONT: uiApplication(); h = makeFont("MS Sans Serif", 13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS); break;
    case DEFAULT_GUI_FONT: uiApplication(); h = makeFont("MS Shell Dlg", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS); break;
    case OEM_FIXED_FONT:
    case ANSI_FIXED_FONT:
    case SYSTEM_FIXED_FONT: uiApplication(); h = makeFont("Courier", 13, FW_NORMAL, FIXED_PITCH | FF_MODERN); break;
    default: return nullptr;
    }
    objects[index] = h;
    return h;
}

void dcDefaultObjects(DcState &state) {
    state.penHandle = stockObject(BLACK_PEN);
    state.pen = handleGet<PenObject>(state.penHandle);
    state.brushHandle = stockObject(WHITE_BRUSH);
    state.brush = handleGet<BrushObject>(state.brushHandle);
    state.fontHandle = stockObject(SYSTEM_FONT);
    state.font = handleGet<FontObject>(state.fontHandle);
}

}  // namespace platform::ui

extern "C" {

WINBASEAPI HGDIOBJ WINAPI GetStockObject(int i) { return stockObject(i); }

WINBASEAPI HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color) {
    if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Styled pens are one pixel wide, as on Windows.
    int width = iStyle >= PS_DASH && iStyle <= PS_DASHDOTDOT ? 1 : (cWidth < 1 ? 1 : cWidth);
    return static_cast<HPEN>(makePen(static_cast<UINT>(iStyle), width, color, false));
}

WINBASEAPI HPEN WINAPI CreatePenIndirect(const LOGPEN *plpen) {
    if (plpen == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreatePen(static_cast<int>(plpen->lopnStyle), plpen->lopnWidth.x, plpen->lopnColor);
}

WINBASEAPI HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(makeBrush(BS_SOLID, color & 0xFFFFFF, false));
}

WINBASEAPI HBRUSH WINAPI CreateHatchBrush(int iHatch, COLORREF color) {
    if (iHatch < HS_HORIZONTAL || iHatch > HS_DIAGCROSS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    LOGBRUSH log{BS_HATCHED, color & 0xFFFFFF, static_cast<ULONG_PTR>(iHatch)};
    return handleNew<HBRUSH>(std::make_shared<BrushObject>(log, false));
}

WINBASEAPI HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH *plbrush) {
    if (plbrush == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    switch (plbrush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(plbrush->lbColor);
    case BS_NULL: return static_cast<HBRUSH>(stockObject(NULL_BRUSH));
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(plbrush->lbHatch), plbrush->lbColor);
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

WINBASEAPI HBRUSH WINAPI GetSysColorBrush(int nIndex) {
    static std::mutex mutex;
    static HGDIOBJ brushes[COLOR_MENUBAR + 1] = {};
    if (nIndex < 0 || nIndex > COLOR_MENUBAR) return nullptr;
    std::lock_guard lock(mutex);
    if (!brushes[nIndex]) brushes[nIndex] = makeBrush(BS_SOLID, 0, true, nIndex);
    return static_cast<HBRUSH>(brushes[nIndex]);
}

WINBASEAPI HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
    auto dc = dcGet(hdc);
    auto object = handleGet<GdiObject>(h);
    if (!dc || !object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    DcState &s = dc->state;
    HGDIOBJ previous = nullptr;
    if (auto pen = std::dynamic_pointer_cast<PenObject>(object)) {
        previous = s.penHandle;
        s.penHandle = h, s.pen = pen;
    } else if (auto brush = std::dynamic_pointer_cast<BrushObject>(object)) {
        previous = s.brushHandle;
        s.brushHandle = h, s.brush = brush;
    } else if (auto font = std::dynamic_pointer_cast<FontObject>(object)) {
        previous = s.fontHandle;
        s.fontHandle = h, s.font = font;
    } else if (std::dynamic_pointer_cast<BitmapObject>(object)) {
        // Only memory contexts hold bitmaps; a bitmap is in one context at a time.
        if (dc->kind != DcObject::Kind::Memory) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        previous = dc->bitmapHandle();
        if (!dc->selectBitmap(static_cast<HBITMAP>(h))) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    return previous;
}

WINBASEAPI HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    auto dc = dcGet(hdc);
    if (!dc) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    switch (type) {
    case OBJ_PEN: return dc->state.penHandle;
    case OBJ_BRUSH: return dc->state.brushHandle;
    case OBJ_FONT: return dc->state.fontHandle;
    case OBJ_BITMAP: return dc->bitmapHandle();
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
    }
}

}  // extern "C"
