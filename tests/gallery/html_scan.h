// A small HTML scanner for the page tests: the tags of a page with their
// attributes, and the text between them.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace gallery {

struct Tag {
    std::string name;                          // lower case; "/td" for an end tag
    std::map<std::string, std::string> attrs;  // names lower case, values with entities kept
    std::string textAfter;                     // text up to the next tag
    bool has(const std::string& a) const { return attrs.count(a) > 0; }
    std::string get(const std::string& a) const {
        auto it = attrs.find(a);
        return it == attrs.end() ? "" : it->second;
    }
};

std::vector<Tag> scanHtml(const std::string& html);

// Tags of a name, optionally only those whose attribute contains a text.
std::vector<Tag> tagsOf(const std::vector<Tag>& tags, const std::string& name, const std::string& attr = "",
                        const std::string& contains = "");

// The character references of HTML text decoded (&amp; &lt; &gt; &quot; &#39;).
std::string unescapeHtml(const std::string& text);

}  // namespace gallery
