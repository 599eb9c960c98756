// Pens, brushes and fonts: GDI objects of the handle table with their Qt
// forms. DeleteObject and GetObjectA (in libplatform) serve them through
// GdiObject.
#pragma once

#include "res_image.h"

#include <QBrush>
#include <QFont>
#include <QPen>

#include <windows.h>

#include <memory>

namespace platform::ui {

class PenObject : public GdiObject {
public:
    PenObject(const LOGPEN &log, bool permanent) : GdiObject(ObjectType::Other, permanent), log(log) {}
    DWORD gdiType() const override { return OBJ_PEN; }
    int gdiDescribe(int c, void *pv) const override;
    bool isNull() const { return (log.lopnStyle & PS_STYLE_MASK) == PS_NULL; }
    int width() const { return log.lopnWidth.x > 1 ? log.lopnWidth.x : 1; }
    QPen qpen() const;
    const LOGPEN log;
};

class BrushObject : public GdiObject {
public:
    // sysColor >= 0: a brush of that system colour (GetSysColorBrush).
    BrushObject(const LOGBRUSH &log, bool permanent, int sysColor = -1)
        : GdiObject(ObjectType::Other, permanent), log(log), sysColor(sysColor) {}
    DWORD gdiType() const override { return OBJ_BRUSH; }
    int gdiDescribe(int c, void *pv) const override;
    bool isNull() const { return log.lbStyle == BS_NULL; }
    COLORREF color() const;
    QBrush qbrush() const;
    const LOGBRUSH log;
    const int sysColor;
};

class FontObject : public GdiObject {
public:
    FontObject(const LOGFONTA &log, bool permanent);
    DWORD gdiType() const override { return OBJ_FONT; }
    int gdiDescribe(int c, void *pv) const override;
    const LOGFONTA log;
    QFont font;  // resolved to an installed family, sized in pixels
};

// Stock objects (GetStockObject indexes), created on first use; permanent.
HGDIOBJ stockObject(int index);
// The brush of a handle, also for the values COLOR_* + 1; null if none.
std::shared_ptr<BrushObject> brushOf(HBRUSH brush);

// The installed family that a Windows face name stands for, through
// fontconfig ("Arial" is Liberation Sans; unknown names fall back to the
// desktop's sans-serif font, DejaVu Sans by default).
QString resolveFontFamily(const char *faceName, BYTE pitchAndFamily);

}  // namespace platform::ui
