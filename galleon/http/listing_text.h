// Texts of the listing pages: escaping for URLs and HTML, sizes, dates and
// the colours of the table headers.
#pragma once

#include <windows.h>

#include <string>

// Every byte other than '-', '.', '/', '0'-'9', 'A'-'Z', '_', 'a'-'z' becomes
// '%' and two upper-case hexadecimal digits.
std::string listingUrlEscape(const std::string& text);

// A name as the pages show it, in UTF-8: valid UTF-8 stays as it is; every
// byte that is not part of a valid sequence (a name from an 8-bit code page)
// is read as a character of the Windows Western code page.
std::string listingDisplayText(const std::string& text);

// The display text with '&', '<', '>', '"' and '\'' as character references,
// for HTML text and attribute values alike.
std::string listingHtmlEscape(const std::string& text);

// "1 KB" below 1024 bytes, else the size in KB rounded up with ',' between
// groups of three digits: "1,205,633 KB".
std::string listingSizeText(unsigned long long bytes);

// Local short date, a blank and the time without seconds, in the process
// locale; "" when the time cannot be converted.
std::string listingDateText(const FILETIME& time);

// A system colour as six upper-case hexadecimal digits, red first, or the
// fallback when the system gives none.
std::string listingSysColor(int index, const char* fallback);
