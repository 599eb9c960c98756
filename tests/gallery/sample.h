// Test pictures and a sample collection for the gallery tests.
#pragma once

#include <string>

namespace gallery {

// Writes a w x h baseline JPEG: four coloured quadrants (red top-left, green
// top-right, blue bottom-left, white bottom-right) so that turns and flips
// can be checked on pixels. Returns false on failure.
bool writeJpeg(const std::string& path, int w, int h, int quality = 90);

// The same with about metadataBytes of application segments before the frame
// header, as large camera metadata puts it.
bool writeJpegWithMetadata(const std::string& path, int w, int h, long metadataBytes);

// Colour of a decoded picture's pixel: 0xRRGGBB, or -1.
int pixelOf(const std::string& jpegPath, int x, int y);
// Width and height of a JPEG file or JPEG bytes; false when not a JPEG.
bool jpegSize(const std::string& path, int* w, int* h);
bool jpegBytesSize(const std::string& bytes, int* w, int* h);

// Closest of the four quadrant colours: 'R', 'G', 'B', 'W' (or '?').
char quadrantColour(int rgb);

// True when both files carry the same last-write time as the file system's
// 100-nanosecond times see it.
bool sameWriteTime(const std::string& a, const std::string& b);

// Fills <collections>/<name> with photos of several sizes, text files, a
// subfolder, hidden thumbnails and names that need escaping.
void makeSampleCollection(const std::string& collectionsDir, const std::string& name);

}  // namespace gallery
