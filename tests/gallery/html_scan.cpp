#include "html_scan.h"

#include <cctype>

namespace gallery {

namespace {
std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

std::vector<Tag> scanHtml(const std::string& html) {
    std::vector<Tag> tags;
    size_t i = 0, n = html.size();
    while (i < n) {
        size_t open = html.find('<', i);
        if (open == std::string::npos) break;
        if (!tags.empty()) tags.back().textAfter += html.substr(i, open - i);
        if (html.compare(open, 4, "<!--") == 0) {
            size_t end = html.find("-->", open);
            i = end == std::string::npos ? n : end + 3;
            continue;
        }
        size_t j = open + 1;
        Tag t;
        while (j < n && !std::isspace(static_cast<unsigned char>(html[j])) && html[j] != '>') t.name += html[j++];
        t.name = lower(t.name);
        // Attributes: name, name=value, name="value", name='value'.
        while (j < n && html[j] != '>') {
            while (j < n && (std::isspace(static_cast<unsigned char>(html[j])) || html[j] == '/')) ++j;
            if (j >= n || html[j] == '>') break;
            std::string an;
            while (j < n && html[j] != '=' && html[j] != '>' && !std::isspace(static_cast<unsigned char>(html[j])))
                an += html[j++];
            std::string value;
            if (j < n && html[j] == '=') {
                ++j;
                if (j < n && (html[j] == '"' || html[j] == '\'')) {
                    char q = html[j++];
                    size_t end = html.find(q, j);
                    if (end == std::string::npos) end = n;
                    value = html.substr(j, end - j);
                    j = end + 1;
                } else {
                    while (j < n && html[j] != '>' && !std::isspace(static_cast<unsigned char>(html[j]))) value += html[j++];
                }
            }
            if (!an.empty()) t.attrs[lower(an)] = value;
        }
        i = j < n ? j + 1 : n;
        bool raw = t.name == "script" || t.name == "style";
        tags.push_back(std::move(t));
        if (raw) {  // skip the body of scripts and style sheets
            size_t end = html.find("</" + tags.back().name, i);
            i = end == std::string::npos ? n : end;
        }
    }
    return tags;
}

std::vector<Tag> tagsOf(const std::vector<Tag>& tags, const std::string& name, const std::string& attr,
                        const std::string& contains) {
    std::vector<Tag> out;
    for (const auto& t : tags) {
        if (t.name != name) continue;
        if (!attr.empty() && (!t.has(attr) || t.get(attr).find(contains) == std::string::npos)) continue;
        out.push_back(t);
    }
    return out;
}

std::string unescapeHtml(const std::string& text) {
    static const std::pair<const char*, char> ents[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    std::string out;
    for (size_t i = 0; i < text.size();) {
        bool matched = false;
        if (text[i] == '&') {
            for (auto& [ent, ch] : ents) {
                size_t len = std::char_traits<char>::length(ent);
                if (text.compare(i, len, ent) == 0) {
                    out += ch;
                    i += len;
                    matched = true;
                    break;
                }
            }
        }
        if (!matched) out += text[i++];
    }
    return out;
}

}  // namespace gallery
