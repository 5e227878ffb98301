// boardsim's command line from arbitrary arguments: nothing may escape the
// parser but its three outcomes, and an accepted one serves something with a
// state inside the documented ranges.
#include <cstdlib>

#include "args_fuzz.h"
#include "command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Arguments arguments("boardsim", data, size);
    boardsim::Options options;
    std::string message;
    boardsim::ParseOutcome outcome = boardsim::ParseCommandLine(arguments.Count(), arguments.Values(), options, message, false);
    if (outcome != boardsim::ParseOutcome::Run) {
        if (message.empty()) std::abort();
        return 0;
    }
    if (options.TcpPort < 0 && options.PtyLink.empty()) std::abort();
    if (options.TcpPort > 65535) std::abort();
    if (options.State.Mode < 1 || options.State.Mode > 4) std::abort();
    if (options.State.Interval < 1 || options.State.Interval > 255) std::abort();
    if (options.Devices.RadioChannel < 1 || options.Devices.RadioChannel > 35) std::abort();
    return 0;
}
