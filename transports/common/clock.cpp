#include "transports/common/clock.h"

#include <algorithm>
#include <chrono>

#ifdef _WIN32
#include <windows.h>
#endif

namespace transports {

namespace {

Clock::Ms SteadyNow() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void PlainWait(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, Clock::Ms deadline) {
    Clock::Ms left = deadline - SteadyNow();
    if (left <= 0) return;
    wake.wait_for(lock, std::chrono::milliseconds(left));
}

class SteadyThreadClock final : public Clock {
public:
    Ms Now() override { return SteadyNow(); }
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, Ms deadline) override {
        PlainWait(lock, wake, deadline);
    }
};

class SteadyWindowClock final : public Clock {
public:
    Ms Now() override { return SteadyNow(); }
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, Ms deadline) override {
#ifdef _WIN32
        // A condition variable cannot wake on window messages, so the wait is
        // cut into short rounds with the messages handled between them.
        constexpr Ms kRoundMs = 50;
        PlainWait(lock, wake, std::min(deadline, SteadyNow() + kRoundMs));
        lock.unlock();
        HandleWindowMessages();
        lock.lock();
#else
        PlainWait(lock, wake, deadline);
#endif
    }

private:
#ifdef _WIN32
    static void HandleWindowMessages() {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The window's own loop must still see the quit request.
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
#endif
};

}  // namespace

Clock& ThreadClock() {
    static SteadyThreadClock clock;
    return clock;
}

Clock& WindowClock() {
    static SteadyWindowClock clock;
    return clock;
}

}  // namespace transports
