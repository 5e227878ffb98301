#include "platform.h"

#include <atomic>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace compat {

namespace {
std::atomic<MessageBoxHandler> g_handler{nullptr};

int PlatformMessageBox(void* owner, const char* text, const char* caption, unsigned type) {
#ifdef _WIN32
    return MessageBoxW(static_cast<HWND>(owner), Utf8ToWide(text ? text : "").c_str(),
                       Utf8ToWide(caption ? caption : "").c_str(), type);
#else
    (void)owner;
    std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
    return (type & 0xF) == kBoxYesNo ? kAnswerYes : kAnswerOk;
#endif
}
}  // namespace

std::string ExecutableDir() {
    std::string path;
#ifdef _WIN32
    wchar_t buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(sizeof buffer / sizeof buffer[0]));
    path = WideToUtf8(std::wstring(buffer, n));
#else
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) path.assign(buffer, static_cast<std::size_t>(n));
#endif
    std::size_t cut = path.find_last_of(PathSeparator());
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

char PathSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (dir.back() == PathSeparator()) return dir + name;
    return dir + PathSeparator() + name;
}

int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned type) {
    MessageBoxHandler handler = g_handler.load();
    return handler ? handler(owner, text, caption, type) : PlatformMessageBox(owner, text, caption, type);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) { return g_handler.exchange(handler); }

int ShowBox(void* owner, Box box, const std::string& text) { return ShowBox(owner, box, text, KindOf(box).caption); }

int ShowBox(void* owner, Box box, const std::string& text, const char* caption) {
    return ShowMessageBox(owner, text.c_str(), caption, BoxType(box));
}

#ifdef _WIN32
std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string WideToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n, nullptr, nullptr);
    return narrow;
}
#endif

}  // namespace compat
