// The AT dialogue with the modem: a command goes out, the lines that come
// back are collected until its result code or its deadline. Received bytes
// are fed in from whatever thread delivers them; commands are issued from one
// thread at a time (the modem's worker). After "CONNECT" the line carries the
// board's bytes: the dialogue then only watches for "NO CARRIER".
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "transports/common/clock.h"
#include "transports/gsm/at_lines.h"

namespace gsm {

using Ms = transports::Clock::Ms;

// Where commands and data for the modem go.
class ModemPort {
public:
    virtual ~ModemPort() = default;
    virtual bool Write(const char* data, int length) = 0;
};

struct Reply {
    Final Result = Final::None;      // None: no result code in time, or cancelled
    std::string Code;                // the result code's line ("CONNECT 9600", "+CME ERROR: 10")
    std::vector<std::string> Lines;  // the information lines before it
    bool Ok() const { return Result == Final::Ok; }
};

class Dialogue {
public:
    Dialogue(ModemPort& port, transports::Clock& clock);
    Dialogue(const Dialogue&) = delete;
    Dialogue& operator=(const Dialogue&) = delete;

    // Any thread: bytes the modem sent.
    void Feed(const char* data, int count);
    // Any thread: every wait ends at once, now and later, until Restart.
    void Cancel();
    bool Cancelled() const;
    // A fresh start: nothing received, command mode, not cancelled.
    void Restart();

    // Sends `command` and CR and waits for its result code until timeoutMs
    // have passed. Lines echoing the command are skipped.
    Reply Command(const std::string& command, Ms timeoutMs);
    // Lets `ms` pass; false when cancelled meanwhile.
    bool Pause(Ms ms);
    // Leaves data mode with the escape sequence: silence for guardMs since
    // the last byte sent, "+++", then the modem's "OK" (the call stays up, in
    // command mode) or "NO CARRIER" (it ended), waited for until timeoutMs.
    // Without an answer the line is taken to be in data mode still.
    Reply Escape(Ms guardMs, Ms timeoutMs);
    // The next USSD answer ("+CUSD: ..."), whenever it came since the last
    // ForgetUssd, waited for until timeoutMs.
    std::optional<UssdAnswer> WaitUssd(Ms timeoutMs);
    void ForgetUssd();

    // Data mode: from "CONNECT" until "NO CARRIER" or a successful escape.
    bool InDataMode() const;
    // Any thread: board bytes, only in data mode. False outside data mode or
    // when the write fails.
    bool WriteData(const char* data, int length);
    // Called on the feeding thread when the modem reports, unasked, that the
    // call has ended.
    void SetCarrierLostHandler(std::function<void()> handler);

    transports::Clock& Clock() { return clock_; }

private:
    // Each with lock_ held.
    void TakeLine(std::string line);
    bool Write(const char* data, int length);
    bool WaitLine(std::unique_lock<std::mutex>& lock, Ms deadline, std::string& line);

    ModemPort& port_;
    transports::Clock& clock_;

    mutable std::mutex lock_;
    std::condition_variable wake_;
    LineSplitter splitter_;
    std::deque<std::string> lines_;
    std::optional<UssdAnswer> ussd_;
    bool dataMode_ = false;
    bool cancelled_ = false;
    bool carrierLost_ = false;  // the call ended during data mode; reported by Feed
    std::string dataTail_;      // the end of the last data block, for a result split across blocks
    Ms lastWrite_ = 0;
    std::function<void()> onCarrierLost_;
    std::mutex writeLock_;      // one writer at a time: the worker's commands, the window's data
};

}  // namespace gsm
