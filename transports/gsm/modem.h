// The modem's worker: one thread owns the AT dialogue. Started, it brings the
// modem up and finds the network, then reports network and signal in the
// background. The program's requests (power on and call, hang up, power off,
// balance, messages) are queued to it and run in order while the caller
// waits; every wait on either side is bounded, and Stop ends all of them at
// once.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "transports/gsm/dialogue.h"
#include "transports/gsm/session.h"

namespace gsm {

class Modem {
public:
    // workerClock serves the worker's own waits; callerClock the waits of
    // the threads that make requests (the window thread, whose messages it
    // keeps handling).
    Modem(ModemPort& port, Indicators& indicators, const Timings& timings, transports::Clock& workerClock,
          transports::Clock& callerClock);
    ~Modem();
    Modem(const Modem&) = delete;
    Modem& operator=(const Modem&) = delete;

    void Start();
    // Cancels whatever runs, ends the worker and joins it. Requests still
    // queued fail.
    void Stop();
    bool Running() const;

    // Any thread: what the modem sent.
    void Feed(const char* data, int count) { dialogue_.Feed(data, count); }
    // Board bytes while the data call stands.
    bool SendData(const char* data, int length) { return dialogue_.WriteData(data, length); }
    bool InDataMode() const { return dialogue_.InDataMode(); }

    // Requests. Each answers false (or its failed result) when the worker
    // does not run.
    // After the worker's start: the modem up and registered, then the call
    // when asked.
    bool PowerOn(bool call, const std::string& number);
    bool HangUp();                                       // true: no call stands any more
    bool PowerOff(bool keepOff);                         // keepOff false: restart and come up again
    bool SwitchOffAT(bool waitAnswer);
    BalanceResult Balance(const std::string& request);
    SmsResult DeleteAllSms();

private:
    struct Job {
        std::function<void()> Work;
        bool Done = false;
    };
    // Queues `work` and waits until the worker has run it. False when the
    // worker does not run (the work is then not done).
    bool Run(std::function<void()> work);
    void Work();
    bool BringUp();

    Indicators& indicators_;
    const Timings& timings_;
    transports::Clock& workerClock_;
    transports::Clock& callerClock_;
    Dialogue dialogue_;
    Session session_;

    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Job*> jobs_;
    bool stopping_ = false;
    bool running_ = false;
    bool bringUp_ = false;  // (re)start the modem at the next chance
    std::thread worker_;
};

}  // namespace gsm
