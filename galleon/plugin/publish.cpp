// A publishing run: one item per step, copies numbered "#n" when the name is
// taken, photos transformed and given thumbnails, every created file listed.
#include "publish.h"

#include "images_probe.h"
#include "listmod.h"
#include "photolog.h"
#include "thumb.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr unsigned kLastNumber = 98;  // "#n" suffixes tried up to this number

std::string extensionOf(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const char* base = slash ? slash + 1 : path;
    const char* dot = std::strrchr(base, '.');
    return dot ? dot + 1 : "";
}

std::string baseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void addCreated(PublishJob* job, const std::string& path) {
    char record[MAX_PATH] = {};
    std::snprintf(record, sizeof record, "%s", path.c_str());
    int rc = listAddItem(job->created, record, sizeof record);
    if (rc < 0) photoLog(LOG_CALL_FAILED, "listAddItem() returned error code %d", rc);
}

// Copies a file under its caption, or under "caption#n" when that is taken.
// Returns the path written, or "" when every name was taken.
std::string copyNumbered(const PublishJob* job, const PublishItem& item, const std::string& dest) {
    if (CopyFileA(item.sourcePath, dest.c_str(), TRUE)) return dest;
    const char* hash = std::strchr(item.caption, '#');
    unsigned start = hash ? static_cast<unsigned>(std::strtoul(hash + 1, nullptr, 10)) + 1 : 1;
    std::string ext = extensionOf(item.sourcePath);
    for (unsigned n = start; n <= kLastNumber; ++n) {
        char path[MAX_PATH];
        int len = std::snprintf(path, sizeof path, "%s/%s/%s#%u.%s", job->collectionsDir.c_str(),
                                job->collection.c_str(), item.caption, n, ext.c_str());
        if (len < 0 || len >= static_cast<int>(sizeof path)) return "";
        if (CopyFileA(item.sourcePath, path, TRUE)) return path;
    }
    return "";
}

}  // namespace

void publishInitItem(PublishItem* item, const char* sourcePath) {
    std::memset(item, 0, sizeof *item);
    if (!sourcePath) return;
    std::snprintf(item->sourcePath, sizeof item->sourcePath, "%s", sourcePath);
    std::string base = baseName(sourcePath);
    size_t dot = base.rfind('.');
    if (dot != std::string::npos) base.resize(dot);
    std::snprintf(item->caption, sizeof item->caption, "%s", base.c_str());
}

std::string publishStatusText(int done, int total) {
    char text[96];
    std::snprintf(text, sizeof text, "%d/%d files (%d%% complete)", done, total, total > 0 ? done * 100 / total : 0);
    return text;
}

int publishBegin(PublishJob* job, const char* collectionsDir, const char* collection, int itemList, bool reduce,
                 int maxW, int maxH) {
    if (!job || !collectionsDir || !collection) return -2;
    *job = PublishJob{};
    job->collectionsDir = collectionsDir;
    while (job->collectionsDir.size() > 1 && job->collectionsDir.back() == '/') job->collectionsDir.pop_back();
    job->collection = collection;
    job->items = itemList;
    job->reduce = reduce;
    job->maxW = maxW;
    job->maxH = maxH;
    int rc = listInit();
    if (rc != 0 && rc != -1) return -3;
    job->created = listCreate();
    if (job->created < 0) return -3;
    std::string dir = job->collectionsDir + "/" + job->collection;
    job->createdDir = CreateDirectoryA(dir.c_str(), nullptr);
    DWORD attrs = GetFileAttributesA(dir.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return -3;
    int count = listGetCount(itemList);
    job->total = count > 0 ? count : 0;
    return 0;
}

void publishNext(PublishJob* job, PublishStep* step) {
    *step = PublishStep{};
    int id = job->index < job->total ? listGetItemId(job->items, job->index) : -1;
    PublishItem item;
    if (id < 0 || listGetItem(job->items, id, &item, sizeof item) < 0) {
        step->finished = true;
        step->progress = 2 * job->total;
        step->action = "Complete";
        step->status = publishStatusText(job->index, job->total);
        return;
    }
    item.sourcePath[MAX_PATH - 1] = item.caption[MAX_PATH - 1] = 0;
    int index = job->index++;
    step->status = publishStatusText(job->index, job->total);
    std::string ext = extensionOf(item.sourcePath);
    std::string dest = job->collectionsDir + "/" + job->collection + "/" + item.caption + "." + ext;
    step->progress = 2 * index;

    int w, h;
    if (imageProbe(item.sourcePath, &w, &h) != PROBE_JPEG) {
        step->action = "Publishing file " + baseName(dest) + " to your collection...";
        std::string written = copyNumbered(job, item, dest);
        step->progress = 2 * index + 2;
        if (!written.empty()) addCreated(job, written);
        return;
    }
    step->action = "Publishing photo " + baseName(dest) + " to your collection...";
    int rc = publishTransformPhoto(item.sourcePath, dest.c_str(), item.flipHorizontal, item.flipVertical,
                                   item.rotation, job->reduce ? job->maxW : 0, job->reduce ? job->maxH : 0);
    if (rc != 0) {
        step->error = "Photo " + baseName(dest) + " could not be copied to your collection.";
        step->progress = 2 * index + 2;
        return;
    }
    step->progress = 2 * index + 1;
    addCreated(job, dest);
    step->action = "Creating thumbnail for " + baseName(dest) + "...";
    if (thumbMake(dest.c_str(), THUMB_BOX, THUMB_BOX, nullptr, nullptr) == 0) {
        step->error = "A thumbnail for photo " + baseName(dest) + " could not be created.";
        return;
    }
    char tmb[MAX_PATH];
    if (thumbPath(dest.c_str(), tmb, sizeof tmb) == 0) addCreated(job, tmb);
    step->progress = 2 * index + 2;
}

void publishCancel(PublishJob* job) {
    if (job->created >= 0) {
        char record[MAX_PATH];
        int id;
        while ((id = listGetItemId(job->created, 0)) >= 0) {
            if (listTakeItem(job->created, id, record, sizeof record) < 0) break;
            record[MAX_PATH - 1] = 0;
            DeleteFileA(record);
        }
    }
    if (job->createdDir) RemoveDirectoryA((job->collectionsDir + "/" + job->collection).c_str());
}

void publishEnd(PublishJob* job) {
    if (job->created >= 0) listDestroy(job->created);
    job->created = -1;
}
