// Linux: paths are bytes already; our own profile functions do the rest.
#ifndef _WIN32

#include "ini_file.h"

#include "profile.h"

namespace compat {

std::uint32_t ReadIniString(const std::string& path, const char* section, const char* key, const char* fallback,
                            char* out, std::uint32_t size) {
    return GetPrivateProfileStringA(section, key, fallback, out, size, path.c_str());
}

bool WriteIniString(const std::string& path, const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, path.c_str()) != 0;
}

std::FILE* OpenFile(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

}  // namespace compat

#endif  // !_WIN32
