// Text layout shared by TextOutA, DrawTextA and DrawStateA.
#pragma once

#include "gdi/dcobject.h"

#include <QString>

namespace platform::ui {

// Draws one line with its top-left corner at (x, y) in the context's font
// and text colour; underlines the character at index underline (-1: none).
// With an opaque background mode, fills the line's box with the background
// colour first.
void drawTextLine(DcObject &dc, QPainter &p, int x, int y, const QString &text, int underline,
                  const QColor *color = nullptr);

// Removes '&' prefixes: "&&" becomes "&"; returns the index of the
// character that followed the last single '&' (-1 if none).
QString stripPrefixes(const QString &text, int *underline);

}  // namespace platform::ui
