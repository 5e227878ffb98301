// boardsim: a board controller on a TCP port and/or a pseudo-terminal, for
// demos, manual tests and the end-to-end tests of the program and zorvelctl.
#include <signal.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "server.h"
#include "simulated_board.h"

int main(int argc, char** argv) {
    boardsim::Options options;
    std::string message;
    switch (boardsim::ParseCommandLine(argc, argv, options, message)) {
    case boardsim::ParseOutcome::Help:
        std::fputs(message.c_str(), stdout);
        return 0;
    case boardsim::ParseOutcome::Usage:
        std::fputs(message.c_str(), stderr);
        return 2;
    case boardsim::ParseOutcome::Run:
        break;
    }
    const int tcpPort = options.TcpPort;
    const std::string &bindAddress = options.BindAddress, &ptyLink = options.PtyLink, &logFile = options.LogFile,
                      &stateFile = options.StateFile;
    const boardsim::Timing& timing = options.AnswerTiming;

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

    boardsim::SimulatedBoard board(options.State, options.BoardFaults, [] { return std::time(nullptr); });
    boardsim::Server server(board, timing, log.get(), stateFile);
    server.SetDeviceFactory(boardsim::MakeDeviceFactory(options.Devices));
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
