// zorvelctl: reads or writes the board from a terminal or a script, with the
// program's own codec, dispatch and sequences behind a console host.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "command_line.h"
#include "compat/platform.h"
#include "console_host.h"
#include "fleet.h"
#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"
#include "tcp_channel.h"
#include "trace.h"
#include "usb_links.h"
#include "values.h"
#include "zorvel/board/link.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using zorvelctl::CopyName;
using zorvelctl::Number;
using zorvelctl::UsageError;

constexpr int kUsage = 2;

// Transport libraries report an open that failed in their own message boxes;
// here those go to standard error and the first is kept for the report. They
// may come from a transport's own thread.
std::mutex g_transportMessageLock;
std::string g_transportMessage;

// A fleet's worker keeps the messages of its board's transport for that
// board's report instead.
thread_local std::string* t_boardMessage = nullptr;

int ReportTransportMessage(void*, const char* text, const char* caption, unsigned type) {
    if (t_boardMessage) {
        if (t_boardMessage->empty() && text) *t_boardMessage = text;
        return (type & 0xF) == compat::kBoxYesNo ? compat::kAnswerYes : compat::kAnswerOk;
    }
    std::fprintf(stderr, "zorvelctl: [%s] %s\n", caption ? caption : "", text ? text : "");
    {
        std::lock_guard<std::mutex> lock(g_transportMessageLock);
        if (g_transportMessage.empty() && text) g_transportMessage = text;
    }
    return (type & 0xF) == compat::kBoxYesNo ? compat::kAnswerYes : compat::kAnswerOk;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

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
    board::COM.DevicePath[0] = '\0';
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

using zorvelctl::RunOptions;

struct BoardRun {
    board::ExchangeResult Result;
    std::unique_ptr<zorvelctl::ConsoleHost> Host;
    zorvelctl::Verification Verified;
};

// Runs one command on whatever the calling thread's dispatch reaches: a
// board's own channel, or the program's selected transport.
BoardRun RunCommand(zorvelctl::Command command, const zorvelctl::WriteValues& values, const RunOptions& options) {
    BoardRun run;
    run.Host = std::make_unique<zorvelctl::ConsoleHost>(static_cast<std::int8_t>(options.Repeats), options.SettleMs,
                                                        values);
    switch (command) {
        case zorvelctl::Command::Read: run.Result = board::RunReadSequence(*run.Host); break;
        case zorvelctl::Command::Write: run.Result = board::RunWriteSequence(*run.Host); break;
        case zorvelctl::Command::SyncClock: run.Result = board::RunClockSequence(*run.Host); break;
    }
    if (!options.Verify || command == zorvelctl::Command::Read || run.Result.End != board::ExchangeEnd::Succeeded)
        return run;
    zorvelctl::ConsoleHost reader(static_cast<std::int8_t>(options.Repeats), options.SettleMs);
    board::ExchangeResult back = board::RunReadSequence(reader);
    long long expected = 0;
    if (command == zorvelctl::Command::Write && run.Host->ExpectedBoardClock()) {
        expected = *run.Host->ExpectedBoardClock();
    } else {
        board::LocalDateTime now = reader.Now();
        expected = board::ClockSeconds(now.Date, now.Time);
    }
    run.Verified = zorvelctl::Verify(command, *run.Host, back, expected, options.ClockToleranceS);
    return run;
}

// Points the program's transport objects at one board of a fleet that is not
// reached over TCP (the caller holds them alone meanwhile).
void SelectProgramTransport(const zorvelctl::Target& target) {
    using Kind = zorvelctl::Target::Kind;
    switch (target.Via) {
        case Kind::Tcp: SelectTcp(target.Host + ":" + std::to_string(target.Port)); return;
        case Kind::Serial: SelectSerial(target.Device, target.Baud); return;
        case Kind::Usb: SelectUsb(target.Device); return;
        case Kind::Gsm:
        case Kind::Radio: {
            CopyName(board::FTD.DeviceName, sizeof board::FTD.DeviceName, target.Device, "the USB device name");
            std::string error = target.Via == Kind::Gsm ? zorvelctl::SelectGsm(target.Number)
                                                        : zorvelctl::SelectRadio(target.Channel);
            if (!error.empty()) throw UsageError{error};
            return;
        }
    }
}

// The program's transports report their traffic to `tap` while it lives.
class ProgramTrafficTap {
public:
    explicit ProgramTrafficTap(board::TrafficTap tap) { board::SetTrafficTap(std::move(tap)); }
    ~ProgramTrafficTap() { board::SetTrafficTap({}); }
    ProgramTrafficTap(const ProgramTrafficTap&) = delete;
    ProgramTrafficTap& operator=(const ProgramTrafficTap&) = delete;
};

// One board's line of the fleet's report.
struct FleetRow {
    bool Ok = false;
    std::string Result, Details;
    nlohmann::ordered_json Json;
};

std::string Details(const BoardRun& run) {
    std::string details = run.Result.Message;
    if (run.Result.HasDrift && run.Result.Outcome != "Read")
        details += "; drift " + std::string(run.Result.DriftSeconds > 0 ? "+" : "") +
                   std::to_string(run.Result.DriftSeconds) + " s";
    if (run.Result.DateSentAgain) details += "; date sent again after midnight";
    if (run.Verified.Done && !run.Verified.Failure.empty()) details += "; not read back: " + run.Verified.Failure;
    for (const zorvelctl::Difference& d : run.Verified.Differences)
        details += "; " + d.Field + " written " + d.Written + ", read " + d.Read;
    if (run.Verified.Ok()) details += "; verified";
    return details;
}

FleetRow WorkOnBoard(const zorvelctl::FleetBoard& fleetBoard, zorvelctl::Command command, const RunOptions& options,
                     zorvelctl::TraceFile* trace, std::mutex& programTransports) {
    std::string transportMessage;
    t_boardMessage = &transportMessage;
    board::TrafficTap tap = trace ? trace->Tap(fleetBoard.Name) : board::TrafficTap{};
    BoardRun run;
    try {
        if (fleetBoard.Where.Via == zorvelctl::Target::Kind::Tcp) {
            zorvelctl::TcpChannel channel(fleetBoard.Where.Host, static_cast<std::uint16_t>(fleetBoard.Where.Port),
                                          tap);
            board::ChannelBinding bind(channel);
            run = RunCommand(command, fleetBoard.Values, options);
        } else {
            std::lock_guard<std::mutex> alone(programTransports);
            TransportSettingsGuard restoreSettings;
            zorvelctl::UsbSettingsGuard restoreUsbSettings;
            SelectProgramTransport(fleetBoard.Where);
            ProgramTrafficTap traced(tap);
            run = RunCommand(command, fleetBoard.Values, options);
        }
    } catch (const UsageError& e) {
        run.Result.Outcome = "NotOpened";
        transportMessage = e.Text;
    } catch (const std::exception& e) {
        run.Result.Outcome = "NotOpened";
        transportMessage = e.what();
    }
    t_boardMessage = nullptr;
    if (!run.Host) run.Host = std::make_unique<zorvelctl::ConsoleHost>(0, 0);
    if (run.Result.End == board::ExchangeEnd::NotOpened)
        run.Result.Message = transportMessage.empty() ? "the connection could not be opened" : transportMessage;

    FleetRow row;
    row.Ok = zorvelctl::ExitStatus(run.Result, &run.Verified) == 0;
    row.Result = run.Verified.Done && !run.Verified.Ok() && run.Result.End == board::ExchangeEnd::Succeeded
                     ? "VerifyFailed"
                     : run.Result.Outcome;
    row.Details = Details(run);
    row.Json["board"] = fleetBoard.Name;
    row.Json["target"] = fleetBoard.Where.Text;
    nlohmann::ordered_json report = zorvelctl::ReportObject(command, run.Result, *run.Host, &run.Verified);
    for (auto& [key, value] : report.items()) row.Json[key] = value;
    return row;
}

// Columns as wide as their widest cell; the details, last, are not padded.
void PrintTable(const std::vector<zorvelctl::FleetBoard>& boards, const std::vector<FleetRow>& rows) {
    auto width = [](const std::string& text) {  // characters, not bytes, of UTF-8 text
        return static_cast<std::size_t>(
            std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    };
    std::size_t nameWidth = 5, targetWidth = 6, resultWidth = 6;
    for (std::size_t i = 0; i < boards.size(); ++i) {
        nameWidth = std::max(nameWidth, width(boards[i].Name));
        targetWidth = std::max(targetWidth, width(boards[i].Where.Text));
        resultWidth = std::max(resultWidth, width(rows[i].Result));
    }
    auto cell = [&](const std::string& text, std::size_t w) { return text + std::string(w - width(text) + 2, ' '); };
    std::string out = cell("BOARD", nameWidth) + cell("TARGET", targetWidth) + cell("RESULT", resultWidth) + "DETAILS\n";
    std::size_t succeeded = 0;
    for (std::size_t i = 0; i < boards.size(); ++i) {
        out += cell(boards[i].Name, nameWidth) + cell(boards[i].Where.Text, targetWidth) +
               cell(rows[i].Result, resultWidth) + rows[i].Details + "\n";
        succeeded += rows[i].Ok ? 1 : 0;
    }
    out += std::to_string(succeeded) + " of " + std::to_string(boards.size()) + " boards succeeded\n";
    std::fputs(out.c_str(), stdout);
}

int RunFleet(const std::string& file, zorvelctl::Command command, unsigned jobs, const RunOptions& options,
             zorvelctl::TraceFile* trace) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "zorvelctl: cannot read the fleet file %s\n", file.c_str());
        return kUsage;
    }
    std::stringstream content;
    content << in.rdbuf();
    std::vector<zorvelctl::FleetBoard> boards;
    try {
        boards = zorvelctl::ParseFleet(content.str(), file);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zorvelctl: %s\n", e.Text.c_str());
        return kUsage;
    }

    std::vector<FleetRow> rows(boards.size());
    std::mutex programTransports;
    zorvelctl::RunLanes(zorvelctl::Lanes(boards), jobs, [&](std::size_t i) {
        rows[i] = WorkOnBoard(boards[i], command, options, trace, programTransports);
    });

    if (options.Json) {
        for (const FleetRow& row : rows) std::printf("%s\n", row.Json.dump().c_str());
    } else {
        PrintTable(boards, rows);
    }
    std::fflush(stdout);
    return std::all_of(rows.begin(), rows.end(), [](const FleetRow& row) { return row.Ok; }) ? 0 : 1;
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
    const std::string &tcp = line.Tcp, &serial = line.Serial, &usb = line.Usb, &gsm = line.Gsm,
                      &traceFile = line.TraceFile;
    const int baud = line.Baud, radio = line.Radio;
    const RunOptions& options = line.Options;
    const zorvelctl::WriteValues& values = line.Values;

    std::optional<zorvelctl::TraceFile> trace;
    if (!traceFile.empty()) {
        trace.emplace(traceFile);
        if (!trace->Ok()) {
            std::fprintf(stderr, "zorvelctl: cannot write the trace file %s\n", traceFile.c_str());
            return kUsage;
        }
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

    if (line.Fleet) return RunFleet(line.FleetFile, line.Chosen, line.Jobs, options, trace ? &*trace : nullptr);

    std::string target;
    try {
        std::string error;
        if (!tcp.empty()) {
            SelectTcp(tcp);
            target = "tcp:" + tcp;
        } else if (!gsm.empty() || radio != 0) {
            // The modem and the radio module sit behind the USB adapter.
            if (!usb.empty()) CopyName(board::FTD.DeviceName, sizeof board::FTD.DeviceName, usb, "the USB device name");
            error = !gsm.empty() ? zorvelctl::SelectGsm(gsm) : zorvelctl::SelectRadio(radio);
            target = !gsm.empty() ? "gsm:" + std::string(board::FTD.DeviceName) + ":" + gsm
                                  : "radio:" + std::string(board::FTD.DeviceName) + ":" + std::to_string(radio);
        } else if (!usb.empty()) {
            SelectUsb(usb);
            target = "usb:" + usb;
        } else {
            SelectSerial(serial, baud);
            target = "serial:" + serial;
        }
        if (!error.empty()) throw UsageError{error};
    } catch (const UsageError& e) {
        std::fprintf(stderr, "zorvelctl: %s\n", e.Text.c_str());
        return kUsage;
    }
    ProgramTrafficTap traced(trace ? trace->Tap(target) : board::TrafficTap{});

    const zorvelctl::Command command = line.Chosen;
    BoardRun run;
    {
        std::optional<zorvelctl::GsmStatusPrinter> gsmStatus;
        if (!gsm.empty()) gsmStatus.emplace();
        run = RunCommand(command, values, options);
    }
    const zorvelctl::ConsoleHost& host = *run.Host;
    board::ExchangeResult& result = run.Result;
    if (result.End == board::ExchangeEnd::NotOpened) {
        std::lock_guard<std::mutex> lock(g_transportMessageLock);
        result.Message = g_transportMessage.empty() ? "the connection could not be opened" : g_transportMessage;
        if (g_transportMessage.empty()) std::fprintf(stderr, "zorvelctl: %s\n", result.Message.c_str());
        if (options.Json) std::printf("%s", zorvelctl::JsonReport(command, result, host).c_str());
    } else {
        std::string report = options.Json ? zorvelctl::JsonReport(command, result, host, &run.Verified)
                                          : zorvelctl::TextReport(command, result, host, &run.Verified);
        std::fputs(report.c_str(), stdout);
    }
    std::fflush(stdout);
    return zorvelctl::ExitStatus(result, &run.Verified);
}
