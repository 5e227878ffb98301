// The private-profile (INI) functions. On Windows these are the platform's
// own; on Linux compat/profile.cpp implements them with the same observable
// behaviour, so code above calls the same names on both targets.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>

typedef std::uint32_t DWORD;
typedef int BOOL;
typedef const char* LPCSTR;
typedef char* LPSTR;

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out, DWORD size,
                               LPCSTR file);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);
#endif
