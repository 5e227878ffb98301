// The open serial device under cCOM: opening and configuring it, a blocking
// read that another thread can wake, and a write with a time-out. One
// implementation per platform (serial_port_win.cpp, serial_port_posix.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace transports {

struct LineSettings {
    std::uint32_t baudRate;
    std::uint8_t dataBits;     // 5..8
    std::uint8_t stopBits;     // 0 "1", 1 "1.5", 2 "2"
    std::uint8_t parity;       // None, Odd, Even, Mark, Space
    std::uint8_t flowControl;  // None, RTS/CTS, DTR/DSR, XON/XOFF
};

bool IsValid(const LineSettings& line);

enum class OpenFailure { None, NotFound, Busy, BadSettings, Other };

class SerialPort {
public:
    // Opens `device` for this process alone and applies `line`. On failure
    // returns nullptr, with the reason and the system's error code.
    static std::unique_ptr<SerialPort> Open(const std::string& device, const LineSettings& line,
                                            OpenFailure& failure, int& systemError);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Waits until bytes arrive and reads up to `size` of them: the count read,
    // 0 once Wake has been called, -1 when the port failed (device removed,
    // far end gone).
    long Read(char* buffer, std::size_t size);
    // Makes the pending Read and every later one return 0. Any thread.
    void Wake();
    // Writes all bytes; false on failure or when the port has not taken them
    // within `timeoutMs`.
    bool Write(const char* data, std::size_t size, unsigned timeoutMs);

    // Nonzero while open: the OS handle on Windows, this object elsewhere.
    void* Handle();

private:
    SerialPort() = default;
#ifdef _WIN32
    void* claim_ = nullptr;  // named mutex: the port is ours (Wine does not refuse a second open)
    void* handle_ = nullptr;
    void* wake_ = nullptr;
    void* readDone_ = nullptr;
    void* writeDone_ = nullptr;
#else
    int fd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    bool exclusive_ = false;  // this object set TIOCEXCL and clears it again
#endif
};

}  // namespace transports
