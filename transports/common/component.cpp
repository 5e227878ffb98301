#include "transports/common/component.h"

#include <cctype>
#include <climits>
#include <cstdlib>

#include "compat/platform.h"
#include "compat/ini_file.h"

namespace transports {

namespace {
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
    path_ = compat::FileBesideExecutable(name);
}

void SettingsFile::ReadText(const char* section, const char* key, const char* fallback, char* out,
                            std::size_t size) const {
    if (size == 0) return;
    compat::ReadIniString(path_, section, key, fallback, out, static_cast<std::uint32_t>(size));
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
    compat::WriteIniString(path_, section, key, value);
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
