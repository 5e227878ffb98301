// zorvelctl: reads or writes the board from a terminal or a script, with the
// program's own codec, dispatch and sequences behind a console host.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

#include <CLI/CLI.hpp>

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

const char kDescription[] =
    "zorvelctl: reads or writes the LED board's settings, as the program's buttons do.\n"
    "\n"
    "  zorvelctl (--tcp HOST:PORT | --serial DEVICE [--baud N] | --usb DEV<n> | --gsm NUMBER [--usb DEV<n>]\n"
    "            | --radio CHANNEL [--usb DEV<n>]) [--json] [--settle-ms N] [--repeats N] COMMAND\n"
    "\n"
    "Commands:\n"
    "  read    asks for the board's status and prints every field read; warns when the board's\n"
    "          clock differs from this computer's by a minute or more than 15 seconds\n"
    "  write [--date DD.MM.YYYY] [--time HH:MM:SS] [--mode 1-4] [--interval 1-255]\n"
    "        [--hours M,A,E,N] [--brightness M,A,E,N]\n"
    "          sets the board's clock (default: this computer's clock at the moment each is sent)\n"
    "          and writes brightness, start hours, mode and interval (in modes 1 and 4 no interval);\n"
    "          values not given are taken from the board's own status reply, and if it lacks one\n"
    "          nothing is written\n"
    "\n"
    "--serial takes COM<n> (the port the serial settings name) or a device path; --baud defaults\n"
    "to the serial settings file's rate. --usb takes DEV<n>, the n-th USB adapter the driver lists,\n"
    "with the line settings of the USB settings file. --gsm calls the slave modem NUMBER through\n"
    "the GSM modem on the USB adapter (its status texts go to standard error as \"[GSM] ...\");\n"
    "--radio reaches the board through the radio module on the USB adapter, on CHANNEL 1-35\n"
    "(430000 + 200 x (CHANNEL - 1) kHz), where --repeats counts the extra attempts. With either,\n"
    "--usb names the adapter (default: the one the USB settings file names).\n"
    "\n"
    "Output: one \"name: value\" line per field (date YYYY-MM-DD, time HH:MM:SS, hours and\n"
    "brightness as four comma-separated numbers), a \"warning:\" line when the clock differs, and\n"
    "the board sequence's message on the last line. With --json, one JSON object: outcome, message,\n"
    "the fields (hours and brightness as arrays) and warning when the clock differs. Outcomes of\n"
    "read: Read, NoAnswer, NoFirmware, OtherFirmware, NoTime, ClockFault, NoDate, NoMode,\n"
    "NoInterval, NoHours, NoBrightness; of write: Written, NoAnswer, NoFirmware, OtherFirmware,\n"
    "MissingValues, <Step>Rejected, <Step>NotConfirmed (Date, Time, Brightness, Hours, Mode,\n"
    "Interval); NotOpened when the connection failed.\n"
    "\n"
    "Exit status: 0 success; 1 the board failed, refused or did not answer; 2 usage error;\n"
    "3 the connection could not be opened.";

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

struct UsageError {
    std::string Text;
};

int Number(const std::string& text, int low, int high, const std::string& what) {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || !std::all_of(text.begin(), text.end(), IsDigit) || value < low ||
        value > high)
        throw UsageError{what + " must be a number " + std::to_string(low) + ".." + std::to_string(high) + ": " +
                         text};
    return value;
}

std::array<std::string, 3> SplitThree(const std::string& text, char separator, const std::string& what) {
    std::size_t first = text.find(separator), second = text.find(separator, first + 1);
    if (first == std::string::npos || second == std::string::npos || text.find(separator, second + 1) != std::string::npos)
        throw UsageError{what + ": " + text};
    return {text.substr(0, first), text.substr(first + 1, second - first - 1), text.substr(second + 1)};
}

board::ClockDate ParseDate(const std::string& text) {
    auto parts = SplitThree(text, '.', "--date expects DD.MM.YYYY");
    board::ClockDate d{Number(parts[0], 1, 31, "the day"), Number(parts[1], 1, 12, "the month"),
                       Number(parts[2], 2000, 2099, "the year")};
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = d.Year % 4 == 0;  // 2000..2099
    if (d.Day > days[d.Month - 1] + (d.Month == 2 && leap ? 1 : 0)) throw UsageError{"no such date: " + text};
    return d;
}

board::ClockTime ParseTime(const std::string& text) {
    auto parts = SplitThree(text, ':', "--time expects HH:MM:SS");
    return {Number(parts[0], 0, 23, "the hours"), Number(parts[1], 0, 59, "the minutes"),
            Number(parts[2], 0, 59, "the seconds")};
}

std::array<int, 4> ParseFour(const std::string& text, int low, int high, const std::string& what) {
    std::array<int, 4> values{};
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t comma = text.find(',', start);
        if ((i < 3) != (comma != std::string::npos)) throw UsageError{what + " expects four comma-separated numbers: " + text};
        values[i] = Number(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), low,
                           high, what);
        start = comma + 1;
    }
    return values;
}

void CopyName(char* destination, std::size_t size, const std::string& text, const std::string& what) {
    if (text.empty() || text.size() >= size) throw UsageError{what + " must be 1.." + std::to_string(size - 1) + " characters: " + text};
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
    if (colon == std::string::npos) throw UsageError{"--tcp expects HOST:PORT: " + target};
    CopyName(board::TCP.IPv4, sizeof board::TCP.IPv4, target.substr(0, colon), "the host");
    board::TCP.Port = static_cast<std::uint16_t>(Number(target.substr(colon + 1), 1, 65535, "the port"));
    board::Interface = board::kInterfaceTcp;
}

void SelectSerial(const std::string& device, int baud) {
    if (IsComName(device)) {
        CopyName(board::COM.PortName, sizeof board::COM.PortName, device, "the port name");
    } else {
        CopyName(board::COM.DevicePath, sizeof board::COM.DevicePath, device, "the device");
    }
    if (baud > 0) board::COM.BaudRate = static_cast<std::uint32_t>(baud);
    board::Interface = board::kInterfaceSerial;
}

void SelectUsb(const std::string& device) {
    CopyName(board::FTD.DeviceName, sizeof board::FTD.DeviceName, device, "the USB device name");
    board::Interface = board::kInterfaceUsb;
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
    CLI::App app{kDescription, "zorvelctl"};
    app.require_subcommand(1, 1);
    app.fallthrough();  // the common options may also follow the command

    std::string tcp, serial, usb, gsm;
    int baud = 0, repeats = 3, radio = 0;
    unsigned settleMs = 6000;
    bool json = false;
    auto* tcpOption = app.add_option("--tcp", tcp, "the board's network adapter, HOST:PORT");
    auto* serialOption = app.add_option("--serial", serial, "serial port: COM<n> or a device path");
    auto* usbOption = app.add_option("--usb", usb, "USB adapter: DEV<n> (with --gsm or --radio: theirs)");
    auto* gsmOption = app.add_option("--gsm", gsm, "slave GSM modem's number, called through the USB adapter");
    auto* radioOption =
        app.add_option("--radio", radio, "radio channel 1-35, through the USB adapter")->check(CLI::Range(1, 35));
    tcpOption->excludes(serialOption)->excludes(gsmOption)->excludes(radioOption);
    usbOption->excludes(tcpOption)->excludes(serialOption);
    serialOption->excludes(gsmOption)->excludes(radioOption);
    gsmOption->excludes(radioOption);
    app.add_option("--baud", baud, "serial speed")->needs(serialOption)->check(CLI::Range(50, 4000000));
    app.add_flag("--json", json, "print one JSON object");
    app.add_option("--settle-ms", settleMs, "pause after the mode and after the interval")->capture_default_str();
    app.add_option("--repeats", repeats, "extra attempts per command (radio interface only)")
        ->check(CLI::Range(0, 127))
        ->capture_default_str();

    auto* readCommand = app.add_subcommand("read", "read every setting of the board");
    auto* writeCommand = app.add_subcommand("write", "set the board's clock and write its settings");
    std::string date, time, hours, brightness;
    int mode = 0, interval = 0;
    auto* dateOption = writeCommand->add_option("--date", date, "DD.MM.YYYY");
    auto* timeOption = writeCommand->add_option("--time", time, "HH:MM:SS");
    auto* modeOption = writeCommand->add_option("--mode", mode, "1-4")->check(CLI::Range(1, 4));
    auto* intervalOption = writeCommand->add_option("--interval", interval, "1-255")->check(CLI::Range(1, 255));
    auto* hoursOption = writeCommand->add_option("--hours", hours, "start hours M,A,E,N, each 0-23");
    auto* brightnessOption = writeCommand->add_option("--brightness", brightness, "percent M,A,E,N, each 20-100");

    zorvelctl::WriteValues values;
    try {
        app.parse(argc, argv);
        if (tcp.empty() && serial.empty() && usb.empty() && gsm.empty() && radio == 0)
            throw UsageError{"give --tcp HOST:PORT, --serial DEVICE, --usb DEV<n>, --gsm NUMBER or --radio CHANNEL"};
        if (*dateOption) values.Date = ParseDate(date);
        if (*timeOption) values.Time = ParseTime(time);
        if (*modeOption) values.Mode = mode;
        if (*intervalOption) values.Interval = interval;
        if (*hoursOption) values.Hours = ParseFour(hours, 0, 23, "--hours");
        if (*brightnessOption) values.Brightness = ParseFour(brightness, 20, 100, "--brightness");
    } catch (const CLI::Success&) {
        std::printf("%s", app.help().c_str());
        return 0;
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "zorvelctl: %s\n\n%s", e.what(), app.help().c_str());
        return kUsage;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zorvelctl: %s\n\n%s", e.Text.c_str(), app.help().c_str());
        return kUsage;
    }

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
        if (!error.empty()) throw UsageError{error};
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zorvelctl: %s\n", e.Text.c_str());
        return kUsage;
    }

    zorvelctl::Command command = *readCommand ? zorvelctl::Command::Read : zorvelctl::Command::Write;
    zorvelctl::ConsoleHost host(static_cast<std::int8_t>(repeats), settleMs, values);
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
