// Device contexts: a Qt painter plus the state Windows keeps in a context
// (selected objects, colours, modes, current position, origin, clip).
#pragma once

#include "gdi/objects.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QTransform>

#include <optional>
#include <vector>

namespace platform::ui {

struct DcState {
    HGDIOBJ penHandle = nullptr, brushHandle = nullptr, fontHandle = nullptr;
    std::shared_ptr<PenObject> pen;
    std::shared_ptr<BrushObject> brush;
    std::shared_ptr<FontObject> font;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    int stretchMode = BLACKONWHITE;
    POINT position{0, 0};
    POINT origin{0, 0};
    std::optional<QRect> clip;  // device coordinates
};

class DcObject : public PlatformObject {
public:
    enum class Kind { Painter, Memory, Screen };
    explicit DcObject(Kind kind);
    ~DcObject() override;

    const Kind kind;
    HWND window = nullptr;
    DcState state;
    std::vector<DcState> saved;

    // The painter with the context's origin and clip applied, antialiasing
    // off (GDI shapes are aliased) and normal composition.
    QPainter &paint();
    // The pixels drawn into, for reading back: the selected bitmap, the
    // scratch surface, or a painter's image device; null otherwise.
    QImage *surface();
    // Device size in pixels.
    QSize deviceSize() const;
    // A memory context's bitmap: handle (the stock 1 x 1 bitmap initially),
    // and whether it is monochrome.
    HBITMAP bitmapHandle() const { return bitmapHandle_; }
    bool monochrome() const;
    // Selects a bitmap into a memory context; false when it cannot be drawn
    // into (selected elsewhere).
    bool selectBitmap(HBITMAP handle);

    // A painter context's painter (begun by the caller).
    void attachPainter(QPainter *painter);
    void detachPainter();

private:
    void endSurface();
    QPainter *painter_ = nullptr;
    QPainter ownPainter_;
    QImage image_;  // memory and screen contexts: wraps the bitmap's pixels or a scratch image
    QTransform baseTransform_;  // a painter context's painter as handed over
    bool baseClipped_ = false;
    QRegion baseClip_;
    HBITMAP bitmapHandle_ = nullptr;
    std::shared_ptr<BitmapObject> bitmap_;
    std::shared_ptr<Image> pixels_;
};

std::shared_ptr<DcObject> dcGet(HDC dc);
// The 1 x 1 monochrome stock bitmap that new memory contexts hold.
HBITMAP stockBitmap();
// Selects the stock pen, brush and font into a new context's state.
void dcDefaultObjects(DcState &state);

QColor toQColor(COLORREF color);
// Current text font of a context (its selected font's Qt form).
const QFont &dcFont(DcObject &dc);

}  // namespace platform::ui
