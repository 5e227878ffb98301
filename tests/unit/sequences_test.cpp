// The read and write sequences against the dispatch's test double: wire
// bytes, virtual timings, order of effects and what the operator sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "compat/platform.h"
#include "link_fake.h"
#include "zorvel/board/link.h"
#include "zorvel/board/sequences.h"

using namespace board;
using linkfake::Delivery;
using linkfake::Fake;

namespace {

const char kGoodReply[] =
    "Soft:10.1\r\nTime:12:05:09\r\nDate:06.12.26\r\nMode:3\r\nInterval,sec:10\r\n"
    "Time Brightness:6.10.16.21\r\nBrightness(20...100):100.80.60.20\r\nT=+21\r\n";

const unsigned kErrorBox = compat::kBoxIconError | compat::kBoxTopMost;
const unsigned kInfoBox = compat::kBoxIconInformation | compat::kBoxTopMost;
const unsigned kWarningBox = compat::kBoxIconWarning | compat::kBoxTopMost;

const char* Name(ExchangeControl c) {
    switch (c) {
        case ExchangeControl::ComboBoxMode: return "ComboBoxMode";
        case ExchangeControl::EditInterval: return "EditInterval";
        case ExchangeControl::SpeedButtonGet: return "SpeedButtonGet";
        case ExchangeControl::SpeedButtonSet: return "SpeedButtonSet";
        case ExchangeControl::tbSett: return "tbSett";
        case ExchangeControl::tbTime: return "tbTime";
    }
    return "?";
}

struct Box {
    std::string Text, Caption;
    unsigned Type;
    unsigned long AtMs;
    bool TransportOpen;
    bool Busy;
};

// The window as the sequences see it, recording every effect in one event log
// that the dispatch double writes into too.
class RecordingHost : public SequenceHost {
public:
    BoardSettings settings{3, 10, 6, 10, 16, 21, 100, 80, 60, 20};
    bool controller = true;
    std::int8_t repeats = 3;
    ClockDate pickerDate{6, 12, 2026};
    ClockTime pickerTime{12, 5, 9};
    bool pickerTimeFollowsClock = false;  // the time picker runs with virtual time
    LocalDateTime now{{6, 12, 2026}, {12, 5, 9}};
    bool refresh = true;
    int selectedItem = 2;
    std::string intervalText = "10";
    std::string missingValues;
    bool throwFromBox = false;
    std::vector<std::string> events;
    std::vector<Box> boxes;

    BoardSettings& Settings() override { return settings; }
    bool ControllerSetting() override { return controller; }
    std::int8_t RepeatsC() override { return repeats; }
    void SetControlEnabled(ExchangeControl c, bool enabled) override {
        events.push_back(std::string(enabled ? "enable " : "disable ") + Name(c));
    }
    void SetButtonCaption(ExchangeButton b, const char* caption) override {
        events.push_back(std::string(b == ExchangeButton::SpeedButtonGet ? "get" : "set") + " caption " + caption);
    }
    void RepaintNow() override { events.push_back("repaint"); }
    ClockDate PickerDate() override { return pickerDate; }
    ClockTime PickerTime() override {
        if (!pickerTimeFollowsClock) return pickerTime;
        int seconds = pickerTime.Seconds + static_cast<int>(Fake().NowMs / 1000);
        return {pickerTime.Hours, pickerTime.Minutes + seconds / 60, seconds % 60};
    }
    void SetPickerDate(const ClockDate& d) override {
        pickerDate = d;
        events.push_back("date " + std::to_string(d.Day) + "." + std::to_string(d.Month) + "." + std::to_string(d.Year));
    }
    void SetPickerTime(const ClockTime& t) override {
        pickerTime = t;
        events.push_back("time " + std::to_string(t.Hours) + ":" + std::to_string(t.Minutes) + ":" +
                         std::to_string(t.Seconds));
    }
    void SelectModeItem(int index) override {  // what the mode-change handler does
        selectedItem = index >= 0 && index < 4 ? index : -1;
        settings.Mode = static_cast<std::int8_t>(selectedItem + 1);
        events.push_back("mode item " + std::to_string(index));
    }
    void SetIntervalText(const std::string& text) override {
        intervalText = text;
        events.push_back("interval " + text);
    }
    void SetRefresh(bool on) override {
        refresh = on;
        events.push_back(on ? "refresh on" : "refresh off");
    }
    LocalDateTime Now() override { return now; }
    int ShowMessage(const char* text, const char* caption, unsigned type) override {
        boxes.push_back({text, caption, type, Fake().NowMs, Fake().IsOpen, board::Busy});
        events.push_back(std::string("box ") + caption + ": " + text);
        if (throwFromBox) throw std::runtime_error("window gone");
        return compat::kAnswerOk;
    }
    std::string CompleteWriteValues(const StatusReadResult&) override { return missingValues; }
};

// A board that answers the status request and every write command; answers
// can be changed or silenced per command.
struct ScriptedBoard {
    std::string status = kGoodReply;
    unsigned long statusDelayMs = 150;
    bool silent = false;
    std::map<std::string, std::vector<Delivery>> writes;  // by command prefix, e.g. "write mode"
    std::vector<Delivery> defaultWrite{{100, "Ok\r"}};

    std::vector<Delivery> operator()(const std::string& command) const {
        if (silent) return {};
        if (command == "read status\r") return {{statusDelayMs, status}};
        for (const auto& [prefix, answer] : writes)
            if (command.compare(0, prefix.size(), prefix) == 0) return answer;
        return defaultWrite;
    }
};

class Sequences : public ::testing::Test {
protected:
    RecordingHost host;
    ScriptedBoard board;

    void SetUp() override {
        linkfake::Reset();
        Fake().Events = &host.events;
    }
    // A new window and board for the next row of a table.
    void Fresh() {
        host = RecordingHost();
        board = ScriptedBoard();
        SetUp();
    }
    void Start() {
        Fake().Respond = [this](const std::string& c) { return board(c); };
    }
    ExchangeResult Read() {
        Start();
        return RunReadSequence(host);
    }
    ExchangeResult Write() {
        Start();
        return RunWriteSequence(host);
    }
    std::vector<std::string> Wire() const {
        std::vector<std::string> out;
        for (const auto& c : Fake().Commands) out.push_back(c.Bytes);
        return out;
    }
    std::vector<unsigned long> SendTimes() const {
        std::vector<unsigned long> out;
        for (const auto& c : Fake().Commands) out.push_back(c.AtMs);
        return out;
    }
    std::vector<std::string> EventsMatching(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : host.events)
            if (e.compare(0, prefix.size(), prefix) == 0) out.push_back(e);
        return out;
    }
};

const std::vector<std::string> kFrameStart = {
    "disable ComboBoxMode", "disable EditInterval", "disable SpeedButtonGet", "disable SpeedButtonSet",
    "disable tbSett",       "disable tbTime",
};

}  // namespace

TEST_F(Sequences, ReadAppliesEveryFieldInOrderAndReportsWithTheTransportOpen) {
    host.settings = BoardSettings{};
    host.pickerDate = {1, 1, 2000};
    host.pickerTime = {0, 0, 0};
    ExchangeResult r = Read();

    std::vector<std::string> expected = kFrameStart;
    expected.insert(expected.end(), {
        "get caption Ждите...", "repaint", "open", "clear", "clear", "send read status\r",
        "time 12:5:9", "date 6.12.2026", "mode item 2", "interval 10",
        "box Информация: Настройки успешно прочитаны", "close",
        "enable ComboBoxMode", "enable EditInterval", "clear", "enable SpeedButtonGet",
        "enable SpeedButtonSet", "enable tbSett", "enable tbTime", "get caption Прочитать",
    });
    EXPECT_EQ(host.events, expected);
    EXPECT_EQ(Wire(), std::vector<std::string>{"read status\r"});
    EXPECT_TRUE(Fake().LastShowMessages);
    EXPECT_TRUE(Fake().LastStartReader);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].Type, kInfoBox);
    EXPECT_TRUE(host.boxes[0].TransportOpen);
    EXPECT_TRUE(host.boxes[0].Busy);
    EXPECT_EQ(host.boxes[0].AtMs, 2000u);  // the window always waits the full 2000 ms
    EXPECT_FALSE(board::Busy);
    EXPECT_EQ(Fake().Closes, 1);

    const BoardSettings& s = host.settings;
    EXPECT_EQ(s.Mode, 3);
    EXPECT_EQ(s.Interval, 10);
    EXPECT_EQ((std::vector<int>{s.HourM, s.HourA, s.HourE, s.HourN}), (std::vector<int>{6, 10, 16, 21}));
    EXPECT_EQ((std::vector<int>{s.BrightM, s.BrightA, s.BrightE, s.BrightN}), (std::vector<int>{100, 80, 60, 20}));
    EXPECT_EQ(r.End, ExchangeEnd::Succeeded);
    EXPECT_EQ(r.Outcome, "Read");
    EXPECT_EQ(r.StatusReply, kGoodReply);
    EXPECT_FALSE(r.ClockDiffers);
}

TEST_F(Sequences, SilentBoardGetsOneRequestExceptOnTheRadioInterface) {
    struct Row {
        std::int8_t interface, repeats;
        std::vector<unsigned long> sends;
        unsigned long boxAtMs;
    } rows[] = {
        {0, 3, {0}, 2000},
        {2, 3, {0}, 2000},
        {4, 3, {0, 2000, 4000, 6000}, 8000},
        {4, 0, {0}, 2000},
        {4, 1, {0, 2000}, 4000},
        {4, -1, {0}, 2000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "interface " << int(row.interface) << ", RepeatsC " << int(row.repeats));
        Fresh();
        board.silent = true;
        host.repeats = row.repeats;
        board::Interface = row.interface;
        ExchangeResult r = Read();
        EXPECT_EQ(SendTimes(), row.sends);
        for (const std::string& w : Wire()) EXPECT_EQ(w, "read status\r");
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].Text, "Устройство не отвечает на команды");
        EXPECT_EQ(host.boxes[0].Caption, "Ошибка");
        EXPECT_EQ(host.boxes[0].Type, kErrorBox);
        EXPECT_EQ(host.boxes[0].AtMs, row.boxAtMs);
        EXPECT_EQ(r.Outcome, "NoAnswer");
        EXPECT_EQ(r.End, ExchangeEnd::Failed);
        EXPECT_EQ(Fake().Closes, 1);
    }
}

TEST_F(Sequences, RadioRepeatsOnlyUntilSomethingArrives) {
    board::Interface = 4;
    int asked = 0;
    Fake().Respond = [&](const std::string&) {
        return ++asked < 3 ? std::vector<Delivery>{} : std::vector<Delivery>{{100, kGoodReply}};
    };
    RunReadSequence(host);
    EXPECT_EQ(SendTimes(), (std::vector<unsigned long>{0, 2000, 4000}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].Text, "Настройки успешно прочитаны");
}

TEST_F(Sequences, FailedOpenShowsNothingSendsNothingAndRestoresTheWindow) {
    Fake().OpenResult = false;
    host.controller = false;
    ExchangeResult r = Read();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(Fake().Commands.empty());
    EXPECT_EQ(Fake().Closes, 0);
    EXPECT_EQ(r.End, ExchangeEnd::NotOpened);
    std::vector<std::string> expected = kFrameStart;
    expected.insert(expected.end(), {
        "get caption Ждите...", "repaint", "open failed",
        "disable ComboBoxMode", "disable EditInterval", "clear", "enable SpeedButtonGet",
        "enable SpeedButtonSet", "enable tbSett", "enable tbTime", "get caption Прочитать",
    });
    EXPECT_EQ(host.events, expected);
    EXPECT_FALSE(board::Busy);
}

TEST_F(Sequences, EndOfExchangeEnablesTheModeAndIntervalByControllerSettingAndMode) {
    struct Row {
        bool controller;
        const char* mode;
        bool comboEnabled, intervalEnabled;
    } rows[] = {
        {true, "3", true, true},   {true, "1", true, false},  {true, "4", true, false},
        {true, "7", true, true},   {false, "3", false, false}, {false, "1", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "ControllerSetting " << row.controller << ", Mode " << row.mode);
        Fresh();
        host.controller = row.controller;
        board.status = std::string(kGoodReply).replace(std::string(kGoodReply).find("Mode:3"), 6,
                                                        std::string("Mode:") + row.mode);
        Read();
        auto mode = EventsMatching("enable ComboBoxMode");
        auto noMode = EventsMatching("disable ComboBoxMode");
        EXPECT_EQ(mode.size(), row.comboEnabled ? 1u : 0u);
        EXPECT_EQ(noMode.size(), row.comboEnabled ? 1u : 2u);
        EXPECT_EQ(EventsMatching("enable EditInterval").size(), row.intervalEnabled ? 1u : 0u);
    }
}

TEST_F(Sequences, ModeSevenLeavesNoSelectionAndModeZero) {
    board.status = std::string(kGoodReply).replace(std::string(kGoodReply).find("Mode:3"), 6, "Mode:7");
    ExchangeResult r = Read();
    EXPECT_EQ(host.selectedItem, -1);
    EXPECT_EQ(host.settings.Mode, 0);
    EXPECT_EQ(r.Status.Settings.Mode, 7);  // what the board said, for a caller that reports it
    EXPECT_EQ(r.Outcome, "Read");
}

TEST_F(Sequences, ClockComparisonUsesFieldsAndSixteenSeconds) {
    struct Row {
        const char* boardTime;
        const char* boardDate;
        LocalDateTime computer;
        bool warning;
    } rows[] = {
        {"12:05:09", "06.12.26", {{6, 12, 2026}, {12, 5, 29}}, true},   // 20 s behind
        {"12:05:09", "06.12.26", {{6, 12, 2026}, {12, 5, 25}}, true},   // 16 s behind
        {"12:05:09", "06.12.26", {{6, 12, 2026}, {12, 5, 24}}, false},  // 15 s behind
        {"12:05:24", "06.12.26", {{6, 12, 2026}, {12, 5, 9}}, false},   // 15 s ahead
        {"12:00:59", "06.12.26", {{6, 12, 2026}, {12, 1, 1}}, true},    // 2 s, but another minute
        {"12:05:09", "06.12.26", {{6, 12, 2026}, {13, 5, 9}}, true},
        {"12:05:09", "06.12.26", {{7, 12, 2026}, {12, 5, 9}}, true},
        {"12:05:09", "06.12.26", {{6, 11, 2026}, {12, 5, 9}}, true},
        {"12:05:09", "06.12.26", {{6, 12, 2027}, {12, 5, 9}}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.boardTime << " against computer " << row.computer.Time.Hours << ":"
                                        << row.computer.Time.Minutes << ":" << row.computer.Time.Seconds);
        Fresh();
        host.now = row.computer;
        std::string reply = kGoodReply;
        reply.replace(reply.find("12:05:09"), 8, row.boardTime);
        board.status = reply;
        ExchangeResult r = Read();
        EXPECT_EQ(r.ClockDiffers, row.warning);
        EXPECT_EQ(host.refresh, !row.warning);
        ASSERT_EQ(host.boxes.size(), row.warning ? 2u : 1u);
        if (row.warning) {
            EXPECT_EQ(host.boxes[0].Text,
                      "Дата/Время на устройстве отличается от Даты/Времени, установленной на этом персональном "
                      "компьютере");
            EXPECT_EQ(host.boxes[0].Caption, "Внимание");
            EXPECT_EQ(host.boxes[0].Type, kWarningBox);
            // Shown as soon as the date is applied, before the mode; the read goes on.
            auto date = std::find(host.events.begin(), host.events.end(), "date 6.12.2026");
            ASSERT_NE(date, host.events.end());
            EXPECT_EQ(*(date + 1), "refresh off");
            EXPECT_EQ((date + 2)->rfind("box Внимание", 0), 0u);
            EXPECT_EQ(*(date + 3), "mode item 2");
        }
        EXPECT_EQ(host.boxes.back().Text, "Настройки успешно прочитаны");
    }
}

TEST_F(Sequences, ReadFailuresKeepTheFieldsAppliedBeforeThem) {
    struct Row {
        std::string from, to, message, outcome;
        std::vector<std::string> applied;
    } rows[] = {
        {"Soft:10.1", "Soft:9.12", "Устройство использует другой тип прошивки", "OtherFirmware", {}},
        {"Soft:10.1", "Sft:10.1", "Не удается прочитать тип прошивки", "NoFirmware", {}},
        {"Time:12:05:09", "Time:165:165:165", "Микросхема часов на устройстве неисправна", "ClockFault", {}},
        {"Time:12:05:09", "Time:25:99:00", "Не удается прочитать значение времени", "NoTime", {}},
        {"Date:06.12.26", "Date:31.02.26", "Не удается прочитать значение даты", "NoDate", {"time 12:5:9"}},
        {"Date:06.12.26", "Date:165.165.165", "Микросхема часов на устройстве неисправна", "ClockFault",
         {"time 12:5:9"}},
        {"Mode:3", "Mods:3", "Не удается прочитать значение режима", "NoMode", {"time 12:5:9", "date 6.12.2026"}},
        {"Interval,sec:10", "Interval:10", "Не удается прочитать значение интервала", "NoInterval",
         {"time 12:5:9", "date 6.12.2026", "mode item 2"}},
        {"Time Brightness:", "TimeBrightness:", "Не удается прочитать количество секций", "NoHours",
         {"time 12:5:9", "date 6.12.2026", "mode item 2", "interval 10"}},
        {"Brightness(20...100):", "Brightness:", "Не удается прочитать яркость", "NoBrightness",
         {"time 12:5:9", "date 6.12.2026", "mode item 2", "interval 10"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.to);
        Fresh();
        std::string reply = kGoodReply;
        reply.replace(reply.find(row.from), row.from.size(), row.to);
        board.status = reply;
        ExchangeResult r = Read();
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].Text, row.message);
        EXPECT_EQ(host.boxes[0].Caption, "Ошибка");
        EXPECT_EQ(host.boxes[0].Type, kErrorBox);
        EXPECT_TRUE(host.boxes[0].TransportOpen);
        EXPECT_EQ(r.Outcome, row.outcome);
        std::vector<std::string> applied;
        for (const std::string& e : host.events)
            if (e.rfind("time ", 0) == 0 || e.rfind("date ", 0) == 0 || e.rfind("mode item", 0) == 0 ||
                e.rfind("interval ", 0) == 0)
                applied.push_back(e);
        EXPECT_EQ(applied, row.applied);
        EXPECT_EQ(Fake().Closes, 1);
        EXPECT_EQ(host.events.back(), "get caption Прочитать");
        EXPECT_FALSE(board::Busy);
    }
}

TEST_F(Sequences, ReadStoresHoursAndBrightnessOnlyWhenReachedAndKeepsReadValues) {
    board.status = std::string(kGoodReply).replace(std::string(kGoodReply).find("Brightness(20"), 5, "Bright");
    host.settings = BoardSettings{1, 1, 1, 1, 1, 1, 21, 22, 23, 24};
    Read();
    EXPECT_EQ(host.settings.HourA, 10);    // applied
    EXPECT_EQ(host.settings.BrightA, 22);  // never reached
}

TEST_F(Sequences, WriteModeThreeSendsEveryCommandAndPausesTwice) {
    host.settings = BoardSettings{3, 10, 6, 10, 16, 21, 100, 80, 60, 20};
    host.pickerDate = {6, 12, 2026};
    host.pickerTime = {9, 5, 3};
    ExchangeResult r = Write();
    EXPECT_EQ(Wire(), (std::vector<std::string>{
                          "read status\r", "write date=06.12.26\r", "write time=09.05.03\r",
                          "write brightness=100.80.60.20\r", "write timeEx= 6.10.16.21\r", "write mode=3\r",
                          "write interval=10\r"}));
    // Status 2000; each "Ok" is seen in the second 50 ms round (it arrives at 100 ms).
    EXPECT_EQ(SendTimes(), (std::vector<unsigned long>{0, 2000, 2100, 2200, 2300, 2400, 2400 + 100 + 6048}));
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].AtMs, 2400 + 100 + 6048 + 100 + 6048);
    EXPECT_EQ(host.boxes[0].Text, "Устройство подтверждает смену настроек");
    EXPECT_EQ(host.boxes[0].Caption, "Информация");
    EXPECT_EQ(host.boxes[0].Type, kInfoBox);
    EXPECT_TRUE(host.boxes[0].TransportOpen);
    EXPECT_EQ(r.Outcome, "Written");
    EXPECT_EQ(host.events.back(), "set caption Установить");
    EXPECT_EQ(EventsMatching("set caption"), (std::vector<std::string>{"set caption Ждите...", "set caption Установить"}));
}

TEST_F(Sequences, WriteModeOneOrFourSkipsTheIntervalAfterOnePause) {
    for (std::int8_t mode : {1, 4}) {
        SCOPED_TRACE(int(mode));
        Fresh();
        host.settings.Mode = mode;
        Write();
        ASSERT_EQ(Wire().size(), 6u);
        EXPECT_EQ(Wire()[5], "write mode=" + std::to_string(mode) + "\r");
        ASSERT_EQ(host.boxes.size(), 1u);
        EXPECT_EQ(host.boxes[0].AtMs, 2400u + 100 + 6048);
        EXPECT_EQ(host.boxes[0].Text, "Устройство подтверждает смену настроек");
        EXPECT_EQ(EventsMatching("enable EditInterval").size(), 0u);
    }
}

TEST_F(Sequences, WriteUsesOnlyTheFirmwareOfTheStatusReply) {
    struct Row {
        std::string status;
        std::string message;  // empty: the write goes on
    } rows[] = {
        {"Soft:9.12\r\n", "Устройство использует другой тип прошивки"},
        {"Time:12:00:00\r\n", "Не удается прочитать тип прошивки"},
        {"Soft:10.1", "Не удается прочитать тип прошивки"},  // no CR behind it
        {"Soft:ver10.05\r\nTime:165:165:165\r\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.status);
        Fresh();
        board.status = row.status;
        Write();
        ASSERT_EQ(host.boxes.size(), 1u);
        if (row.message.empty()) {
            EXPECT_EQ(host.boxes[0].Text, "Устройство подтверждает смену настроек");
        } else {
            EXPECT_EQ(host.boxes[0].Text, row.message);
            EXPECT_EQ(Wire(), std::vector<std::string>{"read status\r"});
        }
    }
}

TEST_F(Sequences, EachWriteStepHasItsRejectionAndItsMissingConfirmation) {
    struct Row {
        const char* prefix;
        std::size_t sentBeforeStop;
        const char* rejected;
        const char* notConfirmed;
        unsigned limitMs;
    } rows[] = {
        {"write date=", 2, "Устройство отвергло посылку даты", "Не получено подтверждение даты", 3000},
        {"write time=", 3, "Устройство отвергло посылку времени", "Не получено подтверждение времени", 3000},
        {"write brightness=", 4, "Устройство отвергло посылку яркости", "Не получено подтверждение яркости", 3000},
        {"write timeEx=", 5, "Устройство отвергло посылку времени суток", "Не получено подтверждение времени суток",
         3000},
        {"write mode=", 6, "Устройство отвергло посылку режима", "Не получено подтверждение режима", 500},
        {"write interval=", 7, "Устройство отвергло посылку интервала", "Не получено подтверждение интервала", 500},
    };
    for (const Row& row : rows) {
        for (bool reject : {true, false}) {
            SCOPED_TRACE(testing::Message() << row.prefix << (reject ? " rejected" : " silent"));
            Fresh();
            // Both answers land in the same 50 ms round: the rejection wins.
            board.writes[row.prefix] =
                reject ? std::vector<Delivery>{{60, "Ok\r"}, {90, "error\r"}} : std::vector<Delivery>{};
            ExchangeResult r = Write();
            EXPECT_EQ(Wire().size(), row.sentBeforeStop);
            ASSERT_EQ(host.boxes.size(), 1u);
            EXPECT_EQ(host.boxes[0].Text, reject ? row.rejected : row.notConfirmed);
            EXPECT_EQ(host.boxes[0].Type, kErrorBox);
            EXPECT_TRUE(host.boxes[0].TransportOpen);
            unsigned long sentAt = Fake().Commands.back().AtMs;
            EXPECT_EQ(host.boxes[0].AtMs - sentAt, reject ? 100u : row.limitMs);
            EXPECT_EQ(r.End, ExchangeEnd::Failed);
            EXPECT_EQ(Fake().Closes, 1);
        }
    }
}

TEST_F(Sequences, ModeAcknowledgedAfter600MsFailsExceptOnTheRadioWhichSendsAgain) {
    for (std::int8_t interface : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(int(interface));
        Fresh();
        board::Interface = interface;
        board.writes["write mode"] = {{600, "Ok\r"}};
        Write();
        std::vector<std::string> modes;
        for (const std::string& w : Wire())
            if (w == "write mode=3\r") modes.push_back(w);
        ASSERT_EQ(host.boxes.size(), 1u);
        if (interface == 4) {
            // The late "Ok" of the first attempt arrives during the second one.
            EXPECT_EQ(modes.size(), 2u);
            EXPECT_EQ(host.boxes[0].Text, "Устройство подтверждает смену настроек");
        } else {
            EXPECT_EQ(modes.size(), 1u);
            EXPECT_EQ(host.boxes[0].Text, "Не получено подтверждение режима");
        }
    }
}

TEST_F(Sequences, RadioRepeatsAWriteRepeatsCTimesRebuildingOnlyTheTime) {
    board::Interface = 4;
    host.repeats = 2;
    host.pickerTimeFollowsClock = true;
    host.pickerTime = {9, 0, 0};
    board.writes["write date"] = {};
    Write();
    EXPECT_EQ(Wire(), (std::vector<std::string>{"read status\r", "write date=06.12.26\r", "write date=06.12.26\r",
                                                "write date=06.12.26\r"}));
    EXPECT_EQ(host.boxes.back().Text, "Не получено подтверждение даты");

    Fresh();
    board::Interface = 4;
    host.repeats = 2;
    host.pickerTimeFollowsClock = true;
    host.pickerTime = {9, 0, 0};
    board.writes["write time="] = {};
    Write();
    EXPECT_EQ(Wire(), (std::vector<std::string>{"read status\r", "write date=06.12.26\r", "write time=09.00.02\r",
                                                "write time=09.00.05\r", "write time=09.00.08\r"}));
}

TEST_F(Sequences, HostMayStopAWriteBeforeAnyWriteCommand) {
    host.missingValues = "the board did not report its mode";
    ExchangeResult r = Write();
    EXPECT_EQ(Wire(), std::vector<std::string>{"read status\r"});
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].Text, "the board did not report its mode");
    EXPECT_EQ(host.boxes[0].Type, kErrorBox);
    EXPECT_EQ(r.Outcome, "MissingValues");
}

TEST_F(Sequences, AnExceptionFromTheHostStillClosesTheTransportAndRestoresTheWindow) {
    host.throwFromBox = true;
    EXPECT_THROW(Read(), std::runtime_error);
    EXPECT_EQ(Fake().Closes, 1);
    EXPECT_FALSE(board::Busy);
    EXPECT_EQ(host.events.back(), "get caption Прочитать");
}

// The window closing during an exchange ends it at the next round of the
// current wait: nothing more is sent, no box is shown, the transport is closed
// once and the window given back, whatever the exchange was doing.
TEST_F(Sequences, AnAbortEndsTheExchangeAtTheNextRoundWithoutABox) {
    struct Row {
        const char* what;
        bool write;
        std::int8_t interface;
        bool silent;
        unsigned long abortAtMs;
        std::vector<std::string> wire;
        unsigned long endsAtMs;
    } rows[] = {
        {"read, waiting for the status", false, 0, false, 1000, {"read status\r"}, 1000},
        {"read, radio retries of a silent board", false, 4, true, 4100, {"read status\r", "read status\r", "read status\r"}, 4200},
        {"write, waiting for the date's Ok", true, 0, true, 2000 + 50, {"read status\r", "write date=06.12.26\r"}, 2050},
        {"write, the pause after the mode", true, 0, false, 3000,
         {"read status\r", "write date=06.12.26\r", "write time=09.05.03\r", "write brightness=100.80.60.20\r",
          "write timeEx= 6.10.16.21\r", "write mode=3\r"}, 3004},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Fresh();
        host.pickerDate = {6, 12, 2026};
        host.pickerTime = {9, 5, 3};
        board::Interface = row.interface;
        board.silent = row.silent && !row.write;
        if (row.write && row.silent) {  // the status is answered, then nothing
            Fake().Respond = [](const std::string& c) {
                return c == "read status\r" ? std::vector<Delivery>{{100, kGoodReply}} : std::vector<Delivery>{};
            };
        } else {
            Start();
        }
        Fake().AbortAtMs = row.abortAtMs;
        ExchangeResult r = row.write ? RunWriteSequence(host) : RunReadSequence(host);
        EXPECT_EQ(r.End, ExchangeEnd::Aborted);
        EXPECT_EQ(r.Outcome, "Aborted");
        EXPECT_TRUE(host.boxes.empty());
        EXPECT_EQ(Wire(), row.wire);
        EXPECT_EQ(Fake().NowMs, row.endsAtMs);
        EXPECT_EQ(Fake().Closes, 1);
        EXPECT_FALSE(board::Busy);
        EXPECT_EQ(host.events.back(), row.write ? "set caption Установить" : "get caption Прочитать");
    }
}

TEST_F(Sequences, AnAbortDuringTheOpenShowsNothingAndTheNextExchangeRunsWhole) {
    Fake().OpenResult = false;
    // The window's close handler aborts while the transport still connects.
    struct AbortingHost : RecordingHost {
        void RepaintNow() override {
            RecordingHost::RepaintNow();
            board::AbortExchange();
        }
    } aborting;
    ExchangeResult r = RunReadSequence(aborting);
    EXPECT_EQ(r.End, ExchangeEnd::Aborted);
    EXPECT_TRUE(aborting.boxes.empty());
    EXPECT_EQ(Fake().Closes, 0) << "a failed open is not closed";

    Fake().OpenResult = true;
    ExchangeResult next = Read();
    EXPECT_EQ(next.End, ExchangeEnd::Succeeded) << "the abort belongs to the exchange it ended";
}

TEST(StatusReplyComplete, NeedsAllSevenLabelsInOrderEachWithItsCr) {
    struct Row {
        std::string text;
        bool complete;
    } rows[] = {
        {kGoodReply, true},
        {"Soft:10.1\rTime:1:2:3\rDate:1.1.26\rMode:1\rInterval,sec:5\rTime Brightness:1.2.3.4\r"
         "Brightness(20...100):20.20.20.20\r",
         true},
        {"Soft:10.1\rTime:1:2:3\rDate:1.1.26\rMode:1\rInterval,sec:5\rTime Brightness:1.2.3.4\r"
         "Brightness(20...100):20.20.20.20",
         false},
        {"Soft:10.1\rTime:1:2:3\rDate:1.1.26\rMode:1\rInterval,sec:5\rTime Brightness:1.2.3.4\r", false},
        {"Mode:1\rSoft:10.1\rTime:1:2:3\rDate:1.1.26\rInterval,sec:5\rTime Brightness:1.2.3.4\r"
         "Brightness(20...100):20.20.20.20\r",
         false},
        {"", false},
    };
    for (const Row& row : rows) EXPECT_EQ(StatusReplyComplete(row.text), row.complete) << row.text;
}
