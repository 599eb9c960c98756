// Parsers of the individual resource statements. Each is called after the
// statement's keyword and returns the resource's bytes in its binary layout.
#pragma once

#include "expr.h"
#include "resources.h"

#include <map>

namespace rc {

// BEGIN or '{' / END or '}'.
void expectBegin(TokenStream& ts);
bool acceptEnd(TokenStream& ts);
// Skips memory options (PRELOAD, DISCARDABLE...) that mean nothing here.
void skipMemoryOptions(TokenStream& ts);
// An integer resource id, type or name that must fit 16 bits.
uint16_t expectWord(TokenStream& ts, const char* what);

// VERSIONINFO: VS_VERSIONINFO with VS_FIXEDFILEINFO and UTF-16 keys.
Bytes parseVersionInfo(TokenStream& ts);
// DIALOGEX: DLGTEMPLATEEX with its DLGITEMTEMPLATEEX items; DIALOG
// (extended false): DLGTEMPLATE with DLGITEMTEMPLATE items.
Bytes parseDialog(TokenStream& ts, bool extended);
// MENU: the menu template (header, then items; popups hold their items).
Bytes parseMenu(TokenStream& ts);
// ACCELERATORS: ACCELTABLEENTRY records, the last one flagged 0x80.
Bytes parseAccelerators(TokenStream& ts);
// STRINGTABLE: adds id -> text to the script's strings.
void parseStringTable(TokenStream& ts, std::map<uint16_t, std::pair<std::string, Origin>>& strings);
// The string blocks: block (id / 16) + 1 holds 16 counted UTF-16 strings.
std::vector<Resource> buildStringBlocks(const std::map<uint16_t, std::pair<std::string, Origin>>& strings);
// Raw data of a BEGIN ... END block: strings as bytes, numbers as 16-bit
// words (32-bit with an L suffix).
Bytes parseRawData(TokenStream& ts);

// PNG images: size from the IHDR chunk of a PNG file.
struct PngInfo {
    Bytes data;
    uint32_t width = 0, height = 0;
};
PngInfo readPng(const std::string& path, const Origin& at);
// The group directory of an icon (GRPICONDIR with GRPICONDIRENTRY items)
// whose images are RT_ICON resources with the given ids.
Bytes buildIconGroup(const std::vector<PngInfo>& images, const std::vector<uint16_t>& ids);
// A cursor image (its hot spot, then the PNG) and its group directory
// (CURSORDIR with one entry naming image id).
Bytes buildCursorImage(const PngInfo& png, uint16_t hotX, uint16_t hotY);
Bytes buildCursorGroup(const PngInfo& png, uint16_t id);

}  // namespace rc
