// Helpers that differ between Windows and Linux but mean the same thing.
#pragma once

#include <cstdint>
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

// The four kinds of message the operator sees, each always on top with its
// icon, buttons and caption. Every box of every module is one of these.
enum class Box { Error, Warning, Information, Question };
struct BoxKind {
    unsigned type;
    const char* caption;
};
inline constexpr BoxKind kBoxKinds[] = {
    {kBoxOk | kBoxIconError | kBoxTopMost, "Ошибка"},
    {kBoxOk | kBoxIconWarning | kBoxTopMost, "Внимание"},
    {kBoxOk | kBoxIconInformation | kBoxTopMost, "Информация"},
    {kBoxYesNo | kBoxIconQuestion | kBoxTopMost, "Подтверждение"},
};
constexpr const BoxKind& KindOf(Box box) { return kBoxKinds[static_cast<int>(box)]; }
constexpr unsigned BoxType(Box box) { return KindOf(box).type; }

// Every message box of a module goes through here. On Windows it is
// MessageBoxW (texts are UTF-8 and converted); elsewhere the text goes to
// standard error and the answer is OK (or Yes). Tests install a handler that
// records and answers. Each module (program or DLL) has its own handler.
using MessageBoxHandler = int (*)(void* owner, const char* text, const char* caption, unsigned type);
int ShowMessageBox(void* owner, const char* text, const char* caption, unsigned type);
// Returns the previous handler; nullptr restores the platform's.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// A box of one kind with the kind's caption, or with a caption of its own
// (a library that names itself, say); returns the answer.
int ShowBox(void* owner, Box box, const std::string& text);
int ShowBox(void* owner, Box box, const std::string& text, const char* caption);

// Asks the shell to perform `verb` ("open") on a document or a web address
// (UTF-8; null parameters and directory mean none), with a show command
// (SW_*). Returns the shell's numeric result: above 32 on success, else the
// failure's number. On Windows it is ShellExecuteW; elsewhere there is no
// shell: the request goes to standard error and the result is 31 (no program
// for that kind of file). Tests install a handler that records and answers,
// so that no test hands a file to the host's own opener.
using ShellOpenHandler = std::intptr_t (*)(void* owner, const char* verb, const char* file, const char* parameters,
                                           const char* directory, int show);
std::intptr_t ShellOpen(void* owner, const char* verb, const char* file, const char* parameters = nullptr,
                        const char* directory = nullptr, int show = 1);
// Returns the previous handler; nullptr restores the platform's.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);

#ifdef _WIN32
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
#endif

}  // namespace compat
