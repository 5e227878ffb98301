// A device the simulator can put between a client and the board: the GSM
// modem (gsm_modem.h) or the radio module (radio_module.h). The server hands
// it every byte a channel receives and calls Tick when it asked to be called;
// the device talks back through its DevicePort and reaches the board through
// it too. Devices do no I/O of their own and take the time as an argument, so
// tests can run them on a virtual clock.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace boardsim {

using Instant = std::chrono::steady_clock::time_point;

// What a device can do on the channel it serves.
class DevicePort {
public:
    virtual ~DevicePort() = default;
    // Sends bytes to the client at once, after whatever is still queued.
    virtual void Send(const std::string& bytes) = 0;
    // The board's answer to one command line (the command is logged and the
    // board's state saved); nothing is sent.
    virtual std::string AskBoard(const std::string& command) = 0;
    // Sends an answer of the board with the board's timing (delay, chunks).
    virtual void SendAnswer(const std::string& answer) = 0;
    // A line of the log: what the device received and what it made of it.
    virtual void Log(const std::string& received, const std::string& answered) = 0;
};

class Device {
public:
    virtual ~Device() = default;
    virtual void Receive(const std::string& bytes, Instant now) = 0;
    // When Tick is due next; Instant::max() when nothing is pending.
    virtual Instant NextDue() const = 0;
    virtual void Tick(Instant now) = 0;
};

// Makes the device of a new channel (each TCP client, the pseudo-terminal).
using DeviceFactory = std::function<std::unique_ptr<Device>(DevicePort& port)>;

}  // namespace boardsim
