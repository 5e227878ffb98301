#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zorvel/board/protocol.h"

using namespace board;

namespace {

const std::string kGoodReply =
    "Soft:10.1\r\nTime:12:05:09\r\nDate:06.12.26\r\nMode:3\r\nInterval,sec:10\r\n"
    "Time Brightness:6.10.16.21\r\nBrightness(20...100):100.80.60.20\r\nT=+21\r\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

}  // namespace

TEST(Commands, ExactBytes) {
    struct Row {
        std::string built, expected;
    } rows[] = {
        {BuildReadStatus(), "read status\r"},
        {BuildWriteDate(6, 12, 2026), "write date=06.12.26\r"},
        {BuildWriteDate(1, 2, 2030), "write date=01.02.30\r"},
        {BuildWriteDate(31, 12, 2000), "write date=31.12.00\r"},
        {BuildWriteTime(9, 5, 3), "write time=09.05.03\r"},
        {BuildWriteTime(23, 59, 59), "write time=23.59.59\r"},
        {BuildWriteBrightness(100, 80, 60, 20), "write brightness=100.80.60.20\r"},
        {BuildWriteTimeEx(6, 10, 16, 21), "write timeEx= 6.10.16.21\r"},
        {BuildWriteTimeEx(0, 1, 2, 3), "write timeEx= 0. 1. 2. 3\r"},
        {BuildWriteMode(1), "write mode=1\r"},
        {BuildWriteMode(4), "write mode=4\r"},
        {BuildWriteInterval(255), "write interval=255\r"},
        {BuildWriteInterval(300), "write interval=44\r"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.built, row.expected);
        EXPECT_EQ(row.built.find('\n'), std::string::npos);
        EXPECT_EQ(row.built.find('\0'), std::string::npos);
    }
}

TEST(ParseStatus, GoodReplyProducesEveryFieldInLabelOrder) {
    std::vector<StatusField> order;
    StatusReadResult r = ParseStatusReply(kGoodReply, [&](StatusField f, const StatusReadResult&) { order.push_back(f); });
    ASSERT_EQ(r.Outcome, StatusOutcome::Read);
    EXPECT_EQ(r.Firmware, "10.1");
    EXPECT_EQ(r.Time.Hours, 12);
    EXPECT_EQ(r.Time.Minutes, 5);
    EXPECT_EQ(r.Time.Seconds, 9);
    EXPECT_EQ(r.Date.Day, 6);
    EXPECT_EQ(r.Date.Month, 12);
    EXPECT_EQ(r.Date.Year, 2026);
    EXPECT_EQ(r.Settings.Mode, 3);
    EXPECT_EQ(r.Settings.Interval, 10);
    EXPECT_EQ(r.Settings.HourM, 6);
    EXPECT_EQ(r.Settings.HourA, 10);
    EXPECT_EQ(r.Settings.HourE, 16);
    EXPECT_EQ(r.Settings.HourN, 21);
    EXPECT_EQ(r.Settings.BrightM, 100);
    EXPECT_EQ(r.Settings.BrightA, 80);
    EXPECT_EQ(r.Settings.BrightE, 60);
    EXPECT_EQ(r.Settings.BrightN, 20);
    std::vector<StatusField> expected = {StatusField::Firmware, StatusField::Time,  StatusField::Date,
                                         StatusField::Mode,     StatusField::Interval, StatusField::Hours,
                                         StatusField::Brightness};
    EXPECT_EQ(order, expected);
}

TEST(ParseStatus, FieldIsAlreadyInTheResultWhenReported) {
    ParseStatusReply(kGoodReply, [](StatusField f, const StatusReadResult& r) {
        if (f == StatusField::Time) {
            EXPECT_TRUE(r.HasTime);
            EXPECT_EQ(r.Time.Minutes, 5);
            EXPECT_FALSE(r.HasDate);
        }
        if (f == StatusField::Mode) {
            EXPECT_EQ(r.Settings.Mode, 3);
        }
    });
}

TEST(ParseStatus, Outcomes) {
    struct Row {
        const char* name;
        std::string reply;
        StatusOutcome outcome;
        int fieldsProduced;
    } rows[] = {
        {"empty", "", StatusOutcome::NoFirmware, 0},
        {"no CR after firmware at the very end", "Soft:10.1", StatusOutcome::NoFirmware, 0},
        {"firmware ver10.05 passes", Replace(kGoodReply, "Soft:10.1", "Soft:ver10.05"), StatusOutcome::Read, 7},
        {"firmware 9.12", Replace(kGoodReply, "Soft:10.1", "Soft:9.12"), StatusOutcome::OtherFirmware, 1},
        {"firmware 100", Replace(kGoodReply, "Soft:10.1", "Soft:100"), StatusOutcome::OtherFirmware, 1},
        {"no time label", Replace(kGoodReply, "Time:", "Tmie:"), StatusOutcome::NoTime, 1},
        {"time fault marker", Replace(kGoodReply, "12:05:09", "165:165:165"), StatusOutcome::ClockFault, 1},
        {"time fault marker wins over a date fault", Replace(Replace(kGoodReply, "12:05:09", "165:165:165"), "06.12.26", "165.165.165"),
         StatusOutcome::ClockFault, 1},
        {"date fault marker after a good time", Replace(kGoodReply, "06.12.26", "165.165.165"), StatusOutcome::ClockFault, 2},
        {"hour out of range", Replace(kGoodReply, "12:05:09", "25:99:00"), StatusOutcome::NoTime, 1},
        {"time with too few parts", Replace(kGoodReply, "12:05:09", "12:05"), StatusOutcome::NoTime, 1},
        {"time with too many parts", Replace(kGoodReply, "12:05:09", "12:05:09:01"), StatusOutcome::NoTime, 1},
        {"time not numeric", Replace(kGoodReply, "12:05:09", "ab:cd:ef"), StatusOutcome::NoTime, 1},
        {"31 February", Replace(kGoodReply, "06.12.26", "31.02.26"), StatusOutcome::NoDate, 2},
        {"29 February 2027", Replace(kGoodReply, "06.12.26", "29.02.27"), StatusOutcome::NoDate, 2},
        {"29 February 2028", Replace(kGoodReply, "06.12.26", "29.02.28"), StatusOutcome::Read, 7},
        {"month 13", Replace(kGoodReply, "06.12.26", "06.13.26"), StatusOutcome::NoDate, 2},
        {"date with too few parts", Replace(kGoodReply, "06.12.26", "06.12"), StatusOutcome::NoDate, 2},
        {"mode before date", "Soft:10.1\rTime:12:05:09\rMode:3\rDate:06.12.26\r", StatusOutcome::NoMode, 3},
        {"date label missing", Replace(kGoodReply, "Date:", "Dat:"), StatusOutcome::NoDate, 2},
        {"mode missing", Replace(kGoodReply, "Mode:", "Mod:"), StatusOutcome::NoMode, 3},
        {"interval missing", Replace(kGoodReply, "Interval,sec:", "Interval:"), StatusOutcome::NoInterval, 4},
        {"hours missing", Replace(kGoodReply, "Time Brightness:", "TimeBrightness:"), StatusOutcome::NoHours, 5},
        {"brightness missing", Replace(kGoodReply, "Brightness(20...100):", "Bright:"), StatusOutcome::NoBrightness, 6},
        {"brightness without CR", kGoodReply.substr(0, kGoodReply.find("100.80.60.20") + 12), StatusOutcome::NoBrightness, 6},
        {"bare CR lines", "Soft:10.1\rTime:12:05:09\rDate:06.12.26\rMode:3\rInterval,sec:10\rTime Brightness:6.10.16.21\r"
                          "Brightness(20...100):100.80.60.20\r",
         StatusOutcome::Read, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int produced = 0;
        StatusReadResult r = ParseStatusReply(row.reply, [&](StatusField, const StatusReadResult&) { ++produced; });
        EXPECT_EQ(OutcomeName(r.Outcome), std::string(OutcomeName(row.outcome)));
        EXPECT_EQ(produced, row.fieldsProduced);
    }
}

TEST(ParseStatus, LabelsOutOfOrderUseALaterSecondOccurrence) {
    std::string reply = "Soft:10.1\rTime:12:05:09\rMode:3\rDate:06.12.26\rMode:2\rInterval,sec:5\r"
                        "Time Brightness:6.10.16.21\rBrightness(20...100):100.80.60.20\r";
    StatusReadResult r = ParseStatusReply(reply);
    EXPECT_EQ(r.Outcome, StatusOutcome::Read);
    EXPECT_EQ(r.Settings.Mode, 2);
}

TEST(ParseStatus, NumberRules) {
    struct Row {
        const char* from;
        const char* to;
        int mode, interval, hourM, hourA, hourE, hourN;
    } rows[] = {
        {"Mode:3", "Mode: 3", 3, 10, 6, 10, 16, 21},
        {"Mode:3", "Mode:x", 0, 10, 6, 10, 16, 21},
        {"Mode:3", "Mode:7", 7, 10, 6, 10, 16, 21},
        {"Mode:3", "Mode:-2", -2, 10, 6, 10, 16, 21},
        {"Interval,sec:10", "Interval,sec:300", 3, 44, 6, 10, 16, 21},
        {"Interval,sec:10", "Interval,sec:", 3, 0, 6, 10, 16, 21},
        {"6.10.16.21", "10.6.16.21", 3, 10, 10, 6, 16, 21},
        {"6.10.16.21", "6.10", 3, 10, 6, 10, 0, 0},
        {"6.10.16.21", "6..16.x", 3, 10, 6, 0, 16, 0},
        {"6.10.16.21", "262.10.16.21", 3, 10, 6, 10, 16, 21},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.to);
        StatusReadResult r = ParseStatusReply(Replace(kGoodReply, row.from, row.to));
        EXPECT_EQ(r.Outcome, StatusOutcome::Read);
        EXPECT_EQ(r.Settings.Mode, row.mode);
        EXPECT_EQ(r.Settings.Interval, row.interval);
        EXPECT_EQ(r.Settings.HourM, row.hourM);
        EXPECT_EQ(r.Settings.HourA, row.hourA);
        EXPECT_EQ(r.Settings.HourE, row.hourE);
        EXPECT_EQ(r.Settings.HourN, row.hourN);
    }
}

TEST(ParseStatus, TextEndsAtFirstNul) {
    std::string reply = kGoodReply;
    reply.insert(reply.find("Mode:"), std::string(1, '\0'));
    EXPECT_EQ(ParseStatusReply(reply).Outcome, StatusOutcome::NoMode);
}

TEST(ParseStatus, OverlongValueIsCut) {
    std::string reply = Replace(kGoodReply, "Soft:10.1", "Soft:10." + std::string(1000, 'x'));
    StatusReadResult r = ParseStatusReply(reply);
    EXPECT_EQ(r.Outcome, StatusOutcome::Read);
    EXPECT_EQ(r.Firmware.size(), 254u);
}

TEST(Firmware, OnlyTheFirstStep) {
    EXPECT_EQ(CheckFirmware("Soft:10.1\r"), StatusOutcome::Read);
    EXPECT_EQ(CheckFirmware("Soft:9.1\r"), StatusOutcome::OtherFirmware);
    EXPECT_EQ(CheckFirmware("Soft:10.1"), StatusOutcome::NoFirmware);
    EXPECT_EQ(CheckFirmware(""), StatusOutcome::NoFirmware);
}

TEST(Acknowledge, ErrorIsTestedFirst) {
    struct Row {
        const char* text;
        Acknowledge expected;
    } rows[] = {
        {"", Acknowledge::NothingYet},
        {"Ok", Acknowledge::NothingYet},
        {"Ok\r", Acknowledge::Acknowledged},
        {"\r\nOk\r\n", Acknowledge::Acknowledged},
        {"OK\r", Acknowledge::NothingYet},
        {"error\r", Acknowledge::Rejected},
        {"Ok\rerror\r", Acknowledge::Rejected},
        {"error\rOk\r", Acknowledge::Rejected},
        {"error", Acknowledge::NothingYet},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(CheckAcknowledge(row.text), row.expected);
    }
}

TEST(Outcomes, MessagesAndCaptions) {
    EXPECT_STREQ(OutcomeMessage(StatusOutcome::Read).Message, "Настройки успешно прочитаны");
    EXPECT_STREQ(OutcomeMessage(StatusOutcome::Read).Caption, "Информация");
    EXPECT_STREQ(OutcomeMessage(StatusOutcome::NoHours).Message, "Не удается прочитать количество секций");
    EXPECT_STREQ(OutcomeMessage(StatusOutcome::ClockFault).Message, "Микросхема часов на устройстве неисправна");
    for (StatusOutcome o : {StatusOutcome::NoFirmware, StatusOutcome::OtherFirmware, StatusOutcome::NoTime,
                            StatusOutcome::ClockFault, StatusOutcome::NoDate, StatusOutcome::NoMode,
                            StatusOutcome::NoInterval, StatusOutcome::NoHours, StatusOutcome::NoBrightness})
        EXPECT_STREQ(OutcomeMessage(o).Caption, "Ошибка");
}

TEST(Decimal, PlainRule) {
    EXPECT_EQ(ParseDecimal("  42abc"), 42);
    EXPECT_EQ(ParseDecimal("-7"), -7);
    EXPECT_EQ(ParseDecimal("+7"), 7);
    EXPECT_EQ(ParseDecimal("x1"), 0);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(static_cast<std::uint8_t>(ParseDecimal("300")), 44);
    (void)ParseDecimal("99999999999999999999999999999");  // wraps, never overflows a signed type
}
