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

#include <CLI/CLI.hpp>

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

const char kDescription[] =
    "zorvelctl: reads or writes the LED board's settings, as the program's buttons do, for one\n"
    "board or for a whole fleet of them.\n"
    "\n"
    "  zorvelctl (--tcp HOST:PORT | --serial DEVICE [--baud N] | --usb DEV<n> | --gsm NUMBER [--usb DEV<n>]\n"
    "            | --radio CHANNEL [--usb DEV<n>]) [--json] [--settle-ms N] [--repeats N]\n"
    "            [--verify] [--clock-tolerance S] [--trace FILE] COMMAND\n"
    "  zorvelctl fleet FILE (read | write | sync-clock) [--jobs N] [--json] [--settle-ms N] [--repeats N]\n"
    "            [--verify] [--clock-tolerance S] [--trace FILE]\n"
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
    "  sync-clock\n"
    "          sets only the board's date and time to this computer's, one right after the other,\n"
    "          and sends the date again when midnight fell between them; reports the board's clock\n"
    "          drift (board minus computer, seconds) found before the write\n"
    "  fleet FILE ACTION\n"
    "          does ACTION (read, write or sync-clock) for every board FILE lists, --jobs at once\n"
    "          (default 128); boards on one serial port or one USB adapter (with its modem or\n"
    "          radio), or at one network address, are worked on one after another. A failing board\n"
    "          never stops the others. FILE is checked whole first: an error names its line and\n"
    "          nothing is sent.\n"
    "\n"
    "--serial takes COM<n> (the port the serial settings name) or a device path; --baud defaults\n"
    "to the serial settings file's rate. --usb takes DEV<n>, the n-th USB adapter the driver lists,\n"
    "with the line settings of the USB settings file. --gsm calls the slave modem NUMBER through\n"
    "the GSM modem on the USB adapter (its status texts go to standard error as \"[GSM] ...\");\n"
    "--radio reaches the board through the radio module on the USB adapter, on CHANNEL 1-35\n"
    "(430000 + 200 x (CHANNEL - 1) kHz), where --repeats counts the extra attempts. With either,\n"
    "--usb names the adapter (default: the one the USB settings file names).\n"
    "\n"
    "--verify reads the board back after write or sync-clock and reports every value that differs\n"
    "from what was written; the clock may differ by --clock-tolerance seconds (default 2).\n"
    "--trace FILE writes every block sent and received, one line each: local date and time with\n"
    "microseconds, the board (its target, or its name in a fleet), '>' sent or '<' received, the\n"
    "byte count, the bytes as quoted text (\\r \\n \\t \\\\ \\\" \\xHH) and as hex.\n"
    "\n"
    "Fleet files. CSV: a header line naming the columns, then one board per line; '#' lines and\n"
    "blank lines are skipped; a field in double quotes may hold commas. JSON: an array of objects,\n"
    "or {\"boards\": [...]}. Columns / keys: name and target (required), and for write any of date\n"
    "(DD.MM.YYYY), time (HH:MM:SS), mode, interval, hours and brightness (four numbers: \"6,10,16,21\"\n"
    "in CSV, [6,10,16,21] in JSON); what is not given is taken from the board. Targets:\n"
    "tcp:HOST:PORT, serial:DEVICE[@BAUD], usb:DEV<n>, gsm:DEV<n>:NUMBER, radio:DEV<n>:CHANNEL.\n"
    "  name,target,mode,brightness\n"
    "  north-gate,tcp:10.0.0.21:4001,3,\"100,80,60,20\"\n"
    "  depot,serial:COM3@9600,,\n"
    "\n"
    "Output: one \"name: value\" line per field (date YYYY-MM-DD, time HH:MM:SS, hours and\n"
    "brightness as four comma-separated numbers), a \"warning:\" line when the clock differs, and\n"
    "the board sequence's message on the last line, then the \"verify:\" lines. With --json, one\n"
    "JSON object: outcome, message, the fields (hours and brightness as arrays), warning when the\n"
    "clock differs, drift_s for sync-clock, verified and differences with --verify. Outcomes of\n"
    "read: Read, NoAnswer, NoFirmware, OtherFirmware, NoTime, ClockFault, NoDate, NoMode,\n"
    "NoInterval, NoHours, NoBrightness; of write: Written, NoAnswer, NoFirmware, OtherFirmware,\n"
    "MissingValues, <Step>Rejected, <Step>NotConfirmed (Date, Time, Brightness, Hours, Mode,\n"
    "Interval); of sync-clock: ClockSet and the write's failures; NotOpened when the connection\n"
    "failed. A fleet prints a table (board, target, result, details) or, with --json, one JSON\n"
    "object per line with \"board\" and \"target\" added, in the file's order.\n"
    "\n"
    "Exit status: 0 success; 1 the board failed, refused or did not answer, or --verify found a\n"
    "difference; 2 usage error or a bad fleet file; 3 the connection could not be opened. A fleet:\n"
    "0 when every board succeeded, 1 otherwise.";

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

// What every run is told by the command line, besides the board and the values.
struct RunOptions {
    bool Json = false;
    unsigned SettleMs = 6000;
    int Repeats = 3;
    bool Verify = false;
    int ClockToleranceS = 2;
};

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
    CLI::App app{kDescription, "zorvelctl"};
    app.require_subcommand(1, 1);
    app.fallthrough();  // the common options may also follow the command

    std::string tcp, serial, usb, gsm, traceFile;
    int baud = 0, radio = 0;
    unsigned jobs = 128;
    RunOptions options;
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
    app.add_flag("--json", options.Json, "print one JSON object (a fleet: one per board)");
    app.add_option("--settle-ms", options.SettleMs, "pause after the mode and after the interval")->capture_default_str();
    app.add_option("--repeats", options.Repeats, "extra attempts per command (radio interface only)")
        ->check(CLI::Range(0, 127))
        ->capture_default_str();
    app.add_flag("--verify", options.Verify, "read the board back after write or sync-clock and compare");
    app.add_option("--clock-tolerance", options.ClockToleranceS, "seconds the clock may differ on --verify")
        ->check(CLI::Range(0, 3600))
        ->capture_default_str();
    app.add_option("--trace", traceFile, "write every byte sent and received to this file");

    auto* readCommand = app.add_subcommand("read", "read every setting of the board");
    auto* writeCommand = app.add_subcommand("write", "set the board's clock and write its settings");
    auto* clockCommand = app.add_subcommand("sync-clock", "set only the board's date and time to this computer's");
    auto* fleetCommand = app.add_subcommand("fleet", "read, write or set the clock of every board a file lists");
    std::string date, time, hours, brightness;
    int mode = 0, interval = 0;
    auto* dateOption = writeCommand->add_option("--date", date, "DD.MM.YYYY");
    auto* timeOption = writeCommand->add_option("--time", time, "HH:MM:SS");
    auto* modeOption = writeCommand->add_option("--mode", mode, "1-4")->check(CLI::Range(1, 4));
    auto* intervalOption = writeCommand->add_option("--interval", interval, "1-255")->check(CLI::Range(1, 255));
    auto* hoursOption = writeCommand->add_option("--hours", hours, "start hours M,A,E,N, each 0-23");
    auto* brightnessOption = writeCommand->add_option("--brightness", brightness, "percent M,A,E,N, each 20-100");
    std::string fleetFile, fleetAction;
    fleetCommand->add_option("FILE", fleetFile, "the fleet file (CSV or JSON)")->required();
    fleetCommand->add_option("ACTION", fleetAction, "read, write or sync-clock")
        ->required()
        ->check(CLI::IsMember({"read", "write", "sync-clock"}));
    fleetCommand->add_option("--jobs", jobs, "boards worked on at once")
        ->check(CLI::Range(1, zorvelctl::TcpChannel::kMaxChannels))
        ->capture_default_str();

    zorvelctl::WriteValues values;
    try {
        app.parse(argc, argv);
        bool anyTransport = !tcp.empty() || !serial.empty() || !usb.empty() || !gsm.empty() || radio != 0;
        if (*fleetCommand && anyTransport)
            throw UsageError{"a fleet takes its boards from FILE: no --tcp, --serial, --usb, --gsm or --radio"};
        if (!*fleetCommand && !anyTransport)
            throw UsageError{"give --tcp HOST:PORT, --serial DEVICE, --usb DEV<n>, --gsm NUMBER or --radio CHANNEL"};
        if (*dateOption) values.Date = zorvelctl::ParseDate(date);
        if (*timeOption) values.Time = zorvelctl::ParseTime(time);
        if (*modeOption) values.Mode = mode;
        if (*intervalOption) values.Interval = interval;
        if (*hoursOption) values.Hours = zorvelctl::ParseFour(hours, 0, 23, "--hours");
        if (*brightnessOption) values.Brightness = zorvelctl::ParseFour(brightness, 20, 100, "--brightness");
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

    if (*fleetCommand) {
        zorvelctl::Command action = fleetAction == "read"    ? zorvelctl::Command::Read
                                    : fleetAction == "write" ? zorvelctl::Command::Write
                                                             : zorvelctl::Command::SyncClock;
        return RunFleet(fleetFile, action, jobs, options, trace ? &*trace : nullptr);
    }

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

    zorvelctl::Command command = *readCommand    ? zorvelctl::Command::Read
                                 : *clockCommand ? zorvelctl::Command::SyncClock
                                                 : zorvelctl::Command::Write;
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
