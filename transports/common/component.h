// Helpers every transport library shares (linked into each one): its settings
// file and the way it reports a failure to the operator.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace transports {

// The INI file in which a component keeps its settings. A bare name lies in
// the executable's directory; a name with a directory part is used as given.
class SettingsFile {
public:
    explicit SettingsFile(const char* name);

    // Copies the value (or `fallback` when the key is missing) into out,
    // cut to size - 1 characters.
    void ReadText(const char* section, const char* key, const char* fallback, char* out,
                  std::size_t size) const;
    // The value's leading decimal number (0 when it has no digits), or
    // `fallback` when the key is missing.
    long ReadNumber(const char* section, const char* key, long fallback) const;
    void WriteText(const char* section, const char* key, const char* value) const;
    void WriteNumber(const char* section, const char* key, long value) const;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The component's own failure message: caption "Ошибка", error icon, on top,
// owned by `owner`. Goes through this library's message box seam.
void ReportError(void* owner, const std::string& text);

// Copies text into a fixed character array, cut to fit, always terminated.
template <std::size_t N>
void CopyText(char (&destination)[N], const char* text) {
    std::size_t length = text ? std::strlen(text) : 0;
    if (length > N - 1) length = N - 1;
    if (length) std::memcpy(destination, text, length);
    destination[length] = '\0';
}

// `value` limited to [low, high]; `fallback` when outside.
long InRangeOr(long value, long low, long high, long fallback);

}  // namespace transports
