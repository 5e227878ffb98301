// Stand-in for the USB adapter until the adapter's driver is supported: no
// device is ever present, every operation says so. Settings persist.
#include "transports/FTD.h"

#include "compat/platform.h"
#include "transports/common/component.h"

struct cFTD::Impl {
    explicit Impl(const char* iniFile) : settings(iniFile) {}
    transports::SettingsFile settings;
};

namespace {
constexpr char kSection[] = "FTD";
// The settings dialog counts devices in a signed 8-bit value.
constexpr long kDevicesMaxLimit = 127;
}  // namespace

std::atomic<std::uint8_t> cFTD::DevicesCount{0};
std::atomic<std::uint8_t> cFTD::DriverInstalling{0};

cFTD::cFTD(const char* iniFile) : impl_(std::make_unique<Impl>(iniFile)) {
    impl_->settings.ReadText(kSection, "DeviceName", "DEV0", DeviceName, sizeof DeviceName);
    DevicesMax = static_cast<std::int32_t>(
        transports::InRangeOr(impl_->settings.ReadNumber(kSection, "DevicesMax", 8), 0, kDevicesMaxLimit, 8));
}

cFTD::~cFTD() {
    Close();
    impl_->settings.WriteText(kSection, "DeviceName", DeviceName);
    impl_->settings.WriteNumber(kSection, "DevicesMax", DevicesMax);
}

bool cFTD::Open(bool showMessages, bool) {
    if (showMessages) transports::ReportError(hWnd, std::string("USB устройство ") + DeviceName + " не подключено");
    return false;
}

void cFTD::Close() { hDevice = nullptr; }

bool cFTD::SendEx(char*, int) { return false; }

bool cFTD::GetBitMode(unsigned char*) { return false; }

bool cFTD::SetBitMode(unsigned char, unsigned char) { return false; }

void cFTD::ScanDevicesCount() { DevicesCount = 0; }

void cFTD::RegisterDeviceNotificationToHWND(void*) {}

void cFTD::DriverInstall(void* hWnd) {
    DriverInstalling = 0;
    transports::ReportError(hWnd, "Программа установки драйвера USB не найдена");
}

tMessageBoxHandler cFTD::SetMessageBoxHandler(tMessageBoxHandler handler) {
    return compat::SetMessageBoxHandler(handler);
}
