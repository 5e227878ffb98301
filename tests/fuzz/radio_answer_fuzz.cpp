// Feeds arbitrary bytes to the radio module's answer reader. ASan catches
// reads outside the input; a confirmation must carry a frequency of 24 bits.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "transports/rfm/radio_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    rfm::ModuleAnswer answer = rfm::ReadAnswer(std::string_view(reinterpret_cast<const char*>(data), size));
    if (answer.Outcome == rfm::ModuleAnswer::Confirmed && (answer.Value.FreqKHz < 0 || answer.Value.FreqKHz > 0xFFFFFF))
        std::abort();
    return 0;
}
