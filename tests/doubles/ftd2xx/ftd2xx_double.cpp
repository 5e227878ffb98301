// A test double of the USB adapter's D2XX driver library: the calls cFTD
// makes, with the documented behaviour (status codes, blocking reads that end
// short when their time-out runs out), over devices that exist only as far as
// the environment says (see README.md). The opened device's bytes go to a
// board simulator over TCP or a pseudo-terminal.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "link.h"

#ifdef _WIN32
#include <windows.h>
#define FT_EXPORT extern "C" __declspec(dllexport)
#define FT_CALL __stdcall
#else
#define FT_EXPORT extern "C" __attribute__((visibility("default")))
#define FT_CALL
#endif

namespace {

using Status = std::uint32_t;
using Dword = std::uint32_t;
using Clock = std::chrono::steady_clock;

enum : Status {
    kOk = 0,
    kInvalidHandle = 1,
    kDeviceNotFound = 2,
    kDeviceNotOpened = 3,
    kIoError = 4,
    kInvalidParameter = 6,
    kInvalidBaudRate = 7,
};

constexpr long kDefaultDevices = 1;
constexpr Dword kMaxBaudRate = 3000000;
// A read without a time-out waits in slices of this, to notice a removal.
constexpr int kWaitSliceMs = 100;

std::string Environment(const char* name) {
#ifdef _WIN32
    // The Win32 block, not the C runtime's copy: what a test sets with
    // SetEnvironmentVariable is seen at the next call.
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
#else
    const char* value = std::getenv(name);
    return value ? value : "";
#endif
}

long EnvironmentNumber(const char* name, long fallback) {
    const std::string text = Environment(name);
    if (text.empty()) return fallback;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && value >= 0 ? value : fallback;
}

struct Device {
    int index = 0;
    std::unique_ptr<ftd2xx_double::Link> link;  // nullptr: nothing attached, bytes written are lost
    std::atomic<bool> linkAlive{false};
    bool shortReads = false;
    bool removable = false;
    Clock::time_point removeAt;
    std::atomic<bool> removed{false};
    std::string pinsFile;
    std::atomic<std::uint8_t> bitMode{0};
    std::atomic<Dword> readTimeoutMs{0};  // 0: wait until every byte asked for has come
};

std::mutex registryLock;
std::set<Device*> openDevices;
long removedDevices = 0;  // devices pulled out so far: they stay away

// Marks the device pulled out once its time has come. registryLock held.
bool GoneLocked(Device& device) {
    if (device.removed.load()) return true;
    if (!device.removable || Clock::now() < device.removeAt) return false;
    device.removed = true;
    ++removedDevices;
    return true;
}

bool Gone(Device& device) {
    if (device.removed.load()) return true;
    std::lock_guard<std::mutex> hold(registryLock);
    return GoneLocked(device);
}

long PresentDevicesLocked() {
    // Without the fault the pulled-out devices are plugged back in.
    if (Environment("FTD2XX_DOUBLE_REMOVE_AFTER_MS").empty()) removedDevices = 0;
    for (Device* device : openDevices) GoneLocked(*device);
    return std::max(0L, EnvironmentNumber("FTD2XX_DOUBLE_DEVICES", kDefaultDevices) - removedDevices);
}

Device* Find(void* handle) {
    std::lock_guard<std::mutex> hold(registryLock);
    auto* device = static_cast<Device*>(handle);
    return openDevices.count(device) ? device : nullptr;
}

// How long a wait may last: until `deadline` (none for a read without a
// time-out), and never past the device's removal.
int WaitMs(const Device& device, bool hasDeadline, Clock::time_point deadline) {
    auto until = hasDeadline ? deadline : Clock::now() + std::chrono::milliseconds(kWaitSliceMs);
    if (device.removable) until = std::min(until, device.removeAt);
    // Rounded up: a wait of 0 ms would only poll, and spin until the deadline.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    return static_cast<int>(std::max<long long>(0, std::min<long long>(left, kWaitSliceMs)));
}

long Receive(Device& device, char* buffer, std::size_t size, int waitMs) {
    if (!device.linkAlive.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        return 0;
    }
    const long got = device.link->Receive(buffer, size, waitMs);
    if (got < 0) device.linkAlive = false;  // the far end went away: the line stays quiet
    return std::max(0L, got);
}

}  // namespace

FT_EXPORT Status FT_CALL FT_CreateDeviceInfoList(Dword* count) {
    if (!count) return kInvalidParameter;
    std::lock_guard<std::mutex> hold(registryLock);
    *count = static_cast<Dword>(PresentDevicesLocked());
    return kOk;
}

FT_EXPORT Status FT_CALL FT_Open(int index, void** handle) {
    if (!handle) return kInvalidParameter;
    *handle = nullptr;
    auto device = std::make_unique<Device>();
    {
        std::lock_guard<std::mutex> hold(registryLock);
        if (index < 0 || index >= PresentDevicesLocked()) return kDeviceNotFound;
        for (Device* open : openDevices)
            if (open->index == index && !open->removed.load()) return kDeviceNotOpened;
    }
    if (EnvironmentNumber("FTD2XX_DOUBLE_FAIL_OPEN", 0) != 0) return kDeviceNotOpened;
    const std::string target = Environment("FTD2XX_DOUBLE_CONNECT");
    if (!target.empty()) {
        device->link = ftd2xx_double::Link::Connect(target);
        if (!device->link) return kDeviceNotOpened;
        device->linkAlive = true;
    }
    device->index = index;
    device->shortReads = EnvironmentNumber("FTD2XX_DOUBLE_SHORT_READS", 0) != 0;
    const long removeAfterMs = EnvironmentNumber("FTD2XX_DOUBLE_REMOVE_AFTER_MS", -1);
    device->removable = removeAfterMs >= 0;
    device->removeAt = Clock::now() + std::chrono::milliseconds(std::max(0L, removeAfterMs));
    device->pinsFile = Environment("FTD2XX_DOUBLE_PINS_FILE");
    std::lock_guard<std::mutex> hold(registryLock);
    openDevices.insert(device.get());
    *handle = device.release();
    return kOk;
}

FT_EXPORT Status FT_CALL FT_Close(void* handle) {
    std::unique_ptr<Device> device;
    {
        std::lock_guard<std::mutex> hold(registryLock);
        auto found = openDevices.find(static_cast<Device*>(handle));
        if (found == openDevices.end()) return kInvalidHandle;
        device.reset(*found);
        openDevices.erase(found);
    }
    return kOk;
}

FT_EXPORT Status FT_CALL FT_SetBaudRate(void* handle, Dword baudRate) {
    Device* device = Find(handle);
    if (!device) return kInvalidHandle;
    if (Gone(*device)) return kDeviceNotFound;
    return baudRate == 0 || baudRate > kMaxBaudRate ? kInvalidBaudRate : kOk;
}

FT_EXPORT Status FT_CALL FT_SetDataCharacteristics(void* handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                                   std::uint8_t parity) {
    Device* device = Find(handle);
    if (!device) return kInvalidHandle;
    if (Gone(*device)) return kDeviceNotFound;
    const bool valid = (wordLength == 7 || wordLength == 8) && (stopBits == 0 || stopBits == 2) && parity <= 4;
    return valid ? kOk : kInvalidParameter;
}

FT_EXPORT Status FT_CALL FT_SetFlowControl(void* handle, std::uint16_t flowControl, std::uint8_t, std::uint8_t) {
    Device* device = Find(handle);
    if (!device) return kInvalidHandle;
    if (Gone(*device)) return kDeviceNotFound;
    const bool valid = flowControl == 0 || flowControl == 0x0100 || flowControl == 0x0200 || flowControl == 0x0400;
    return valid ? kOk : kInvalidParameter;
}

FT_EXPORT Status FT_CALL FT_SetTimeouts(void* handle, Dword readTimeoutMs, Dword) {
    Device* device = Find(handle);
    if (!device) return kInvalidHandle;
    if (Gone(*device)) return kDeviceNotFound;
    device->readTimeoutMs = readTimeoutMs;
    return kOk;
}

FT_EXPORT Status FT_CALL FT_Purge(void* handle, Dword mask) {
    Device* device = Find(handle);
    if (!device) return kInvalidHandle;
    if (Gone(*device)) return kDeviceNotFound;
    if ((mask & 1) && device->linkAlive.load()) {
        char discarded[256];
        while (std::size_t waiting = device->link->Available())
            if (device->link->Receive(discarded, std::min(waiting, sizeof discarded), 0) <= 0) break;
    }
    return kOk;
}

FT_EXPORT Status FT_CALL FT_GetQueueStatus(void* handle, Dword* waiting) {
    Device* device = Find(handle);
    if (!device || !waiting) return device ? kInvalidParameter : kInvalidHandle;
    if (Gone(*device)) return kDeviceNotFound;
    *waiting = device->linkAlive.load() ? static_cast<Dword>(device->link->Available()) : 0;
    return kOk;
}

FT_EXPORT Status FT_CALL FT_Read(void* handle, void* buffer, Dword size, Dword* got) {
    Device* device = Find(handle);
    if (!device || !buffer || !got) return device ? kInvalidParameter : kInvalidHandle;
    *got = 0;
    const Dword timeoutMs = device->readTimeoutMs.load();
    const bool hasDeadline = timeoutMs != 0;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    char* bytes = static_cast<char*>(buffer);
    while (*got < size) {
        if (Gone(*device)) return kDeviceNotFound;
        if (hasDeadline && Clock::now() >= deadline) break;
        const Dword wanted = device->shortReads ? 1 : size - *got;
        *got += static_cast<Dword>(Receive(*device, bytes + *got, wanted, WaitMs(*device, hasDeadline, deadline)));
        if (device->shortReads && *got > 0) break;
    }
    return kOk;
}

FT_EXPORT Status FT_CALL FT_Write(void* handle, void* data, Dword size, Dword* written) {
    Device* device = Find(handle);
    if (!device || !data || !written) return device ? kInvalidParameter : kInvalidHandle;
    *written = 0;
    if (Gone(*device)) return kDeviceNotFound;
    // A far end that is missing or gone loses the bytes, as a cable with
    // nothing on it would; the adapter has still taken them.
    if (device->linkAlive.load() && !device->link->Send(static_cast<const char*>(data), size))
        device->linkAlive = false;
    *written = size;
    return kOk;
}

FT_EXPORT Status FT_CALL FT_SetBitMode(void* handle, std::uint8_t mask, std::uint8_t mode) {
    Device* device = Find(handle);
    if (!device) return kInvalidHandle;
    if (Gone(*device)) return kDeviceNotFound;
    if (!device->pinsFile.empty()) {
        std::FILE* pins = std::fopen(ftd2xx_double::HostPath(device->pinsFile).c_str(), "wb");
        if (!pins) return kIoError;
        const unsigned char bytes[2] = {mask, mode};
        const bool written = std::fwrite(bytes, 1, 2, pins) == 2;
        if (std::fclose(pins) != 0 || !written) return kIoError;
    }
    device->bitMode = mode;
    return kOk;
}

FT_EXPORT Status FT_CALL FT_GetBitMode(void* handle, std::uint8_t* mode) {
    Device* device = Find(handle);
    if (!device || !mode) return device ? kInvalidParameter : kInvalidHandle;
    if (Gone(*device)) return kDeviceNotFound;
    *mode = device->bitMode.load();
    return kOk;
}
