// Publishing photos and files into a collection: copying with "#n" numbering
// for taken names, the photo transform (reduction, rotation, flips) and the
// thumbnails, one item at a time, with the list of created files that a
// cancel removes again.
#pragma once

#include <windows.h>

#include <string>

// One file chosen for publishing (a record of a list-module list).
struct PublishItem {
    char sourcePath[MAX_PATH];
    char caption[MAX_PATH];  // the published file name without extension
    LONG rotation;           // quarter turns counter-clockwise, 0 to 3
    LONG flipHorizontal;     // mirror left to right
    LONG flipVertical;       // mirror top to bottom
};

// Fills an item for a source path: the caption is the file name without its
// directory and without the part from its last dot on.
void publishInitItem(PublishItem* item, const char* sourcePath);

// Target size of a w x h photo reduced to at most maxW x maxH (0: no limit).
void publishReducedSize(int w, int h, int maxW, int maxH, int* outW, int* outH);

// The photo transform: copies the source when it is not a JPEG or needs no
// change (failing when the destination exists); otherwise reduces, rotates
// and flips it and writes a JPEG of quality 95 (replacing the destination).
// 0 on success, negative on failure.
int publishTransformPhoto(const char* source, const char* dest, bool flipH, bool flipV, int rotation, int maxW,
                          int maxH);

// A publishing run into one collection; the Copy Files page of the wizard
// drives it one step per timer tick.
struct PublishJob {
    std::string collectionsDir;
    std::string collection;
    int items = -1;           // list-module list of PublishItem records
    bool reduce = false;      // reduce photos to maxW x maxH
    int maxW = 0, maxH = 0;
    int created = -1;         // list of MAX_PATH records: every file this run made
    bool createdDir = false;  // the collection directory was made by this run
    int index = 0;            // next item
    int total = 0;
};

// What one step did, for the page's texts and progress bar.
struct PublishStep {
    bool finished = false;   // nothing was left to do
    int progress = 0;        // progress bar position, range 0 .. 2 x total
    std::string action;      // "Publishing photo %s to your collection..." and so on
    std::string error;       // a message for the page's error line, or ""
    std::string status;      // "%d/%d files (%d%% complete)"
};

// Starts a run: creates the created-files list and the collection directory.
// 0, or negative when the list or the directory cannot be had.
int publishBegin(PublishJob* job, const char* collectionsDir, const char* collection, int itemList, bool reduce,
                 int maxW, int maxH);

// Publishes the item at the current index and advances.
void publishNext(PublishJob* job, PublishStep* step);

// Cancels: deletes every file of the created-files list and removes the
// collection directory when this run created it (only if empty then).
void publishCancel(PublishJob* job);

// Ends a run (after Finish or a cancel): frees the created-files list.
void publishEnd(PublishJob* job);

// The status text "%d/%d files (%d%% complete)".
std::string publishStatusText(int done, int total);
