// cFTD: the FTDI USB adapter transport (interface 1), library FTD. The GSM
// modem and the radio module are driven through it as well.
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

    // Opens the device named DeviceName ("DEV<n>"); showMessages: report a
    // failure in a message box. startReader: deliver received blocks to
    // pRecvCallback from a thread of its own.
    bool Open(bool showMessages, bool startReader);
    void Close();
    bool SendEx(char* data, int length);
    bool GetBitMode(unsigned char* mode);
    bool SetBitMode(unsigned char mask, unsigned char mode);

    // Rebuilds the device list and DevicesCount.
    static void ScanDevicesCount();
    // Device arrival and removal rescan DevicesCount (Windows: notifications
    // delivered to this window).
    static void RegisterDeviceNotificationToHWND(void* hWnd);
    // Runs the driver installer and returns when it has ended; meanwhile the
    // window's messages keep being dispatched and setting DriverInstalling to
    // 0 aborts the installation.
    static void DriverInstall(void* hWnd);

    static std::atomic<std::uint8_t> DevicesCount;      // devices found by the last scan
    static std::atomic<std::uint8_t> DriverInstalling;  // nonzero while an installation runs

    char DeviceName[11] = "DEV0";       // "DEV<n>", up to 10 characters (persisted)
    std::int32_t DevicesMax = 8;        // names the device list offers (persisted, 0..127)

    void* hWnd = nullptr;
    void* hDevice = nullptr;            // nonzero while the adapter is open
    std::atomic<std::uint32_t> RecvC{0};
    tRecvCallback pRecvCallback = nullptr;

    static tMessageBoxHandler SetMessageBoxHandler(tMessageBoxHandler handler);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
