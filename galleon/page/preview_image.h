// The picture of the preview control: a publish item's source fitted into
// the control, and drawn turned and flipped as it will be published.
#pragma once

#include <windows.h>

#include <gd.h>

// The source fitted into boxW x boxH (never enlarged): the photo for a JPEG
// file, else the file's type icon on white. Null when neither can be had.
gdImagePtr previewMakeImage(const char* path, int boxW, int boxH);

// A new image: the given one turned by quarter turns counter-clockwise,
// then mirrored left to right, then top to bottom. Null on failure.
gdImagePtr previewTransformed(gdImagePtr image, int rotation, bool flipH, bool flipV);

// Paints the control's client area white and the transformed image centred
// in it (at least 2 pixels from the top and clear of the right and bottom
// 2 pixels), or "No Preview Available" when there is no image.
void previewPaint(HDC dc, const RECT& area, gdImagePtr image, int rotation, bool flipH, bool flipV);
