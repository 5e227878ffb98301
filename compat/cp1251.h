// Windows-1251, the code page of every text file of this system, through a
// table of our own (never the machine's ANSI code page). Portable.
#pragma once

#include <string>
#include <string_view>

namespace compat {

// One character each way: a byte's character, and a character's byte ('?'
// for a character the code page lacks).
char16_t Cp1251ToChar(unsigned char byte);
char Cp1251FromChar(char32_t c);

// UTF-8 text as Windows-1251 bytes; a character the code page lacks becomes
// '?', and a malformed UTF-8 byte becomes '?' too.
std::string Utf8ToCp1251(std::string_view utf8);
// Windows-1251 bytes as UTF-8; the unassigned byte 0x98 becomes U+0098, so
// every byte string survives the round trip.
std::string Cp1251ToUtf8(std::string_view bytes);

}  // namespace compat
