// Feeds arbitrary bytes to the status parser and the acknowledgement check.
// ASan catches reads outside the input; the invariant below catches a parse
// that reports success without having produced every field.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "zorvel/board/protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    int fields = 0;
    board::StatusReadResult r = board::ParseStatusReply(text, [&](board::StatusField, const board::StatusReadResult&) { ++fields; });
    bool all = r.HasFirmware && r.HasTime && r.HasDate && r.HasMode && r.HasInterval && r.HasHours && r.HasBrightness;
    if ((r.Outcome == board::StatusOutcome::Read) != all) std::abort();
    if (all && fields != 7) std::abort();
    if (r.HasTime && (r.Time.Hours > 23 || r.Time.Minutes > 59 || r.Time.Seconds > 59)) std::abort();
    if (r.HasDate && (r.Date.Month < 1 || r.Date.Month > 12 || r.Date.Day < 1 || r.Date.Day > 31)) std::abort();
    if (r.Firmware.size() > 254) std::abort();
    if (board::CheckFirmware(text) == board::StatusOutcome::Read && !r.HasFirmware) std::abort();
    (void)board::CheckAcknowledge(text);
    return 0;
}
