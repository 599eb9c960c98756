// Pixel size of a picture, read from the header of its file.
#pragma once

enum {
    PROBE_NONE = 0,
    PROBE_JPEG = 1,
    PROBE_GIF = 2,
    PROBE_PNG = 3,
    PROBE_BMP = 4,
};

// Finds a GIF, BMP or PNG header at the start of the file, or follows a
// JPEG's markers to its first start-of-frame wherever in the file it lies.
// Returns the PROBE_* kind (PROBE_NONE when the size cannot be read) and fills
// width and height.
int imageProbe(const char* path, int* width, int* height);

// The same on bytes already in memory.
int imageProbeBytes(const unsigned char* data, int size, int* width, int* height);
