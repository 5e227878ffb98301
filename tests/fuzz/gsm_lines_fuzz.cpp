// Feeds arbitrary modem output to the AT dialogue, in blocks cut where the
// input says, and every line of it to the report parsers and the USSD
// decoder. ASan catches reads outside the input; the invariants catch a
// parser that reports values the program cannot hold.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "transports/common/clock.h"
#include "transports/gsm/at_lines.h"
#include "transports/gsm/dialogue.h"

namespace {

class Silent final : public gsm::ModemPort {
public:
    bool Write(const char*, int) override { return true; }
};

void CheckLine(std::string_view line) {
    if (std::optional<int> quality = gsm::ParseSignalQuality(line))
        if (*quality < 0 || (*quality > 31 && *quality != 99)) std::abort();
    if (std::optional<gsm::UssdAnswer> answer = gsm::ParseUssd(line)) {
        std::string text = gsm::DecodeUssdText(*answer);
        for (char c : text)
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n') std::abort();
    }
    (void)gsm::ParseRegistration(line);
    (void)gsm::ParseListedMessage(line);
    (void)gsm::ClassifyLine(line);
    (void)gsm::IsDialableNumber(line);
    (void)gsm::IsUssdRequest(line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    gsm::LineSplitter splitter;
    for (const std::string& line : splitter.Add(input)) {
        if (line.size() > gsm::LineSplitter::kMaxLine) std::abort();
        CheckLine(line);
    }

    Silent port;
    gsm::Dialogue dialogue(port, transports::ThreadClock());
    // The first byte cuts the rest into blocks, as the adapter's reads would.
    std::size_t block = size ? 1 + data[0] % 32 : 1;
    for (std::size_t at = size ? 1 : 0; at < size; at += block)
        dialogue.Feed(reinterpret_cast<const char*>(data) + at, static_cast<int>(std::min(block, size - at)));
    (void)dialogue.WaitUssd(0);
    return 0;
}
