// Thumbnails of photos: small JPEG pictures kept beside each photo as a hidden
// "<name>.tmb" file whose last-write time equals the photo's.
#pragma once

#include <windows.h>

constexpr int THUMB_BOX = 94;       // the thumbnail box of the pages, in pixels
constexpr int THUMB_QUALITY = 95;   // JPEG quality of thumbnails and published photos

// Thumbnail path of a photo: the text from the last '.' of the file name is
// replaced by ".tmb" (a name without '.' gets it appended). 0, or -2 when it
// does not fit.
int thumbPath(const char* photoPath, char* out, int size);

// Size of the thumbnail of a w x h picture in a boxW x boxH box.
void thumbFit(int w, int h, int boxW, int boxH, int* tw, int* th);

// Makes (or reuses, when fresh) the thumbnail of a JPEG photo in the box and
// stores it in the ".tmb" file. When `out` is given it receives a malloc'd
// copy of the JPEG bytes (free() it). `photoTime` receives the photo's
// last-write time (zero when the photo could not be opened). Returns the JPEG
// size in bytes, 0 on failure.
int thumbMake(const char* photoPath, int boxW, int boxH, unsigned char** out, FILETIME* photoTime);

// Decodes a JPEG file into a true-colour gd image, at a reduced scale when the
// picture is at least twice `minW` x `minH` (0, 0: full size). Returns a
// gdImagePtr (as void*) or null; gdImageDestroy it.
void* thumbDecodeJpeg(const char* path, int minW, int minH);
