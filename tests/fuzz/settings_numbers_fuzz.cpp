// The settings dialog's conversions on arbitrary texts: the input is split at
// its line breaks into the baud rate, data bits and TCP port texts (a missing
// one is a list without a selection), and its first four bytes are also a
// radio frequency. Each result is checked against the rule spelled out
// digit by digit, so a wrapped or truncated number cannot pass.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "zorvel/settvalues.h"

namespace {

// An optional sign and at least one digit, within the signed 32-bit range.
std::optional<std::int64_t> Model(const std::string& text) {
    std::size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    const bool negative = i == 1 && text[0] == '-';
    if (i == text.size()) return std::nullopt;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return std::nullopt;
    while (i + 1 < text.size() && text[i] == '0') ++i;
    if (text.size() - i > 10) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) value = value * 10 + (text[i] - '0');
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return value;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    for (std::size_t start = 0;;) {
        const std::size_t end = input.find('\n', start);
        lines.push_back(input.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }

    for (const std::string& line : lines) {
        const std::optional<std::int32_t> parsed = sett::ParseInteger(line);
        const std::optional<std::int64_t> expected = Model(line);
        Check(parsed.has_value() == expected.has_value());
        Check(!parsed || *parsed == *expected);
    }

    sett::OkTexts texts;
    if (lines.size() > 1) texts.BaudRate = lines[0];
    if (lines.size() > 2) texts.DataBits = lines[1];
    texts.TcpPort = lines.back();
    std::string error;
    const std::optional<sett::OkNumbers> numbers = sett::ConvertOk(texts, error);

    // The first text that is not a number in its range fails OK, in order.
    const auto baud = texts.BaudRate ? Model(*texts.BaudRate) : std::nullopt;
    const auto bits = texts.DataBits ? Model(*texts.DataBits) : std::nullopt;
    const auto port = Model(texts.TcpPort);
    const bool baudOk = !texts.BaudRate || (baud && *baud > 0);
    const bool bitsOk = !texts.DataBits || (bits && *bits >= 5 && *bits <= 8);
    const bool portOk = port && *port >= 0 && *port <= 65535;
    Check(numbers.has_value() == (baudOk && bitsOk && portOk));
    if (numbers) {
        Check(error.empty());
        Check(numbers->BaudRate.has_value() == texts.BaudRate.has_value());
        Check(!numbers->BaudRate || *numbers->BaudRate == static_cast<std::uint64_t>(*baud));
        Check(numbers->DataBits.has_value() == texts.DataBits.has_value());
        Check(!numbers->DataBits || *numbers->DataBits == *bits);
        Check(numbers->TcpPort == *port);
    } else {
        const std::string& culprit = !baudOk ? *texts.BaudRate : !bitsOk ? *texts.DataBits : texts.TcpPort;
        Check(error.rfind("'" + culprit + "' is not a valid ", 0) == 0);
    }

    // A frequency maps to the channel whose 200 kHz step holds it, counted
    // toward zero (so the step just below the first channel is the first
    // channel too), or to none.
    std::int32_t freq = 0;
    if (size != 0) std::memcpy(&freq, data, size < sizeof freq ? size : sizeof freq);
    const int index = sett::ChannelIndex(freq);
    const std::int64_t f = freq, step = sett::kChannelStep;
    const std::int64_t first = sett::kChannelBase, end = sett::ChannelFreq(config::kChannelCount - 1) + step;
    Check(index >= -1 && index < config::kChannelCount);
    if (index > 0) Check(sett::ChannelFreq(index) <= f && f < sett::ChannelFreq(index) + step);
    if (index == 0) Check(first - step < f && f < first + step);
    if (index < 0) Check(f <= first - step || f >= end);
    return 0;
}
