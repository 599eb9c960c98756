// Publishing on real files: numbering, reduction, turns and flips checked on
// pixels, thumbnails, and the clean-up of a cancelled run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "listmod.h"
#include "publish.h"
#include "sample.h"
#include "thumb.h"

namespace fs = std::filesystem;

namespace {

class Publishing : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/gallery-publish-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        fs::create_directories(root + "/Collections");
        fs::create_directories(root + "/src");
        int rc = listInit();
        ASSERT_TRUE(rc == 0 || rc == -1);
        items = listCreate();
        ASSERT_GE(items, 0);
    }
    void TearDown() override {
        listDestroy(items);
        fs::remove_all(root);
    }
    void add(const std::string& source, int rotation = 0, bool flipH = false, bool flipV = false,
             const char* caption = nullptr) {
        PublishItem item;
        publishInitItem(&item, source.c_str());
        item.rotation = rotation;
        item.flipHorizontal = flipH;
        item.flipVertical = flipV;
        if (caption) std::snprintf(item.caption, sizeof item.caption, "%s", caption);
        ASSERT_GE(listAddItem(items, &item, sizeof item), 0);
    }
    // Runs every step; returns the error lines.
    std::vector<std::string> run(bool reduce = false, int maxW = 640, int maxH = 480) {
        PublishJob job;
        EXPECT_EQ(publishBegin(&job, (root + "/Collections").c_str(), "Trip", items, reduce, maxW, maxH), 0);
        std::vector<std::string> errors;
        PublishStep step;
        do {
            publishNext(&job, &step);
            if (!step.error.empty()) errors.push_back(step.error);
        } while (!step.finished);
        EXPECT_EQ(step.action, "Complete");
        EXPECT_EQ(step.status, publishStatusText(job.total, job.total));
        publishEnd(&job);
        return errors;
    }
    std::string trip(const std::string& name) const { return root + "/Collections/Trip/" + name; }
    std::string root;
    int items = -1;
};

TEST(PublishSizes, ReductionKeepsProportionsWithinTheLimits) {
    int w, h;
    publishReducedSize(2000, 1000, 640, 480, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 320);
    publishReducedSize(1000, 2000, 640, 480, &w, &h);
    EXPECT_EQ(w, 240);
    EXPECT_EQ(h, 480);
    publishReducedSize(600, 400, 640, 480, &w, &h);
    EXPECT_EQ(w, 600);
    EXPECT_EQ(h, 400);
    publishReducedSize(3000, 2000, 0, 0, &w, &h);
    EXPECT_EQ(w, 3000);
    thumbFit(1600, 1200, 94, 94, &w, &h);
    EXPECT_EQ(w, 94);
    EXPECT_EQ(h, 70);
}

TEST(PublishSizes, ThumbnailPathReplacesTheExtension) {
    char out[MAX_PATH];
    ASSERT_EQ(thumbPath("/c/Trip/a.b.jpg", out, sizeof out), 0);
    EXPECT_STREQ(out, "/c/Trip/a.b.tmb");
    ASSERT_EQ(thumbPath("/c/Trip.d/noext", out, sizeof out), 0);
    EXPECT_STREQ(out, "/c/Trip.d/noext.tmb");
    EXPECT_EQ(thumbPath("/c/a.jpg", out, 6), -2);
}

TEST_F(Publishing, FilesTakeTheNextFreeNumberWhenTheirNameIsTaken) {
    std::ofstream(root + "/src/notes.txt") << "notes";
    std::ofstream(root + "/src/README") << "readme";
    std::ofstream(root + "/src/day#5.txt") << "five";
    add(root + "/src/notes.txt");
    add(root + "/src/notes.txt");
    add(root + "/src/README");
    add(root + "/src/day#5.txt");
    add(root + "/src/day#5.txt");
    EXPECT_TRUE(run().empty());
    EXPECT_TRUE(fs::exists(trip("notes.txt")));
    EXPECT_TRUE(fs::exists(trip("notes#1.txt")));
    EXPECT_TRUE(fs::exists(trip("README.")));  // a source without a dot keeps an empty extension
    EXPECT_TRUE(fs::exists(trip("day#5.txt")));
    EXPECT_TRUE(fs::exists(trip("day#5#6.txt")));
}

TEST_F(Publishing, PhotosAreReducedGivenThumbnailsAndNotCopiedTwice) {
    ASSERT_TRUE(gallery::writeJpeg(root + "/src/wide.jpg", 2000, 1000));
    ASSERT_TRUE(gallery::writeJpeg(root + "/src/tall.jpg", 1000, 2000));
    ASSERT_TRUE(gallery::writeJpeg(root + "/src/fits.jpg", 600, 400));
    add(root + "/src/wide.jpg");
    add(root + "/src/tall.jpg");
    add(root + "/src/fits.jpg");
    add(root + "/src/fits.jpg");
    auto errors = run(true);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Photo fits.jpg could not be copied to your collection.");
    int w, h;
    ASSERT_TRUE(gallery::jpegSize(trip("wide.jpg"), &w, &h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 320);
    ASSERT_TRUE(gallery::jpegSize(trip("tall.jpg"), &w, &h));
    EXPECT_EQ(w, 240);
    EXPECT_EQ(h, 480);
    // Needing no change, the photo is copied byte for byte.
    std::ifstream a(root + "/src/fits.jpg", std::ios::binary), b(trip("fits.jpg"), std::ios::binary);
    EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b)));
    ASSERT_TRUE(gallery::jpegSize(trip("wide.tmb"), &w, &h));
    EXPECT_EQ(w, 94);
    EXPECT_EQ(h, 47);
    EXPECT_TRUE(gallery::sameWriteTime(trip("wide.tmb"), trip("wide.jpg")));
}

// A camera photo whose metadata pushes the frame header past the first 64 KiB
// is still known as a photo: reduced and given its thumbnail.
TEST_F(Publishing, PhotosWithLargeMetadataArePublishedAsPhotos) {
    ASSERT_TRUE(gallery::writeJpegWithMetadata(root + "/src/camera.jpg", 2000, 1000, 128 * 1024));
    add(root + "/src/camera.jpg");
    EXPECT_TRUE(run(true).empty());
    int w, h;
    ASSERT_TRUE(gallery::jpegSize(trip("camera.jpg"), &w, &h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 320);
    EXPECT_TRUE(fs::exists(trip("camera.tmb")));
}

TEST_F(Publishing, TurnsAndFlipsMoveTheQuadrantsWhereTheyBelong) {
    // Source quadrants: R G / B W.
    ASSERT_TRUE(gallery::writeJpeg(root + "/src/q.jpg", 200, 100));
    struct Case { int rotation; bool h, v; const char* caption; const char* expected; int w, hgt; };
    const Case cases[] = {
        {1, false, false, "ccw90", "GWRB", 100, 200},  // a quarter turn counter-clockwise
        {2, false, false, "turn180", "WBGR", 200, 100},
        {3, false, false, "ccw270", "BRWG", 100, 200},
        {0, true, false, "mirror", "GRWB", 200, 100},
        {0, false, true, "upside", "BWRG", 200, 100},
        {1, true, false, "turnmirror", "WGBR", 100, 200},
    };
    for (const Case& c : cases) add(root + "/src/q.jpg", c.rotation, c.h, c.v, c.caption);
    EXPECT_TRUE(run().empty());
    for (const Case& c : cases) {
        std::string path = trip(std::string(c.caption) + ".jpg");
        int w, h;
        ASSERT_TRUE(gallery::jpegSize(path, &w, &h)) << c.caption;
        EXPECT_EQ(w, c.w) << c.caption;
        EXPECT_EQ(h, c.hgt) << c.caption;
        // Top-left, top-right, bottom-left, bottom-right.
        std::string seen;
        for (auto [x, y] : {std::pair{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}})
            seen += gallery::quadrantColour(gallery::pixelOf(path, x, y));
        EXPECT_EQ(seen, c.expected) << c.caption;
    }
}

TEST_F(Publishing, ACancelledRunRemovesWhatItMadeAndItsNewFolder) {
    ASSERT_TRUE(gallery::writeJpeg(root + "/src/p.jpg", 300, 200));
    std::ofstream(root + "/src/f.txt") << "f";
    add(root + "/src/p.jpg", 2);
    add(root + "/src/f.txt");
    PublishJob job;
    ASSERT_EQ(publishBegin(&job, (root + "/Collections").c_str(), "Trip", items, false, 0, 0), 0);
    EXPECT_TRUE(job.createdDir);
    PublishStep step;
    publishNext(&job, &step);
    EXPECT_EQ(step.action, "Creating thumbnail for p.jpg...");
    EXPECT_EQ(step.status, "1/2 files (50% complete)");
    publishNext(&job, &step);
    EXPECT_EQ(step.action, "Publishing file f.txt to your collection...");
    EXPECT_EQ(step.progress, 4);
    EXPECT_TRUE(fs::exists(trip("p.tmb")));
    publishCancel(&job);
    publishEnd(&job);
    EXPECT_FALSE(fs::exists(root + "/Collections/Trip"));

    // A folder that was there before the run stays.
    fs::create_directories(root + "/Collections/Trip");
    std::ofstream(trip("keep.txt")) << "k";
    ASSERT_EQ(publishBegin(&job, (root + "/Collections").c_str(), "Trip", items, false, 0, 0), 0);
    publishNext(&job, &step);
    publishCancel(&job);
    publishEnd(&job);
    EXPECT_TRUE(fs::exists(trip("keep.txt")));
    EXPECT_FALSE(fs::exists(trip("p.jpg")));
}

}  // namespace
