#include "host.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace ftd {

namespace {

// How often the wait looks whether the installer ended or is to be aborted.
constexpr auto kPollInterval = std::chrono::milliseconds(20);

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* Get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

void Reap(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

InstallerEnd RunInstaller(const std::string& path, const std::atomic<std::uint8_t>& installing, int& systemError) {
    const std::size_t cut = path.find_last_of('/');
    SpawnActions actions;
    if (cut != std::string::npos && cut > 0) posix_spawn_file_actions_addchdir_np(actions.Get(), path.substr(0, cut).c_str());
    std::string program = path;
    char* arguments[] = {program.data(), nullptr};
    pid_t child = 0;
    if (int error = posix_spawn(&child, program.c_str(), actions.Get(), nullptr, arguments, environ)) {
        systemError = error;
        return InstallerEnd::NotStarted;
    }
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child || (ended < 0 && errno != EINTR)) return InstallerEnd::Finished;
        if (installing.load() == 0) {
            kill(child, SIGKILL);  // as abrupt as TerminateProcess on Windows
            Reap(child);
            return InstallerEnd::Aborted;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool IsAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

void WatchDeviceChanges(void*) {}

}  // namespace ftd
