// zorvelctl's command line: the options, their checks and the write values,
// without touching any transport (so it can be fuzzed on its own).
#pragma once

#include <string>

#include "console_host.h"

namespace zorvelctl {

// What every run is told by the command line, besides the board and the values.
struct RunOptions {
    bool Json = false;
    unsigned SettleMs = 6000;
    int Repeats = 3;
    bool Verify = false;
    int ClockToleranceS = 2;
};

struct CommandLine {
    std::string Tcp, Serial, Usb, Gsm, TraceFile;
    int Baud = 0, Radio = 0;
    unsigned Jobs = 128;
    RunOptions Options;
    bool Fleet = false;
    std::string FleetFile;
    Command Chosen = Command::Read;  // for a fleet: its action
    WriteValues Values;
};

enum class ParseOutcome { Run, Help, Usage };

// Parses argv into `line`. Help and Usage leave the text to print in
// `message` (standard output for Help, standard error for Usage); the usage
// text follows an error only `withHelp`.
ParseOutcome ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& message,
                              bool withHelp = true);

}  // namespace zorvelctl
