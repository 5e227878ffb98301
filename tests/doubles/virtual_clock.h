// A virtual clock for the waits of the transport components (the GSM
// modem's dialogue, the radio module's configuration): time passes only while
// someone waits. A wait jumps to its deadline, or to the next moment
// `nextDue` names, where `runDue` is called first.
#pragma once

#include <algorithm>
#include <functional>

#include "transports/common/clock.h"

namespace testclock {

using Ms = transports::Clock::Ms;

class VirtualClock final : public transports::Clock {
public:
    Ms Now() override { return now_; }
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable&, Ms deadline) override {
        lock.unlock();
        Ms due = nextDue ? nextDue() : deadline;
        now_ = std::max(now_, std::min(due, deadline));
        if (runDue) runDue(now_);
        lock.lock();
    }

    std::function<Ms()> nextDue;
    std::function<void(Ms)> runDue;

private:
    Ms now_ = 0;
};

}  // namespace testclock
