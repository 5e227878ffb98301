// Reading and writing the values of one INI file, one key at a time, through
// the platform's private-profile functions (compat/ini_file.h): nothing is cached, every call sees
// the file as it is. Texts are the file's own 8-bit bytes, never converted.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace config {

// A string value is read through a 2048-byte buffer: at most 2047 characters.
constexpr std::size_t kValueBufferSize = 2048;

// The integer rule of the configuration files: the whole text is a signed
// decimal number, or "0x"/"0X" and hexadecimal digits taken as 32 bits
// (0xFFFFFFFF is -1). Anything else, an empty text or a number outside 32 bits
// included, is not a number.
std::optional<int> ParseInteger(std::string_view text);

class ProfileFile {
public:
    // path is UTF-8, as compat::ExecutableDir gives it; any folder will do.
    explicit ProfileFile(std::string path);

    const std::string& Path() const { return path_; }

    // The value, or the fallback when the file, the section or the key is missing.
    std::string ReadString(const char* section, const char* key, const char* fallback) const;
    // The fallback also when the text is not a number.
    int ReadInteger(const char* section, const char* key, int fallback) const;
    // An integer read with the fallback as 1 or 0; true when not 0.
    bool ReadBool(const char* section, const char* key, bool fallback) const;

    // Each returns false when the platform refuses the write. A write creates
    // the file, the section and the key as needed and leaves every other key.
    bool WriteString(const char* section, const char* key, const std::string& value) const;
    bool WriteInteger(const char* section, const char* key, long long value) const;  // signed decimal
    bool WriteBool(const char* section, const char* key, bool value) const;          // "1" or "0"

private:
    std::string path_;
};

}  // namespace config
