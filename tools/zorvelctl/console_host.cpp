#include "console_host.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include <nlohmann/json.hpp>

#include "compat/platform.h"
#include "zorvel/board/link.h"

namespace zorvelctl {

namespace {

// The status wait of the window is 2000 ms; the client stops as soon as the
// seven labelled values are in, but never waits longer.
constexpr unsigned kStatusWaitMs = 2000;

bool IntervalAllowed(int mode) { return mode != 1 && mode != 4; }

std::string FormatDate(const board::ClockDate& d) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.Year, d.Month, d.Day);
    return buffer;
}

std::string FormatTime(const board::ClockTime& t) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", t.Hours, t.Minutes, t.Seconds);
    return buffer;
}

// The inverse of board::ClockSeconds, as "YYYY-MM-DD HH:MM:SS".
std::string FormatClock(long long seconds) {
    long long days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    long long rest = seconds - days * 86400;
    long long z = days + 730425;  // days since 0000-03-01
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    board::ClockTime time{static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60)};
    return FormatDate({day, month, year}) + " " + FormatTime(time);
}

std::array<int, 4> Hours(const board::BoardSettings& s) { return {s.HourM, s.HourA, s.HourE, s.HourN}; }
std::array<int, 4> Brightness(const board::BoardSettings& s) { return {s.BrightM, s.BrightA, s.BrightE, s.BrightN}; }

std::string Join(const std::array<int, 4>& values) {
    return std::to_string(values[0]) + "," + std::to_string(values[1]) + "," + std::to_string(values[2]) + "," +
           std::to_string(values[3]);
}

// The fields of a report, in the order of the status reply, as JSON values.
nlohmann::ordered_json Fields(Command command, const board::ExchangeResult& result, const ConsoleHost& host) {
    nlohmann::ordered_json fields = nlohmann::ordered_json::object();
    if (command == Command::Read) {
        const board::StatusReadResult& s = result.Status;
        if (s.HasFirmware) fields["firmware"] = s.Firmware;
        if (s.HasDate) fields["date"] = FormatDate(s.Date);
        if (s.HasTime) fields["time"] = FormatTime(s.Time);
        if (s.HasMode) fields["mode"] = s.Settings.Mode;
        if (s.HasInterval) fields["interval"] = s.Settings.Interval;
        if (s.HasHours) fields["hours"] = Hours(s.Settings);
        if (s.HasBrightness) fields["brightness"] = Brightness(s.Settings);
        return fields;
    }
    // A write reports what it sent, once it got past the status request.
    if (!host.SentDate()) return fields;
    const board::BoardSettings& s = host.CurrentSettings();
    fields["date"] = FormatDate(*host.SentDate());
    if (host.SentTime()) fields["time"] = FormatTime(*host.SentTime());
    fields["mode"] = s.Mode;
    if (IntervalAllowed(s.Mode)) fields["interval"] = s.Interval;
    fields["hours"] = Hours(s);
    fields["brightness"] = Brightness(s);
    return fields;
}

std::string Warning(const ConsoleHost& host) {
    for (const CollectedBox& box : host.Boxes())
        if (box.Caption == board::text::kWarning) return box.Text;
    return {};
}

}  // namespace

ConsoleHost::ConsoleHost(std::int8_t repeats, unsigned settleMs, WriteValues values)
    : repeats_(repeats), settleMs_(settleMs), values_(std::move(values)) {
    if (values_.Date) date_ = values_.Date;
    if (values_.Time) time_ = values_.Time;
}

board::ClockDate ConsoleHost::PickerDate() {
    sentDate_ = date_ ? *date_ : Now().Date;
    return *sentDate_;
}

board::ClockTime ConsoleHost::PickerTime() {
    sentTime_ = time_ ? *time_ : Now().Time;
    sentTimeAt_ = std::chrono::steady_clock::now();
    return *sentTime_;
}

std::optional<long long> ConsoleHost::ExpectedBoardClock() const {
    if (!sentDate_ || !sentTime_) return std::nullopt;
    auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - sentTimeAt_);
    return board::ClockSeconds(*sentDate_, *sentTime_) + elapsed.count();
}

void ConsoleHost::SelectModeItem(int index) {
    // As the window's mode list: an index without an item selects nothing.
    settings_.Mode = static_cast<std::int8_t>(index >= 0 && index < 4 ? index + 1 : 0);
}

board::LocalDateTime ConsoleHost::Now() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {{local.tm_mday, local.tm_mon + 1, local.tm_year + 1900}, {local.tm_hour, local.tm_min, local.tm_sec}};
}

int ConsoleHost::ShowMessage(const char* text, const char* caption, unsigned type) {
    boxes_.push_back({text ? text : "", caption ? caption : "", type});
    return (type & 0xF) == compat::kBoxYesNo ? compat::kAnswerYes : compat::kAnswerOk;
}

void ConsoleHost::WaitStatusReply() { board::WaitReplyOnArrival(board::StatusReplyComplete, kStatusWaitMs); }

board::Acknowledge ConsoleHost::WaitWriteAcknowledge(unsigned limitMs) {
    return board::WaitAcknowledgeOnArrival(limitMs);
}

void ConsoleHost::SettlePause() { std::this_thread::sleep_for(std::chrono::milliseconds(settleMs_)); }

std::string ConsoleHost::CompleteWriteValues(const board::StatusReadResult& status) {
    const board::BoardSettings& read = status.Settings;
    std::string missing;
    auto lacking = [&](const char* option) { missing += missing.empty() ? option : std::string(", ") + option; };

    if (values_.Mode) settings_.Mode = static_cast<std::int8_t>(*values_.Mode);
    else if (status.HasMode) settings_.Mode = read.Mode;
    else lacking("--mode");

    if (values_.Interval) settings_.Interval = static_cast<std::uint8_t>(*values_.Interval);
    else if (status.HasInterval) settings_.Interval = read.Interval;
    else if (IntervalAllowed(settings_.Mode)) lacking("--interval");  // modes 1 and 4 never send it

    if (values_.Hours) {
        const auto& h = *values_.Hours;
        settings_.HourM = std::int8_t(h[0]), settings_.HourA = std::int8_t(h[1]);
        settings_.HourE = std::int8_t(h[2]), settings_.HourN = std::int8_t(h[3]);
    } else if (status.HasHours) {
        settings_.HourM = read.HourM, settings_.HourA = read.HourA, settings_.HourE = read.HourE,
        settings_.HourN = read.HourN;
    } else {
        lacking("--hours");
    }

    if (values_.Brightness) {
        const auto& b = *values_.Brightness;
        settings_.BrightM = std::int8_t(b[0]), settings_.BrightA = std::int8_t(b[1]);
        settings_.BrightE = std::int8_t(b[2]), settings_.BrightN = std::int8_t(b[3]);
    } else if (status.HasBrightness) {
        settings_.BrightM = read.BrightM, settings_.BrightA = read.BrightA, settings_.BrightE = read.BrightE,
        settings_.BrightN = read.BrightN;
    } else {
        lacking("--brightness");
    }

    if (missing.empty()) return {};
    return "the board's status reply does not give every value to write; nothing was written (give " + missing + ")";
}

Verification Verify(Command command, const ConsoleHost& writer, const board::ExchangeResult& readBack,
                    long long expectedClock, int toleranceSeconds) {
    Verification v;
    v.Done = true;
    const board::StatusReadResult& board = readBack.Status;
    if (readBack.End != board::ExchangeEnd::Succeeded) {
        v.Failure = readBack.Message.empty() ? readBack.Outcome : readBack.Message;
        return v;
    }
    auto compare = [&](const char* field, const std::string& written, const std::string& read) {
        if (written != read) v.Differences.push_back({field, written, read});
    };
    if (command == Command::Write) {
        const board::BoardSettings& s = writer.CurrentSettings();
        compare("mode", std::to_string(s.Mode), std::to_string(board.Settings.Mode));
        if (IntervalAllowed(s.Mode))
            compare("interval", std::to_string(s.Interval), std::to_string(board.Settings.Interval));
        compare("hours", Join(Hours(s)), Join(Hours(board.Settings)));
        compare("brightness", Join(Brightness(s)), Join(Brightness(board.Settings)));
    }
    long long boardClock = board::ClockSeconds(board.Date, board.Time);
    long long off = boardClock - expectedClock;
    if (off > toleranceSeconds || off < -toleranceSeconds) {
        v.Differences.push_back(
            {"clock", FormatClock(expectedClock), FormatDate(board.Date) + " " + FormatTime(board.Time)});
    }
    return v;
}

nlohmann::ordered_json ReportObject(Command command, const board::ExchangeResult& result, const ConsoleHost& host,
                                    const Verification* verification) {
    nlohmann::ordered_json report;
    report["outcome"] = result.Outcome;
    report["message"] = result.Message;
    if (command != Command::SyncClock) {
        nlohmann::ordered_json fields = Fields(command, result, host);
        for (const auto& [name, value] : fields.items()) report[name] = value;
    } else {
        if (result.HasDrift) report["drift_s"] = result.DriftSeconds;
        if (result.DateSentAgain) report["date_sent_again"] = true;
    }
    std::string warning = Warning(host);
    if (!warning.empty()) report["warning"] = warning;
    if (verification && verification->Done) {
        report["verified"] = verification->Ok();
        if (!verification->Failure.empty()) report["verify_failure"] = verification->Failure;
        nlohmann::ordered_json differences = nlohmann::ordered_json::array();
        for (const Difference& d : verification->Differences)
            differences.push_back({{"field", d.Field}, {"written", d.Written}, {"read", d.Read}});
        if (!differences.empty()) report["differences"] = differences;
    }
    return report;
}

std::string TextReport(Command command, const board::ExchangeResult& result, const ConsoleHost& host,
                       const Verification* verification) {
    std::string out;
    nlohmann::ordered_json fields = command == Command::SyncClock ? nlohmann::ordered_json::object()
                                                                  : Fields(command, result, host);
    for (const auto& [name, value] : fields.items()) {
        std::string shown;
        if (value.is_string()) shown = value.get<std::string>();
        else if (value.is_array()) shown = Join(value.get<std::array<int, 4>>());
        else shown = value.dump();
        out += name + ": " + shown + "\n";
    }
    if (command == Command::SyncClock && result.HasDrift)
        out += "drift: " + std::string(result.DriftSeconds > 0 ? "+" : "") + std::to_string(result.DriftSeconds) +
               " s\n";
    if (result.DateSentAgain) out += "date sent again: the day changed between date and time\n";
    std::string warning = Warning(host);
    if (!warning.empty()) out += "warning: " + warning + "\n";
    out += result.Message + "\n";
    if (verification && verification->Done) {
        if (!verification->Failure.empty()) out += "verify: not read back: " + verification->Failure + "\n";
        for (const Difference& d : verification->Differences)
            out += "verify: " + d.Field + " written " + d.Written + ", read " + d.Read + "\n";
        if (verification->Ok()) out += "verify: every value read back as written\n";
    }
    return out;
}

std::string JsonReport(Command command, const board::ExchangeResult& result, const ConsoleHost& host,
                       const Verification* verification) {
    return ReportObject(command, result, host, verification).dump() + "\n";
}

int ExitStatus(const board::ExchangeResult& result, const Verification* verification) {
    switch (result.End) {
        case board::ExchangeEnd::Succeeded: return verification && verification->Done && !verification->Ok() ? 1 : 0;
        case board::ExchangeEnd::Failed:
        case board::ExchangeEnd::Aborted: return 1;
        case board::ExchangeEnd::NotOpened: return 3;
    }
    return 1;
}

}  // namespace zorvelctl
