// cFTD: the FTDI USB adapter transport (interface 1), library FTD. The GSM
// modem and the radio module are driven through it as well.
//
// The adapter is driven through the maker's D2XX driver library, loaded at run
// time (ftd2xx.dll beside the program or on the system's search path;
// libftd2xx.so natively). Without it the program still runs: no devices are
// counted and Open reports that the driver is not installed.
//
// The settings live in the object's own INI file (section "FTD"), read by the
// constructor and written by the destructor.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "transports/transport.h"

#if defined(ZORVEL_BUILD_FTD)
#define FTD_API ZORVEL_TRANSPORT_EXPORT
#else
#define FTD_API ZORVEL_TRANSPORT_IMPORT
#endif

class FTD_API cFTD {
public:
    explicit cFTD(const char* iniFile);  // bare name, beside the executable
    ~cFTD();
    cFTD(const cFTD&) = delete;
    cFTD& operator=(const cFTD&) = delete;

    // Opens the device named DeviceName ("DEV<n>": the n-th device the driver
    // lists) with the line settings below; showMessages: report a failure in
    // a message box. startReader: deliver received blocks to pRecvCallback
    // (and count them in RecvC) from a thread of its own, until Close or until
    // the device is pulled out.
    bool Open(bool showMessages, bool startReader);
    void Close();
    bool SendEx(char* data, int length);
    bool GetBitMode(unsigned char* mode);
    bool SetBitMode(unsigned char mask, unsigned char mode);

    // Rebuilds the driver's device list and DevicesCount (at most 255).
    static void ScanDevicesCount();
    // Rescans now, and from then on at every device arrival and removal
    // (Windows: USB device notifications to this window, caught beside its own
    // window procedure; natively there are none).
    static void RegisterDeviceNotificationToHWND(void* hWnd);
    // Runs the driver installer DriverInstaller and returns when it has ended;
    // meanwhile the window's messages keep being dispatched, DriverInstalling
    // is nonzero, and setting it to 0 ends the installer. A missing installer
    // is reported in a message box owned by hWnd.
    static void DriverInstall(void* hWnd);

    static std::atomic<std::uint8_t> DevicesCount;      // devices found by the last scan
    static std::atomic<std::uint8_t> DriverInstalling;  // nonzero while an installation runs

    // The driver's installer: relative to the executable's directory unless
    // absolute (persisted as "DriverInstaller").
    static char DriverInstaller[260];

    char DeviceName[11] = "DEV0";       // "DEV<n>", up to 10 characters (persisted)
    std::int32_t DevicesMax = 8;        // names the device list offers (persisted, 0..127)
    // Line settings (persisted), applied by Open.
    std::uint32_t BaudRate = 9600;
    std::uint8_t DataBits = 8;          // 7 or 8
    std::uint8_t StopBits = 0;          // 0 "1", 2 "2"
    std::uint8_t Parity = 0;            // None, Odd, Even, Mark, Space
    std::uint8_t FlowControl = 0;       // None, RTS/CTS, DTR/DSR, XON/XOFF

    void* hWnd = nullptr;
    void* hDevice = nullptr;            // nonzero while the adapter is open
    std::atomic<std::uint32_t> RecvC{0};
    tRecvCallback pRecvCallback = nullptr;

    static tMessageBoxHandler SetMessageBoxHandler(tMessageBoxHandler handler);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
