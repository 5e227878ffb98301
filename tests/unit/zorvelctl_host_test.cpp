// zorvelctl's console host on the dispatch double: the early end of the status
// wait, where a write's values come from, the reports and exit statuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "console_host.h"
#include "link_fake.h"
#include "zorvel/board/link.h"

using namespace zorvelctl;
using linkfake::Delivery;
using linkfake::Fake;

namespace {

const std::string kReply =
    "Soft:10.1\r\nTime:12:05:09\r\nDate:06.12.26\r\nMode:3\r\nInterval,sec:10\r\n"
    "Time Brightness:6.10.16.21\r\nBrightness(20...100):100.80.60.20\r\nTemperature:+21\r\n";

std::string Without(std::string text, const std::string& line) {
    text.erase(text.find(line), line.size());
    return text;
}

class ConsoleHostTest : public ::testing::Test {
protected:
    std::vector<std::string> events;
    void SetUp() override {
        linkfake::Reset();
        Fake().Events = &events;
    }
    // The board answers the status with `status` in the given pieces and every write with "Ok".
    void Board(std::vector<Delivery> status) {
        Fake().Respond = [status](const std::string& command) {
            return command == "read status\r" ? status : std::vector<Delivery>{{20, "Ok\r"}};
        };
    }
    std::vector<std::string> Wire() const {
        std::vector<std::string> out;
        for (const auto& c : Fake().Commands) out.push_back(c.Bytes);
        return out;
    }
};

}  // namespace

TEST_F(ConsoleHostTest, StatusWaitEndsWhenTheSeventhValueIsInButNotBefore) {
    std::size_t cut = kReply.find("Brightness(20");
    Board({{30, kReply.substr(0, cut)}, {400, kReply.substr(cut, 30)}, {900, kReply.substr(cut + 30)}});
    ConsoleHost host(3, 0);
    board::ExchangeResult r = board::RunReadSequence(host);
    EXPECT_EQ(r.Outcome, "Read");
    ASSERT_FALSE(host.Boxes().empty());
    // The last piece (with the CR behind the brightness) arrives at 900 ms.
    EXPECT_GE(Fake().NowMs, 900u);
    EXPECT_LT(Fake().NowMs, 950u);
}

TEST_F(ConsoleHostTest, IncompleteReplyStillEndsAfter2000Ms) {
    Board({{30, Without(kReply, "Brightness(20...100):100.80.60.20\r\n")}});
    ConsoleHost host(3, 0);
    board::ExchangeResult r = board::RunReadSequence(host);
    EXPECT_EQ(r.Outcome, "NoBrightness");
    EXPECT_EQ(Fake().NowMs, 2000u);
    EXPECT_EQ(ExitStatus(r), 1);
}

TEST_F(ConsoleHostTest, ReadReports) {
    Board({{30, kReply}});
    ConsoleHost host(3, 0);
    board::ExchangeResult r = board::RunReadSequence(host);
    // The machine's clock is not 6 December 2026, 12:05:09: the warning comes too.
    EXPECT_EQ(TextReport(Command::Read, r, host),
              "firmware: 10.1\ndate: 2026-12-06\ntime: 12:05:09\nmode: 3\ninterval: 10\nhours: 6,10,16,21\n"
              "brightness: 100,80,60,20\n"
              "warning: Дата/Время на устройстве отличается от Даты/Времени, установленной на этом персональном "
              "компьютере\n"
              "Настройки успешно прочитаны\n");
    nlohmann::json json = nlohmann::json::parse(JsonReport(Command::Read, r, host));
    EXPECT_EQ(json["outcome"], "Read");
    EXPECT_EQ(json["message"], "Настройки успешно прочитаны");
    EXPECT_EQ(json["date"], "2026-12-06");
    EXPECT_EQ(json["time"], "12:05:09");
    EXPECT_EQ(json["mode"], 3);
    EXPECT_EQ(json["interval"], 10);
    EXPECT_EQ(json["hours"], nlohmann::json({6, 10, 16, 21}));
    EXPECT_EQ(json["brightness"], nlohmann::json({100, 80, 60, 20}));
    EXPECT_TRUE(json.contains("warning"));
    EXPECT_EQ(ExitStatus(r), 0);
}

TEST_F(ConsoleHostTest, ReadReportsOnlyWhatWasReadAndTheBoardsOwnMode) {
    Board({{30, "Soft:10.1\r\nTime:12:05:09\r\nDate:06.12.26\r\nMode:7\r\n"}});
    ConsoleHost host(3, 0);
    board::ExchangeResult r = board::RunReadSequence(host);
    nlohmann::json json = nlohmann::json::parse(JsonReport(Command::Read, r, host));
    EXPECT_EQ(json["outcome"], "NoInterval");
    EXPECT_EQ(json["message"], "Не удается прочитать значение интервала");
    EXPECT_EQ(json["mode"], 7);
    EXPECT_FALSE(json.contains("interval"));
    EXPECT_FALSE(json.contains("hours"));
}

TEST_F(ConsoleHostTest, WriteTakesWhatIsNotGivenFromTheStatusReply) {
    Board({{30, kReply}});
    WriteValues given;
    given.Date = board::ClockDate{1, 2, 2030};
    given.Time = board::ClockTime{8, 9, 10};
    given.Mode = 2;
    given.Brightness = std::array<int, 4>{21, 22, 23, 24};
    ConsoleHost host(3, 0, given);
    board::ExchangeResult r = board::RunWriteSequence(host);
    EXPECT_EQ(Wire(), (std::vector<std::string>{"read status\r", "write date=01.02.30\r", "write time=08.09.10\r",
                                                "write brightness=21.22.23.24\r", "write timeEx= 6.10.16.21\r",
                                                "write mode=2\r", "write interval=10\r"}));
    EXPECT_EQ(TextReport(Command::Write, r, host),
              "date: 2030-02-01\ntime: 08:09:10\nmode: 2\ninterval: 10\nhours: 6,10,16,21\n"
              "brightness: 21,22,23,24\nУстройство подтверждает смену настроек\n");
    EXPECT_EQ(ExitStatus(r), 0);
}

TEST_F(ConsoleHostTest, WriteWithoutAValueTheBoardDidNotGiveSendsNothing) {
    struct Row {
        std::string reply;
        WriteValues given;
        std::string lacking;  // empty: the write goes through
    } rows[] = {
        {Without(kReply, "Mode:3\r\n"), {}, "--mode, --interval, --hours, --brightness"},
        {Without(kReply, "Brightness(20...100):100.80.60.20\r\n"), {}, "--brightness"},
        {Without(kReply, "Brightness(20...100):100.80.60.20\r\n"),
         {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::array<int, 4>{20, 20, 20, 20}},
         ""},
        // Mode 1 sends no interval, so a reply without one is enough.
        {"Soft:10.1\r\nTime:12:05:09\r\nDate:06.12.26\r\nMode:1\r\n",
         {std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::array<int, 4>{1, 2, 3, 4},
          std::array<int, 4>{20, 20, 20, 20}},
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reply);
        SetUp();
        Board({{30, row.reply}});
        ConsoleHost host(3, 0, row.given);
        board::ExchangeResult r = board::RunWriteSequence(host);
        if (row.lacking.empty()) {
            EXPECT_EQ(r.Outcome, "Written");
            continue;
        }
        EXPECT_EQ(Wire(), std::vector<std::string>{"read status\r"});
        EXPECT_EQ(r.Outcome, "MissingValues");
        EXPECT_NE(r.Message.find("(give " + row.lacking + ")"), std::string::npos) << r.Message;
        EXPECT_EQ(ExitStatus(r), 1);
        EXPECT_EQ(TextReport(Command::Write, r, host), r.Message + "\n");
    }
}

TEST_F(ConsoleHostTest, WriteDateAndTimeDefaultToTheComputersClockWhenSent) {
    Board({{30, kReply}});
    ConsoleHost host(3, 0);
    board::LocalDateTime before = host.Now();
    board::RunWriteSequence(host);
    board::LocalDateTime after = host.Now();
    ASSERT_GE(Wire().size(), 3u);
    const board::ClockDate& d = *host.SentDate();
    EXPECT_TRUE((d.Day == before.Date.Day && d.Month == before.Date.Month && d.Year == before.Date.Year) ||
                (d.Day == after.Date.Day && d.Month == after.Date.Month && d.Year == after.Date.Year));
    char expected[32];
    std::snprintf(expected, sizeof expected, "write date=%02d.%02d.%02d\r", d.Day, d.Month, d.Year % 100);
    EXPECT_EQ(Wire()[1], expected);
}

TEST_F(ConsoleHostTest, ExitStatusOfAFailedOpenIsThree) {
    Fake().OpenResult = false;
    ConsoleHost host(3, 0);
    board::ExchangeResult r = board::RunReadSequence(host);
    EXPECT_EQ(ExitStatus(r), 3);
    EXPECT_TRUE(host.Boxes().empty());
    nlohmann::json json = nlohmann::json::parse(JsonReport(Command::Read, r, host));
    EXPECT_EQ(json["outcome"], "NotOpened");
}
