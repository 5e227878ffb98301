#include "values.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace zorvelctl {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int Number(const std::string& text, int low, int high, const std::string& what) {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || !std::all_of(text.begin(), text.end(), IsDigit) || value < low ||
        value > high)
        throw UsageError{what + " must be a number " + std::to_string(low) + ".." + std::to_string(high) + ": " +
                         text};
    return value;
}

namespace {

std::array<std::string, 3> SplitThree(const std::string& text, char separator, const std::string& what) {
    std::size_t first = text.find(separator), second = text.find(separator, first + 1);
    if (first == std::string::npos || second == std::string::npos || text.find(separator, second + 1) != std::string::npos)
        throw UsageError{what + ": " + text};
    return {text.substr(0, first), text.substr(first + 1, second - first - 1), text.substr(second + 1)};
}

}  // namespace

board::ClockDate ParseDate(const std::string& text) {
    auto parts = SplitThree(text, '.', "--date expects DD.MM.YYYY");
    board::ClockDate d{Number(parts[0], 1, 31, "the day"), Number(parts[1], 1, 12, "the month"),
                       Number(parts[2], 2000, 2099, "the year")};
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = d.Year % 4 == 0;  // 2000..2099
    if (d.Day > days[d.Month - 1] + (d.Month == 2 && leap ? 1 : 0)) throw UsageError{"no such date: " + text};
    return d;
}

board::ClockTime ParseTime(const std::string& text) {
    auto parts = SplitThree(text, ':', "--time expects HH:MM:SS");
    return {Number(parts[0], 0, 23, "the hours"), Number(parts[1], 0, 59, "the minutes"),
            Number(parts[2], 0, 59, "the seconds")};
}

std::array<int, 4> ParseFour(const std::string& text, int low, int high, const std::string& what) {
    std::array<int, 4> values{};
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t comma = text.find(',', start);
        if ((i < 3) != (comma != std::string::npos)) throw UsageError{what + " expects four comma-separated numbers: " + text};
        values[i] = Number(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), low,
                           high, what);
        start = comma + 1;
    }
    return values;
}

void CopyName(char* destination, std::size_t size, const std::string& text, const std::string& what) {
    if (text.empty() || text.size() >= size) throw UsageError{what + " must be 1.." + std::to_string(size - 1) + " characters: " + text};
    std::memcpy(destination, text.c_str(), text.size() + 1);
}

}  // namespace zorvelctl
