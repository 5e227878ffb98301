#include "command_line.h"

#include <string>

#include <CLI/CLI.hpp>

#include "tcp_channel.h"
#include "values.h"

namespace zorvelctl {

namespace {

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

}  // namespace

ParseOutcome ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& message,
                              bool withHelp) {
    CLI::App app{kDescription, "zorvelctl"};
    app.require_subcommand(1, 1);
    app.fallthrough();  // the common options may also follow the command

    line = CommandLine();
    std::string &tcp = line.Tcp, &serial = line.Serial, &usb = line.Usb, &gsm = line.Gsm, &traceFile = line.TraceFile;
    int &baud = line.Baud, &radio = line.Radio;
    unsigned& jobs = line.Jobs;
    RunOptions& options = line.Options;
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
    std::string& fleetFile = line.FleetFile;
    std::string fleetAction;
    fleetCommand->add_option("FILE", fleetFile, "the fleet file (CSV or JSON)")->required();
    fleetCommand->add_option("ACTION", fleetAction, "read, write or sync-clock")
        ->required()
        ->check(CLI::IsMember({"read", "write", "sync-clock"}));
    fleetCommand->add_option("--jobs", jobs, "boards worked on at once")
        ->check(CLI::Range(1, TcpChannel::kMaxChannels))
        ->capture_default_str();

    WriteValues& values = line.Values;
    try {
        app.parse(argc, argv);
        bool anyTransport = !tcp.empty() || !serial.empty() || !usb.empty() || !gsm.empty() || radio != 0;
        if (*fleetCommand && fleetFile.empty()) throw UsageError{"FILE: the fleet file's name is empty"};
        if (*fleetCommand && anyTransport)
            throw UsageError{"a fleet takes its boards from FILE: no --tcp, --serial, --usb, --gsm or --radio"};
        if (!*fleetCommand && !anyTransport)
            throw UsageError{"give --tcp HOST:PORT, --serial DEVICE, --usb DEV<n>, --gsm NUMBER or --radio CHANNEL"};
        if (*dateOption) values.Date = ParseDate(date);
        if (*timeOption) values.Time = ParseTime(time);
        if (*modeOption) values.Mode = mode;
        if (*intervalOption) values.Interval = interval;
        if (*hoursOption) values.Hours = ParseFour(hours, 0, 23, "--hours");
        if (*brightnessOption) values.Brightness = ParseFour(brightness, 20, 100, "--brightness");
    } catch (const CLI::Success&) {
        message = app.help();
        return ParseOutcome::Help;
    } catch (const CLI::ParseError& e) {
        message = std::string("zorvelctl: ") + e.what() + "\n\n" + (withHelp ? app.help() : std::string());
        return ParseOutcome::Usage;
    } catch (const UsageError& e) {
        message = "zorvelctl: " + e.Text + "\n\n" + (withHelp ? app.help() : std::string());
        return ParseOutcome::Usage;
    }
    line.Fleet = static_cast<bool>(*fleetCommand);
    if (line.Fleet)
        line.Chosen = fleetAction == "read" ? Command::Read : fleetAction == "write" ? Command::Write : Command::SyncClock;
    else
        line.Chosen = *readCommand ? Command::Read : *clockCommand ? Command::SyncClock : Command::Write;
    return ParseOutcome::Run;
}

}  // namespace zorvelctl
