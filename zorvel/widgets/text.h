// Text conversion at the edge of the user interface. Sources are UTF-8, the
// window functions take UTF-16, and the INI files hold 8-bit Windows-1251
// whatever code page the machine runs with, so that code page is converted
// through a table of our own instead of the system's ANSI conversion.
#pragma once

#include <string>
#include <string_view>

namespace widgets {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Every byte maps to one UTF-16 unit and back; the one byte the code page
// leaves unassigned (0x98) maps to U+0098, so any byte string survives a round
// trip. Characters outside the code page become '?'.
std::wstring FromCp1251(std::string_view bytes);
std::string ToCp1251(std::wstring_view text);

}  // namespace widgets
