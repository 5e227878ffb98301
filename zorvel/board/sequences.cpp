#include "sequences.h"

#include <cstdlib>
#include <functional>
#include <string_view>
#include <utility>

#include "compat/platform.h"
#include "zorvel/board/link.h"

namespace board {

void SequenceHost::WaitStatusReply() { WaitReply(); }
Acknowledge SequenceHost::WaitWriteAcknowledge(unsigned limitMs) { return WaitAcknowledge(limitMs); }
void SequenceHost::SettlePause() { board::SettlePause(); }
std::string SequenceHost::CompleteWriteValues(const StatusReadResult&) { return {}; }

namespace {

constexpr unsigned kErrorBox = compat::BoxType(compat::Box::Error);
constexpr unsigned kInformationBox = compat::BoxType(compat::Box::Information);
constexpr unsigned kWarningBox = compat::BoxType(compat::Box::Warning);

// What a body ends with: the one box the frame shows before closing.
struct Ending {
    ExchangeEnd End;
    std::string Outcome;
    std::string Message;
};

Ending Failure(std::string outcome, std::string message) {
    return {ExchangeEnd::Failed, std::move(outcome), std::move(message)};
}

Ending Aborted() { return {ExchangeEnd::Aborted, "Aborted", {}}; }

// Only the radio interface repeats a command that got no answer, and at most
// RepeatsC times.
bool MayRepeat(SequenceHost& host, std::int8_t& attempt) {
    if (CurrentInterface() != kInterfaceRadio || attempt >= host.RepeatsC()) return false;
    ++attempt;
    return true;
}

bool IntervalAllowed(std::int8_t mode) { return mode != 1 && mode != 4; }

// --- The common frame ---------------------------------------------------------

const char* IdleCaption(ExchangeButton button) {
    return button == ExchangeButton::SpeedButtonGet ? text::kRead : text::kWrite;
}

void BeginExchange(SequenceHost& host, ExchangeButton button) {
    SetBusy(true);
    ClearAbort();
    for (ExchangeControl control : {ExchangeControl::ComboBoxMode, ExchangeControl::EditInterval,
                                    ExchangeControl::SpeedButtonGet, ExchangeControl::SpeedButtonSet,
                                    ExchangeControl::tbSett, ExchangeControl::tbTime})
        host.SetControlEnabled(control, false);
    host.SetButtonCaption(button, text::kWait);
    host.RepaintNow();
}

void EndExchange(SequenceHost& host, ExchangeButton button) {
    bool mayChange = host.ControllerSetting();
    host.SetControlEnabled(ExchangeControl::ComboBoxMode, mayChange);
    host.SetControlEnabled(ExchangeControl::EditInterval, mayChange && IntervalAllowed(host.Settings().Mode));
    ClearReply();
    for (ExchangeControl control : {ExchangeControl::SpeedButtonGet, ExchangeControl::SpeedButtonSet,
                                    ExchangeControl::tbSett, ExchangeControl::tbTime})
        host.SetControlEnabled(control, true);
    host.SetButtonCaption(button, IdleCaption(button));
    SetBusy(false);
}

// Gives the window back and closes the transport even when the host throws
// from inside a body, so that an exception never leaves Busy set or a port open.
class FrameGuard {
public:
    FrameGuard(SequenceHost& host, ExchangeButton button) : host_(host), button_(button) {}
    FrameGuard(const FrameGuard&) = delete;
    FrameGuard& operator=(const FrameGuard&) = delete;
    ~FrameGuard() {
        if (!armed_) return;
        if (open_) InterfaceClose();
        EndExchange(host_, button_);
    }
    void Opened() { open_ = true; }
    void Closed() { open_ = false; }
    void Disarm() { armed_ = false; }

private:
    SequenceHost& host_;
    ExchangeButton button_;
    bool open_ = false;
    bool armed_ = true;
};

using Body = Ending (*)(SequenceHost&, ExchangeResult&);

ExchangeResult RunExchange(SequenceHost& host, ExchangeButton button, Body body) {
    ExchangeResult result;
    result.Outcome = "NotOpened";
    FrameGuard guard(host, button);
    BeginExchange(host, button);
    if (InterfaceOpen(host.OpenShowsMessages(), true)) {
        guard.Opened();
        Ending ending = ExchangeAborted() ? Aborted() : body(host, result);
        result.End = ending.End;
        result.Outcome = std::move(ending.Outcome);
        result.Message = ending.Message;
        bool success = ending.End == ExchangeEnd::Succeeded;
        if (ending.End != ExchangeEnd::Aborted)
            host.ShowMessage(ending.Message.c_str(), success ? text::kInformation : text::kError,
                             success ? kInformationBox : kErrorBox);
        guard.Closed();
        InterfaceClose();
    } else if (ExchangeAborted()) {
        result.End = ExchangeEnd::Aborted;
        result.Outcome = "Aborted";
    }
    guard.Disarm();
    EndExchange(host, button);
    return result;
}

// --- The status request --------------------------------------------------------

// False when nothing at all arrived, after every attempt the interface allows,
// or when the exchange was aborted meanwhile.
bool RequestStatus(SequenceHost& host, std::string& reply) {
    ClearReply();
    std::int8_t attempt = 0;
    for (;;) {
        SendCommand(BuildReadStatus());
        host.WaitStatusReply();
        if (ExchangeAborted()) return false;
        if (ReplyLength() != 0) {
            reply = ReplyText();
            return true;
        }
        if (!MayRepeat(host, attempt)) return false;
    }
}

// --- The read body -------------------------------------------------------------

// Compares fields, not a time difference: 12:00:59 against 12:01:01 differs.
bool ClockDiffers(const ClockDate& date, const ClockTime& time, const LocalDateTime& now) {
    return date.Year != now.Date.Year || date.Month != now.Date.Month || date.Day != now.Date.Day ||
           time.Hours != now.Time.Hours || time.Minutes != now.Time.Minutes ||
           std::abs(time.Seconds - now.Time.Seconds) > 15;
}

void NoteDrift(const ClockDate& date, const ClockTime& time, const LocalDateTime& now, ExchangeResult& result) {
    result.HasDrift = true;
    result.DriftSeconds = ClockSeconds(date, time) - ClockSeconds(now.Date, now.Time);
}

void CompareClock(SequenceHost& host, ExchangeResult& result) {
    ClockDate date = host.PickerDate();
    ClockTime time = host.PickerTime();
    LocalDateTime now = host.Now();
    NoteDrift(date, time, now, result);
    if (!ClockDiffers(date, time, now)) return;
    host.SetRefresh(false);
    result.ClockDiffers = true;
    host.ShowMessage(text::kClockDiffers, text::kWarning, kWarningBox);
}

void ApplyField(SequenceHost& host, StatusField field, const StatusReadResult& read, ExchangeResult& result) {
    BoardSettings& settings = host.Settings();
    switch (field) {
        case StatusField::Firmware:
            break;
        case StatusField::Time:
            host.SetPickerTime(read.Time);
            break;
        case StatusField::Date:
            host.SetPickerDate(read.Date);
            CompareClock(host, result);
            break;
        case StatusField::Mode:
            settings.Mode = read.Settings.Mode;
            host.SelectModeItem(settings.Mode - 1);
            break;
        case StatusField::Interval:
            settings.Interval = read.Settings.Interval;
            host.SetIntervalText(std::to_string(settings.Interval));
            break;
        case StatusField::Hours:
            settings.HourM = read.Settings.HourM;
            settings.HourA = read.Settings.HourA;
            settings.HourE = read.Settings.HourE;
            settings.HourN = read.Settings.HourN;
            break;
        case StatusField::Brightness:
            settings.BrightM = read.Settings.BrightM;
            settings.BrightA = read.Settings.BrightA;
            settings.BrightE = read.Settings.BrightE;
            settings.BrightN = read.Settings.BrightN;
            break;
    }
}

Ending ReadBody(SequenceHost& host, ExchangeResult& result) {
    if (!RequestStatus(host, result.StatusReply))
        return ExchangeAborted() ? Aborted() : Failure("NoAnswer", text::kNoAnswer);
    result.Status = ParseStatusReply(result.StatusReply, [&](StatusField field, const StatusReadResult& read) {
        ApplyField(host, field, read, result);
    });
    OutcomeText outcome = OutcomeMessage(result.Status.Outcome);
    ExchangeEnd end = result.Status.Outcome == StatusOutcome::Read ? ExchangeEnd::Succeeded : ExchangeEnd::Failed;
    return {end, OutcomeName(result.Status.Outcome), outcome.Message};
}

// --- The write body ------------------------------------------------------------

struct WriteStep {
    const char* Name;  // prefix of the outcome names
    unsigned LimitMs;
    const char* Rejected;
    const char* NotConfirmed;
};

constexpr WriteStep kDateStep{"Date", 3000, "Устройство отвергло посылку даты", "Не получено подтверждение даты"};
constexpr WriteStep kTimeStep{"Time", 3000, "Устройство отвергло посылку времени",
                              "Не получено подтверждение времени"};
constexpr WriteStep kBrightnessStep{"Brightness", 3000, "Устройство отвергло посылку яркости",
                                    "Не получено подтверждение яркости"};
constexpr WriteStep kHoursStep{"Hours", 3000, "Устройство отвергло посылку времени суток",
                               "Не получено подтверждение времени суток"};
constexpr WriteStep kModeStep{"Mode", 500, "Устройство отвергло посылку режима", "Не получено подтверждение режима"};
constexpr WriteStep kIntervalStep{"Interval", 500, "Устройство отвергло посылку интервала",
                                  "Не получено подтверждение интервала"};

// Sends the step's command until the board acknowledges or rejects it, or the
// interface allows no further attempt. `command` is asked for every attempt.
// Returns false with `ending` set when the body must stop here.
bool RunWriteStep(SequenceHost& host, const WriteStep& step, const std::function<std::string()>& command,
                  Ending& ending) {
    std::int8_t attempt = 0;
    for (;;) {
        SendCommand(command());
        Acknowledge answer = host.WaitWriteAcknowledge(step.LimitMs);
        if (ExchangeAborted()) {
            ending = Aborted();
            return false;
        }
        switch (answer) {
            case Acknowledge::Acknowledged:
                return true;
            case Acknowledge::Rejected:
                ending = Failure(std::string(step.Name) + "Rejected", step.Rejected);
                return false;
            case Acknowledge::NothingYet:
                break;
        }
        if (!MayRepeat(host, attempt)) {
            ending = Failure(std::string(step.Name) + "NotConfirmed", step.NotConfirmed);
            return false;
        }
    }
}

Ending WriteBody(SequenceHost& host, ExchangeResult& result) {
    if (!RequestStatus(host, result.StatusReply))
        return ExchangeAborted() ? Aborted() : Failure("NoAnswer", text::kNoAnswer);
    StatusOutcome firmware = CheckFirmware(result.StatusReply);
    result.Status = ParseStatusReply(result.StatusReply);
    if (firmware != StatusOutcome::Read) return Failure(OutcomeName(firmware), OutcomeMessage(firmware).Message);

    std::string missing = host.CompleteWriteValues(result.Status);
    if (!missing.empty()) return Failure("MissingValues", std::move(missing));

    const BoardSettings& s = host.Settings();
    Ending ending{ExchangeEnd::Failed, {}, {}};

    ClockDate date = host.PickerDate();  // once for the whole step
    std::string dateCommand = BuildWriteDate(date.Day, date.Month, date.Year);
    if (!RunWriteStep(host, kDateStep, [&] { return dateCommand; }, ending)) return ending;

    auto timeCommand = [&] {  // the clock moves on between attempts
        ClockTime t = host.PickerTime();
        return BuildWriteTime(t.Hours, t.Minutes, t.Seconds);
    };
    if (!RunWriteStep(host, kTimeStep, timeCommand, ending)) return ending;

    if (!RunWriteStep(host, kBrightnessStep,
                      [&] { return BuildWriteBrightness(s.BrightM, s.BrightA, s.BrightE, s.BrightN); }, ending))
        return ending;
    if (!RunWriteStep(host, kHoursStep, [&] { return BuildWriteTimeEx(s.HourM, s.HourA, s.HourE, s.HourN); }, ending))
        return ending;
    if (!RunWriteStep(host, kModeStep, [&] { return BuildWriteMode(s.Mode); }, ending)) return ending;
    host.SettlePause();
    if (ExchangeAborted()) return Aborted();
    if (IntervalAllowed(s.Mode)) {
        if (!RunWriteStep(host, kIntervalStep, [&] { return BuildWriteInterval(s.Interval); }, ending))
            return ending;
        host.SettlePause();
        if (ExchangeAborted()) return Aborted();
    }
    return {ExchangeEnd::Succeeded, "Written", text::kWritten};
}

// --- The clock body ----------------------------------------------------------------

Ending ClockBody(SequenceHost& host, ExchangeResult& result) {
    if (!RequestStatus(host, result.StatusReply)) return Failure("NoAnswer", text::kNoAnswer);
    LocalDateTime received = host.Now();
    result.Status = ParseStatusReply(result.StatusReply);
    if (result.Status.HasDate && result.Status.HasTime)
        NoteDrift(result.Status.Date, result.Status.Time, received, result);
    StatusOutcome firmware = CheckFirmware(result.StatusReply);
    if (firmware != StatusOutcome::Read) return Failure(OutcomeName(firmware), OutcomeMessage(firmware).Message);

    Ending ending{ExchangeEnd::Failed, {}, {}};
    ClockDate sentDate = host.Now().Date;
    auto dateCommand = [&] { return BuildWriteDate(sentDate.Day, sentDate.Month, sentDate.Year); };
    if (!RunWriteStep(host, kDateStep, dateCommand, ending)) return ending;

    // The time and the day it belongs to are taken from one reading of the clock.
    LocalDateTime timeSource{};
    auto timeCommand = [&] {
        timeSource = host.Now();
        return BuildWriteTime(timeSource.Time.Hours, timeSource.Time.Minutes, timeSource.Time.Seconds);
    };
    if (!RunWriteStep(host, kTimeStep, timeCommand, ending)) return ending;

    const ClockDate& day = timeSource.Date;
    if (day.Day != sentDate.Day || day.Month != sentDate.Month || day.Year != sentDate.Year) {
        sentDate = day;
        result.DateSentAgain = true;
        if (!RunWriteStep(host, kDateStep, dateCommand, ending)) return ending;
    }
    return {ExchangeEnd::Succeeded, "ClockSet", text::kWritten};
}

}  // namespace

long long ClockSeconds(const ClockDate& date, const ClockTime& time) {
    // Days from the civil calendar (proleptic Gregorian), counted from 2000-01-01.
    long long y = date.Year - (date.Month <= 2 ? 1 : 0);
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long mp = (date.Month + 9) % 12;
    long long doy = (153 * mp + 2) / 5 + date.Day - 1;
    long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    long long days = era * 146097 + doe - 730425;  // 719468 days to 1970-01-01, 10957 more to 2000
    return days * 86400 + time.Hours * 3600LL + time.Minutes * 60LL + time.Seconds;
}

ExchangeResult RunClockSequence(SequenceHost& host) {
    return RunExchange(host, ExchangeButton::SpeedButtonSet, ClockBody);
}

ExchangeResult RunReadSequence(SequenceHost& host) { return RunExchange(host, ExchangeButton::SpeedButtonGet, ReadBody); }

ExchangeResult RunWriteSequence(SequenceHost& host) {
    return RunExchange(host, ExchangeButton::SpeedButtonSet, WriteBody);
}

bool StatusReplyComplete(const std::string& text) {
    static constexpr std::string_view kLabels[] = {"Soft:",         "Time:",           "Date:",
                                                   "Mode:",         "Interval,sec:",   "Time Brightness:",
                                                   "Brightness(20...100):"};
    std::string_view received(text.c_str());  // the buffer's text ends at its first NUL
    std::size_t from = 0;
    for (std::string_view label : kLabels) {
        std::size_t at = received.find(label, from);
        if (at == std::string_view::npos || received.find('\r', at + label.size()) == std::string_view::npos)
            return false;
        from = at + label.size();
    }
    return true;
}

}  // namespace board
