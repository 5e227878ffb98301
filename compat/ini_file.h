// INI files named by a UTF-8 path, so that any folder a user can have is
// reachable (a folder name outside the system's ANSI code page included).
// Section, key and value texts are the file's own 8-bit bytes (Windows-1251
// for every file of this system): on Windows they pass through the ANSI code
// page exactly as with the A profile functions, so a file reads and writes
// byte for byte the same whatever folder it lies in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace compat {

// Where a module keeps a file it names by a bare name: the executable's
// directory. A name with a directory part is used as given.
std::string FileBesideExecutable(const char* name);

// The value of one key (or `fallback` when the file, the section or the key
// is missing), cut to size - 1 bytes and NUL-terminated; returns its length.
std::uint32_t ReadIniString(const std::string& path, const char* section, const char* key, const char* fallback,
                            char* out, std::uint32_t size);
// Writes one key (value nullptr deletes it), creating the file and section
// when missing; false when the platform refuses the write.
bool WriteIniString(const std::string& path, const char* section, const char* key, const char* value);

// std::fopen for a UTF-8 path.
std::FILE* OpenFile(const std::string& path, const char* mode);

}  // namespace compat
