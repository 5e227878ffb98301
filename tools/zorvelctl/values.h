// The command line's and the fleet file's values: numbers, dates, times and
// four-number lists, checked as strictly as the board expects them.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "zorvel/board/protocol.h"

namespace zorvelctl {

// A value the user gave that cannot be used; the text says which and why.
struct UsageError {
    std::string Text;
};

// Decimal digits only, within low..high; `what` names the value in the error.
int Number(const std::string& text, int low, int high, const std::string& what);
board::ClockDate ParseDate(const std::string& text);  // DD.MM.YYYY, 2000..2099
board::ClockTime ParseTime(const std::string& text);  // HH:MM:SS
// "a,b,c,d", each within low..high.
std::array<int, 4> ParseFour(const std::string& text, int low, int high, const std::string& what);
// Copies text (1..size-1 characters) into a fixed field of a transport object.
void CopyName(char* destination, std::size_t size, const std::string& text, const std::string& what);

}  // namespace zorvelctl
