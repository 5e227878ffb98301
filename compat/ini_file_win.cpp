// Windows: the wide profile functions on the wide path. The A functions take
// the path in the ANSI code page and so cannot name a folder outside it; what
// they do with the texts is a conversion through that code page, which is
// done here around the W functions, so the file's bytes are the same.
#ifdef _WIN32

#include "ini_file.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform.h"

namespace compat {

namespace {

// nullptr stays nullptr: the profile functions give it a meaning of its own.
class AnsiArgument {
public:
    explicit AnsiArgument(const char* text) : null_(text == nullptr) {
        if (null_) return;
        int length = static_cast<int>(std::strlen(text));
        int n = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
        wide_.assign(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, text, length, wide_.data(), n);
    }
    const wchar_t* Get() const { return null_ ? nullptr : wide_.c_str(); }

private:
    bool null_;
    std::wstring wide_;
};

}  // namespace

std::uint32_t ReadIniString(const std::string& path, const char* section, const char* key, const char* fallback,
                            char* out, std::uint32_t size) {
    if (out == nullptr || size == 0) return 0;
    std::vector<wchar_t> wide(size);
    DWORD n = GetPrivateProfileStringW(AnsiArgument(section).Get(), AnsiArgument(key).Get(),
                                       AnsiArgument(fallback).Get(), wide.data(), size, Utf8ToWide(path).c_str());
    int bytes = n ? WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(n), nullptr, 0, nullptr, nullptr) : 0;
    std::string ansi(static_cast<std::size_t>(bytes), '\0');
    if (bytes) WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(n), ansi.data(), bytes, nullptr, nullptr);
    std::size_t length = ansi.size() < size - 1 ? ansi.size() : size - 1;
    std::memcpy(out, ansi.data(), length);
    out[length] = '\0';
    return static_cast<std::uint32_t>(length);
}

bool WriteIniString(const std::string& path, const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringW(AnsiArgument(section).Get(), AnsiArgument(key).Get(), AnsiArgument(value).Get(),
                                      Utf8ToWide(path).c_str()) != 0;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(Utf8ToWide(path).c_str(), Utf8ToWide(mode).c_str());
}

}  // namespace compat

#endif  // _WIN32
