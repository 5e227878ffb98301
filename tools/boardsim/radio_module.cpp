#include "radio_module.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace boardsim {

namespace {

constexpr unsigned char kHeader0 = 0xA5, kHeader1 = 0x5A;
constexpr std::uint8_t kWrite = 0x01, kRead = 0x02, kError = 0xFF;
constexpr std::uint8_t kBadChecksum = 1, kUnknownCommand = 2, kOutOfRange = 3;
constexpr std::uint8_t kCbusBitBang = 0x20;
constexpr std::uint8_t kSetPinOutput = 0x10, kSetPinHigh = 0x01;  // CBUS0 drives the module's SET input
constexpr std::size_t kSettingsLength = 8;

std::uint8_t Byte(const std::string& text, std::size_t i) { return static_cast<std::uint8_t>(text[i]); }

std::uint8_t Checksum(std::uint8_t command, const std::string& payload) {
    unsigned sum = command + static_cast<unsigned>(payload.size());
    for (char c : payload) sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char hex[4];
    for (char c : bytes) {
        std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned char>(c));
        out += hex;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

}  // namespace

std::string RadioSettingsPayload(const RadioSettings& s) {
    std::string payload;
    payload += static_cast<char>((s.FreqKHz >> 16) & 0xFF);
    payload += static_cast<char>((s.FreqKHz >> 8) & 0xFF);
    payload += static_cast<char>(s.FreqKHz & 0xFF);
    for (std::uint8_t value : {s.AirRate, s.Power, s.UartRate, s.Parity, s.WakeTime}) payload += static_cast<char>(value);
    return payload;
}

RadioModule::RadioModule(DevicePort& port, RadioConfig config) : port_(port), config_(std::move(config)) {}

bool RadioModule::ConfigurationMode() const {
    if (config_.PinsFile.empty()) return false;
    std::ifstream in(config_.PinsFile, std::ios::binary);
    std::string pins((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (pins.size() < 2) return false;
    std::uint8_t mask = Byte(pins, 0), mode = Byte(pins, 1);
    return mode == kCbusBitBang && (mask & kSetPinOutput) && !(mask & kSetPinHigh);
}

void RadioModule::Receive(const std::string& bytes, Instant) {
    if (ConfigurationMode()) {
        line_.clear();
        ConfigurationBytes(bytes);
    } else {
        frame_.clear();
        Transparent(bytes);
    }
}

void RadioModule::ConfigurationBytes(const std::string& bytes) {
    frame_ += bytes;
    for (;;) {
        // Resynchronise on the header; anything before it is noise.
        std::size_t start = 0;
        while (start + 1 < frame_.size() && !(Byte(frame_, start) == kHeader0 && Byte(frame_, start + 1) == kHeader1))
            ++start;
        if (start > 0) {
            port_.Log("(config noise) " + Hex(frame_.substr(0, start)), "");
            frame_.erase(0, start);
        }
        if (frame_.size() < 4) return;
        std::size_t length = Byte(frame_, 3);
        if (frame_.size() < 5 + length) return;
        std::uint8_t command = Byte(frame_, 2);
        std::string payload = frame_.substr(4, length);
        std::uint8_t checksum = Byte(frame_, 4 + length);
        std::string whole = frame_.substr(0, 5 + length);
        frame_.erase(0, 5 + length);
        std::string answer = checksum == Checksum(command, payload)
                                 ? Frame(command, payload)
                                 : Answer(kError, std::string(1, static_cast<char>(kBadChecksum)));
        port_.Log("(config) " + Hex(whole), Hex(answer));
        port_.Send(answer);
    }
}

std::string RadioModule::Frame(std::uint8_t command, const std::string& payload) {
    if (command == kRead && payload.empty()) return Answer(0x80 | kRead, RadioSettingsPayload(settings_));
    if (command != kWrite || payload.size() != kSettingsLength)
        return Answer(kError, std::string(1, static_cast<char>(kUnknownCommand)));
    RadioSettings s;
    s.FreqKHz = (Byte(payload, 0) << 16) | (Byte(payload, 1) << 8) | Byte(payload, 2);
    s.AirRate = Byte(payload, 3);
    s.Power = Byte(payload, 4);
    s.UartRate = Byte(payload, 5);
    s.Parity = Byte(payload, 6);
    s.WakeTime = Byte(payload, 7);
    bool inRange = s.FreqKHz >= 430000 && s.FreqKHz <= 440000 && s.AirRate <= 5 && s.Power <= 7 && s.UartRate <= 6 &&
                   s.Parity <= 2 && s.WakeTime <= 11;
    if (!inRange) return Answer(kError, std::string(1, static_cast<char>(kOutOfRange)));
    settings_ = s;
    return Answer(0x80 | kWrite, RadioSettingsPayload(settings_));
}

std::string RadioModule::Answer(std::uint8_t command, const std::string& payload) {
    std::string frame;
    frame += static_cast<char>(kHeader0);
    frame += static_cast<char>(kHeader1);
    frame += static_cast<char>(command);
    frame += static_cast<char>(payload.size());
    frame += payload;
    frame += static_cast<char>(Checksum(command, payload));
    return frame;
}

void RadioModule::Transparent(const std::string& bytes) {
    for (char c : bytes) {
        if (c != '\r') {
            if (line_.size() < 4096) line_ += c;
            continue;
        }
        std::string command;
        command.swap(line_);
        std::size_t start = command.find_first_not_of('\n');
        if (start == std::string::npos) continue;
        if (settings_.FreqKHz != config_.BoardFreqKHz) {
            port_.Log(command.substr(start), "(no board on " + std::to_string(settings_.FreqKHz) + " kHz)");
            continue;
        }
        std::string answer = port_.AskBoard(command.substr(start));
        if (answer.empty()) continue;
        if (Strikes(config_.DropPercent, answers_)) {
            port_.Log("(air)", "answer lost");
            continue;
        }
        if (Strikes(config_.GarblePercent, garbles_)) {
            // Every third character changed, line ends kept.
            for (std::size_t i = 1; i < answer.size(); i += 3)
                if (answer[i] != '\r' && answer[i] != '\n') answer[i] = static_cast<char>(answer[i] ^ 0x05);
            port_.Log("(air)", "answer garbled");
        }
        port_.SendAnswer(answer);
    }
}

bool RadioModule::Strikes(unsigned percent, unsigned& counter) {
    // Event n strikes when ceil((n + 1) p / 100) > ceil(n p / 100): the first
    // one strikes whenever p > 0.
    unsigned n = counter++;
    auto ceilShare = [percent](unsigned k) { return (k * percent + 99) / 100; };
    return ceilShare(n + 1) > ceilShare(n);
}

}  // namespace boardsim
