// Time and waiting for the components' own dialogues with their devices (the
// GSM modem, the radio module). Every wait has a deadline; tests put a virtual
// clock in place of the real one so that a minute of modem time runs in
// microseconds.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace transports {

class Clock {
public:
    using Ms = std::int64_t;
    virtual ~Clock() = default;

    // Milliseconds on a steady scale (its origin means nothing).
    virtual Ms Now() = 0;
    // Releases `lock` and waits until `wake` is notified or Now() reaches
    // `deadline` (it may also return earlier), then takes `lock` again.
    // Callers loop on their own condition.
    virtual void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, Ms deadline) = 0;
};

// The steady clock with plain waits: for the components' own threads.
Clock& ThreadClock();

// The steady clock for calls made on the program's window thread: on Windows
// the calling thread's window messages keep being handled while it waits (in
// rounds of at most 50 ms), so the window stays responsive and its timer runs.
// Elsewhere the same as ThreadClock.
Clock& WindowClock();

}  // namespace transports
