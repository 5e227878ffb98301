// boardsim's command line: what to serve, the board's initial state and the
// faults to simulate, parsed without starting anything (so it can be fuzzed).
#pragma once

#include <string>

#include "devices.h"
#include "simulated_board.h"
#include "server.h"

namespace boardsim {

struct Options {
    int TcpPort = -1;
    std::string BindAddress = "127.0.0.1", PtyLink, LogFile, StateFile;
    BoardState State;
    boardsim::Faults BoardFaults;
    boardsim::Timing AnswerTiming;
    DeviceOptions Devices;
};

enum class ParseOutcome { Run, Help, Usage };

// Parses argv into `options`. Help and Usage leave the text to print in
// `message` (standard output for Help, standard error for Usage); the usage
// text follows an error only `withHelp`.
ParseOutcome ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& message,
                              bool withHelp = true);

}  // namespace boardsim
