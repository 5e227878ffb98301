// The adapter maker's D2XX driver library as cFTD uses it: the few calls we
// make, declared here from the library's published programming interface, and
// its loading at run time, so that the program runs (with no USB devices) on a
// machine where the driver is not installed.
#pragma once

#include <cstdint>

#ifdef _WIN32
#define D2XX_CALL __stdcall
#else
#define D2XX_CALL
#endif

namespace d2xx {

using Status = std::uint32_t;  // FT_STATUS
using Handle = void*;          // FT_HANDLE
using Dword = std::uint32_t;

enum : Status {
    kOk = 0,
    kInvalidHandle = 1,
    kDeviceNotFound = 2,
    kDeviceNotOpened = 3,
    kIoError = 4,
    kInsufficientResources = 5,
    kInvalidParameter = 6,
    kInvalidBaudRate = 7,
};

// Stop bits and parity take the numbers the serial settings use as well.
constexpr std::uint8_t kStopBits1 = 0;
constexpr std::uint8_t kStopBits2 = 2;
constexpr std::uint16_t kFlowNone = 0x0000;
constexpr std::uint16_t kFlowRtsCts = 0x0100;
constexpr std::uint16_t kFlowDtrDsr = 0x0200;
constexpr std::uint16_t kFlowXonXoff = 0x0400;
constexpr Dword kPurgeRx = 1;
constexpr Dword kPurgeTx = 2;

struct Api {
    Status(D2XX_CALL* CreateDeviceInfoList)(Dword* count);
    Status(D2XX_CALL* Open)(int index, Handle* handle);
    Status(D2XX_CALL* Close)(Handle handle);
    Status(D2XX_CALL* SetBaudRate)(Handle handle, Dword baudRate);
    Status(D2XX_CALL* SetDataCharacteristics)(Handle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                              std::uint8_t parity);
    Status(D2XX_CALL* SetFlowControl)(Handle handle, std::uint16_t flowControl, std::uint8_t xon, std::uint8_t xoff);
    Status(D2XX_CALL* SetTimeouts)(Handle handle, Dword readTimeoutMs, Dword writeTimeoutMs);
    Status(D2XX_CALL* Purge)(Handle handle, Dword mask);
    Status(D2XX_CALL* GetQueueStatus)(Handle handle, Dword* bytesWaiting);
    Status(D2XX_CALL* Read)(Handle handle, void* buffer, Dword size, Dword* got);
    Status(D2XX_CALL* Write)(Handle handle, void* data, Dword size, Dword* written);
    Status(D2XX_CALL* SetBitMode)(Handle handle, std::uint8_t mask, std::uint8_t mode);
    Status(D2XX_CALL* GetBitMode)(Handle handle, std::uint8_t* mode);
};

// The library's file name: ftd2xx.dll on Windows, libftd2xx.so elsewhere.
const char* LibraryName();

// The loaded library, looked for in the executable's directory first, then
// on the system's search path; nullptr while it is not installed (or lacks
// one of the calls). A failed look is repeated at the next call, so a driver
// installed while the program runs is picked up. Once loaded it stays loaded
// for the rest of the process: handles opened through it may be closed as
// late as the static transport objects' destructors. Any thread.
const Api* Library();

}  // namespace d2xx
