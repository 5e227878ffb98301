#include "zorvel/config/profile.h"

#include <cstdint>
#include <cstdio>

#include "compat/ini_file.h"

namespace config {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<int> ParseInteger(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint64_t value = 0;
        for (char c : text.substr(2)) {
            int digit = HexDigit(c);
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<unsigned>(digit);
            if (value > 0xFFFFFFFFu) return std::nullopt;
        }
        return static_cast<int>(static_cast<std::uint32_t>(value));
    }

    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

std::string ProfileFile::ReadString(const char* section, const char* key, const char* fallback) const {
    char buffer[kValueBufferSize];
    std::uint32_t n = compat::ReadIniString(path_, section, key, fallback, buffer, sizeof buffer);
    return std::string(buffer, n < sizeof buffer ? n : sizeof buffer - 1);
}

int ProfileFile::ReadInteger(const char* section, const char* key, int fallback) const {
    return ParseInteger(ReadString(section, key, "")).value_or(fallback);
}

bool ProfileFile::ReadBool(const char* section, const char* key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool ProfileFile::WriteString(const char* section, const char* key, const std::string& value) const {
    return compat::WriteIniString(path_, section, key, value.c_str());
}

bool ProfileFile::WriteInteger(const char* section, const char* key, long long value) const {
    char text[24];
    std::snprintf(text, sizeof text, "%lld", value);
    return WriteString(section, key, text);
}

bool ProfileFile::WriteBool(const char* section, const char* key, bool value) const {
    return WriteString(section, key, value ? "1" : "0");
}

}  // namespace config
