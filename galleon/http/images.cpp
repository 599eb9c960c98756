#include "images.h"

#include "bufmod.h"
#include "config.h"
#include "respmod.h"
#include "thumb.h"
#include "varmod.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <strings.h>

// Records the outcome of a password check for the host (the connection's).
void fwmodHostAccessReport(const char* peer, int outcome);

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

int sendError(HttpRequest* req, int status) {
    int body = respmodSendError(req->slot, status, req->flags, req->timeout, req->max, nullptr);
    req->bytesOut = body > 0 && !(req->flags & REQ_HEAD) ? static_cast<unsigned long>(body) : 0;
    return status;
}

int sendIcon(HttpRequest* req, const char* path, bool small) {
    const unsigned char* data;
    int size;
    if (!imagesIcon(req->module, path, small, &data, &size)) return 500;
    return sendImage(req, builtinDate(req->module), kDay, imagesContentType(data, size), data, size);
}

bool isJpegType(const char* path) {
    char type[256] = "";
    if (respmodContentType(path, type, sizeof type) < 1) return false;
    return strcasecmp(type, "image/jpeg") == 0 || strcasecmp(type, "image/jpg") == 0;
}

int thumbnail(HttpRequest* req, const char* path) {
    bool jpeg = isJpegType(path) && httpPathInsideCollections(path);
    if (jpeg && (req->flags & REQ_IF_MODIFIED) && req->ifModifiedSince && *req->ifModifiedSince &&
        !respmodIfModifiedSince(path, req->ifModifiedSince)) {
        if (respmodSendHeader(req->slot, 304, req->flags, req->timeout, req->max) != 0 ||
            bufmodWrite(req->slot, "\r\n", 2) != 0)
            return 500;
        return 304;
    }
    if (jpeg) {
        unsigned char* bytes = nullptr;
        FILETIME t;
        int size = thumbMake(path, THUMB_BOX, THUMB_BOX, &bytes, &t);
        if (size > 0) {
            int status = sendImage(req, fileTimeToUnix(t), 0, "image/jpeg", bytes, size);
            std::free(bytes);
            return status;
        }
    }
    return sendIcon(req, path, false);
}

}  // namespace

int imageAnswer(HttpRequest* req) {
    if (!req || !req->target) return 500;
    req->bytesOut = 0;
    char target[1024];
    std::snprintf(target, sizeof target, "%s", req->target);
    if (char* q = std::strchr(target, '?')) *q = 0;
    urlDecode(target);
    char* colon = std::strchr(target, ':');
    if (!colon || !colon[1]) return 500;
    *colon = 0;
    const char* prefix = target;
    char* imagePath = colon + 1;
    imagePath[std::strcspn(imagePath, "\r\n")] = 0;
    if (!*imagePath) return 500;

    bool gated = strcasecmp(prefix, "/cid") == 0 || strcasecmp(prefix, "/cib") == 0 || strcasecmp(prefix, "/cif") == 0;
    if (!gated) fwmodHostAccessReport(req->peer, 1);

    if (strcasecmp(prefix, "/cii") == 0) {
        const char* slash = std::strrchr(imagePath, '/');
        const unsigned char* data;
        int size;
        if (!imagesBuiltin(req->module, slash ? slash + 1 : imagePath, &data, &size)) return 500;
        return sendImage(req, builtinDate(req->module), kDay, imagesContentType(data, size), data, size);
    }
    if (strcasecmp(prefix, "/cip") == 0) {
        const char* slash = std::strrchr(imagePath, '/');
        const char* p = slash ? slash + 1 : imagePath;
        char* end;
        long long diameter = std::strtoll(p, &end, 10);
        if (*end != ',') return 500;
        long long used = std::strtoll(end + 1, &end, 10);
        if (*end != ',') return 500;
        long long free = std::strtoll(end + 1, &end, 10);
        if (*end && !std::strchr(" \t\r\n", *end)) return 500;
        if (diameter > 200) diameter = 200;
        std::string png = imagesUsagePicture(static_cast<int>(diameter), used, free);
        if (png.empty()) return 500;
        return sendImage(req, builtinDate(req->module), kMinute, "image/png", png.data(), static_cast<int>(png.size()));
    }
    bool small = strcasecmp(prefix, "/cid") == 0;
    bool large = strcasecmp(prefix, "/cib") == 0;
    bool thumb = strcasecmp(prefix, "/cif") == 0;
    if (!small && !large && !thumb) return 500;

    // Icons and thumbnails show what a collection holds, so they pass the
    // collection's password check like the files themselves.
    if (std::strstr(imagePath, "..")) return sendError(req, 400);
    if (!httpPasswordGate(req, imagePath)) return 401;
    fwmodHostAccessReport(req->peer, 1);

    char path[MAX_PATH];
    const char* rel = imagePath;
    if (*rel == '/') ++rel;
    int n = std::snprintf(path, sizeof path, "%s/%s", g_config.collectionsDir, rel);
    if (n < 0 || n >= static_cast<int>(sizeof path)) return 500;
    if (thumb) return thumbnail(req, path);
    return sendIcon(req, path, small);
}
