#include "listing.h"

#include "bufmod.h"
#include "config.h"
#include "listing_page.h"
#include "object.h"
#include "respmod.h"
#include "target.h"
#include "varmod.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string queryValue(int list, const char* name) {
    if (list < 0) return {};
    char value[256];
    if (varmodGetVariable(list, name, value, sizeof value - 1) < 0) return {};
    value[sizeof value - 1] = 0;
    return value;
}

bool hasQuery(int list, const char* name) { return list >= 0 && varmodHasVariable(list, name) == 1; }

ListingOptions optionsOf(int list) {
    ListingOptions o;
    std::string view = queryValue(list, "list");
    if (view == "details") o.view = VIEW_DETAILS;
    else if (view == "list") o.view = VIEW_LIST;
    else if (view == "filmstrip") o.view = VIEW_FILMSTRIP;
    else if (view == "preview") o.view = VIEW_PREVIEW;
    else o.view = VIEW_ICONS;
    std::string col = queryValue(list, "sortcol");
    if (col == "name") o.sortCol = SORT_NAME;
    else if (col == "size") o.sortCol = SORT_SIZE;
    else if (col == "type") o.sortCol = SORT_TYPE;
    else if (col == "date") o.sortCol = SORT_DATE;
    if (hasQuery(list, "sortdir")) o.sortDir = queryValue(list, "sortdir") == "desc" ? SORTDIR_DESC : SORTDIR_ASC;
    return o;
}

}  // namespace

// The item position of the preview: a decimal of at most nine digits, else 0.
static unsigned itemOf(int list) {
    std::string text = queryValue(list, "item");
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
    return static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
}

int listingAnswer(HttpRequest* req) {
    if (!req || !req->resolved || !req->object || !req->object->directory) return -2;
    req->bytesOut = 0;
    // The folder as the connection resolved and opened it: its URL path for
    // the page, its real location for the enumeration.
    std::string urlPath = req->resolved->urlPath;
    if (urlPath.back() != '/') urlPath += '/';
    std::string dirPath = std::string(req->object->realPath) + "/";

    ListingOptions options = optionsOf(req->queryList);
    unsigned item = itemOf(req->queryList);
    std::string page;
    if (!listingPage(dirPath, urlPath, options, item, &page)) return -3;

    if (respmodSendHeader(req->slot, 200, req->flags, req->timeout, req->max) != 0) return 0;
    char header[128];
    int n = std::snprintf(header, sizeof header, "Content-Length: %d\r\nContent-Type: text/html\r\n\r\n",
                          static_cast<int>(page.size()));
    if (bufmodWrite(req->slot, header, n) != 0) return 0;
    if (req->flags & (REQ_GET | REQ_POST)) {
        if (bufmodWrite(req->slot, page.data(), static_cast<int>(page.size())) == 0)
            req->bytesOut = static_cast<unsigned long>(page.size());
    }
    return 0;
}
