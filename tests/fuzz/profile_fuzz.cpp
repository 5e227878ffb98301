// Feeds arbitrary file contents to the Linux private-profile layer: reads with
// buffers of every small size (ASan catches a byte written past one), the
// section and key lists, and a write whose value must read back and whose
// repetition must leave the file as it is.
#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "compat/profile.h"

namespace {

// An in-memory file, reached by path through /proc, so a run leaves nothing on disk.
const std::string& ScratchPath() {
    static const std::string path = [] {
        int fd = memfd_create("fuzz_profile.ini", 0);
        if (fd < 0) std::abort();
        return "/proc/self/fd/" + std::to_string(fd);
    }();
    return path;
}

void Store(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}

std::string Load(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char block[4096];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, n);
    std::fclose(file);
    return bytes;
}

// Exactly `size` bytes on the heap, so any write past them is caught.
DWORD Read(const char* section, const char* key, DWORD size, bool list, const std::string& path) {
    std::unique_ptr<char[]> out(new char[size]);
    DWORD n = GetPrivateProfileStringA(section, key, "def", out.get(), size, path.c_str());
    if (n >= size) std::abort();
    if (!list && std::strlen(out.get()) != n) std::abort();
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = ScratchPath();
    Store(path, data, size);

    const char* sections[] = {"s", "COMMON", "", " s ", "\xC0"};
    const char* keys[] = {"k", "Interface", "", ";", "N0"};
    const DWORD sizes[] = {1, 2, 7, 300};
    std::size_t turn = 0;
    for (const char* section : sections) {
        for (const char* key : keys) Read(section, key, sizes[turn++ % 4], false, path);
        Read(section, nullptr, sizes[turn++ % 4], true, path);
    }
    for (DWORD bufferSize : sizes) Read(nullptr, nullptr, bufferSize, true, path);

    if (!WritePrivateProfileStringA("fz", "k", "v", path.c_str())) std::abort();
    char value[8];
    GetPrivateProfileStringA("fz", "k", "", value, sizeof value, path.c_str());
    if (std::strcmp(value, "v") != 0) std::abort();
    std::string written = Load(path);
    if (!WritePrivateProfileStringA("fz", "k", "v", path.c_str())) std::abort();
    if (Load(path) != written) std::abort();

    if (!WritePrivateProfileStringA("fz", nullptr, nullptr, path.c_str())) std::abort();
    return 0;
}
