// Helpers of the cFTD tests: the double's environment, the component's
// message boxes and what its reading thread delivers.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "compat/platform.h"
#include "support.h"
#include "transports/FTD.h"

namespace usbtest {

// A deadline for failures, never a measurement.
constexpr auto kPatience = std::chrono::seconds(10);

using testsupport::BinPath;
using testsupport::EnvScope;
using testsupport::GetEnv;
using testsupport::ReadFile;
using testsupport::SetEnv;

struct Box {
    void* owner;
    std::string text, caption;
    unsigned type;
};

// The USB library's message boxes, recorded for the life of the object.
class BoxLog {
public:
    std::vector<Box> Boxes() const {
        std::vector<Box> shown;
        for (const testsupport::RecordedBox& box : recorder_.Snapshot())
            if (box.Module == testsupport::BoxModule::FTD) shown.push_back({box.Owner, box.Text, box.Caption, box.Type});
        return shown;
    }
    void Clear() { recorder_.Clear(); }

private:
    testsupport::BoxRecorder recorder_;
};

constexpr unsigned kErrorBox = compat::BoxType(compat::Box::Error);

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

}  // namespace usbtest
