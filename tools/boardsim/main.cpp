// boardsim: a board controller on a TCP port and/or a pseudo-terminal, for
// demos, manual tests and the end-to-end tests of the program and zorvelctl.
#include <signal.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "devices.h"
#include "server.h"
#include "simulated_board.h"

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

int main(int argc, char** argv) {
    CLI::App app{
        "boardsim: simulates the LED board's controller. It answers \"read status\\r\" with the seven\n"
        "labelled lines (CR LF each) and a temperature line, checks every write command as the\n"
        "controller does and answers \"Ok\\r\" or \"error\\r\". Serve on a TCP port, a pseudo-terminal\n"
        "or both; on start it prints \"tcp PORT\" and \"pty LINK DEVICE\" lines. Stop it with SIGTERM.",
        "boardsim"};

    int tcpPort = -1;
    std::string bindAddress = "127.0.0.1", ptyLink, logFile, stateFile;
    boardsim::BoardState state;
    boardsim::Faults faults;
    boardsim::Timing timing;
    std::string hours, brightness, clockFault = "none", garbage;
    std::vector<std::string> rejected, omitted, ignored;

    app.add_option("--tcp", tcpPort, "serve on this TCP port (0: a free one, printed)")->check(CLI::Range(0, 65535));
    app.add_option("--bind", bindAddress, "IPv4 address to listen on")->capture_default_str();
    app.add_option("--pty", ptyLink, "create a pseudo-terminal and make this path a link to the side to open");
    app.add_option("--log", logFile, "append every command received, with its answer, to this file");
    app.add_option("--state", stateFile, "keep the board's state in this JSON file (rewritten after each write)");

    auto* stateGroup = app.add_option_group("state", "The board's initial state");
    stateGroup->add_option("--firmware", state.Firmware, "firmware text after \"Soft:\"")->capture_default_str();
    stateGroup->add_option("--clock-offset", state.ClockOffsetSeconds, "seconds the board's clock is ahead")
        ->capture_default_str();
    stateGroup->add_option("--mode", state.Mode, "display mode")->check(CLI::Range(1, 4))->capture_default_str();
    stateGroup->add_option("--interval", state.Interval, "interval in seconds")->check(CLI::Range(1, 255))
        ->capture_default_str();
    stateGroup->add_option("--hours", hours, "start hours M,A,E,N (default 6,10,16,21)");
    stateGroup->add_option("--brightness", brightness, "brightness M,A,E,N (default 100,80,60,20)");

    auto* faultGroup = app.add_option_group("faults", "Faults to simulate");
    faultGroup->add_option("--clock-fault", clockFault, "report the clock chip's fault markers")
        ->check(CLI::IsMember({"none", "time", "date", "both"}))
        ->capture_default_str();
    faultGroup->add_flag("--silent", faults.Silent, "never answer");
    faultGroup->add_option("--delay-ms", timing.DelayMs, "wait before every answer");
    faultGroup->add_option("--reject", rejected, "answer \"error\\r\" to this command (repeatable)")
        ->check(CLI::IsMember({"date", "time", "brightness", "timeEx", "mode", "interval", "status"}));
    faultGroup->add_option("--ignore", ignored, "answer \"Ok\\r\" to this write but keep the old value (repeatable)")
        ->check(CLI::IsMember({"date", "time", "brightness", "timeEx", "mode", "interval"}));
    faultGroup->add_option("--chunk-bytes", timing.ChunkBytes, "cut answers into pieces of this many bytes");
    faultGroup->add_option("--chunk-pause-ms", timing.ChunkPauseMs, "pause between two pieces");
    faultGroup->add_option("--garbage", garbage, "bytes sent before every answer (\\r \\n \\t \\\\ \\xHH decoded)");
    faultGroup->add_option("--omit", omitted, "leave this line out of the status reply (repeatable)")
        ->check(CLI::IsMember({"soft", "time", "date", "mode", "interval", "hours", "brightness"}));

    boardsim::DeviceOptions devices;
    boardsim::AddDeviceOptions(app, devices);

    CLI11_PARSE(app, argc, argv);

    if (tcpPort < 0 && ptyLink.empty()) {
        std::fprintf(stderr, "boardsim: give --tcp PORT, --pty LINK or both\n%s", app.help().c_str());
        return 2;
    }
    for (auto [text, out] : {std::pair{&hours, state.Hours}, std::pair{&brightness, state.Brightness}}) {
        if (text->empty()) continue;
        std::string error = ParseFour(*text, out);
        if (!error.empty()) {
            std::fprintf(stderr, "boardsim: %s\n", error.c_str());
            return 2;
        }
    }
    faults.Clock = clockFault == "time"   ? boardsim::ClockFault::Time
                   : clockFault == "date" ? boardsim::ClockFault::Date
                   : clockFault == "both" ? boardsim::ClockFault::Both
                                          : boardsim::ClockFault::None;
    faults.Rejected.insert(rejected.begin(), rejected.end());
    faults.Ignored.insert(ignored.begin(), ignored.end());
    faults.Omitted.insert(omitted.begin(), omitted.end());
    faults.Garbage = boardsim::Unescape(garbage);

    // Taken by the server's signalfd, never by a handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(nullptr, &std::fclose);
    if (!logFile.empty()) {
        log.reset(std::fopen(logFile.c_str(), "a"));
        if (!log) {
            std::perror(("boardsim: " + logFile).c_str());
            return 1;
        }
    }

    boardsim::SimulatedBoard board(state, faults, [] { return std::time(nullptr); });
    boardsim::Server server(board, timing, log.get(), stateFile);
    server.SetDeviceFactory(boardsim::MakeDeviceFactory(devices));
    std::string error;
    if (tcpPort >= 0) {
        int port = server.ListenTcp(bindAddress, tcpPort, error);
        if (port < 0) {
            std::fprintf(stderr, "boardsim: %s\n", error.c_str());
            return 1;
        }
        std::printf("tcp %d\n", port);
    }
    if (!ptyLink.empty()) {
        std::string device = server.OpenPty(ptyLink, error);
        if (device.empty()) {
            std::fprintf(stderr, "boardsim: %s\n", error.c_str());
            return 1;
        }
        std::printf("pty %s %s\n", ptyLink.c_str(), device.c_str());
    }
    std::fflush(stdout);
    return server.Run();
}
