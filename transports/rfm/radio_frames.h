// The radio module's configuration frames.
//
// The module is a 433 MHz UART transceiver: in transparent mode whatever it
// receives on its UART goes over the air and back. Driving its SET input low
// (CBUS0 of the USB adapter, see radio.h) puts it in configuration mode,
// where it talks at 9600 bit/s 8N1 in frames, both ways:
//
//   0xA5 0x5A <command> <length> <payload: length bytes> <checksum>
//
// checksum: the low byte of the sum of command, length and payload bytes.
//
//   0x01 write settings, payload 8 bytes:
//        frequency in kHz, 3 bytes, most significant first (430000..440000)
//        air data rate index 0..5 (1, 2, 5, 10, 20, 40 kbit/s)
//        output power 0..7
//        UART rate index 0..6 (1200, 2400, 4800, 9600, 19200, 38400, 57600
//        bit/s; the rate of transparent mode)
//        parity 0 none, 1 even, 2 odd
//        wake time index 0..11 (0.05, 0.1, 0.2, 0.4, 0.6, 1, 1.5, 2, 2.5, 3,
//        4, 5 s)
//   0x02 read settings, no payload.
//
// Answers: 0x81 (to 0x01) and 0x82 (to 0x02) carry the 8 bytes of settings
// now in force; 0xFF carries one error byte: 1 bad checksum, 2 unknown
// command, 3 value out of range. The module stores the settings and keeps
// them over power cycles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rfm {

struct Settings {
    std::int32_t FreqKHz = 0;
    std::uint8_t AirRate = 0;
    std::uint8_t Power = 0;
    std::uint8_t UartRate = 0;
    std::uint8_t Parity = 0;
    std::uint8_t WakeTime = 0;
    bool operator==(const Settings& other) const;
};

// The channels the program offers: 430000 + 200 x index kHz, index 0..34.
constexpr std::int32_t kFirstChannelKHz = 430000;
constexpr std::int32_t kChannelStepKHz = 200;
constexpr int kChannels = 35;

// What is wrong with the settings for the module, in words for the operator
// (UTF-8); empty when nothing is.
std::string SettingsProblem(const Settings& settings);

// The write-settings frame.
std::string WriteSettingsFrame(const Settings& settings);

struct ModuleAnswer {
    enum Kind {
        Incomplete,  // no whole frame yet
        Confirmed,   // 0x81 or 0x82: Value holds the settings in force
        Refused,     // 0xFF: Error holds the module's error byte
        Garbled,     // a frame with a wrong checksum or an unknown answer
    } Outcome = Incomplete;
    Settings Value;
    std::uint8_t Error = 0;
};

// The first whole answer frame in `bytes`, after any noise before its header.
ModuleAnswer ReadAnswer(std::string_view bytes);

}  // namespace rfm
