// The shell seam, apart from the rest of compat so that only the program,
// which opens documents, links the shell library: the transport libraries
// take their own copy of compat and must not.
#include "platform.h"

#include <atomic>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace compat {

namespace {
std::atomic<ShellOpenHandler> g_shellHandler{nullptr};

std::intptr_t PlatformShellOpen(void* owner, const char* verb, const char* file, const char* parameters,
                                const char* directory, int show) {
#ifdef _WIN32
    // Null and empty mean the same to the shell; the wide copies keep that.
    const std::wstring wideParameters = Utf8ToWide(parameters ? parameters : "");
    const std::wstring wideDirectory = Utf8ToWide(directory ? directory : "");
    HINSTANCE result = ShellExecuteW(static_cast<HWND>(owner), Utf8ToWide(verb ? verb : "").c_str(),
                                     Utf8ToWide(file ? file : "").c_str(),
                                     parameters ? wideParameters.c_str() : nullptr,
                                     directory ? wideDirectory.c_str() : nullptr, show);
    return reinterpret_cast<std::intptr_t>(result);
#else
    (void)owner;
    (void)parameters;
    (void)directory;
    (void)show;
    std::fprintf(stderr, "[shell] %s %s: no shell here\n", verb ? verb : "", file ? file : "");
    return 31;
#endif
}
}  // namespace

std::intptr_t ShellOpen(void* owner, const char* verb, const char* file, const char* parameters, const char* directory,
                        int show) {
    ShellOpenHandler handler = g_shellHandler.load();
    return handler ? handler(owner, verb, file, parameters, directory, show)
                   : PlatformShellOpen(owner, verb, file, parameters, directory, show);
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) { return g_shellHandler.exchange(handler); }

}  // namespace compat
