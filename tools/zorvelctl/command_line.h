// zorvelctl's command line: the options, their checks and the write values,
// without touching any transport (so it can be fuzzed on its own).
#pragma once

#include <string>

#include "console_host.h"

namespace zorvelctl {

struct CommandLine {
    std::string Tcp, Serial, Usb, Gsm;
    int Baud = 0, Repeats = 3, Radio = 0;
    unsigned SettleMs = 6000;
    bool Json = false;
    Command Chosen = Command::Read;
    WriteValues Values;
};

// A command line that cannot be run, with the operator's text.
struct UsageError {
    std::string Text;
};

// text as a whole decimal number in [low, high]; else UsageError naming `what`.
int Number(const std::string& text, int low, int high, const std::string& what);

enum class ParseOutcome { Run, Help, Usage };

// Parses argv into `line`. Help and Usage leave the text to print in
// `message` (standard output for Help, standard error for Usage); the usage
// text follows an error only `withHelp`.
ParseOutcome ParseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& message,
                              bool withHelp = true);

}  // namespace zorvelctl
