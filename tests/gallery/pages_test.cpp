// Listing pages of the real plug-in over loopback: the views' structure,
// sorting, texts, escaping, the location drop-down and the preview.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "galleon_fixture.h"
#include "html_scan.h"
#include "sample.h"

using gallery::Tag;
using gtest_http::Response;
namespace fs = std::filesystem;

namespace {

class GalleryPages : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(g.start(), 0);
        ASSERT_TRUE(g.waitRunning());
    }
    Response get(const std::string& target, const std::string& headers = "") {
        return gtest_http::get(g.port, target, headers);
    }
    std::vector<Tag> page(const std::string& target) {
        Response r = get(target);
        EXPECT_EQ(r.status, 200) << target;
        EXPECT_EQ(r.get("content-type"), "text/html");
        EXPECT_EQ(std::to_string(r.body.size()), r.get("content-length"));
        return gallery::scanHtml(r.body);
    }
    std::string collections() const { return g.dir + "Collections"; }
    void file(const std::string& rel, size_t size) { g.writeFile("Collections/" + rel, std::string(size, 'x')); }
    // Links of the item area, decoded: href -> link text.
    static std::vector<std::pair<std::string, std::string>> links(const std::vector<Tag>& tags) {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& t : tags)
            if (t.name == "a" && t.has("href")) out.push_back({gallery::unescapeHtml(t.get("href")), t.textAfter});
        return out;
    }
    static bool hasImage(const std::vector<Tag>& tags, const std::string& src) {
        return !gallery::tagsOf(tags, "img", "src", src).empty() &&
               std::any_of(tags.begin(), tags.end(), [&](const Tag& t) { return t.name == "img" && t.get("src") == src; });
    }
    GalleonInstance g;
};

TEST_F(GalleryPages, RootListsTheCollectionsAsFoldersWithoutAWayUp) {
    fs::create_directories(collections() + "/Holiday");
    fs::create_directories(collections() + "/Work");
    auto tags = page("/?list=details");
    auto title = gallery::tagsOf(tags, "title");
    ASSERT_EQ(title.size(), 1u);
    EXPECT_EQ(title[0].textAfter, "Collections");
    EXPECT_TRUE(hasImage(tags, "/cii:/upfolder_disabled"));
    EXPECT_FALSE(hasImage(tags, "/cii:/upfolder"));
    std::string body = get("/?list=details").body;
    EXPECT_EQ(body.find("&lt;up one level&gt;"), std::string::npos);
    auto l = links(tags);
    EXPECT_TRUE(std::count_if(l.begin(), l.end(), [](auto& p) { return p.first == "/Holiday/"; }) >= 1);
    EXPECT_TRUE(std::count_if(l.begin(), l.end(), [](auto& p) { return p.first == "/Work/"; }) >= 1);
    // The hidden Recycle Bin is no collection.
    for (auto& [href, text] : l) EXPECT_EQ(href.find("Recycle"), std::string::npos) << href;
}

TEST_F(GalleryPages, DetailsRowsCarryIconSizeTypeAndAWayUp) {
    file("Holiday/small.txt", 1023);
    file("Holiday/just over.txt", 1025);
    file("Holiday/README", 10);
    file("Holiday/data.qqq", 10);
    fs::create_directories(collections() + "/Holiday/Sub");
    // A sparse file of 1,234,567,890 bytes.
    { std::ofstream(collections() + "/Holiday/huge.bin"); }
    ASSERT_EQ(truncate((collections() + "/Holiday/huge.bin").c_str(), 1234567890LL), 0);
    std::string body = get("/Holiday/?list=details&sortcol=name&sortdir=asc").body;
    auto tags = gallery::scanHtml(body);
    // Every row: icon link, size, type, date.
    auto rowText = [&](const std::string& name) {
        size_t at = body.find("> " + name + "</a>");
        EXPECT_NE(at, std::string::npos) << name;
        size_t end = body.find("</tr>", at);
        return body.substr(at, end - at);
    };
    EXPECT_NE(rowText("small.txt").find(">1 KB<"), std::string::npos);
    EXPECT_NE(rowText("just over.txt").find(">2 KB<"), std::string::npos);
    EXPECT_NE(rowText("huge.bin").find(">1,205,633 KB<"), std::string::npos);
    EXPECT_NE(rowText("small.txt").find("plain text document"), std::string::npos);
    EXPECT_NE(rowText("README").find("Unknown File Type"), std::string::npos);
    EXPECT_NE(rowText("data.qqq").find("QQQ File"), std::string::npos);
    EXPECT_NE(rowText("Sub").find("Directory"), std::string::npos);
    EXPECT_TRUE(hasImage(tags, "/cid:/Holiday/small.txt"));
    EXPECT_TRUE(hasImage(tags, "/cid:/Holiday/Sub/"));
    size_t up = body.find("&lt;up one level&gt;");
    ASSERT_NE(up, std::string::npos);
    EXPECT_NE(body.rfind("href=\"/\"", up), std::string::npos);
}

TEST_F(GalleryPages, SortingBySizeDescendingPutsTheLargestFirstAndFlipsItsMarker) {
    file("Holiday/b.txt", 5000);
    file("Holiday/a.txt", 20000);
    file("Holiday/c.txt", 100);
    std::string body = get("/Holiday/?list=details&sortcol=size&sortdir=desc").body;
    size_t a = body.find("> a.txt<"), b = body.find("> b.txt<"), c = body.find("> c.txt<");
    ASSERT_NE(a, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    auto tags = gallery::scanHtml(body);
    // The Size header shows "downsort" and links to the ascending order.
    bool found = false;
    for (size_t i = 0; i + 1 < tags.size(); ++i) {
        if (tags[i].name == "img" && tags[i].get("src") == "/cii:/downsort") {
            found = true;
            EXPECT_EQ(gallery::unescapeHtml(tags[i - 1].get("href")), "/Holiday/?sortcol=size&sortdir=asc&list=details");
        }
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(gallery::tagsOf(tags, "img", "src", "/cii:/updownsort").size(), 3u);
    // Ascending by date lists the oldest first.
    fs::last_write_time(collections() + "/Holiday/c.txt", fs::file_time_type::clock::now() - std::chrono::hours(48));
    std::string byDate = get("/Holiday/?list=details&sortcol=date&sortdir=asc").body;
    EXPECT_LT(byDate.find("> c.txt<"), byDate.find("> a.txt<"));
}

TEST_F(GalleryPages, HiddenThumbnailsAndHiddenFilesStayOutOfListings) {
    fs::create_directories(collections() + "/Holiday");
    ASSERT_TRUE(gallery::writeJpeg(collections() + "/Holiday/photo.jpg", 200, 100));
    ASSERT_EQ(get("/cif:/Holiday/photo.jpg").status, 200);  // makes photo.tmb
    ASSERT_TRUE(fs::exists(collections() + "/Holiday/photo.tmb"));
    g.writeFile("Collections/Holiday/.secret", "x");
    for (const char* view : {"icons", "list", "details", "filmstrip"}) {
        std::string body = get(std::string("/Holiday/?list=") + view).body;
        EXPECT_NE(body.find("photo.jpg"), std::string::npos) << view;
        EXPECT_EQ(body.find("photo.tmb"), std::string::npos) << view;
        EXPECT_EQ(body.find(".secret"), std::string::npos) << view;
    }
}

TEST_F(GalleryPages, IconsViewStartsASecondRowWithTheEighthEntry) {
    for (int i = 1; i <= 9; ++i) file("Holiday/f" + std::to_string(i) + ".txt", 10);
    std::string body = get("/Holiday/?list=icons&sortcol=name&sortdir=asc").body;
    std::vector<size_t> cells;
    for (size_t at = body.find("class=\"item\""); at != std::string::npos; at = body.find("class=\"item\"", at + 1))
        cells.push_back(at);
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(body.substr(cells[5], cells[6] - cells[5]).find("<tr>"), std::string::npos);
    EXPECT_NE(body.substr(cells[6], cells[7] - cells[6]).find("</tr>\r\n<tr>"), std::string::npos);
    auto tags = gallery::scanHtml(body);
    EXPECT_TRUE(hasImage(tags, "/cib:/Holiday/f8.txt"));
}

TEST_F(GalleryPages, NamesAreEscapedInTextAndAttributesAndLinks) {
    file("Holiday/a #b.txt", 10);
    file("Holiday/<script>alert(1)<.txt", 10);
    file("Holiday/<img src=x onerror=alert(2)>.txt", 10);
    file("Holiday/it's \"quoted\".txt", 10);
    for (const char* view : {"icons", "list", "details", "filmstrip"}) {
        std::string body = get(std::string("/Holiday/?list=") + view).body;
        EXPECT_EQ(body.find("<script>alert"), std::string::npos) << view;
        EXPECT_NE(body.find("/Holiday/a%20%23b.txt"), std::string::npos) << view;
        auto tags = gallery::scanHtml(body);
        // No name breaks out of its attribute: every link stays a well-formed URL.
        for (const auto& t : tags) {
            EXPECT_FALSE(t.has("onerror")) << view;
            if (t.name == "a" && t.has("href")) {
                EXPECT_EQ(t.get("href").find_first_of(" <>\"'"), std::string::npos);
            }
        }
        int scripts = 0;
        for (const auto& t : tags) scripts += t.name == "script";
        EXPECT_EQ(scripts, 1) << view;  // the page's own
    }
}

TEST_F(GalleryPages, LocationDropDownListsThisFolderAndEveryFolderAbove) {
    fs::create_directories(collections() + "/Holiday/Day one");
    auto tags = page("/Holiday/Day%20one/?list=list");
    auto options = gallery::tagsOf(tags, "option");
    ASSERT_EQ(options.size(), 4u);
    EXPECT_EQ(options[0].textAfter, std::string(50, '-'));
    EXPECT_EQ(options[1].get("value"), "/Holiday/Day%20one/");
    EXPECT_EQ(options[1].textAfter, "/Holiday/Day one");
    EXPECT_TRUE(options[1].has("selected"));
    EXPECT_EQ(options[2].get("value"), "/Holiday/");
    EXPECT_EQ(options[3].get("value"), "/");
    EXPECT_EQ(options[3].textAfter, "/");
    // The way up leads to the parent folder; the list view button is the selected one.
    auto up = gallery::tagsOf(tags, "img", "src", "/cii:/upfolder");
    ASSERT_EQ(up.size(), 1u);
    EXPECT_TRUE(hasImage(tags, "/cii:/list_btn_sel"));
    EXPECT_TRUE(hasImage(tags, "/cii:/icons_btn"));
    EXPECT_FALSE(hasImage(tags, "/cii:/icons_btn_sel"));
    auto l = links(tags);
    EXPECT_TRUE(std::any_of(l.begin(), l.end(), [](auto& p) { return p.first == "/Holiday/"; }));
}

TEST_F(GalleryPages, FilmstripLinksOpenThePreviewOfTheSameEntry) {
    gallery::makeSampleCollection(collections(), "Trip");
    std::string body = get("/Trip/?list=filmstrip").body;  // unsorted: folders first
    auto tags = gallery::scanHtml(body);
    int checked = 0;
    for (const auto& t : tags) {
        if (t.name != "a") continue;
        std::string href = gallery::unescapeHtml(t.get("href"));
        if (href.find("list=preview") == std::string::npos || !t.textAfter.empty()) continue;
        // The caption link follows the frame link; find the image alt of this entry.
        size_t idx = &t - tags.data();
        std::string name;
        for (size_t k = idx; k < tags.size() && name.empty(); ++k)
            if (tags[k].name == "img" && tags[k].get("src").rfind("/cif:", 0) == 0) name = gallery::unescapeHtml(tags[k].get("alt"));
        auto preview = gallery::scanHtml(get(href).body);
        bool shown = false;
        for (size_t k = 0; k + 1 < preview.size(); ++k)
            if (preview[k].name == "b" && preview[k + 1].name == "a" && gallery::unescapeHtml(preview[k + 1].textAfter) == name)
                shown = true;
        EXPECT_TRUE(shown) << href << " should show " << name;
        ++checked;
    }
    EXPECT_GE(checked, 8);
}

TEST_F(GalleryPages, PreviewFitsPicturesIntoItsBox) {
    fs::create_directories(collections() + "/P");
    ASSERT_TRUE(gallery::writeJpeg(collections() + "/P/a.jpg", 1600, 1200));
    ASSERT_TRUE(gallery::writeJpeg(collections() + "/P/b.jpg", 1600, 600));
    ASSERT_TRUE(gallery::writeJpeg(collections() + "/P/c.jpg", 400, 300));
    file("P/d.txt", 10);
    // Positions count "." and ".." first in name order: a.jpg is item 3.
    struct Case { int item; const char* name; const char* w; const char* h; };
    for (Case c : {Case{3, "a.jpg", "466", "350"}, Case{4, "b.jpg", "610", "228"}, Case{5, "c.jpg", "400", "300"}}) {
        auto tags = page("/P/?list=preview&sortcol=name&sortdir=asc&item=" + std::to_string(c.item));
        auto big = gallery::tagsOf(tags, "img", "src", std::string("/P/") + c.name);
        ASSERT_FALSE(big.empty()) << c.name;
        const Tag* shown = nullptr;
        for (const auto& t : big)
            if (t.get("src") == std::string("/P/") + c.name) shown = &t;
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->get("width"), c.w) << c.name;
        EXPECT_EQ(shown->get("height"), c.h) << c.name;
    }
    // A file that is no picture has no preview; the last entry disables "Next".
    std::string body = get("/P/?list=preview&item=6").body;
    EXPECT_NE(body.find("No Preview Available"), std::string::npos);
    auto tags = gallery::scanHtml(body);
    EXPECT_TRUE(hasImage(tags, "/cii:/browse_right_disabled"));
    EXPECT_TRUE(hasImage(tags, "/cii:/filmstrip_btn_sel"));
    EXPECT_EQ(gallery::tagsOf(tags, "img", "src", "/cif:/P/").size(), 2u);  // c.jpg and d.txt
}

TEST_F(GalleryPages, PreviewOfPicturesWhoseSizeIsHardToRead) {
    fs::create_directories(collections() + "/M");
    // a.jpg: its frame header lies behind 300 KiB of metadata.
    ASSERT_TRUE(gallery::writeJpegWithMetadata(collections() + "/M/a.jpg", 1600, 1200, 300 * 1024));
    file("M/b.jpg", 100);  // a picture by its name whose size cannot be read
    file("M/c.txt", 100);
    Tag a;
    for (const auto& t : page("/M/?list=preview&sortcol=name&sortdir=asc&item=3"))
        if (t.name == "img" && t.get("src") == "/M/a.jpg") a = t;
    EXPECT_EQ(a.get("width"), "466");
    EXPECT_EQ(a.get("height"), "350");
    // The thumbnail of the same photo is made as well.
    Response thumb = get("/cif:/M/a.jpg");
    EXPECT_EQ(thumb.get("content-type"), "image/jpeg");
    int tw = 0, th = 0;
    EXPECT_TRUE(gallery::jpegBytesSize(thumb.body, &tw, &th));
    EXPECT_EQ(tw, 94);

    std::string body = get("/M/?list=preview&sortcol=name&sortdir=asc&item=4").body;
    EXPECT_EQ(body.find("No Preview Available"), std::string::npos);
    auto tags = gallery::scanHtml(body);
    const Tag* cell = nullptr;
    for (const auto& t : tags)
        if (t.name == "table" && t.get("width") == "610" && t.get("height") == "350") cell = &t;
    ASSERT_NE(cell, nullptr) << "no 610 x 350 cell";
    size_t at = body.find("<table width=\"610\" height=\"350\"");
    size_t img = body.find("<img src=\"/M/b.jpg\"", at);
    EXPECT_NE(img, std::string::npos);
    EXPECT_LT(img, body.find("</table>", at));

    body = get("/M/?list=preview&sortcol=name&sortdir=asc&item=5").body;
    EXPECT_NE(body.find("No Preview Available"), std::string::npos);
    EXPECT_EQ(body.find("<img src=\"/M/c.txt\""), std::string::npos);
}

// Valid UTF-8 from start to end.
bool validUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        unsigned char c = s[i];
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (!len || i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

TEST_F(GalleryPages, NamesInUtf8AndInAnOldCodePageShowReadablyAndStillLink) {
    const std::string utf8Folder = "\xC3\x89t\xC3\xA9";   // "Été" in UTF-8
    const std::string latinFile = "Caf\xE9 cr\xE8me.txt";  // "Café crème" in an 8-bit code page
    const std::string utf8File = "na\xC3\xAFve.txt";       // "naïve" in UTF-8
    fs::create_directories(collections() + "/" + utf8Folder);
    g.writeFile("Collections/" + utf8Folder + "/" + latinFile, "latin");
    g.writeFile("Collections/" + utf8Folder + "/" + utf8File, "utf8");
    for (const char* view : {"icons", "list", "details", "filmstrip", "preview"}) {
        Response r = get("/%C3%89t%C3%A9/?list=" + std::string(view) + "&sortcol=name&sortdir=asc&item=3");
        ASSERT_EQ(r.status, 200) << view;
        // The declared character set comes before the title, in the first
        // 1024 bytes, and every byte of the page is UTF-8.
        size_t charset = r.body.find("<meta charset=\"utf-8\">");
        EXPECT_LT(charset, r.body.find("<title>")) << view;
        EXPECT_LT(charset, 1024u) << view;
        EXPECT_TRUE(validUtf8(r.body)) << view;
        EXPECT_NE(r.body.find("<title>" + utf8Folder + "</title>"), std::string::npos) << view;
        if (std::string(view) == "preview") continue;
        EXPECT_NE(r.body.find("Caf\xC3\xA9"), std::string::npos) << view;  // shown as "Café"
        if (std::string(view) == "filmstrip") continue;  // its entries link to the preview
        auto l = links(gallery::scanHtml(r.body));
        EXPECT_TRUE(std::any_of(l.begin(), l.end(), [](auto& p) { return p.first == "/%C3%89t%C3%A9/Caf%E9%20cr%E8me.txt"; }))
            << view;
        EXPECT_TRUE(std::any_of(l.begin(), l.end(), [](auto& p) { return p.first == "/%C3%89t%C3%A9/na%C3%AFve.txt"; }))
            << view;
    }
    // The links lead to the files themselves.
    EXPECT_EQ(get("/%C3%89t%C3%A9/Caf%E9%20cr%E8me.txt").body, "latin");
    EXPECT_EQ(get("/%C3%89t%C3%A9/na%C3%AFve.txt").body, "utf8");
    // The page's icon is served.
    EXPECT_EQ(get("/cii:/icon_image_16").status, 200);
}

TEST_F(GalleryPages, TheCharacterSetIsDeclaredBeforeALongTitle) {
    const std::string name(120, '&');  // 600 bytes once escaped
    fs::create_directories(collections() + "/" + name);
    std::string body = get("/" + std::string(120, '&') + "/").body;
    size_t charset = body.find("<meta charset=\"utf-8\">");
    EXPECT_LT(charset, 1024u);
    EXPECT_LT(charset, body.find("<title>"));
}

// The view a page was made in: the one view button shown selected.
std::string viewOf(const std::vector<Tag>& tags) {
    std::string found;
    for (const char* view : {"list", "icons", "details", "filmstrip"})
        for (const auto& t : tags)
            if (t.name == "img" && t.get("src") == "/cii:/" + std::string(view) + "_btn_sel") found += view;
    return found;
}

TEST_F(GalleryPages, TheViewComesFromQueryCookieAndCollectionType) {
    for (const char* c : {"Holiday", "Docs/Sub", "Pics", "Mixed"}) fs::create_directories(collections() + "/" + c);
    std::string ini = g.path("cradle.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("photo", "Docs", "File", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("photo", "Pics", "Photo", ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("photo", "Mixed", "Mixed", ini.c_str()));
    auto view = [&](const std::string& target, const std::string& headers = "") {
        Response r = get(target, headers);
        EXPECT_EQ(r.status, 200) << target;
        return viewOf(gallery::scanHtml(r.body));
    };
    const std::string cookie = "Cookie: list=details; x=1\r\n";
    // The query string wins over the cookie; the cookie alone is followed.
    EXPECT_EQ(view("/Holiday/?list=icons", cookie), "icons");
    EXPECT_EQ(view("/Holiday/", cookie), "details");
    EXPECT_EQ(view("/Holiday/?x=2", cookie), "details");
    // Without either, the collection's type chooses, in its subfolders too.
    EXPECT_EQ(view("/Docs/"), "details");
    EXPECT_EQ(view("/Docs/Sub/"), "details");
    EXPECT_EQ(view("/Pics/"), "filmstrip");
    EXPECT_EQ(view("/Mixed/"), "icons");
    EXPECT_EQ(view("/Holiday/"), "icons");
    // A remembered view still beats the type.
    EXPECT_EQ(view("/Pics/", "Cookie: list=list\r\n"), "list");
}

}  // namespace
