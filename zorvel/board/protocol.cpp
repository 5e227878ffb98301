#include "protocol.h"

#include <cstdio>

namespace board {

const char* const ModeItems[4] = {
    "Время",
    "Время/Температура",
    "Время/Дата/Температура",
    "Температура",
};

namespace {

// Values longer than this are cut; nothing in the protocol comes close.
constexpr std::size_t kMaxValue = 254;

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char buffer[96];
    int n = std::snprintf(buffer, sizeof buffer, format, args...);
    if (n < 0) return {};
    return std::string(buffer, static_cast<std::size_t>(n) < sizeof buffer ? static_cast<std::size_t>(n)
                                                                            : sizeof buffer - 1);
}

struct Located {
    bool Found = false;
    std::string_view Value;
    std::size_t ValueStart = 0;  // offset of the value in the whole text
};

// A label counts only when a CR follows it; the value runs from behind the
// label up to that CR.
Located Locate(std::string_view text, std::string_view label, std::size_t from) {
    Located result;
    if (from > text.size()) return result;
    std::size_t at = text.find(label, from);
    if (at == std::string_view::npos) return result;
    std::size_t cr = text.find('\r', at);
    if (cr == std::string_view::npos) return result;
    result.Found = true;
    result.ValueStart = at + label.size();
    result.Value = text.substr(result.ValueStart, cr - result.ValueStart).substr(0, kMaxValue);
    return result;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A strict field of a clock value: optional blanks, then one or more digits,
// and nothing else.
bool ParseClockField(std::string_view text, int& out) {
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i == text.size()) return false;
    int value = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(text[i]) || value > 9999) return false;
        value = value * 10 + (text[i] - '0');
    }
    out = value;
    return true;
}

// Splits "a<sep>b<sep>c" into exactly three parts.
bool SplitThree(std::string_view text, char sep, std::string_view parts[3]) {
    std::size_t first = text.find(sep);
    if (first == std::string_view::npos) return false;
    std::size_t second = text.find(sep, first + 1);
    if (second == std::string_view::npos) return false;
    if (text.find(sep, second + 1) != std::string_view::npos) return false;
    parts[0] = text.substr(0, first);
    parts[1] = text.substr(first + 1, second - first - 1);
    parts[2] = text.substr(second + 1);
    return true;
}

bool ParseTime(std::string_view value, ClockTime& out) {
    std::string_view parts[3];
    if (!SplitThree(value, ':', parts)) return false;
    ClockTime t;
    if (!ParseClockField(parts[0], t.Hours) || !ParseClockField(parts[1], t.Minutes) ||
        !ParseClockField(parts[2], t.Seconds))
        return false;
    if (t.Hours > 23 || t.Minutes > 59 || t.Seconds > 59) return false;
    out = t;
    return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int month, int year) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// day.month.yy; the year is the value's last two characters plus 2000.
bool ParseDate(std::string_view value, ClockDate& out) {
    std::string_view parts[3];
    if (!SplitThree(value, '.', parts)) return false;
    if (value.size() < 2) return false;
    char y1 = value[value.size() - 2], y2 = value[value.size() - 1];
    if (!IsDigit(y1) || !IsDigit(y2)) return false;
    int ignoredYear = 0;
    if (!ParseClockField(parts[2], ignoredYear)) return false;
    ClockDate d;
    if (!ParseClockField(parts[0], d.Day) || !ParseClockField(parts[1], d.Month)) return false;
    d.Year = 2000 + (y1 - '0') * 10 + (y2 - '0');
    if (d.Month < 1 || d.Month > 12 || d.Day < 1 || d.Day > DaysInMonth(d.Month, d.Year)) return false;
    out = d;
    return true;
}

// Four numbers: the first three each end at the next point, the fourth at the
// end of the value. Reports where the fourth one starts.
void ParseFour(std::string_view value, std::size_t valueStart, std::int8_t* out[4], std::size_t& fourthStart) {
    std::size_t pos = 0;
    for (int i = 0; i < 3; ++i) {
        std::size_t point = value.find('.', pos);
        std::size_t end = point == std::string_view::npos ? value.size() : point;
        *out[i] = static_cast<std::int8_t>(ParseDecimal(value.substr(pos, end - pos)));
        pos = point == std::string_view::npos ? value.size() : point + 1;
    }
    *out[3] = static_cast<std::int8_t>(ParseDecimal(value.substr(pos)));
    fourthStart = valueStart + pos;
}

}  // namespace

std::string BuildReadStatus() { return "read status\r"; }

std::string BuildWriteDate(int day, int month, int year) {
    return Format("write date=%02i.%02i.%02i\r", day, month, year % 100);
}

std::string BuildWriteTime(int hours, int minutes, int seconds) {
    return Format("write time=%02i.%02i.%02i\r", hours, minutes, seconds);
}

std::string BuildWriteBrightness(int brightM, int brightA, int brightE, int brightN) {
    return Format("write brightness=%i.%i.%i.%i\r", brightM, brightA, brightE, brightN);
}

std::string BuildWriteTimeEx(int hourM, int hourA, int hourE, int hourN) {
    return Format("write timeEx=%2i.%2i.%2i.%2i\r", hourM, hourA, hourE, hourN);
}

std::string BuildWriteMode(int mode) { return Format("write mode=%d\r", mode); }

std::string BuildWriteInterval(unsigned interval) { return Format("write interval=%u\r", interval & 0xFFu); }

StatusOutcome CheckFirmware(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    Located soft = Locate(text, "Soft:", 0);
    if (!soft.Found) return StatusOutcome::NoFirmware;
    if (soft.Value.find("10.") == std::string_view::npos) return StatusOutcome::OtherFirmware;
    return StatusOutcome::Read;
}

StatusReadResult ParseStatusReply(std::string_view text, const StatusFieldSink& onField) {
    text = text.substr(0, text.find('\0'));
    StatusReadResult r;
    auto produced = [&](StatusField field) {
        if (onField) onField(field, r);
    };
    auto fail = [&](StatusOutcome outcome) {
        r.Outcome = outcome;
        return r;
    };

    Located soft = Locate(text, "Soft:", 0);
    if (!soft.Found) return fail(StatusOutcome::NoFirmware);
    r.Firmware = std::string(soft.Value);
    r.HasFirmware = true;
    produced(StatusField::Firmware);
    if (soft.Value.find("10.") == std::string_view::npos) return fail(StatusOutcome::OtherFirmware);

    Located time = Locate(text, "Time:", soft.ValueStart);
    if (!time.Found) return fail(StatusOutcome::NoTime);
    if (time.Value == "165:165:165") return fail(StatusOutcome::ClockFault);
    if (!ParseTime(time.Value, r.Time)) return fail(StatusOutcome::NoTime);
    r.HasTime = true;
    produced(StatusField::Time);

    Located date = Locate(text, "Date:", time.ValueStart);
    if (!date.Found) return fail(StatusOutcome::NoDate);
    if (date.Value == "165.165.165") return fail(StatusOutcome::ClockFault);
    if (!ParseDate(date.Value, r.Date)) return fail(StatusOutcome::NoDate);
    r.HasDate = true;
    produced(StatusField::Date);

    Located mode = Locate(text, "Mode:", date.ValueStart);
    if (!mode.Found) return fail(StatusOutcome::NoMode);
    r.Settings.Mode = static_cast<std::int8_t>(ParseDecimal(mode.Value));
    r.HasMode = true;
    produced(StatusField::Mode);

    Located interval = Locate(text, "Interval,sec:", mode.ValueStart);
    if (!interval.Found) return fail(StatusOutcome::NoInterval);
    r.Settings.Interval = static_cast<std::uint8_t>(ParseDecimal(interval.Value));
    r.HasInterval = true;
    produced(StatusField::Interval);

    Located hours = Locate(text, "Time Brightness:", interval.ValueStart);
    if (!hours.Found) return fail(StatusOutcome::NoHours);
    std::int8_t* hourFields[4] = {&r.Settings.HourM, &r.Settings.HourA, &r.Settings.HourE, &r.Settings.HourN};
    std::size_t fourthHour = 0;
    ParseFour(hours.Value, hours.ValueStart, hourFields, fourthHour);
    r.HasHours = true;
    produced(StatusField::Hours);

    Located bright = Locate(text, "Brightness(20...100):", fourthHour);
    if (!bright.Found) return fail(StatusOutcome::NoBrightness);
    std::int8_t* brightFields[4] = {&r.Settings.BrightM, &r.Settings.BrightA, &r.Settings.BrightE,
                                    &r.Settings.BrightN};
    std::size_t unused = 0;
    ParseFour(bright.Value, bright.ValueStart, brightFields, unused);
    r.HasBrightness = true;
    produced(StatusField::Brightness);

    r.Outcome = StatusOutcome::Read;
    return r;
}

Acknowledge CheckAcknowledge(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (text.find("error\r") != std::string_view::npos) return Acknowledge::Rejected;
    if (text.find("Ok\r") != std::string_view::npos) return Acknowledge::Acknowledged;
    return Acknowledge::NothingYet;
}

OutcomeText OutcomeMessage(StatusOutcome outcome) {
    switch (outcome) {
        case StatusOutcome::Read: return {"Настройки успешно прочитаны", "Информация"};
        case StatusOutcome::NoFirmware: return {"Не удается прочитать тип прошивки", "Ошибка"};
        case StatusOutcome::OtherFirmware: return {"Устройство использует другой тип прошивки", "Ошибка"};
        case StatusOutcome::NoTime: return {"Не удается прочитать значение времени", "Ошибка"};
        case StatusOutcome::ClockFault: return {"Микросхема часов на устройстве неисправна", "Ошибка"};
        case StatusOutcome::NoDate: return {"Не удается прочитать значение даты", "Ошибка"};
        case StatusOutcome::NoMode: return {"Не удается прочитать значение режима", "Ошибка"};
        case StatusOutcome::NoInterval: return {"Не удается прочитать значение интервала", "Ошибка"};
        case StatusOutcome::NoHours: return {"Не удается прочитать количество секций", "Ошибка"};
        case StatusOutcome::NoBrightness: return {"Не удается прочитать яркость", "Ошибка"};
    }
    return {"", "Ошибка"};
}

const char* OutcomeName(StatusOutcome outcome) {
    switch (outcome) {
        case StatusOutcome::Read: return "Read";
        case StatusOutcome::NoFirmware: return "NoFirmware";
        case StatusOutcome::OtherFirmware: return "OtherFirmware";
        case StatusOutcome::NoTime: return "NoTime";
        case StatusOutcome::ClockFault: return "ClockFault";
        case StatusOutcome::NoDate: return "NoDate";
        case StatusOutcome::NoMode: return "NoMode";
        case StatusOutcome::NoInterval: return "NoInterval";
        case StatusOutcome::NoHours: return "NoHours";
        case StatusOutcome::NoBrightness: return "NoBrightness";
    }
    return "?";
}

}  // namespace board
