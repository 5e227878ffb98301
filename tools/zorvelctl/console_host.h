// zorvelctl's stand-in for the main window: the sequences run against it
// unchanged. It has no controls; the pickers follow the computer's clock
// unless the command line fixes them, every message box is collected for the
// report, and the status wait ends as soon as the whole reply is there.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "zorvel/board/sequences.h"

namespace zorvelctl {

// What `write` was given; anything left out comes from the board.
struct WriteValues {
    std::optional<board::ClockDate> Date;
    std::optional<board::ClockTime> Time;
    std::optional<int> Mode, Interval;
    std::optional<std::array<int, 4>> Hours, Brightness;
};

struct CollectedBox {
    std::string Text, Caption;
    unsigned Type;
};

class ConsoleHost : public board::SequenceHost {
public:
    ConsoleHost(std::int8_t repeats, unsigned settleMs, WriteValues values = {});

    board::BoardSettings& Settings() override { return settings_; }
    bool ControllerSetting() override { return true; }
    std::int8_t RepeatsC() override { return repeats_; }
    void SetControlEnabled(board::ExchangeControl, bool) override {}
    void SetButtonCaption(board::ExchangeButton, const char*) override {}
    void RepaintNow() override {}
    board::ClockDate PickerDate() override;
    board::ClockTime PickerTime() override;
    void SetPickerDate(const board::ClockDate& date) override { date_ = date; }
    void SetPickerTime(const board::ClockTime& time) override { time_ = time; }
    void SelectModeItem(int index) override;
    void SetIntervalText(const std::string&) override {}
    void SetRefresh(bool) override {}
    board::LocalDateTime Now() override;
    int ShowMessage(const char* text, const char* caption, unsigned type) override;

    void WaitStatusReply() override;
    board::Acknowledge WaitWriteAcknowledge(unsigned limitMs) override;
    void SettlePause() override;
    std::string CompleteWriteValues(const board::StatusReadResult& status) override;

    const std::vector<CollectedBox>& Boxes() const { return boxes_; }
    // The values a write sends (after CompleteWriteValues) or a read stored.
    const board::BoardSettings& CurrentSettings() const { return settings_; }
    // The date and time the last write command was built from.
    const std::optional<board::ClockDate>& SentDate() const { return sentDate_; }
    const std::optional<board::ClockTime>& SentTime() const { return sentTime_; }
    // Where the board's clock should stand now after the write's date and
    // time (seconds as board::ClockSeconds counts them); nothing before the
    // time was sent.
    std::optional<long long> ExpectedBoardClock() const;

private:
    board::BoardSettings settings_;
    std::int8_t repeats_;
    unsigned settleMs_;
    WriteValues values_;
    std::optional<board::ClockDate> date_, sentDate_;
    std::optional<board::ClockTime> time_, sentTime_;
    std::chrono::steady_clock::time_point sentTimeAt_;
    std::vector<CollectedBox> boxes_;
};

enum class Command { Read, Write, SyncClock };

// --verify: the board read back after a write, value by value.
struct Difference {
    std::string Field, Written, Read;
};
struct Verification {
    bool Done = false;        // a read-back was made
    std::string Failure;      // why the read-back gave no values ("" when it did)
    std::vector<Difference> Differences;
    bool Ok() const { return Done && Failure.empty() && Differences.empty(); }
};

// Compares what `writer` sent (for SyncClock only the clock) with the read-back.
// The board's clock must be within toleranceSeconds of expectedClock.
Verification Verify(Command command, const ConsoleHost& writer, const board::ExchangeResult& readBack,
                    long long expectedClock, int toleranceSeconds);

// The report: "name: value" lines (the clock warning, then the sequence's
// message last) or one JSON object. SyncClock adds the drift found before the
// write; a verification adds its differences.
nlohmann::ordered_json ReportObject(Command command, const board::ExchangeResult& result, const ConsoleHost& host,
                                    const Verification* verification = nullptr);
std::string TextReport(Command command, const board::ExchangeResult& result, const ConsoleHost& host,
                       const Verification* verification = nullptr);
std::string JsonReport(Command command, const board::ExchangeResult& result, const ConsoleHost& host,
                       const Verification* verification = nullptr);

// Exit status: 0 success, 1 the board failed, refused or did not answer, or a
// verification found a difference, 3 the transport could not be opened (2,
// usage, is decided before a run).
int ExitStatus(const board::ExchangeResult& result, const Verification* verification = nullptr);

}  // namespace zorvelctl
