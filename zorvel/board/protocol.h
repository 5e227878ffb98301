// The board controller's command protocol: exact command texts and the
// parsing of its status reply and write acknowledgements. Pure C++17: no
// transport, window or timing lives here.
#pragma once

#include "compat/decimal.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace board {

// What the protocol carries. The clock travels beside it (see ClockDate /
// ClockTime). Fields are kept at the widths the board uses; numbers wider
// than a field keep their low 8 bits.
struct BoardSettings {
    std::int8_t Mode = 0;       // 1..4, see ModeItems
    std::uint8_t Interval = 0;  // seconds, 1..255
    std::int8_t HourM = 0, HourA = 0, HourE = 0, HourN = 0;
    std::int8_t BrightM = 0, BrightA = 0, BrightE = 0, BrightN = 0;
};

struct ClockDate {
    int Day = 0, Month = 0, Year = 0;  // Year is four digits (2000 + yy)
};

struct ClockTime {
    int Hours = 0, Minutes = 0, Seconds = 0;
};

// Texts of the main window's mode list, item i is Mode i + 1.
extern const char* const ModeItems[4];

std::string BuildReadStatus();
std::string BuildWriteDate(int day, int month, int year);
std::string BuildWriteTime(int hours, int minutes, int seconds);
std::string BuildWriteBrightness(int brightM, int brightA, int brightE, int brightN);
std::string BuildWriteTimeEx(int hourM, int hourA, int hourE, int hourN);
std::string BuildWriteMode(int mode);
std::string BuildWriteInterval(unsigned interval);

enum class StatusOutcome {
    Read,
    NoFirmware,
    OtherFirmware,
    NoTime,
    ClockFault,
    NoDate,
    NoMode,
    NoInterval,
    NoHours,
    NoBrightness,
};

// Which fields a parse produced, in the order they were produced.
enum class StatusField { Firmware, Time, Date, Mode, Interval, Hours, Brightness };

struct StatusReadResult {
    StatusOutcome Outcome = StatusOutcome::NoFirmware;
    std::string Firmware;
    ClockTime Time;
    ClockDate Date;
    BoardSettings Settings;  // Mode, Interval, Hour*, Bright* as far as read
    bool HasFirmware = false, HasTime = false, HasDate = false, HasMode = false,
         HasInterval = false, HasHours = false, HasBrightness = false;
};

// Called once per field, in label order, as soon as the field is read; the
// result passed in already holds that field.
using StatusFieldSink = std::function<void(StatusField, const StatusReadResult&)>;

// Parses everything received since "read status\r" was sent. The text ends at
// its first NUL or at text.size(), whichever comes first.
StatusReadResult ParseStatusReply(std::string_view text, const StatusFieldSink& onField = {});

// Only the firmware step of the parse (the write sequence uses nothing else):
// NoFirmware, OtherFirmware or Read.
StatusOutcome CheckFirmware(std::string_view text);

enum class Acknowledge { NothingYet, Acknowledged, Rejected };

// "error\r" anywhere wins over "Ok\r" anywhere.
Acknowledge CheckAcknowledge(std::string_view text);

// The operator's message and the box caption for an outcome, UTF-8.
struct OutcomeText {
    const char* Message;
    const char* Caption;
};
OutcomeText OutcomeMessage(StatusOutcome outcome);
const char* OutcomeName(StatusOutcome outcome);

// The plain decimal rule, shared with the transport libraries.
using compat::ParseDecimal;

}  // namespace board
