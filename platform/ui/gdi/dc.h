// What the rest of the user-interface library needs from graphics: device
// contexts that draw through a Qt painter (a window's WM_PAINT, owner-drawn
// controls' WM_DRAWITEM), the state a WM_CTLCOLOR* handler leaves in a
// context, and Qt forms of fonts, brushes, colours, icons, bitmaps and text.
#pragma once

#include "handles.h"

#include <windows.h>

class QByteArray;
class QColor;
class QFont;
class QImage;
class QPainter;
class QString;

namespace platform::ui {

// A device context that draws through painter. The painter stays the
// caller's and must stay active until gdiEndPaint. The context starts as
// Windows starts one: black pen, white brush, black text on an opaque white
// background; its font is font, or the system font when null. window is what
// WindowFromDC answers (may be null). Null when the handle table is full.
PLATFORM_INTERNAL HDC gdiBeginPaint(QPainter *painter, HWND window = nullptr, HFONT font = nullptr);
// Ends such a context: the painter gets back the state it had at
// gdiBeginPaint and the handle becomes invalid. Objects selected into the
// context live on as long as their own handles.
PLATFORM_INTERNAL void gdiEndPaint(HDC dc);

// The colours, background mode and font a context holds now (what a
// WM_CTLCOLOR* handler chose with SetTextColor, SetBkColor, SetBkMode and
// SelectObject). False for an unknown context.
struct DcTextState {
    COLORREF textColor;
    COLORREF bkColor;
    int bkMode;  // TRANSPARENT or OPAQUE
    HFONT font;
};
PLATFORM_INTERNAL bool gdiDcTextState(HDC dc, DcTextState *state);

// The Qt font of a font handle; the default GUI font's for null or an
// unknown handle.
PLATFORM_INTERNAL QFont gdiFont(HFONT font);
// The stock DEFAULT_GUI_FONT (dialogs without a font of their own).
PLATFORM_INTERNAL HFONT gdiDefaultGuiFont();
// The colour of a solid, hatched or system-colour brush (also the brush
// values COLOR_* + 1); false for the null brush and anything else.
PLATFORM_INTERNAL bool gdiBrushColor(HBRUSH brush, QColor *color);
PLATFORM_INTERNAL QColor gdiColor(COLORREF color);
PLATFORM_INTERNAL COLORREF gdiColorRef(const QColor &color);

// Icons and bitmaps as premultiplied ARGB images; null images for unknown
// handles.
PLATFORM_INTERNAL QImage gdiIconImage(HICON icon);
PLATFORM_INTERNAL QImage gdiBitmapImage(HBITMAP bitmap);
// A new icon handle holding the image's pixels (null when the table is full).
PLATFORM_INTERNAL HICON gdiIconFromImage(const QImage &image);

// Text of the Windows Latin-1 code page (1252) to and from Qt's strings;
// length -1: up to the NUL. Characters outside the code page become '?'.
PLATFORM_INTERNAL QString gdiFromAnsi(const char *text, int length = -1);
PLATFORM_INTERNAL QByteArray gdiToAnsi(const QString &text);

}  // namespace platform::ui

namespace platform::ui {

// Image lists for the controls that show them: the size of its images, how
// many it holds, image i as a premultiplied ARGB image (null for a bad
// index), and a number that changes whenever the list does, so a control can
// tell when to fetch its images again. 0 / false for an unknown list.
PLATFORM_INTERNAL bool gdiImageListSize(HIMAGELIST list, int *cx, int *cy);
PLATFORM_INTERNAL int gdiImageListCount(HIMAGELIST list);
PLATFORM_INTERNAL QImage gdiImageListImage(HIMAGELIST list, int index);
PLATFORM_INTERNAL unsigned gdiImageListGeneration(HIMAGELIST list);

}  // namespace platform::ui

namespace platform::ui {

// The painter of a device context, set up for drawing at the context's
// origin and within its clip (valid until the next call on the context);
// null for an unknown context.
PLATFORM_INTERNAL QPainter *gdiPainter(HDC dc);

}  // namespace platform::ui
