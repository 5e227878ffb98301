// cCOM: the serial port transport (interface 0), library COM.
//
// The object keeps its settings in its own INI file (section "COM"), read by
// the constructor and written back by the destructor. Open opens and
// configures the port and, when asked, starts a reading thread that hands
// every received block to pRecvCallback. Windows opens "\\.\<PortName>"; Linux
// opens the device the settings file maps the name to (section "Ports", key =
// the port name, value = a device path), or /dev/ttyS<n-1> for "COM<n>".
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "transports/transport.h"

#if defined(ZORVEL_BUILD_COM)
#define COM_API ZORVEL_TRANSPORT_EXPORT
#else
#define COM_API ZORVEL_TRANSPORT_IMPORT
#endif

class COM_API cCOM {
public:
    // iniFile: the bare name of the settings file, which lies beside the
    // executable (a name with a directory part is used as it is).
    explicit cCOM(const char* iniFile);
    ~cCOM();
    cCOM(const cCOM&) = delete;
    cCOM& operator=(const cCOM&) = delete;

    // Opens PortName (or DevicePath) with the settings below. showMessages:
    // a failure is reported in a message box ("Ошибка", owned by hWnd).
    // startReader: received blocks go to pRecvCallback from a thread of its
    // own. An open port is closed first. True when the port is open.
    bool Open(bool showMessages, bool startReader);
    // Stops the reading thread (waking it, never killing it) and closes the
    // port. Harmless when closed. Called from inside the receive callback it
    // only ends the deliveries; the next Close, Open or the destructor on the
    // owner's thread releases the port.
    void Close();
    // Writes all `length` bytes; false when the port is closed or the write
    // fails or stalls for more than about two seconds.
    bool SendEx(char* data, int length);

    // Settings (persisted).
    char PortName[10] = "COM1";         // "COM<n>", up to 9 characters
    std::uint32_t BaudRate = 9600;
    std::uint8_t DataBits = 8;          // 5..8
    std::uint8_t StopBits = 0;          // 0 "1", 1 "1.5", 2 "2"
    std::uint8_t Parity = 0;            // None, Odd, Even, Mark, Space
    std::uint8_t FlowControl = 0;       // None, RTS/CTS, DTR/DSR, XON/XOFF
    bool AutoScan = true;               // port list: only free ports
    std::uint8_t PortsMax = 32;         // the free-port scan tries COM1..COM<PortsMax>

    // Not persisted: when not empty, Open opens this device instead of the one
    // PortName names (a tty path on Linux, a device name such as "\\.\COM5" on
    // Windows). The program leaves it empty; command-line tools set it.
    char DevicePath[260] = "";

    void* hWnd = nullptr;               // owner of the message boxes
    void* hDevice = nullptr;            // nonzero exactly while the port is open
    std::atomic<std::uint32_t> RecvC{0};  // bytes delivered since the host last reset it
    tRecvCallback pRecvCallback = nullptr;

    // Message boxes of this library go through `handler` (tests record them).
    // Returns the previous handler.
    static tMessageBoxHandler SetMessageBoxHandler(tMessageBoxHandler handler);

    struct Impl;  // the open port and its reading thread

private:
    std::unique_ptr<Impl> impl_;
};
