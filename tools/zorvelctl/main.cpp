// zorvelctl: reads or writes the board from a terminal or a script, with the
// program's own codec, dispatch and sequences behind a console host.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include "command_line.h"
#include "compat/platform.h"
#include "console_host.h"
#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"
#include "usb_links.h"
#include "zorvel/board/link.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr int kUsage = 2;
constexpr std::int8_t kSerialInterface = 0;
constexpr std::int8_t kUsbInterface = 1;
constexpr std::int8_t kTcpInterface = 2;

// Transport libraries report an open that failed in their own message boxes;
// here those go to standard error and the first is kept for the report. They
// may come from a transport's own thread.
std::mutex g_transportMessageLock;
std::string g_transportMessage;

int ReportTransportMessage(void*, const char* text, const char* caption, unsigned type) {
    std::fprintf(stderr, "zorvelctl: [%s] %s\n", caption ? caption : "", text ? text : "");
    {
        std::lock_guard<std::mutex> lock(g_transportMessageLock);
        if (g_transportMessage.empty() && text) g_transportMessage = text;
    }
    return (type & 0xF) == compat::kBoxYesNo ? compat::kAnswerYes : compat::kAnswerOk;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void CopyName(char* destination, std::size_t size, const std::string& text, const std::string& what) {
    if (text.empty() || text.size() >= size) throw zorvelctl::UsageError{what + " must be 1.." + std::to_string(size - 1) + " characters: " + text};
    std::memcpy(destination, text.c_str(), text.size() + 1);
}

bool IsComName(const std::string& name) {
    return name.size() > 3 && name.size() < sizeof(cCOM::PortName) && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "com") == 0) &&
           std::all_of(name.begin() + 3, name.end(), IsDigit);
}

// The transport objects write their settings files when they are destroyed;
// what the command line changed is put back first, so the program's own
// settings beside the executable stay as they were.
class TransportSettingsGuard {
public:
    TransportSettingsGuard() {
        std::memcpy(portName_, board::COM.PortName, sizeof portName_);
        std::memcpy(deviceName_, board::FTD.DeviceName, sizeof deviceName_);
        baudRate_ = board::COM.BaudRate;
        std::memcpy(ipv4_, board::TCP.IPv4, sizeof ipv4_);
        port_ = board::TCP.Port;
    }
    ~TransportSettingsGuard() {
        std::memcpy(board::COM.PortName, portName_, sizeof portName_);
        board::COM.BaudRate = baudRate_;
        board::COM.DevicePath[0] = '\0';
        std::memcpy(board::FTD.DeviceName, deviceName_, sizeof deviceName_);
        std::memcpy(board::TCP.IPv4, ipv4_, sizeof ipv4_);
        board::TCP.Port = port_;
    }
    TransportSettingsGuard(const TransportSettingsGuard&) = delete;
    TransportSettingsGuard& operator=(const TransportSettingsGuard&) = delete;

private:
    char portName_[sizeof(cCOM::PortName)];
    char deviceName_[sizeof(cFTD::DeviceName)];
    std::uint32_t baudRate_;
    char ipv4_[sizeof(cRavlo::IPv4)];
    std::uint16_t port_;
};

void SelectTcp(const std::string& target) {
    std::size_t colon = target.rfind(':');
    if (colon == std::string::npos) throw zorvelctl::UsageError{"--tcp expects HOST:PORT: " + target};
    CopyName(board::TCP.IPv4, sizeof board::TCP.IPv4, target.substr(0, colon), "the host");
    board::TCP.Port = static_cast<std::uint16_t>(zorvelctl::Number(target.substr(colon + 1), 1, 65535, "the port"));
    board::Interface = kTcpInterface;
}

void SelectSerial(const std::string& device, int baud) {
    if (IsComName(device)) {
        CopyName(board::COM.PortName, sizeof board::COM.PortName, device, "the port name");
    } else {
        CopyName(board::COM.DevicePath, sizeof board::COM.DevicePath, device, "the device");
    }
    if (baud > 0) board::COM.BaudRate = static_cast<std::uint32_t>(baud);
    board::Interface = kSerialInterface;
}

void SelectUsb(const std::string& device) {
    CopyName(board::FTD.DeviceName, sizeof board::FTD.DeviceName, device, "the USB device name");
    board::Interface = kUsbInterface;
}

#ifdef _WIN32
// The messages are UTF-8; the console's code page is the user's, so it is
// switched for the run and given back at the end.
class ConsoleCodePage {
public:
    ConsoleCodePage() : previous_(GetConsoleOutputCP()) { SetConsoleOutputCP(CP_UTF8); }
    ~ConsoleCodePage() {
        if (previous_ != 0) SetConsoleOutputCP(previous_);
    }
    ConsoleCodePage(const ConsoleCodePage&) = delete;
    ConsoleCodePage& operator=(const ConsoleCodePage&) = delete;

private:
    UINT previous_;
};
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    ConsoleCodePage utf8Console;
#endif
    zorvelctl::CommandLine line;
    std::string message;
    switch (zorvelctl::ParseCommandLine(argc, argv, line, message)) {
    case zorvelctl::ParseOutcome::Help:
        std::fputs(message.c_str(), stdout);
        return 0;
    case zorvelctl::ParseOutcome::Usage:
        std::fputs(message.c_str(), stderr);
        return kUsage;
    case zorvelctl::ParseOutcome::Run:
        break;
    }
    const std::string &tcp = line.Tcp, &serial = line.Serial, &usb = line.Usb, &gsm = line.Gsm;
    const int baud = line.Baud, radio = line.Radio;
    const bool json = line.Json;

    compat::SetMessageBoxHandler(ReportTransportMessage);
    cCOM::SetMessageBoxHandler(ReportTransportMessage);
    cFTD::SetMessageBoxHandler(ReportTransportMessage);
    cGSM::SetMessageBoxHandler(ReportTransportMessage);
    cRFM::SetMessageBoxHandler(ReportTransportMessage);
    RavloSetNotifier(ReportTransportMessage);
    board::WireTransports(nullptr);
    TransportSettingsGuard restoreSettings;
    zorvelctl::UsbSettingsGuard restoreUsbSettings;
    try {
        std::string error;
        if (!tcp.empty()) {
            SelectTcp(tcp);
        } else if (!gsm.empty() || radio != 0) {
            // The modem and the radio module sit behind the USB adapter.
            if (!usb.empty()) CopyName(board::FTD.DeviceName, sizeof board::FTD.DeviceName, usb, "the USB device name");
            error = !gsm.empty() ? zorvelctl::SelectGsm(gsm) : zorvelctl::SelectRadio(radio);
        } else if (!usb.empty()) {
            SelectUsb(usb);
        } else {
            SelectSerial(serial, baud);
        }
        if (!error.empty()) throw zorvelctl::UsageError{error};
    } catch (const zorvelctl::UsageError& e) {
        std::fprintf(stderr, "zorvelctl: %s\n", e.Text.c_str());
        return kUsage;
    }

    const zorvelctl::Command command = line.Chosen;
    zorvelctl::ConsoleHost host(static_cast<std::int8_t>(line.Repeats), line.SettleMs, line.Values);
    board::ExchangeResult result;
    {
        std::optional<zorvelctl::GsmStatusPrinter> gsmStatus;
        if (!gsm.empty()) gsmStatus.emplace();
        result = command == zorvelctl::Command::Read ? board::RunReadSequence(host) : board::RunWriteSequence(host);
    }
    if (result.End == board::ExchangeEnd::NotOpened) {
        std::lock_guard<std::mutex> lock(g_transportMessageLock);
        result.Message = g_transportMessage.empty() ? "the connection could not be opened" : g_transportMessage;
        if (g_transportMessage.empty()) std::fprintf(stderr, "zorvelctl: %s\n", result.Message.c_str());
        if (json) std::printf("%s", zorvelctl::JsonReport(command, result, host).c_str());
    } else {
        std::string report = json ? zorvelctl::JsonReport(command, result, host)
                                  : zorvelctl::TextReport(command, result, host);
        std::fputs(report.c_str(), stdout);
    }
    std::fflush(stdout);
    return zorvelctl::ExitStatus(result);
}
