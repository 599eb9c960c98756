// The image handler: built-in pictures ("/cii:"), file and folder icons
// ("/cid:" small, "/cib:" large), photo thumbnails ("/cif:") and the disk
// usage picture ("/cip:").
#pragma once

#include "request.h"

#include <string>

// Image handler (see request.h): the status answered, 500 when nothing was written.
int imageAnswer(HttpRequest* req);

// A built-in picture by name (case-insensitive): its bytes, or false.
bool imagesBuiltin(HMODULE module, const char* name, const unsigned char** data, int* size);

// Icon of a file or folder path, small (16 x 16) or large (32 x 32): the PNG
// bytes of the icon of its type family, or false.
bool imagesIcon(HMODULE module, const char* path, bool small, const unsigned char** data, int* size);
// The same without looking at the file system: by the name's type, or a folder.
bool imagesTypeIcon(HMODULE module, const char* name, bool folder, bool small, const unsigned char** data,
                    int* size);

// Usage picture: a pie of `used` against `free` in a diameter x diameter
// PNG (diameter at most 200). Returns the PNG bytes, empty on failure.
std::string imagesUsagePicture(int diameter, long long used, long long free);

// Content type that names the bytes: "image/png", "image/gif" or "image/jpeg".
const char* imagesContentType(const unsigned char* data, int size);
