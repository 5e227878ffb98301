#include "transports/rfm/radio_frames.h"

namespace rfm {

namespace {

constexpr unsigned char kHeader[2] = {0xA5, 0x5A};
constexpr std::uint8_t kWrite = 0x01;
constexpr std::uint8_t kWriteAnswer = 0x81, kReadAnswer = 0x82, kErrorAnswer = 0xFF;
constexpr std::size_t kSettingsLength = 8;
constexpr std::size_t kLongestAnswer = 5 + kSettingsLength;

std::uint8_t Byte(std::string_view text, std::size_t i) { return static_cast<std::uint8_t>(text[i]); }

std::uint8_t Checksum(std::string_view commandLengthPayload) {
    unsigned sum = 0;
    for (char c : commandLengthPayload) sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

}  // namespace

bool Settings::operator==(const Settings& o) const {
    return FreqKHz == o.FreqKHz && AirRate == o.AirRate && Power == o.Power && UartRate == o.UartRate &&
           Parity == o.Parity && WakeTime == o.WakeTime;
}

std::string SettingsProblem(const Settings& s) {
    const std::int32_t offset = s.FreqKHz - kFirstChannelKHz;
    if (offset < 0 || offset % kChannelStepKHz != 0 || offset / kChannelStepKHz >= kChannels)
        return "Недопустимая частота радиоканала: " + std::to_string(s.FreqKHz) + " кГц";
    if (s.AirRate > 5) return "Недопустимая скорость радиоканала";
    if (s.Power > 7) return "Недопустимая выходная мощность";
    if (s.UartRate > 6) return "Недопустимая скорость UART";
    if (s.Parity > 2) return "Недопустимая четность";
    if (s.WakeTime > 11) return "Недопустимое время включения";
    return {};
}

std::string WriteSettingsFrame(const Settings& s) {
    std::string body;
    body += static_cast<char>(kWrite);
    body += static_cast<char>(kSettingsLength);
    body += static_cast<char>((s.FreqKHz >> 16) & 0xFF);
    body += static_cast<char>((s.FreqKHz >> 8) & 0xFF);
    body += static_cast<char>(s.FreqKHz & 0xFF);
    for (std::uint8_t value : {s.AirRate, s.Power, s.UartRate, s.Parity, s.WakeTime}) body += static_cast<char>(value);
    std::string frame(reinterpret_cast<const char*>(kHeader), 2);
    frame += body;
    frame += static_cast<char>(Checksum(body));
    return frame;
}

ModuleAnswer ReadAnswer(std::string_view bytes) {
    ModuleAnswer answer;
    std::size_t start = 0;
    while (start + 1 < bytes.size() && !(Byte(bytes, start) == kHeader[0] && Byte(bytes, start + 1) == kHeader[1]))
        ++start;
    bytes.remove_prefix(start);
    if (bytes.size() < 4) return answer;
    const std::size_t length = Byte(bytes, 3);
    if (5 + length > kLongestAnswer) {
        answer.Outcome = ModuleAnswer::Garbled;
        return answer;
    }
    if (bytes.size() < 5 + length) return answer;
    const std::uint8_t command = Byte(bytes, 2);
    std::string_view payload = bytes.substr(4, length);
    if (Byte(bytes, 4 + length) != Checksum(bytes.substr(2, 2 + length))) {
        answer.Outcome = ModuleAnswer::Garbled;
    } else if ((command == kWriteAnswer || command == kReadAnswer) && length == kSettingsLength) {
        answer.Outcome = ModuleAnswer::Confirmed;
        answer.Value.FreqKHz = (Byte(payload, 0) << 16) | (Byte(payload, 1) << 8) | Byte(payload, 2);
        answer.Value.AirRate = Byte(payload, 3);
        answer.Value.Power = Byte(payload, 4);
        answer.Value.UartRate = Byte(payload, 5);
        answer.Value.Parity = Byte(payload, 6);
        answer.Value.WakeTime = Byte(payload, 7);
    } else if (command == kErrorAnswer && length == 1) {
        answer.Outcome = ModuleAnswer::Refused;
        answer.Error = Byte(payload, 0);
    } else {
        answer.Outcome = ModuleAnswer::Garbled;
    }
    return answer;
}

}  // namespace rfm
