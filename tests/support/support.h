// Helpers every test program shares, natively and under Wine: files beside
// the test program, the environment, and recorders for the two seams through
// which the program reaches the operator and the host: message boxes and the
// shell. The window tests add theirs in tests/win/ui_support.h.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "compat/platform.h"

namespace testsupport {

// `name` beside the running test program.
std::string BinPath(const std::string& name);

// The whole file, or "" when it cannot be read.
std::string ReadFile(const std::string& path);

// A variable of this process's environment ("" when unset); SetEnv with
// nullptr removes it. Child processes and the driver double see the changes.
std::string GetEnv(const char* name);
void SetEnv(const char* name, const char* value);

// Sets variables for one scope and puts the old values back.
class EnvScope {
public:
    EnvScope() = default;
    EnvScope(const char* name, const char* value) { Set(name, value); }
    ~EnvScope();
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;
    void Set(const char* name, const char* value);

private:
    struct Saved {
        std::string name, value;
        bool had;
    };
    std::vector<Saved> saved_;
};

// The program's own INI files beside the executable, which the window tests
// write and must leave behind them as they found them: absent.
inline constexpr const char* kProgramIniFiles[] = {"Common.ini", "Zorvel.ini", "CSD_Numbers.ini", "RFM.ini"};
void RemoveProgramIniFiles();

// The module whose seam showed a box: the program and each transport library
// (each links its own copy of compat, so each has its own seam).
enum class BoxModule { Program, COM, FTD, GSM, RFM, Ravlo };

struct RecordedBox {
    std::string Text, Caption;
    unsigned Type;
    void* Owner;
    BoxModule Module;
};

// Hooks the message box seam of every module at once for its lifetime,
// records each box and answers it with `Answer`. One recorder at a time.
// Boxes shown on the test's own thread may be read from `Boxes` directly;
// boxes from a transport's thread are read with Snapshot().
class BoxRecorder {
public:
    BoxRecorder();
    ~BoxRecorder();
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    std::vector<RecordedBox> Snapshot() const;
    void Clear();

    std::vector<RecordedBox> Boxes;
    int Answer = compat::kAnswerOk;
    // Runs while a box "is shown" (the transport is still open then, say).
    void (*DuringBox)(void*) = nullptr;
    void* DuringBoxArg = nullptr;

private:
    template <BoxModule M>
    static int Record(void* owner, const char* text, const char* caption, unsigned type);
    int Take(BoxModule module, void* owner, const char* text, const char* caption, unsigned type);

    mutable std::mutex lock_;
    compat::MessageBoxHandler previous_[6] = {};
};

struct ShellCall {
    std::string Verb, File, Parameters, Directory;
    int Show;
    void* Owner;
};

// Replaces the shell for its lifetime: records each request and answers
// with `Result` (above 32 is success), so no test starts a host program.
class ShellRecorder {
public:
    ShellRecorder();
    ~ShellRecorder();
    ShellRecorder(const ShellRecorder&) = delete;
    ShellRecorder& operator=(const ShellRecorder&) = delete;

    std::vector<ShellCall> Calls;
    std::intptr_t Result = 42;

private:
    static std::intptr_t Record(void* owner, const char* verb, const char* file, const char* parameters,
                                const char* directory, int show);
    compat::ShellOpenHandler previous_ = nullptr;
};

}  // namespace testsupport
