#include "command_line.h"

#include <algorithm>
#include <array>
#include <string>

#include <CLI/CLI.hpp>

namespace zorvelctl {

namespace {

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

}  // namespace

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

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

namespace {

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

}  // namespace

ParseOutcome ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& message, bool withHelp) {
    line = CommandLine();
    CLI::App app{kDescription, "zorvelctl"};
    app.require_subcommand(1, 1);
    app.fallthrough();  // the common options may also follow the command

    auto* tcpOption = app.add_option("--tcp", line.Tcp, "the board's network adapter, HOST:PORT");
    auto* serialOption = app.add_option("--serial", line.Serial, "serial port: COM<n> or a device path");
    auto* usbOption = app.add_option("--usb", line.Usb, "USB adapter: DEV<n> (with --gsm or --radio: theirs)");
    auto* gsmOption = app.add_option("--gsm", line.Gsm, "slave GSM modem's number, called through the USB adapter");
    auto* radioOption =
        app.add_option("--radio", line.Radio, "radio channel 1-35, through the USB adapter")->check(CLI::Range(1, 35));
    tcpOption->excludes(serialOption)->excludes(gsmOption)->excludes(radioOption);
    usbOption->excludes(tcpOption)->excludes(serialOption);
    serialOption->excludes(gsmOption)->excludes(radioOption);
    gsmOption->excludes(radioOption);
    app.add_option("--baud", line.Baud, "serial speed")->needs(serialOption)->check(CLI::Range(50, 4000000));
    app.add_flag("--json", line.Json, "print one JSON object");
    app.add_option("--settle-ms", line.SettleMs, "pause after the mode and after the interval")->capture_default_str();
    app.add_option("--repeats", line.Repeats, "extra attempts per command (radio interface only)")
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

    WriteValues& values = line.Values;
    try {
        app.parse(argc, argv);
        if (line.Tcp.empty() && line.Serial.empty() && line.Usb.empty() && line.Gsm.empty() && line.Radio == 0)
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
    line.Chosen = *readCommand ? Command::Read : Command::Write;
    return ParseOutcome::Run;
}

}  // namespace zorvelctl
