#include "listing_page.h"

#include "images_probe.h"
#include "listing_text.h"
#include "respmod.h"
#include "textwidth.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>
#include <cstring>

namespace {

constexpr int kPreviewW = 610, kPreviewH = 350;

std::string esc(const std::string& s) { return listingHtmlEscape(s); }

// A fitted label in HTML: escaped, its line break as <br>.
std::string label(const std::string& name, int width) {
    char fitted[1024];
    textFitLabel(listingDisplayText(name).c_str(), fitted, sizeof fitted, width);
    std::string out, text = fitted;
    size_t start = 0, nl;
    while ((nl = text.find('\n', start)) != std::string::npos) {
        out += esc(text.substr(start, nl - start)) + "<br>";
        start = nl + 1;
    }
    return out + esc(text.substr(start));
}

std::string img(const std::string& name, int w, int h, const std::string& alt = "", const std::string& extra = "") {
    std::string s = "<img src=\"/cii:/" + name + "\"";
    if (w) s += " width=\"" + std::to_string(w) + "\"";
    if (h) s += " height=\"" + std::to_string(h) + "\"";
    s += " alt=\"" + esc(alt) + "\" border=\"0\"";
    if (!extra.empty()) s += " " + extra;
    return s + ">";
}

struct Ctx {
    const std::string& urlPath;  // decoded, '/' at both ends
    const ListingOptions& opt;
    std::string url;             // escaped URL of the current folder
    std::string& out;
    std::string href(const ListingEntry& e) const { return url + listingUrlEscape(e.name) + (e.isDir() ? "/" : ""); }
};

std::string parentOf(const std::string& urlPath) {
    if (urlPath.size() <= 1) return "/";
    size_t cut = urlPath.rfind('/', urlPath.size() - 2);
    return cut == std::string::npos ? "/" : urlPath.substr(0, cut + 1);
}

void head(Ctx& c, const std::string& title, const std::string& headerColor) {
    std::string& o = c.out;
    // The document type keeps browsers in standards mode, where the layout is
    // the same in all of them. Names are sent as UTF-8 (see listingDisplayText),
    // and the character set says so before the title, within the first 1024
    // bytes where browsers look for it. The icon names the server's own picture,
    // so browsers do not ask for "/favicon.ico" with every page.
    o += "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\">\r\n<title>" + esc(title) + "</title>\r\n";
    o += "<link rel=\"icon\" type=\"image/png\" href=\"/cii:/icon_image_16\">\r\n";
    o += R"(<script type="text/javascript">
function surfto(form) {
  var s = form.select1;
  var url = s.options[s.selectedIndex].value;
  if (url) location.href = url;
}
function MM_swapImgRestore() {
  var a = document.MM_sr;
  if (!a) return;
  for (var i = 0; i < a.length; i++) a[i].src = a[i].oSrc;
  document.MM_sr = null;
}
function MM_preloadImages() {
  if (!document.MM_p) document.MM_p = [];
  for (var i = 0; i < arguments.length; i++) {
    var im = new Image();
    im.src = '/cii:/' + arguments[i];
    document.MM_p.push(im);
  }
}
function MM_findObj(n) {
  return document.getElementById(n) || (document.images ? document.images[n] : null);
}
function MM_swapImage(id, src) {
  var x = MM_findObj(id);
  if (!x) return;
  document.MM_sr = [x];
  if (!x.oSrc) x.oSrc = x.src;
  x.src = '/cii:/' + src;
}
</script>
)";
    o += "<style type=\"text/css\">\r\n"
         "body { font-family: Tahoma, 'DejaVu Sans', Verdana, sans-serif; font-size: 11px; color: #1E2A38; }\r\n"
         "select, input { font-family: Tahoma, 'DejaVu Sans', Verdana, sans-serif; font-size: 11px; }\r\n"
         "td { font-family: Tahoma, 'DejaVu Sans', Verdana, sans-serif; font-size: 11px; }\r\n"
         "a:link, a:visited { color: #17365D; text-decoration: none; }\r\n"
         "a:hover { color: #2E5C9A; text-decoration: underline; }\r\n"
         "th { font-family: Tahoma, 'DejaVu Sans', Verdana, sans-serif; font-size: 11px; font-weight: normal;"
         " text-align: left; padding: 3px 4px; background: #" + headerColor + "; }\r\n"
         ".h2 { font-family: Tahoma, 'DejaVu Sans', Verdana, sans-serif; font-size: 12px; font-weight: bold;"
         " color: #17365D; }\r\n"
         "a.mlink:link, a.mlink:visited { color: #17365D; }\r\n"
         "td.item { text-align: center; vertical-align: top; padding: 4px 2px; }\r\n"
         "td.row { padding: 2px 4px; white-space: nowrap; }\r\n"
         "td.pane { padding: 12px 10px; color: #3A4656; line-height: 15px; }\r\n"
         "</style>\r\n</head>\r\n";
    o += "<body bgcolor=\"#FFFFFF\" leftmargin=\"0\" topmargin=\"0\" marginwidth=\"0\" marginheight=\"0\""
         " style=\"margin:0\" onload=\"MM_preloadImages('list_btn_sel','icons_btn_sel','details_btn_sel',"
         "'filmstrip_btn_sel','list_btn','icons_btn','details_btn','filmstrip_btn')\">\r\n";
}

void banner(Ctx& c) {
    c.out += "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr>"
             "<td width=\"101\">" + img("banner_icon_s1", 101, 56, "LoomPhotoServer") + "</td>"
             "<td width=\"152\">" + img("banner_text", 152, 56, "LoomPhotoServer") + "</td>"
             "<td width=\"103\">" + img("gradient_s1", 103, 56) + "</td>"
             "<td>" + img("pixel", 1, 56) + "</td>"
             "<td width=\"150\" align=\"right\" valign=\"middle\"><a href=\"https://www.skyloom.example/\">" +
             img("skyloom_logo", 150, 49, "Skyloom") + "</a></td>"
             "</tr></table>\r\n";
}

void viewButton(Ctx& c, const char* view, const char* query, int w, const char* alt, bool selected) {
    std::string name = std::string(view) + "_btn";
    std::string id = std::string("btn_") + view;
    c.out += "<td width=\"" + std::to_string(w + 4) + "\" align=\"center\"><a href=\"" + c.url + query + "\"";
    if (!selected)
        c.out += " onmouseout=\"MM_swapImgRestore()\" onmouseover=\"MM_swapImage('" + id + "','" + name + "_sel')\"";
    c.out += ">" + img(selected ? name + "_sel" : name, w, 20, alt, "id=\"" + id + "\" name=\"" + id + "\"") +
             "</a></td>";
}

void toolbar(Ctx& c) {
    std::string& o = c.out;
    bool root = c.urlPath == "/";
    o += "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" background=\"/cii:/blue_bkgnd\""
         " style=\"background:url('/cii:/blue_bkgnd')\"><tr>";
    o += "<td width=\"150\">" + (c.opt.banner ? img("banner_icon_s2", 150, 29) : img("gradient_s2", 150, 29)) + "</td>";
    o += "<td><form name=\"menuform\" id=\"menuform\" style=\"margin:0\" action=\"\" onsubmit=\"return false\">"
         "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\" height=\"29\"><tr>";
    o += "<td width=\"34\" align=\"center\">";
    if (root) o += img("upfolder_disabled", 28, 27, "Up one level");
    else o += "<a href=\"" + listingUrlEscape(parentOf(c.urlPath)) + "\">" + img("upfolder", 28, 27, "Up one level") + "</a>";
    o += "</td><td style=\"padding: 0 8px 0 4px\">";
    // Location drop-down: a separator line, then this folder and each one above it.
    o += "<select name=\"select1\" id=\"select1\" onchange=\"surfto(this.form)\">";
    o += "<option value=\"" + c.url + "\">" + std::string(50, '-') + "</option>";
    std::string path = c.urlPath, last;
    while (true) {
        std::string shown = path.size() > 1 ? path.substr(0, path.size() - 1) : "/";
        if (shown != last) {
            std::string value = listingUrlEscape(shown == "/" ? "" : shown) + "/";
            o += "<option value=\"" + value + "\"" + (path == c.urlPath ? " selected" : "") + ">" + esc(shown) +
                 "</option>";
            last = shown;
        }
        if (path == "/") break;
        path = parentOf(path);
    }
    o += "</select></td>";
    ListingView v = c.opt.view;
    viewButton(c, "list", "?list=list&amp;set=1", 58, "List", v == VIEW_LIST);
    viewButton(c, "icons", "?list=icons&amp;set=1", 68, "Icons", v == VIEW_ICONS);
    viewButton(c, "details", "?list=details&amp;set=1", 75, "Details", v == VIEW_DETAILS);
    viewButton(c, "filmstrip", "?list=filmstrip&amp;set=1&amp;sortcol=name&amp;sortdir=asc", 83, "Filmstrip",
               v == VIEW_FILMSTRIP || v == VIEW_PREVIEW);
    o += "</tr></table></form></td></tr></table>\r\n";
}

void leftPane(Ctx& c, const std::string& title, const std::string& location) {
    c.out += "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr>"
             "<td width=\"150\" valign=\"top\" class=\"pane\">" + img("folder", 150, 50, "", "style=\"margin-left:-10px\"") +
             "<div class=\"h2\" style=\"margin-top:4px\">" + esc(title) + "</div>"
             "<hr size=\"1\" noshade color=\"#639ACE\" style=\"border:0;border-top:1px solid #639ACE\">"
             "The listed files and folders shown here are stored on the <b>Remote</b> computer in " + esc(location) +
             ".<br><br>You can click a folder to navigate to the associated directory on the <b>Remote</b> computer. "
             "Click a file to open or save to your local disk.</td>\r\n"
             "<td valign=\"top\" style=\"padding: 10px 0 10px 10px\">";
}

// Frame of a filmstrip cell: a 94x94 box with 1-pixel grey lines (or 3-pixel
// blue lines for the entry shown by the preview).
std::string framed(const std::string& inner, bool current) {
    std::string line = current ? "blue_bkgnd" : "grey_pixel";
    int t = current ? 3 : 1;
    int outer = 94 + 2 * t;
    const std::string block = "style=\"display:block\"";
    std::string s = "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\" align=\"center\" style=\"line-height:0\">";
    s += "<tr><td colspan=\"3\">" + img(line, outer, t, "", block) + "</td></tr>";
    s += "<tr><td>" + img(line, t, 94, "", block) +
         "</td><td width=\"94\" height=\"94\" align=\"center\" valign=\"middle\" style=\"line-height:0\">" + inner +
         "</td><td>" + img(line, t, 94, "", block) + "</td></tr>";
    s += "<tr><td colspan=\"3\">" + img(line, outer, t, "", block) + "</td></tr></table>";
    return s;
}

std::string thumb(const Ctx& c, const ListingEntry& e) {
    return "<img src=\"/cif:" + c.href(e) + "\" alt=\"" + esc(e.name) + "\" border=\"0\" style=\"vertical-align:middle\">";
}

std::string previewHref(const Ctx& c, unsigned position) {
    return c.url + "?list=preview&amp;sortcol=name&amp;sortdir=asc&amp;item=" + std::to_string(position);
}

void detailsHeader(Ctx& c, const std::string& shadow) {
    struct Col { const char* title; const char* key; ListingSortColumn col; const char* width; };
    static const Col cols[] = {{"Name", "name", SORT_NAME, "300"},
                               {"Size", "size", SORT_SIZE, "80"},
                               {"Type", "type", SORT_TYPE, "110"},
                               {"Modified", "date", SORT_DATE, "130"}};
    std::string& o = c.out;
    o += "<tr><td bgcolor=\"#" + shadow + "\">\r\n";
    bool first = true;
    for (const Col& col : cols) {
        if (!first) o += "</td><td bgcolor=\"#" + shadow + "\">\r\n";
        first = false;
        std::string marker = "updownsort", dir = "asc";
        if (c.opt.honourSort && c.opt.sortCol == col.col) {
            bool desc = c.opt.sortDir == SORTDIR_DESC;
            marker = desc ? "downsort" : "upsort";
            dir = desc ? "asc" : "desc";
        }
        std::string link = c.url + "?sortcol=" + col.key + "&amp;sortdir=" + dir + "&amp;list=details";
        o += "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" style=\"margin-bottom:1px\">"
             "<tr><th width=\"" + std::string(col.width) + "\"><a href=\"" + link + "\">" + col.title +
             "</a></th><th width=\"13\" align=\"right\"><a href=\"" + link + "\">" + img(marker, 9, 11, "") +
             "</a></th></tr></table>";
    }
    o += "</td></tr>\r\n";
}

void detailsRow(Ctx& c, const ListingEntry& e) {
    std::string& o = c.out;
    std::string h = c.href(e);
    o += "<tr><td class=\"row\"><a href=\"" + h + "\"><img src=\"/cid:" + h +
         "\" width=\"16\" height=\"16\" border=\"0\" alt=\"\" align=\"absmiddle\"> " + esc(e.name) + "</a></td>";
    o += "<td class=\"row\" align=\"right\">" + (e.isDir() ? std::string() : listingSizeText(e.size)) + "</td>";
    o += "<td class=\"row\">" + esc(e.typeText()) + "</td>";
    o += "<td class=\"row\">" + esc(listingDateText(e.written)) + "</td></tr>\r\n";
}

// Cells of the grid views; `perRow` cells to a row.
struct Grid {
    Ctx& c;
    int perRow;
    int n = 0;
    void cell(const std::string& html, const char* attrs) {
        if (n % perRow == 0) c.out += "<tr>";
        c.out += std::string("<td class=\"item\" ") + attrs + ">" + html + "</td>";
        if (++n % perRow == 0) c.out += "</tr>\r\n";
    }
    void end() {
        if (n % perRow) {
            while (n % perRow) {
                c.out += "<td></td>";
                ++n;
            }
            c.out += "</tr>\r\n";
        }
    }
};

void gridItem(Grid& g, const ListingEntry& e, unsigned position) {
    // position: of the entry in name order, as the preview counts
    Ctx& c = g.c;
    std::string h = c.href(e);
    switch (c.opt.view) {
        case VIEW_ICONS:
            g.cell("<a href=\"" + h + "\"><img src=\"/cib:" + h + "\" width=\"32\" height=\"32\" border=\"0\" alt=\"\">"
                   "<br>" + label(e.name, 70) + "</a>",
                   "width=\"80\" height=\"70\"");
            break;
        case VIEW_LIST:
            g.cell("<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td valign=\"top\" style=\"padding:0 5px 0 0\">"
                   "<a href=\"" + h + "\"><img src=\"/cid:" + h + "\" width=\"16\" height=\"16\" border=\"0\" alt=\"\"></a>"
                   "</td><td style=\"text-align:left\"><a href=\"" + h + "\">" + label(e.name, 75) + "</a></td></tr></table>",
                   "width=\"155\" style=\"text-align:left;vertical-align:top\"");
            break;
        case VIEW_FILMSTRIP: {
            std::string target = e.isDir() ? h : previewHref(c, position);
            g.cell("<a href=\"" + target + "\">" + framed(thumb(c, e), false) + "</a><div style=\"margin-top:3px\">"
                   "<a href=\"" + target + "\">" + label(e.name, 96) + "</a></div>",
                   "width=\"128\"");
            break;
        }
        default:
            break;
    }
}

// A file whose content type, by its extension, is a picture.
bool isPictureType(const std::string& name) {
    char type[128];
    return respmodContentType(name.c_str(), type, sizeof type) > 0 && strncasecmp(type, "image/", 6) == 0;
}

// Size at which the preview shows a picture within the preview box.
void previewSize(int w, int h, int* pw, int* ph) {
    *pw = w;
    *ph = h;
    bool wide = w > kPreviewW, tall = h > kPreviewH;
    if (wide && (!tall || static_cast<long long>(h) * kPreviewW / w < kPreviewH)) {
        *pw = kPreviewW;
        *ph = static_cast<int>(static_cast<long long>(h) * kPreviewW / w);
    } else if (tall) {
        *ph = kPreviewH;
        *pw = static_cast<int>(static_cast<long long>(w) * kPreviewH / h);
    }
    if (*pw < 1) *pw = 1;
    if (*ph < 1) *ph = 1;
}

void preview(Ctx& c, const std::vector<ListingEntry>& entries, unsigned item, const std::string& dirPath) {
    std::string& o = c.out;
    // Positions count from 1 over the whole sorted list; "." and ".." take a
    // position but are never shown.
    std::vector<unsigned> shown;
    for (unsigned i = 0; i < entries.size(); ++i)
        if (!entries[i].isDot()) shown.push_back(i);
    if (shown.empty()) {
        o += "<tr><td align=\"center\" height=\"" + std::to_string(kPreviewH) + "\">This folder is empty.</td></tr>\r\n";
        return;
    }
    size_t cur = 0;
    for (size_t k = 0; k < shown.size(); ++k)
        if (shown[k] + 1 == item) cur = k;
    const ListingEntry& e = entries[shown[cur]];
    std::string h = c.href(e);
    o += "<tr><td align=\"center\" valign=\"middle\" height=\"" + std::to_string(kPreviewH + 20) + "\">";
    int w = 0, hh = 0;
    int kind = e.isDir() ? PROBE_NONE : imageProbe((dirPath + e.name).c_str(), &w, &hh);
    if (kind != PROBE_NONE) {
        int pw, ph;
        previewSize(w, hh, &pw, &ph);
        o += "<a href=\"" + h + "\"><img src=\"" + h + "\" width=\"" + std::to_string(pw) + "\" height=\"" +
             std::to_string(ph) + "\" border=\"0\" alt=\"" + esc(e.name) + "\"></a>";
    } else if (!e.isDir() && isPictureType(e.name)) {
        // A picture whose size cannot be read: the browser fits it into the box.
        o += "<table width=\"" + std::to_string(kPreviewW) + "\" height=\"" + std::to_string(kPreviewH) +
             "\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr><td align=\"center\" valign=\"middle\">"
             "<a href=\"" + h + "\"><img src=\"" + h + "\" style=\"max-width:" + std::to_string(kPreviewW) +
             "px;max-height:" + std::to_string(kPreviewH) + "px\" border=\"0\" alt=\"" + esc(e.name) +
             "\"></a></td></tr></table>";
    } else {
        o += "<table width=\"" + std::to_string(kPreviewW) + "\" height=\"" + std::to_string(kPreviewH) +
             "\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\" style=\"border:1px solid #C0C0C0\"><tr>"
             "<td align=\"center\" valign=\"middle\" style=\"color:#7A8696\"><a href=\"" + h + "\"><img src=\"/cib:" + h +
             "\" width=\"32\" height=\"32\" border=\"0\" alt=\"\"></a><br><br>No Preview Available</td></tr></table>";
    }
    o += "<br><b><a href=\"" + h + "\">" + esc(e.name) + "</a></b></td></tr>\r\n";

    // The strip: up to four thumbnails from the entry before the shown one.
    size_t first = cur > 0 ? cur - 1 : 0;
    size_t last = std::min(first + 4, shown.size());  // one past the strip
    o += "<tr><td align=\"center\" style=\"padding-top:8px\"><table border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr>";
    o += "<td valign=\"top\" style=\"padding-top:2px\">";
    if (cur > 0) o += "<a href=\"" + previewHref(c, shown[first] + 1) + "\">" + img("browse_left", 24, 96, "Previous") + "</a>";
    else o += img("browse_left_disabled", 24, 96, "Previous");
    o += "</td>";
    for (size_t k = first; k < first + 4; ++k) {
        if (k >= last) {
            o += "<td width=\"128\"></td>";
            continue;
        }
        const ListingEntry& s = entries[shown[k]];
        bool isCur = k == cur;
        std::string link = previewHref(c, shown[k] + 1);
        o += "<td width=\"128\" class=\"item\"><a href=\"" + link + "\">" + framed(thumb(c, s), isCur) +
             "</a><div style=\"margin-top:3px\"><a href=\"" + link + "\">" +
             (isCur ? "<b>" + label(s.name, 192) + "</b>" : label(s.name, 96)) + "</a></div></td>";
    }
    o += "<td valign=\"top\" style=\"padding-top:2px\">";
    if (last < shown.size())
        o += "<a href=\"" + previewHref(c, shown[last] + 1) + "\">" + img("browse_right", 24, 96, "Next") + "</a>";
    else o += img("browse_right_disabled", 24, 96, "Next");
    o += "</td></tr></table></td></tr>\r\n";
}

// Position (from 1) of every entry in ascending name order, the order of the
// preview view, whatever order the entries are listed in.
std::vector<unsigned> namePositions(const std::vector<ListingEntry>& entries) {
    std::vector<unsigned> order(entries.size());
    for (unsigned i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](unsigned a, unsigned b) {
        return strcasecmp(entries[a].name.c_str(), entries[b].name.c_str()) < 0;
    });
    std::vector<unsigned> pos(entries.size());
    for (unsigned k = 0; k < order.size(); ++k) pos[order[k]] = k + 1;
    return pos;
}

}  // namespace

bool listingPage(const std::string& dirPath, const std::string& urlPath, const ListingOptions& opt, unsigned item,
                 std::string* page) {
    std::vector<ListingEntry> entries;
    ListingSortColumn col = opt.honourSort ? opt.sortCol : SORT_NONE;
    ListingSortDir dirn = opt.honourSort ? opt.sortDir : SORTDIR_NONE;
    if (opt.view == VIEW_PREVIEW) {
        // The preview and the filmstrip links agree on name order.
        col = SORT_NAME;
        dirn = SORTDIR_ASC;
    }
    if (!listingEnumerate(dirPath, col, dirn, &entries)) return false;

    std::string& o = *page;
    o.clear();
    o.reserve(4096 + entries.size() * 420);
    Ctx c{urlPath, opt, listingUrlEscape(urlPath), o};

    std::string trimmed = dirPath.size() > 1 ? dirPath.substr(0, dirPath.size() - 1) : dirPath;
    size_t slash = trimmed.rfind('/');
    std::string title = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    std::string location = opt.urlLocations ? urlPath : dirPath;
    std::string headerColor = listingSysColor(COLOR_BTNFACE, "C0C0C0");
    std::string shadow = listingSysColor(COLOR_BTNSHADOW, "808080");

    head(c, title, headerColor);
    if (opt.banner) banner(c);
    if (opt.toolbar) toolbar(c);
    leftPane(c, title, location);

    const char* cellspacing = opt.view == VIEW_DETAILS ? "0" : "2";
    o += std::string("<table width=\"620\" border=\"0\" cellspacing=\"") + cellspacing + "\" cellpadding=\"0\">\r\n";
    if (opt.view == VIEW_DETAILS) detailsHeader(c, shadow);

    if (opt.view == VIEW_PREVIEW) {
        preview(c, entries, item, dirPath);
    } else if (opt.view == VIEW_DETAILS) {
        bool root = urlPath == "/";
        for (const auto& e : entries) {
            if (e.name == ".") continue;
            if (e.name == "..") {
                if (root) continue;
                std::string up = listingUrlEscape(parentOf(urlPath));
                o += "<tr><td class=\"row\"><a href=\"" + up + "\"><img src=\"/cid:" + up +
                     "\" width=\"16\" height=\"16\" border=\"0\" alt=\"\" align=\"absmiddle\"> &lt;up one level&gt;</a>"
                     "</td><td></td><td class=\"row\">Directory</td><td></td></tr>\r\n";
                continue;
            }
            detailsRow(c, e);
        }
    } else {
        Grid g{c, opt.view == VIEW_ICONS ? 7 : 4};
        std::vector<unsigned> positions = namePositions(entries);
        for (size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].isDot()) continue;
            gridItem(g, entries[i], positions[i]);
        }
        g.end();
    }
    o += "</table></td></tr></table>\r\n</body>\r\n</html>\r\n";
    return true;
}
