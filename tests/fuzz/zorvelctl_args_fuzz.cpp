// zorvelctl's command line from arbitrary arguments: nothing may escape the
// parser but its three outcomes, and a command line it accepts holds only
// values inside their documented ranges.
#include <cstdlib>

#include "args_fuzz.h"
#include "command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Arguments arguments("zorvelctl", data, size);
    zorvelctl::CommandLine line;
    std::string message;
    zorvelctl::ParseOutcome outcome = zorvelctl::ParseCommandLine(arguments.Count(), arguments.Values(), line, message, false);
    if (outcome != zorvelctl::ParseOutcome::Run) {
        if (message.empty()) std::abort();
        return 0;
    }
    const bool anyTransport =
        !line.Tcp.empty() || !line.Serial.empty() || !line.Usb.empty() || !line.Gsm.empty() || line.Radio != 0;
    if (anyTransport == line.Fleet) std::abort();  // a fleet takes its boards from its file only
    if (line.Fleet && line.FleetFile.empty()) std::abort();
    if (line.Radio != 0 && (line.Radio < 1 || line.Radio > 35)) std::abort();
    if (line.Options.Repeats < 0 || line.Options.Repeats > 127) std::abort();
    if (line.Options.ClockToleranceS < 0 || line.Options.ClockToleranceS > 3600) std::abort();
    if (line.Jobs < 1) std::abort();
    const zorvelctl::WriteValues& v = line.Values;
    if (v.Mode && (*v.Mode < 1 || *v.Mode > 4)) std::abort();
    if (v.Interval && (*v.Interval < 1 || *v.Interval > 255)) std::abort();
    if (v.Date && (v.Date->Day < 1 || v.Date->Day > 31 || v.Date->Month < 1 || v.Date->Month > 12 ||
                   v.Date->Year < 2000 || v.Date->Year > 2099))
        std::abort();
    if (v.Time && (v.Time->Hours > 23 || v.Time->Minutes > 59 || v.Time->Seconds > 59)) std::abort();
    if (v.Hours)
        for (int h : *v.Hours)
            if (h < 0 || h > 23) std::abort();
    if (v.Brightness)
        for (int b : *v.Brightness)
            if (b < 20 || b > 100) std::abort();
    return 0;
}
