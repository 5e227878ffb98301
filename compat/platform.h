// Helpers that differ between Windows and Linux but mean the same thing.
#pragma once

#include <string>

namespace compat {

// The directory that holds the running executable, without a trailing separator.
std::string ExecutableDir();

// '\\' on Windows, '/' elsewhere.
char PathSeparator();

// dir + separator + name.
std::string JoinPath(const std::string& dir, const std::string& name);

// Message box types and answers, with the Win32 values on every platform.
enum : unsigned {
    kBoxOk = 0x0,
    kBoxYesNo = 0x4,
    kBoxIconError = 0x10,
    kBoxIconQuestion = 0x20,
    kBoxIconWarning = 0x30,
    kBoxIconInformation = 0x40,
    kBoxTopMost = 0x40000,
};
enum : int { kAnswerOk = 1, kAnswerYes = 6, kAnswerNo = 7 };

// Every message box of a module goes through here. On Windows it is
// MessageBoxW (texts are UTF-8 and converted); elsewhere the text goes to
// standard error and the answer is OK (or Yes). Tests install a handler that
// records and answers. Each module (program or DLL) has its own handler.
using MessageBoxHandler = int (*)(void* owner, const char* text, const char* caption, unsigned type);
int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned type);
// Returns the previous handler; nullptr restores the platform's.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

#ifdef _WIN32
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
#endif

}  // namespace compat
