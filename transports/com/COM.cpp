#include "transports/COM.h"

#include <cctype>
#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>

#include "compat/platform.h"
#include "serial_port.h"
#include "transports/common/component.h"

using transports::LineSettings;
using transports::OpenFailure;
using transports::SerialPort;

struct cCOM::Impl {
    explicit Impl(const char* iniFile) : settings(iniFile) {}
    transports::SettingsFile settings;
    std::unique_ptr<SerialPort> port;
    std::thread reader;
};

namespace {

constexpr char kSection[] = "COM";
// Optional mapping of port names to devices: "COM5=/dev/pts/3".
constexpr char kPortsSection[] = "Ports";
constexpr std::size_t kBlockSize = 4096;

#ifndef _WIN32
// "COM<n>" (any case, n >= 1) -> n, otherwise 0.
unsigned long PortNumber(const char* name) {
    if (std::toupper(static_cast<unsigned char>(name[0])) != 'C' ||
        std::toupper(static_cast<unsigned char>(name[1])) != 'O' ||
        std::toupper(static_cast<unsigned char>(name[2])) != 'M' || !std::isdigit(static_cast<unsigned char>(name[3])))
        return 0;
    char* end = nullptr;
    unsigned long number = std::strtoul(name + 3, &end, 10);
    return *end == '\0' ? number : 0;
}
#endif

std::string DefaultDevice(const char* portName) {
#ifdef _WIN32
    // COM10 and above can only be opened through the \\.\ prefix.
    return std::string("\\\\.\\") + portName;
#else
    unsigned long number = PortNumber(portName);
    return number ? "/dev/ttyS" + std::to_string(number - 1) : std::string();
#endif
}

// Empty when the name names no device.
std::string DeviceFor(const cCOM& com, const transports::SettingsFile& settings) {
    if (com.DevicePath[0]) return com.DevicePath;
    if (!com.PortName[0]) return {};
    char mapped[260];
    settings.ReadText(kPortsSection, com.PortName, "", mapped, sizeof mapped);
    return mapped[0] ? std::string(mapped) : DefaultDevice(com.PortName);
}

std::string FailureText(OpenFailure failure, const std::string& name, int systemError) {
    if (name.empty()) return "COM порт не выбран";
    switch (failure) {
        case OpenFailure::NotFound: return "COM порт " + name + " не найден";
        case OpenFailure::Busy: return "COM порт " + name + " занят другим приложением";
        case OpenFailure::BadSettings: return "Не удается установить параметры COM порта " + name;
        default: return "Не удается открыть COM порт " + name + " (код ошибки " + std::to_string(systemError) + ")";
    }
}

// The port whose blocks the current thread is delivering, if any.
thread_local const cCOM* deliveringFor = nullptr;

// The reading thread: every block goes to the host's callback until the port
// is woken for closing or fails.
void DeliverBlocks(cCOM& com, SerialPort& port) {
    deliveringFor = &com;
    char block[kBlockSize + 1];
    for (;;) {
        long count = port.Read(block, kBlockSize);
        if (count <= 0) return;
        block[count] = '\0';
        com.RecvC += static_cast<std::uint32_t>(count);
        if (tRecvCallback callback = com.pRecvCallback) callback(block, static_cast<int>(count));
    }
}

}  // namespace

namespace transports {
bool IsValid(const LineSettings& line) {
    return line.baudRate > 0 && line.dataBits >= 5 && line.dataBits <= 8 && line.stopBits <= 2 &&
           line.parity <= 4 && line.flowControl <= 3;
}
}  // namespace transports

cCOM::cCOM(const char* iniFile) : impl_(std::make_unique<Impl>(iniFile)) {
    const transports::SettingsFile& file = impl_->settings;
    file.ReadText(kSection, "PortName", "COM1", PortName, sizeof PortName);
    BaudRate = static_cast<std::uint32_t>(transports::InRangeOr(file.ReadNumber(kSection, "BaudRate", 9600), 1, 4000000, 9600));
    DataBits = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "DataBits", 8), 5, 8, 8));
    StopBits = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "StopBits", 0), 0, 2, 0));
    Parity = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "Parity", 0), 0, 4, 0));
    FlowControl = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "FlowControl", 0), 0, 3, 0));
    AutoScan = file.ReadNumber(kSection, "AutoScan", 1) != 0;
    PortsMax = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "PortsMax", 32), 0, 255, 32));
}

cCOM::~cCOM() {
    Close();
    const transports::SettingsFile& file = impl_->settings;
    file.WriteText(kSection, "PortName", PortName);
    file.WriteNumber(kSection, "BaudRate", static_cast<long>(BaudRate));
    file.WriteNumber(kSection, "DataBits", DataBits);
    file.WriteNumber(kSection, "StopBits", StopBits);
    file.WriteNumber(kSection, "Parity", Parity);
    file.WriteNumber(kSection, "FlowControl", FlowControl);
    file.WriteNumber(kSection, "AutoScan", AutoScan ? 1 : 0);
    file.WriteNumber(kSection, "PortsMax", PortsMax);
}

bool cCOM::Open(bool showMessages, bool startReader) {
    Close();
    const std::string name = DevicePath[0] ? DevicePath : PortName;
    const std::string device = DeviceFor(*this, impl_->settings);
    const LineSettings line{BaudRate, DataBits, StopBits, Parity, FlowControl};
    OpenFailure failure = OpenFailure::NotFound;
    int systemError = 0;
    if (!device.empty()) impl_->port = SerialPort::Open(device, line, failure, systemError);
    if (!impl_->port) {
        if (showMessages) transports::ReportError(hWnd, FailureText(failure, name, systemError));
        return false;
    }
    RecvC = 0;
    hDevice = impl_->port->Handle();
    if (startReader) {
        try {
            impl_->reader = std::thread(DeliverBlocks, std::ref(*this), std::ref(*impl_->port));
        } catch (const std::system_error&) {
            Close();
            if (showMessages) transports::ReportError(hWnd, "Не удается начать чтение COM порта " + name);
            return false;
        }
    }
    return true;
}

void cCOM::Close() {
    if (!impl_->port) return;
    impl_->port->Wake();
    // Inside the receive callback the reading thread cannot wait for itself:
    // it ends once the callback returns, and the owner's next Close releases
    // the port.
    if (deliveringFor == this) return;
    if (impl_->reader.joinable()) impl_->reader.join();
    impl_->port.reset();
    hDevice = nullptr;
}

bool cCOM::SendEx(char* data, int length) {
    if (!impl_->port || !data || length < 0) return false;
    if (length == 0) return true;
    // Room for the bytes at the line's speed (10 bits each) plus two seconds
    // for a stalled handshake.
    const unsigned long long lineMs = BaudRate ? 10000ULL * static_cast<unsigned>(length) / BaudRate : 0;
    const unsigned timeoutMs = static_cast<unsigned>(2000 + (lineMs > 60000 ? 60000 : lineMs));
    return impl_->port->Write(data, static_cast<std::size_t>(length), timeoutMs);
}

tMessageBoxHandler cCOM::SetMessageBoxHandler(tMessageBoxHandler handler) {
    return compat::SetMessageBoxHandler(handler);
}
