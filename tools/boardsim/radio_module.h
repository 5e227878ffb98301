// The 433 MHz radio module at the USB adapter, with its twin at the board, as
// the simulator plays them. The adapter's control pin decides the mode: the
// simulator reads the pin state from the file the D2XX test double rewrites
// on every FT_SetBitMode (two bytes: mask, mode). With CBUS bit-bang mode
// (0x20) and CBUS0 driven low (mask bit 4 set, bit 0 clear) the module takes
// configuration frames; otherwise it is transparent and what it receives
// goes over the air to the board, whose answer comes back - when both
// modules use the same frequency, and unless a fault eats or garbles it.
//
// Configuration frames (both ways): 0xA5 0x5A, command, payload length,
// payload, checksum (the low byte of the sum of command, length and
// payload).
//   0x01 write settings, 8 bytes: frequency in kHz (3 bytes, most
//        significant first), air data rate index (0..5), output power
//        (0..7), UART rate index (0..6), parity (0 none, 1 even, 2 odd),
//        wake time index (0..11). Answered 0x81 with the settings now in
//        force.
//   0x02 read settings, no payload. Answered 0x82 with the settings.
//   Answered 0xFF with one byte: 1 bad checksum, 2 unknown command,
//   3 value out of range.
#pragma once

#include <cstdint>
#include <string>

#include "device.h"

namespace boardsim {

struct RadioSettings {
    std::int32_t FreqKHz = 430000 + 26 * 200;
    std::uint8_t AirRate = 3;
    std::uint8_t Power = 7;
    std::uint8_t UartRate = 3;
    std::uint8_t Parity = 0;
    std::uint8_t WakeTime = 5;
};

struct RadioConfig {
    std::string PinsFile;                     // the adapter's bit mode; missing: transparent
    std::int32_t BoardFreqKHz = 430000 + 26 * 200;  // the frequency of the board's module
    unsigned DropPercent = 0;                 // share of the board's answers lost on the air
    unsigned GarblePercent = 0;               // share of them garbled
};

class RadioModule final : public Device {
public:
    RadioModule(DevicePort& port, RadioConfig config);

    void Receive(const std::string& bytes, Instant now) override;
    Instant NextDue() const override { return Instant::max(); }
    void Tick(Instant) override {}

    const RadioSettings& Settings() const { return settings_; }

private:
    bool ConfigurationMode() const;
    void ConfigurationBytes(const std::string& bytes);
    // The module's answer to a whole frame with a good checksum.
    std::string Frame(std::uint8_t command, const std::string& payload);
    static std::string Answer(std::uint8_t command, const std::string& payload);
    void Transparent(const std::string& bytes);
    // A share of events in an even, repeatable pattern: with 50, every
    // second one; with 100, all.
    static bool Strikes(unsigned percent, unsigned& counter);

    DevicePort& port_;
    RadioConfig config_;
    RadioSettings settings_;
    std::string frame_;     // configuration bytes not yet making a frame
    std::string line_;      // board command being received
    unsigned answers_ = 0;  // board answers so far, for the drop pattern
    unsigned garbles_ = 0;
};

// The settings as a frame payload (8 bytes).
std::string RadioSettingsPayload(const RadioSettings& settings);

}  // namespace boardsim
