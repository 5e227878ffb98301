#include "transports/FTD.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "compat/platform.h"
#include "d2xx.h"
#include "host.h"
#include "transports/common/component.h"

struct cFTD::Impl {
    explicit Impl(const char* iniFile) : settings(iniFile) {}
    transports::SettingsFile settings;
    const d2xx::Api* api = nullptr;  // the library the open device was opened through
    std::thread reader;
    std::atomic<bool> stopReading{false};
};

namespace {

constexpr char kSection[] = "FTD";
// The settings dialog counts devices in a signed 8-bit value.
constexpr long kDevicesMaxLimit = 127;
constexpr std::uint32_t kMaxBaudRate = 3000000;
#ifdef _WIN32
constexpr char kDefaultInstaller[] = "Driver\\install.exe";
#else
constexpr char kDefaultInstaller[] = "Driver/install";
#endif

// The reading thread waits this long for the first byte of a block, then
// looks whether it is to stop; it is what paces the thread while the line is
// quiet, and the longest Close waits for it.
constexpr d2xx::Dword kReadWaitMs = 50;
// A write the adapter has not taken within this long has failed.
constexpr d2xx::Dword kWriteTimeoutMs = 3000;
constexpr std::size_t kBlockSize = 4096;

// The device whose blocks the current thread is delivering, if any.
thread_local const cFTD* deliveringFor = nullptr;

// "DEV<n>" (any case) -> n; -1 for anything else. A device name has at most
// seven digits, far from overflowing an int.
int DeviceIndex(const std::string& name) {
    if (name.size() < 4 || std::toupper(static_cast<unsigned char>(name[0])) != 'D' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'E' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'V')
        return -1;
    int index = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return -1;
        index = index * 10 + (name[i] - '0');
    }
    return index;
}

std::string OpenFailureText(d2xx::Status status, const std::string& name) {
    if (status == d2xx::kDeviceNotFound) return "USB устройство " + name + " не найдено";
    return "Не удается открыть USB устройство " + name + " (код ошибки " + std::to_string(status) + ")";
}

std::uint16_t FlowControlFlags(std::uint8_t flowControl) {
    switch (flowControl) {
        case 1: return d2xx::kFlowRtsCts;
        case 2: return d2xx::kFlowDtrDsr;
        case 3: return d2xx::kFlowXonXoff;
        default: return d2xx::kFlowNone;
    }
}

bool ApplyLine(const d2xx::Api& api, d2xx::Handle device, const cFTD& ftd) {
    return api.SetBaudRate(device, ftd.BaudRate) == d2xx::kOk &&
           api.SetDataCharacteristics(device, ftd.DataBits, ftd.StopBits, ftd.Parity) == d2xx::kOk &&
           api.SetFlowControl(device, FlowControlFlags(ftd.FlowControl), 0x11, 0x13) == d2xx::kOk &&
           api.SetTimeouts(device, kReadWaitMs, kWriteTimeoutMs) == d2xx::kOk &&
           api.Purge(device, d2xx::kPurgeRx | d2xx::kPurgeTx) == d2xx::kOk;
}

// The reading thread. A read that waited kReadWaitMs and brought nothing is
// the normal quiet line; a failed read means the device is gone (or broken):
// the thread ends and the device count is brought up to date.
void DeliverBlocks(cFTD& ftd, const d2xx::Api& api, d2xx::Handle device, const std::atomic<bool>& stop) {
    deliveringFor = &ftd;
    char block[kBlockSize + 1];
    while (!stop.load()) {
        d2xx::Dword got = 0;
        if (api.Read(device, block, 1, &got) != d2xx::kOk) {
            cFTD::ScanDevicesCount();
            return;
        }
        if (got == 0) continue;
        // The rest of what has come is taken at once, without waiting.
        d2xx::Dword waiting = 0, more = 0;
        if (api.GetQueueStatus(device, &waiting) == d2xx::kOk && waiting > 0) {
            const d2xx::Dword wanted = std::min<d2xx::Dword>(waiting, kBlockSize - got);
            if (api.Read(device, block + got, wanted, &more) == d2xx::kOk) got += more;
        }
        block[got] = '\0';
        ftd.RecvC += got;
        if (tRecvCallback callback = ftd.pRecvCallback) callback(block, static_cast<int>(got));
    }
}

}  // namespace

std::atomic<std::uint8_t> cFTD::DevicesCount{0};
std::atomic<std::uint8_t> cFTD::DriverInstalling{0};
char cFTD::DriverInstaller[260] = "";

cFTD::cFTD(const char* iniFile) : impl_(std::make_unique<Impl>(iniFile)) {
    using transports::InRangeOr;
    const transports::SettingsFile& file = impl_->settings;
    file.ReadText(kSection, "DeviceName", "DEV0", DeviceName, sizeof DeviceName);
    DevicesMax = static_cast<std::int32_t>(InRangeOr(file.ReadNumber(kSection, "DevicesMax", 8), 0, kDevicesMaxLimit, 8));
    BaudRate = static_cast<std::uint32_t>(InRangeOr(file.ReadNumber(kSection, "BaudRate", 9600), 1, kMaxBaudRate, 9600));
    DataBits = static_cast<std::uint8_t>(InRangeOr(file.ReadNumber(kSection, "DataBits", 8), 7, 8, 8));
    const long stopBits = file.ReadNumber(kSection, "StopBits", 0);
    StopBits = stopBits == d2xx::kStopBits2 ? d2xx::kStopBits2 : d2xx::kStopBits1;
    Parity = static_cast<std::uint8_t>(InRangeOr(file.ReadNumber(kSection, "Parity", 0), 0, 4, 0));
    FlowControl = static_cast<std::uint8_t>(InRangeOr(file.ReadNumber(kSection, "FlowControl", 0), 0, 3, 0));
    file.ReadText(kSection, "DriverInstaller", kDefaultInstaller, DriverInstaller, sizeof DriverInstaller);
    ScanDevicesCount();
}

cFTD::~cFTD() {
    Close();
    const transports::SettingsFile& file = impl_->settings;
    file.WriteText(kSection, "DeviceName", DeviceName);
    file.WriteNumber(kSection, "DevicesMax", DevicesMax);
    file.WriteNumber(kSection, "BaudRate", static_cast<long>(BaudRate));
    file.WriteNumber(kSection, "DataBits", DataBits);
    file.WriteNumber(kSection, "StopBits", StopBits);
    file.WriteNumber(kSection, "Parity", Parity);
    file.WriteNumber(kSection, "FlowControl", FlowControl);
    file.WriteText(kSection, "DriverInstaller", DriverInstaller);
}

bool cFTD::Open(bool showMessages, bool startReader) {
    // The reading thread cannot restart itself from inside its callback.
    if (deliveringFor == this) return false;
    Close();
    auto fail = [&](const std::string& text) {
        if (showMessages) transports::ReportError(hWnd, text);
        return false;
    };
    const d2xx::Api* api = d2xx::Library();
    if (!api) return fail(std::string("Драйвер USB не установлен: не найдена библиотека ") + d2xx::LibraryName());
    // The name's array may lack its NUL when a caller filled it to the brim.
    const std::string name(DeviceName, strnlen(DeviceName, sizeof DeviceName));
    if (name.empty()) return fail("USB устройство не выбрано");
    const int index = DeviceIndex(name);
    if (index < 0) return fail("Неверное имя USB устройства: " + name);

    d2xx::Handle device = nullptr;
    const d2xx::Status status = api->Open(index, &device);
    if (status != d2xx::kOk || !device) return fail(OpenFailureText(status, name));
    if (!ApplyLine(*api, device, *this)) {
        api->Close(device);
        return fail("Не удается установить параметры USB устройства " + name);
    }
    impl_->api = api;
    hDevice = device;
    RecvC = 0;
    if (startReader) {
        impl_->stopReading = false;
        try {
            impl_->reader = std::thread(DeliverBlocks, std::ref(*this), std::cref(*api), device,
                                        std::cref(impl_->stopReading));
        } catch (const std::system_error&) {
            Close();
            return fail("Не удается начать чтение USB устройства " + name);
        }
    }
    return true;
}

void cFTD::Close() {
    if (!hDevice) return;
    impl_->stopReading = true;
    // Inside the receive callback the reading thread cannot wait for itself:
    // it ends once the callback returns, and the owner's next Close (or Open)
    // closes the device.
    if (deliveringFor == this) return;
    if (impl_->reader.joinable()) impl_->reader.join();
    impl_->api->Close(hDevice);
    hDevice = nullptr;
}

bool cFTD::SendEx(char* data, int length) {
    if (!hDevice || !data || length < 0) return false;
    d2xx::Dword sent = 0;
    while (sent < static_cast<d2xx::Dword>(length)) {
        d2xx::Dword written = 0;
        const d2xx::Status status =
            impl_->api->Write(hDevice, data + sent, static_cast<d2xx::Dword>(length) - sent, &written);
        // Nothing taken within the write time-out: the adapter is stuck.
        if (status != d2xx::kOk || written == 0) return false;
        sent += written;
    }
    return true;
}

bool cFTD::GetBitMode(unsigned char* mode) {
    if (!hDevice || !mode) return false;
    std::uint8_t value = 0;
    if (impl_->api->GetBitMode(hDevice, &value) != d2xx::kOk) return false;
    *mode = value;
    return true;
}

bool cFTD::SetBitMode(unsigned char mask, unsigned char mode) {
    return hDevice && impl_->api->SetBitMode(hDevice, mask, mode) == d2xx::kOk;
}

void cFTD::ScanDevicesCount() {
    const d2xx::Api* api = d2xx::Library();
    d2xx::Dword count = 0;
    if (!api || api->CreateDeviceInfoList(&count) != d2xx::kOk) count = 0;
    DevicesCount = static_cast<std::uint8_t>(std::min<d2xx::Dword>(count, 255));
}

void cFTD::RegisterDeviceNotificationToHWND(void* hWnd) {
    ScanDevicesCount();
    ftd::WatchDeviceChanges(hWnd);
}

void cFTD::DriverInstall(void* hWnd) {
    const std::string path = ftd::IsAbsolutePath(DriverInstaller)
                                 ? std::string(DriverInstaller)
                                 : compat::JoinPath(compat::ExecutableDir(), DriverInstaller);
    if (!ftd::IsFile(path)) {
        DriverInstalling = 0;
        transports::ReportError(hWnd, "Программа установки драйвера USB не найдена:\r\n" + path);
        return;
    }
    int systemError = 0;
    DriverInstalling = 1;
    const ftd::InstallerEnd end = ftd::RunInstaller(path, DriverInstalling, systemError);
    DriverInstalling = 0;
    if (end == ftd::InstallerEnd::NotStarted)
        transports::ReportError(hWnd, "Не удается запустить программу установки драйвера USB (код ошибки " +
                                          std::to_string(systemError) + "):\r\n" + path);
    // A driver installed just now lists the devices from here on.
    ScanDevicesCount();
}

tMessageBoxHandler cFTD::SetMessageBoxHandler(tMessageBoxHandler handler) {
    return compat::SetMessageBoxHandler(handler);
}
