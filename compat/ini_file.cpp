#include "ini_file.h"

#include <cstring>

#include "platform.h"

namespace compat {

std::string FileBesideExecutable(const char* name) {
    const char* bare = name ? name : "";
    const bool hasDirectory = std::strchr(bare, '/') != nullptr || std::strchr(bare, '\\') != nullptr;
    return hasDirectory ? std::string(bare) : JoinPath(ExecutableDir(), bare);
}

}  // namespace compat
