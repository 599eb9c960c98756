// Texts of the pages: sizes, escaping, label fitting, type names, picture sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "images_probe.h"
#include "listing_text.h"
#include "mimetypes_desc.h"
#include "sample.h"
#include "textwidth.h"

namespace {

TEST(PageTexts, SizesAreWholeKilobytesRoundedUpAndGrouped) {
    EXPECT_EQ(listingSizeText(0), "1 KB");
    EXPECT_EQ(listingSizeText(1023), "1 KB");
    EXPECT_EQ(listingSizeText(1024), "1 KB");
    EXPECT_EQ(listingSizeText(1025), "2 KB");
    EXPECT_EQ(listingSizeText(1234567890ULL), "1,205,633 KB");
    EXPECT_EQ(listingSizeText(1024ULL * 999), "999 KB");
    EXPECT_EQ(listingSizeText(1024ULL * 1000), "1,000 KB");
}

TEST(PageTexts, EscapingForUrlsAndHtml) {
    EXPECT_EQ(listingUrlEscape("/a b/#1-x_y.JPG"), "/a%20b/%231-x_y.JPG");
    EXPECT_EQ(listingUrlEscape("\xC3\xA9&?"), "%C3%A9%26%3F");
    EXPECT_EQ(listingHtmlEscape("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
}

TEST(PageTexts, LabelsFitTheirWidthOnAtMostTwoLines) {
    char out[512];
    textFitLabel("Pier.jpg", out, sizeof out, 96);
    EXPECT_STREQ(out, "Pier.jpg");
    EXPECT_LE(textWidth("Pier.jpg", -1), 96);
    EXPECT_GT(textWidth("WWWWWWWWWW", -1), textWidth("iiiiiiiiii", -1));

    textFitLabel("Sunset over the bay.jpg", out, sizeof out, 96);
    std::string fitted = out;
    ASSERT_NE(fitted.find('\n'), std::string::npos);
    for (size_t start = 0; start <= fitted.size();) {
        size_t nl = fitted.find('\n', start);
        std::string line = fitted.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        EXPECT_LE(textWidth(line.c_str(), -1), 96) << line;
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    EXPECT_EQ(fitted.find("..."), std::string::npos);

    // More than two lines' worth: cut, and the last three characters become "...".
    textFitLabel("one two three four five six seven eight nine ten", out, sizeof out, 70);
    fitted = out;
    EXPECT_EQ(std::count(fitted.begin(), fitted.end(), '\n'), 1);
    EXPECT_EQ(fitted.substr(fitted.size() - 3), "...");
    // A single word wider than the width is cut where it fits.
    textFitLabel("Supercalifragilisticexpialidocious.jpg", out, sizeof out, 70);
    fitted = out;
    EXPECT_EQ(fitted.find('\n'), std::string::npos);
    EXPECT_EQ(fitted.substr(fitted.size() - 3), "...");
    EXPECT_LE(textWidth(fitted.c_str(), -1), 80);
}

TEST(PageTexts, TypeNamesComeFromTheMimeDatabase) {
    char out[256];
    mimeTypeText("photo.JPG", out, sizeof out);
    EXPECT_STREQ(out, "JPEG image");
    mimeTypeText("archive.zip", out, sizeof out);
    EXPECT_STREQ(out, "Zip archive");
    mimeTypeText("thing.qqqz", out, sizeof out);
    EXPECT_STREQ(out, "QQQZ File");
    mimeTypeText("Makefile.d/README", out, sizeof out);
    EXPECT_STREQ(out, "Unknown File Type");
    EXPECT_STREQ(mimeIconFamily("a.png"), "image");
    EXPECT_STREQ(mimeIconFamily("a.mp3"), "audio");
    EXPECT_STREQ(mimeIconFamily("a.tar.gz"), "archive");
    EXPECT_STREQ(mimeIconFamily("a.pdf"), "document");
    EXPECT_STREQ(mimeIconFamily("a.txt"), "text");
    EXPECT_STREQ(mimeIconFamily("a.qqqz"), "generic");
}

TEST(PageTexts, PictureSizesFromTheirHeaders) {
    int w, h;
    const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 0x40, 0x01, 0xF0, 0x00};
    EXPECT_EQ(imageProbeBytes(gif, sizeof gif, &w, &h), PROBE_GIF);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    unsigned char png[24] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                             0, 0, 0x06, 0x40, 0, 0, 0x04, 0xB0};
    EXPECT_EQ(imageProbeBytes(png, sizeof png, &w, &h), PROBE_PNG);
    EXPECT_EQ(w, 1600);
    EXPECT_EQ(h, 1200);
    unsigned char bmp[26] = {'B', 'M'};
    bmp[14] = 40;
    bmp[18] = 0x20;                                 // width 32
    bmp[22] = 0xF0, bmp[23] = 0xFF, bmp[24] = 0xFF, bmp[25] = 0xFF;  // height -16: top-down
    EXPECT_EQ(imageProbeBytes(bmp, sizeof bmp, &w, &h), PROBE_BMP);
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 16);
    // JPEG: an APP0 segment, then a progressive frame header.
    const unsigned char jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xC2,
                                  0x00, 0x11, 0x08, 0x02, 0x58, 0x03, 0x20};
    EXPECT_EQ(imageProbeBytes(jpeg, sizeof jpeg, &w, &h), PROBE_JPEG);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    const unsigned char truncated[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x40, 0x00};
    EXPECT_EQ(imageProbeBytes(truncated, sizeof truncated, &w, &h), PROBE_NONE);
    EXPECT_EQ(imageProbe("/nonexistent/file.jpg", &w, &h), PROBE_NONE);
}

TEST(PageTexts, JpegSizeIsFoundBehindLargeMetadata) {
    std::string dir = ::testing::TempDir() + "probe-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    int w, h;
    // 200 KiB of metadata: the frame header lies far beyond the first 64 KiB.
    ASSERT_TRUE(gallery::writeJpegWithMetadata(dir + "/big.jpg", 1600, 1200, 200 * 1024));
    EXPECT_EQ(imageProbe((dir + "/big.jpg").c_str(), &w, &h), PROBE_JPEG);
    EXPECT_EQ(w, 1600);
    EXPECT_EQ(h, 1200);
    // Metadata ending exactly at the first window's edge.
    ASSERT_TRUE(gallery::writeJpegWithMetadata(dir + "/edge.jpg", 300, 200, 65536 - 2 - 4));
    EXPECT_EQ(imageProbe((dir + "/edge.jpg").c_str(), &w, &h), PROBE_JPEG);
    EXPECT_EQ(w, 300);
    // Cut inside the metadata: no frame header anywhere, no size.
    std::filesystem::resize_file(dir + "/big.jpg", 150 * 1024);
    EXPECT_EQ(imageProbe((dir + "/big.jpg").c_str(), &w, &h), PROBE_NONE);
    // A segment length pointing past the end of the file.
    {
        std::ofstream out(dir + "/lies.jpg", std::ios::binary);
        out << std::string("\xFF\xD8\xFF\xE1\xFF\xFF", 6) << std::string(100, 'm');
    }
    EXPECT_EQ(imageProbe((dir + "/lies.jpg").c_str(), &w, &h), PROBE_NONE);
    std::filesystem::remove_all(dir);
}

TEST(PageTexts, NamesShowAsUtf8WhateverTheirBytes) {
    // Valid UTF-8 stays as it is, up to four-byte characters.
    EXPECT_EQ(listingDisplayText("na\xC3\xAFve \xE2\x82\xAC \xF0\x9F\x93\xB7"), "na\xC3\xAFve \xE2\x82\xAC \xF0\x9F\x93\xB7");
    // Bytes of an 8-bit code page become their characters.
    EXPECT_EQ(listingDisplayText("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(listingDisplayText("\x80 \x9F \xFF"), "\xE2\x82\xAC \xC5\xB8 \xC3\xBF");
    EXPECT_EQ(listingDisplayText("\x81"), "\xEF\xBF\xBD");  // no character in the code page
    // Sequences that are not valid UTF-8 are taken byte by byte: overlong
    // forms, surrogates, code points past U+10FFFF, cut sequences.
    EXPECT_EQ(listingDisplayText("\xC0\xAF"), "\xC3\x80\xC2\xAF");
    EXPECT_EQ(listingDisplayText("\xED\xA0\x80"), "\xC3\xAD\xC2\xA0\xE2\x82\xAC");
    EXPECT_EQ(listingDisplayText("\xF4\x90\x80\x80").substr(0, 2), "\xC3\xB4");
    EXPECT_EQ(listingDisplayText("\xE2\x82"), "\xC3\xA2\xE2\x80\x9A");
    // Escaping works on the display text.
    EXPECT_EQ(listingHtmlEscape("<caf\xE9>"), "&lt;caf\xC3\xA9&gt;");
}

}  // namespace
