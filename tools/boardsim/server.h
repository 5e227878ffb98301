// The simulator's I/O: one thread, one poll loop over a TCP listener, its
// clients and a pseudo-terminal. Command lines end at CR; each answer is
// scheduled on the loop's own timer queue (delay, chunks and pauses), so the
// loop never sleeps while something else is due.
#pragma once

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device.h"
#include "simulated_board.h"

namespace boardsim {

struct Timing {
    unsigned DelayMs = 0;       // before the first byte of an answer
    std::size_t ChunkBytes = 0; // 0: an answer goes out in one piece
    unsigned ChunkPauseMs = 0;  // between two chunks
};

// A file descriptor that closes itself.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(other.Release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();
    int Get() const { return fd_; }
    int Release();
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

class Server {
public:
    Server(SimulatedBoard& board, Timing timing, std::FILE* log, std::string stateFile);
    ~Server();

    // Listens on address:port (0 picks a free port); returns the port or -1.
    int ListenTcp(const std::string& address, int port, std::string& error);
    // Creates a pseudo-terminal pair and makes `link` a symbolic link to the
    // side a client opens; returns that side's path or "" on failure.
    std::string OpenPty(const std::string& link, std::string& error);

    // Every channel opened after this gets a device of its own between the
    // client and the board (the GSM modem, the radio module).
    void SetDeviceFactory(DeviceFactory factory) { deviceFactory_ = std::move(factory); }

    // Serves until SIGINT or SIGTERM; returns the exit status.
    int Run();

private:
    using Instant = std::chrono::steady_clock::time_point;
    struct Channel {
        Fd fd;
        std::string name;   // "tcp 127.0.0.1:40000" or "pty"
        std::string input;  // bytes of the command line not yet ended by CR
        Instant busyUntil{};
        bool isPty = false;
        std::unique_ptr<DevicePort> port;  // the device's way back to the channel
        std::unique_ptr<Device> device;
    };
    class ChannelPort;
    struct Output {
        int channel;
        std::string bytes;
    };

    void Accept();
    void Read(int id);
    void Command(int id, const std::string& command);
    std::string BoardAnswer(int id, const std::string& command);
    void Schedule(int id, const std::string& answer, const Timing& timing);
    void AttachDevice(int id);
    void TickDevices();
    void SendDue();
    int NextTimeoutMs() const;
    void Drop(int id);
    void WriteState();
    void Log(const Channel& channel, const std::string& command, const std::string& answer);

    SimulatedBoard& board_;
    Timing timing_;
    std::FILE* log_;
    std::string stateFile_;
    Fd listener_;
    Fd ptySlave_;  // kept open so the pty never hangs up between clients
    std::string ptyLink_;
    std::map<int, Channel> channels_;
    int nextId_ = 1;
    std::multimap<Instant, Output> outputs_;
    DeviceFactory deviceFactory_;
};

// "\r", "\n", "\t", "\\" and "\xHH" decoded; everything else kept.
std::string Unescape(const std::string& text);
// The reverse, for the log: CR, LF, tabs, backslashes and unprintable bytes escaped.
std::string Escape(const std::string& text);

}  // namespace boardsim
