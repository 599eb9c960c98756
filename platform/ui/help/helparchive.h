// The suite's help files: one zip archive per help name (cradle.hlp,
// galleon.hlp, portreeve.hlp) holding HTML pages, the map "help.map" (context
// numbers to pages, the contents page) and text files of numbered pop-ups.
// docs/ARCHITECTURE.md describes the format.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform::ui {

// Limits that hold whatever a help file claims (a plug-in's help file comes
// from its author): entries, the bytes of one entry and of all together.
constexpr int kHelpMaxEntries = 4096;
constexpr int64_t kHelpMaxEntryBytes = 16 * 1024 * 1024;
constexpr int64_t kHelpMaxTotalBytes = 64 * 1024 * 1024;

struct HelpMap {
    std::string title;
    std::string contents = "index.html";  // table-of-contents page
    std::string popups = "cradle.txt";    // text file of the context pop-ups
    // Context number -> "page.html" or "page.html#anchor".
    std::optional<std::string> page(uint32_t context) const;
    std::string entries;  // "number=target" lines, kept for lookups
};

// Reads an entry of the archive; nullopt if the archive or entry is missing,
// damaged or over the limits.
std::optional<std::string> helpReadEntry(const std::string &archive, const std::string &name);
// The archive's map; nullopt when the archive or its map cannot be read.
std::optional<HelpMap> helpReadMap(const std::string &archive);
// Parses map text; false (with the line number) on a malformed line.
bool helpParseMap(const std::string &text, HelpMap *map, int *badLine);
// Topic number of a pop-up text file (".topic N" lines start each topic).
std::optional<std::string> helpPopupText(const std::string &text, uint32_t topic);
// Unpacks the archive into a cache directory of its own (once per version
// of the file) and returns that directory; nullopt on failure. Entry names
// that would leave the directory are refused with the whole archive.
std::optional<std::string> helpUnpack(const std::string &archive);
// Whether an entry name stays inside the directory it is unpacked into.
bool helpSafeEntryName(const std::string &name);

}  // namespace platform::ui
