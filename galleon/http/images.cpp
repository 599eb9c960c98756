#include "images.h"

#include "bufmod.h"
#include "config.h"
#include "object.h"
#include "respmod.h"
#include "target.h"
#include "thumb.h"
#include "varmod.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <strings.h>

namespace {

constexpr long kDay = 86400;
constexpr long kMinute = 60;

// The date of the built-in pictures: string 1 of the module, an HTTP date
// ("Fri, 21 May 2004 16:00:00 GMT") or a plain "YYYY-MM-DD"; zero otherwise.
time_t builtinDate(HMODULE module) {
    static std::once_flag once;
    static time_t date = 0;
    std::call_once(once, [module] {
        char text[128] = "";
        if (LoadStringA(module, 1, text, sizeof text) <= 0) return;
        struct tm tm{};
        const char* end = strptime(text, "%a, %d %b %Y %H:%M:%S", &tm);
        if (!end) {
            tm = {};
            end = strptime(text, "%Y-%m-%d", &tm);
        }
        if (end) date = timegm(&tm);
    });
    return date;
}

time_t fileTimeToUnix(const FILETIME& t) {
    unsigned long long v = (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    if (v < 116444736000000000ULL) return 0;
    return static_cast<time_t>((v - 116444736000000000ULL) / 10000000ULL);
}

// Status line, common headers, the image headers and (for GET/POST) the bytes.
int sendImage(HttpRequest* req, time_t lastModified, long expiresIn, const char* type, const void* data, int size) {
    if (respmodSendHeader(req->slot, 200, req->flags, req->timeout, req->max) != 0) return 500;
    char date[64], header[512];
    respmodFormatDate(date, &lastModified, 0);
    int n = std::snprintf(header, sizeof header, "Last-modified: %s\r\n", date);
    if (expiresIn > 0) {
        char expires[64];
        respmodFormatDate(expires, nullptr, expiresIn);
        n += std::snprintf(header + n, sizeof header - n, "Expires: %s\r\n", expires);
    }
    n += std::snprintf(header + n, sizeof header - n, "Content-Length: %d\r\nContent-Type: %s\r\n\r\n", size, type);
    if (bufmodWrite(req->slot, header, n) != 0) return 500;
    if (req->flags & (REQ_GET | REQ_POST)) {
        if (bufmodWrite(req->slot, data, size) != 0) return 500;
        req->bytesOut = static_cast<unsigned long>(size);
    }
    return 200;
}

// The icon of what the request names: a found object by its real kind and
// name, anything else (missing or hidden) by the type its name suggests.
int sendIcon(HttpRequest* req, bool small) {
    const unsigned char* data;
    int size;
    const ResolvedTarget& rt = *req->resolved;
    const TargetObject& object = *req->object;
    bool folder = object.fd >= 0 ? object.directory : rt.urlPath[std::strlen(rt.urlPath) - 1] == '/';
    if (!imagesTypeIcon(req->module, object.fd >= 0 ? object.realPath : rt.urlPath, folder, small, &data, &size))
        return 500;
    return sendImage(req, builtinDate(req->module), kDay, imagesContentType(data, size), data, size);
}

bool isJpegType(const char* path) {
    char type[256] = "";
    if (respmodContentType(path, type, sizeof type) < 1) return false;
    return strcasecmp(type, "image/jpeg") == 0 || strcasecmp(type, "image/jpg") == 0;
}

int thumbnail(HttpRequest* req) {
    const TargetObject& object = *req->object;
    bool jpeg = object.file && isJpegType(object.realPath);
    if (jpeg && (req->flags & REQ_IF_MODIFIED) && req->ifModifiedSince && *req->ifModifiedSince &&
        !respmodIfModifiedSinceTime(object.st.st_mtime, req->ifModifiedSince)) {
        if (respmodSendHeader(req->slot, 304, req->flags, req->timeout, req->max) != 0 ||
            bufmodWrite(req->slot, "\r\n", 2) != 0)
            return 500;
        return 304;
    }
    if (jpeg) {
        unsigned char* bytes = nullptr;
        FILETIME t;
        int size = thumbMake(object.realPath, THUMB_BOX, THUMB_BOX, &bytes, &t);
        if (size > 0) {
            int status = sendImage(req, fileTimeToUnix(t), 0, "image/jpeg", bytes, size);
            std::free(bytes);
            return status;
        }
    }
    return sendIcon(req, false);
}

// Reads a decimal number of at most 18 digits (no sign); false otherwise.
bool parseCount(const char*& p, long long* value) {
    int digits = 0;
    long long v = 0;
    while (*p >= '0' && *p <= '9') {
        if (++digits > 18) return false;
        v = v * 10 + (*p++ - '0');
    }
    *value = v;
    return digits > 0;
}

// "/cip:" text 'diameter,used,free': three unsigned decimals; the last one
// may be followed by a blank, tab or line end.
bool parseUsage(const char* text, long long* diameter, long long* used, long long* free) {
    const char* p = text;
    if (!parseCount(p, diameter) || *p++ != ',') return false;
    if (!parseCount(p, used) || *p++ != ',') return false;
    if (!parseCount(p, free)) return false;
    return !*p || std::strchr(" \t\r\n", *p);
}

}  // namespace

int imageAnswer(HttpRequest* req) {
    if (!req || !req->resolved || !req->object) return 500;
    req->bytesOut = 0;
    const ResolvedTarget& rt = *req->resolved;
    // The name or numbers of "/cii:" and "/cip:" are the last segment of the image path.
    const char* slash = std::strrchr(rt.urlPath, '/');
    const char* last = slash ? slash + 1 : rt.urlPath;
    switch (rt.kind) {
        case TARGET_CII: {
            const unsigned char* data;
            int size;
            if (!*last || !imagesBuiltin(req->module, last, &data, &size)) return 500;
            return sendImage(req, builtinDate(req->module), kDay, imagesContentType(data, size), data, size);
        }
        case TARGET_CIP: {
            long long diameter, used, free;
            // Each number fits 18 digits, so their sum cannot overflow.
            if (!parseUsage(last, &diameter, &used, &free) || diameter < 1) return 500;
            if (diameter > 200) diameter = 200;
            std::string png = imagesUsagePicture(static_cast<int>(diameter), used, free);
            if (png.empty()) return 500;
            return sendImage(req, builtinDate(req->module), kMinute, "image/png", png.data(),
                             static_cast<int>(png.size()));
        }
        // Icons and thumbnails passed the password checks of their path and
        // object in the connection, like the files themselves.
        case TARGET_CID:
            return sendIcon(req, true);
        case TARGET_CIB:
            return sendIcon(req, false);
        case TARGET_CIF:
            return thumbnail(req);
        default:
            return 500;
    }
}
