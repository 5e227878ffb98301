// Helpers of the cFTD tests: the double's environment, the component's
// message boxes and what its reading thread delivers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "compat/platform.h"
#include "transports/FTD.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace usbtest {

// A deadline for failures, never a measurement.
constexpr auto kPatience = std::chrono::seconds(10);

// Sets (or with nullptr removes) a variable of this process's environment,
// where the double and child processes see it.
inline void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value);
#else
    if (value) setenv(name, value, 1);
    else unsetenv(name);
#endif
}

inline std::string GetEnv(const char* name) {
#ifdef _WIN32
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
#else
    const char* value = std::getenv(name);
    return value ? value : "";
#endif
}

// Sets variables for one scope and puts the old values back.
class EnvScope {
public:
    EnvScope() = default;
    EnvScope(const char* name, const char* value) { Set(name, value); }
    ~EnvScope() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            SetEnv(it->name.c_str(), it->had ? it->value.c_str() : nullptr);
    }
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;
    void Set(const char* name, const char* value) {
        const std::string old = GetEnv(name);
        saved_.push_back({name, old, !old.empty()});
        SetEnv(name, value);
    }

private:
    struct Saved {
        std::string name, value;
        bool had;
    };
    std::vector<Saved> saved_;
};

struct Box {
    void* owner;
    std::string text, caption;
    unsigned type;
};

// The component's message boxes, recorded for the life of the object.
class BoxLog {
public:
    BoxLog() {
        active_ = this;
        previous_ = cFTD::SetMessageBoxHandler(&Record);
    }
    ~BoxLog() {
        cFTD::SetMessageBoxHandler(previous_);
        active_ = nullptr;
    }
    BoxLog(const BoxLog&) = delete;
    BoxLog& operator=(const BoxLog&) = delete;
    std::vector<Box> Boxes() {
        std::lock_guard<std::mutex> hold(lock_);
        return boxes_;
    }
    void Clear() {
        std::lock_guard<std::mutex> hold(lock_);
        boxes_.clear();
    }

private:
    static int Record(void* owner, const char* text, const char* caption, unsigned type) {
        std::lock_guard<std::mutex> hold(active_->lock_);
        active_->boxes_.push_back({owner, text ? text : "", caption ? caption : "", type});
        return compat::kAnswerOk;
    }
    static inline BoxLog* active_ = nullptr;
    tMessageBoxHandler previous_ = nullptr;
    std::mutex lock_;
    std::vector<Box> boxes_;
};

constexpr unsigned kErrorBox = compat::kBoxOk | compat::kBoxIconError | compat::kBoxTopMost;

// What the receive callback got, from the reading thread.
class Received {
public:
    void Add(const char* data, int count) {
        std::function<void()> then;
        {
            std::lock_guard<std::mutex> hold(lock_);
            bytes_.append(data, static_cast<std::size_t>(count));
            blocks_.push_back(static_cast<std::size_t>(count));
            allTerminated_ = allTerminated_ && data[count] == '\0';
            then = onBlock_;
        }
        changed_.notify_all();
        if (then) then();
    }
    bool WaitFor(const std::function<bool(const std::string&)>& done) {
        std::unique_lock<std::mutex> hold(lock_);
        return changed_.wait_for(hold, kPatience, [&] { return done(bytes_); });
    }
    std::string Bytes() {
        std::lock_guard<std::mutex> hold(lock_);
        return bytes_;
    }
    std::vector<std::size_t> Blocks() {
        std::lock_guard<std::mutex> hold(lock_);
        return blocks_;
    }
    bool AllTerminated() {
        std::lock_guard<std::mutex> hold(lock_);
        return allTerminated_;
    }
    void OnBlock(std::function<void()> action) {
        std::lock_guard<std::mutex> hold(lock_);
        onBlock_ = std::move(action);
    }
    void Clear() {
        std::lock_guard<std::mutex> hold(lock_);
        bytes_.clear();
        blocks_.clear();
        allTerminated_ = true;
        onBlock_ = nullptr;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::string bytes_;
    std::vector<std::size_t> blocks_;
    bool allTerminated_ = true;
    std::function<void()> onBlock_;
};

inline std::string BinPath(const std::string& name) { return compat::JoinPath(compat::ExecutableDir(), name); }

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace usbtest
