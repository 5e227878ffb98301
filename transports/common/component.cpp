#include "transports/common/component.h"

#include <cctype>
#include <climits>
#include <cstdlib>

#include "compat/platform.h"
#include "compat/profile.h"

namespace transports {

namespace {
bool HasDirectoryPart(const char* name) {
    return std::strchr(name, '/') != nullptr || std::strchr(name, '\\') != nullptr;
}

// Leading digits after optional blanks and sign; 0 without digits; saturates.
long LeadingDecimal(const char* text) {
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text) {
        int digit = *text - '0';
        if (value > (LONG_MAX - digit) / 10) return negative ? LONG_MIN : LONG_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}
}  // namespace

SettingsFile::SettingsFile(const char* name) {
    const char* bare = name ? name : "";
    path_ = HasDirectoryPart(bare) ? std::string(bare) : compat::JoinPath(compat::ExecutableDir(), bare);
}

void SettingsFile::ReadText(const char* section, const char* key, const char* fallback, char* out,
                            std::size_t size) const {
    if (size == 0) return;
    GetPrivateProfileStringA(section, key, fallback, out, static_cast<DWORD>(size), path_.c_str());
    out[size - 1] = '\0';
}

long SettingsFile::ReadNumber(const char* section, const char* key, long fallback) const {
    // A value no number can produce tells a missing key from an empty one.
    static const char kMissing[] = "\x01";
    char text[64];
    ReadText(section, key, kMissing, text, sizeof text);
    if (std::strcmp(text, kMissing) == 0) return fallback;
    return LeadingDecimal(text);
}

void SettingsFile::WriteText(const char* section, const char* key, const char* value) const {
    WritePrivateProfileStringA(section, key, value, path_.c_str());
}

void SettingsFile::WriteNumber(const char* section, const char* key, long value) const {
    WriteText(section, key, std::to_string(value).c_str());
}

void ReportError(void* owner, const std::string& text) {
    compat::ShowBox(owner, compat::Box::Error, text);
}

long InRangeOr(long value, long low, long high, long fallback) {
    return value < low || value > high ? fallback : value;
}

}  // namespace transports
