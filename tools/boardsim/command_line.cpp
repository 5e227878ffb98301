#include "command_line.h"

#include <exception>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

namespace boardsim {

namespace {

// "a,b,c,d" into four numbers.
std::string ParseFour(const std::string& text, int out[4]) {
    std::vector<int> values;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        try {
            std::size_t used = 0;
            values.push_back(std::stoi(part, &used));
            if (used != part.size()) return "not a number: " + part;
        } catch (const std::exception&) {
            return "not a number: " + part;
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (values.size() != 4) return "four comma-separated numbers expected: " + text;
    for (int i = 0; i < 4; ++i) out[i] = values[i];
    return {};
}

}  // namespace

ParseOutcome ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& message, bool withHelp) {
    CLI::App app{
        "boardsim: simulates the LED board's controller. It answers \"read status\\r\" with the seven\n"
        "labelled lines (CR LF each) and a temperature line, checks every write command as the\n"
        "controller does and answers \"Ok\\r\" or \"error\\r\". Serve on a TCP port, a pseudo-terminal\n"
        "or both; on start it prints \"tcp PORT\" and \"pty LINK DEVICE\" lines. Stop it with SIGTERM.",
        "boardsim"};

    options = Options();
    int& tcpPort = options.TcpPort;
    std::string &bindAddress = options.BindAddress, &ptyLink = options.PtyLink, &logFile = options.LogFile,
                &stateFile = options.StateFile;
    BoardState& state = options.State;
    Faults& faults = options.BoardFaults;
    Timing& timing = options.AnswerTiming;
    std::string hours, brightness, clockFault = "none", garbage;
    std::vector<std::string> rejected, omitted, ignored;

    app.add_option("--tcp", tcpPort, "serve on this TCP port (0: a free one, printed)")->check(CLI::Range(0, 65535));
    app.add_option("--bind", bindAddress, "IPv4 address to listen on")->capture_default_str();
    app.add_option("--pty", ptyLink, "create a pseudo-terminal and make this path a link to the side to open");
    app.add_option("--log", logFile, "append every command received, with its answer, to this file");
    app.add_option("--state", stateFile, "keep the board's state in this JSON file (rewritten after each write)");

    // Options are sorted under headings, not into CLI11 option groups: those are
    // nameless subcommands, an empty argument enters one, and inside it the
    // options that follow are never consumed (the parse never ends).
    const std::string stateHeading = "The board's initial state";
    app.add_option("--firmware", state.Firmware, "firmware text after \"Soft:\"")
        ->capture_default_str()->group(stateHeading);
    app.add_option("--clock-offset", state.ClockOffsetSeconds, "seconds the board's clock is ahead")
        ->capture_default_str()->group(stateHeading);
    app.add_option("--mode", state.Mode, "display mode")->check(CLI::Range(1, 4))->capture_default_str()
        ->group(stateHeading);
    app.add_option("--interval", state.Interval, "interval in seconds")->check(CLI::Range(1, 255))
        ->capture_default_str()->group(stateHeading);
    app.add_option("--hours", hours, "start hours M,A,E,N (default 6,10,16,21)")->group(stateHeading);
    app.add_option("--brightness", brightness, "brightness M,A,E,N (default 100,80,60,20)")->group(stateHeading);

    const std::string faultHeading = "Faults to simulate";
    app.add_option("--clock-fault", clockFault, "report the clock chip's fault markers")
        ->check(CLI::IsMember({"none", "time", "date", "both"}))
        ->capture_default_str()->group(faultHeading);
    app.add_flag("--silent", faults.Silent, "never answer")->group(faultHeading);
    app.add_option("--delay-ms", timing.DelayMs, "wait before every answer")->group(faultHeading);
    app.add_option("--reject", rejected, "answer \"error\\r\" to this command (repeatable)")
        ->check(CLI::IsMember({"date", "time", "brightness", "timeEx", "mode", "interval", "status"}))
        ->group(faultHeading);
    app.add_option("--ignore", ignored, "answer \"Ok\\r\" to this write but keep the old value (repeatable)")
        ->check(CLI::IsMember({"date", "time", "brightness", "timeEx", "mode", "interval"}))->group(faultHeading);
    app.add_option("--chunk-bytes", timing.ChunkBytes, "cut answers into pieces of this many bytes")
        ->group(faultHeading);
    app.add_option("--chunk-pause-ms", timing.ChunkPauseMs, "pause between two pieces")->group(faultHeading);
    app.add_option("--garbage", garbage, "bytes sent before every answer (\\r \\n \\t \\\\ \\xHH decoded)")
        ->group(faultHeading);
    app.add_option("--omit", omitted, "leave this line out of the status reply (repeatable)")
        ->check(CLI::IsMember({"soft", "time", "date", "mode", "interval", "hours", "brightness"}))
        ->group(faultHeading);

    AddDeviceOptions(app, options.Devices);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) {
            message = app.help();
            return ParseOutcome::Help;
        }
        message = std::string("boardsim: ") + e.what() + "\n" + (withHelp ? app.help() : std::string());
        return ParseOutcome::Usage;
    }

    if (tcpPort < 0 && ptyLink.empty()) {
        message = "boardsim: give --tcp PORT, --pty LINK or both\n" + (withHelp ? app.help() : std::string());
        return ParseOutcome::Usage;
    }
    for (auto [text, out] : {std::pair{&hours, state.Hours}, std::pair{&brightness, state.Brightness}}) {
        if (text->empty()) continue;
        std::string error = ParseFour(*text, out);
        if (!error.empty()) {
            message = "boardsim: " + error + "\n";
            return ParseOutcome::Usage;
        }
    }
    faults.Clock = clockFault == "time"   ? ClockFault::Time
                   : clockFault == "date" ? ClockFault::Date
                   : clockFault == "both" ? ClockFault::Both
                                          : ClockFault::None;
    faults.Rejected.insert(rejected.begin(), rejected.end());
    faults.Ignored.insert(ignored.begin(), ignored.end());
    faults.Omitted.insert(omitted.begin(), omitted.end());
    faults.Garbage = Unescape(garbage);

    return ParseOutcome::Run;
}

}  // namespace boardsim
