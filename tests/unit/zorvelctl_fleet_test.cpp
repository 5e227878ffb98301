// zorvelctl's fleet pieces on the dispatch double: the fleet file, the lanes
// of boards sharing a port, the clock setting across midnight on the virtual
// clock, the read-back comparison and the trace lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "console_host.h"
#include "fleet.h"
#include "link_fake.h"
#include "trace.h"
#include "values.h"
#include "zorvel/board/link.h"

using namespace zorvelctl;
using linkfake::Delivery;
using linkfake::Fake;

namespace {

// --- The fleet file ------------------------------------------------------------------

TEST(FleetFileTest, CsvAndJsonGiveTheSameBoards) {
    const std::string csv =
        "\xEF\xBB\xBF# the town's boards\n"
        "Name,Target,Mode,Hours,Brightness,Interval,Date,Time\n"
        "\n"
        "north,tcp:10.0.0.21:4001,3,\"6,10,16,21\",\"100,80,60,20\",15,01.02.2030,08:09:10\r\n"
        "depot,serial:/dev/ttyUSB0@19200,,,,,,\n"
        "well,gsm:DEV1:+79991234567\n"
        "  # a comment between boards\n"
        "mast,radio:DEV1:35\n"
        "shop,usb:DEV2,1\n";
    const std::string json = R"({"boards": [
        {"name": "north", "target": "tcp:10.0.0.21:4001", "mode": 3, "hours": [6, 10, 16, 21],
         "brightness": "100,80,60,20", "interval": 15, "date": "01.02.2030", "time": "08:09:10"},
        {"name": "depot", "target": "serial:/dev/ttyUSB0@19200", "mode": null},
        {"name": "well", "target": "gsm:DEV1:+79991234567"},
        {"name": "mast", "target": "radio:DEV1:35"},
        {"name": "shop", "target": "usb:DEV2", "mode": 1}]})";
    for (const std::string& content : {csv, json}) {
        std::vector<FleetBoard> boards = ParseFleet(content, "boards");
        ASSERT_EQ(boards.size(), 5u);
        const FleetBoard& north = boards[0];
        EXPECT_EQ(north.Name, "north");
        EXPECT_EQ(north.Where.Via, Target::Kind::Tcp);
        EXPECT_EQ(north.Where.Host, "10.0.0.21");
        EXPECT_EQ(north.Where.Port, 4001);
        EXPECT_EQ(*north.Values.Mode, 3);
        EXPECT_EQ(*north.Values.Interval, 15);
        EXPECT_EQ(*north.Values.Hours, (std::array<int, 4>{6, 10, 16, 21}));
        EXPECT_EQ(*north.Values.Brightness, (std::array<int, 4>{100, 80, 60, 20}));
        EXPECT_EQ(north.Values.Date->Year, 2030);
        EXPECT_EQ(north.Values.Time->Seconds, 10);

        EXPECT_EQ(boards[1].Where.Via, Target::Kind::Serial);
        EXPECT_EQ(boards[1].Where.Device, "/dev/ttyUSB0");
        EXPECT_EQ(boards[1].Where.Baud, 19200);
        EXPECT_FALSE(boards[1].Values.Mode || boards[1].Values.Hours || boards[1].Values.Date);
        EXPECT_EQ(boards[2].Where.Via, Target::Kind::Gsm);
        EXPECT_EQ(boards[2].Where.Number, "+79991234567");
        EXPECT_EQ(boards[3].Where.Via, Target::Kind::Radio);
        EXPECT_EQ(boards[3].Where.Channel, 35);
        EXPECT_EQ(boards[4].Where.Device, "DEV2");
        EXPECT_EQ(*boards[4].Values.Mode, 1);
    }
    EXPECT_EQ(ParseFleet(csv, "boards")[4].Line, 9) << "lines are counted in the file, blank and comment lines included";
}

TEST(FleetFileTest, AnErrorNamesTheFileAndTheLine) {
    const std::string header = "name,target,mode,hours\n";
    const struct {
        std::string content;
        std::string error;
    } cases[] = {
        {header + "a,tcp:10.0.0.1:80\nb,ftp:10.0.0.2:80\n", "f.csv:3: unknown transport"},
        {header + "a,tcp:10.0.0.1:80,9\n", "f.csv:2: mode must be a number 1..4: 9"},
        {header + "a,tcp:10.0.0.1:80,,\"1,2,3\"\n", "f.csv:2: hours expects four comma-separated numbers"},
        {header + "a,tcp:10.0.0.1:80,,\"1,2,3,24\"\n", "f.csv:2: hours must be a number 0..23: 24"},
        {header + "a,tcp:10.0.0.1\n", "f.csv:2: expected tcp:HOST:PORT"},
        {header + "a,tcp:10.0.0.1:70000\n", "f.csv:2: the port must be a number 1..65535"},
        {header + "a,tcp:a-very-long-host-name:80\n", "f.csv:2: the host may have at most 15 characters"},
        {header + "a,serial:COM1@9\n", "f.csv:2: the baud rate must be a number"},
        {header + "a,usb:USB0\n", "f.csv:2: the USB adapter must be DEV<n>"},
        {header + "a,radio:DEV0:36\n", "f.csv:2: the radio channel must be a number 1..35"},
        {header + "a,gsm:DEV0\n", "f.csv:2: expected gsm:DEV<n>:NUMBER"},
        {header + "a\n", "f.csv:2: board a has no target"},
        {header + ",tcp:10.0.0.1:80\n", "f.csv:2: the board has no name"},
        {header + "a,tcp:10.0.0.1:80,1,\"1,2,3,4\",x\n", "f.csv:2: 5 fields, the header has 4"},
        {header + "a,\"tcp:10.0.0.1:80\n", "f.csv:2: a quoted field is not closed"},
        {header + "a,tcp:10.0.0.1:80\n\na,tcp:10.0.0.2:80\n", "f.csv:4: the name a is already used (line 2)"},
        {"name,target,colour\n", "f.csv:1: unknown column \"colour\""},
        {"name,mode\n", "f.csv:1: the header must name the columns name and target"},
        {"# nothing\n", "f.csv: no header line"},
        {header, "f.csv: no boards"},
        {R"([{"name": "a", "target": "tcp:10.0.0.1:80"}, {"name": "b", "target": "tcp:10.0.0.2:80", "mode": "x"}])",
         "f.csv: board entry 2: mode must be a number 1..4: x"},
        {R"([{"name": "a", "target": "tcp:10.0.0.1:80", "colour": 1}])", "f.csv: board entry 1: unknown key \"colour\""},
        {R"([{"name": "a", "target": "tcp:10.0.0.1:80", "hours": [1, 2, "3", 4]}])",
         "f.csv: board entry 1: hours must hold four whole numbers"},
        {R"([{"name": "a", "target": "tcp:10.0.0.1:80"}, {"name": "a", "target": "tcp:10.0.0.2:80"}])",
         "f.csv: board entry 2: the name a is already used (entry 1)"},
        {R"([{"name": "", "target": "tcp:10.0.0.1:80"}])", "f.csv: board entry 1: the board has no name"},
        {R"({"boards": {}})", "f.csv: expected an array of boards"},
        {"[{\"name\": ", "f.csv: not valid JSON"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        try {
            ParseFleet(c.content, "f.csv");
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            EXPECT_EQ(e.Text.compare(0, c.error.size(), c.error), 0) << e.Text;
        }
    }
}

// --- Lanes ------------------------------------------------------------------------------

std::vector<FleetBoard> Boards(const std::vector<std::string>& targets) {
    std::string csv = "name,target\n";
    for (std::size_t i = 0; i < targets.size(); ++i) csv += "b" + std::to_string(i) + "," + targets[i] + "\n";
    return ParseFleet(csv, "f");
}

TEST(FleetLanesTest, BoardsSharingAPortAdapterOrAddressShareALane) {
    using Lanes_ = std::vector<std::vector<std::size_t>>;
    const struct {
        std::vector<std::string> targets;
        Lanes_ lanes;
    } cases[] = {
        {{"tcp:10.0.0.1:80", "tcp:10.0.0.2:80", "tcp:10.0.0.1:81"}, {{0}, {1}, {2}}},
        {{"tcp:10.0.0.1:80", "tcp:10.0.0.1:80"}, {{0, 1}}},
        {{"serial:COM3", "serial:com3@19200", "serial:COM4"}, {{0, 1}, {2}}},
        {{"serial:/dev/ttyUSB0", "tcp:10.0.0.1:80", "serial:/dev/ttyUSB0@9600"}, {{0, 2}, {1}}},
        // The modem and the radio module hang on the USB adapter: one lane per adapter.
        {{"gsm:DEV0:111", "radio:DEV0:3", "usb:DEV0", "gsm:DEV1:222", "radio:DEV1:4"}, {{0, 1, 2}, {3, 4}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.targets.front());
        EXPECT_EQ(Lanes(Boards(c.targets)), c.lanes);
    }
}

TEST(FleetLanesTest, ALaneRunsInOrderOnOneWorkerAndNoMoreThanJobsRunAtOnce) {
    const std::vector<std::vector<std::size_t>> lanes = {{0, 3, 5}, {1}, {2, 4}, {6}, {7, 8, 9}};
    for (unsigned jobs : {1u, 2u, 64u}) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        std::mutex lock;
        std::vector<std::size_t> order;
        std::vector<std::thread::id> worker(10);
        std::atomic<int> running{0}, most{0};
        RunLanes(lanes, jobs, [&](std::size_t board) {
            int now = ++running;
            for (int seen = most.load(); now > seen && !most.compare_exchange_weak(seen, now);) {}
            {
                std::lock_guard<std::mutex> hold(lock);
                order.push_back(board);
                worker[board] = std::this_thread::get_id();
            }
            --running;
        });
        EXPECT_LE(most.load(), static_cast<int>(jobs));
        ASSERT_EQ(order.size(), 10u);
        for (const auto& lane : lanes) {
            for (std::size_t i = 1; i < lane.size(); ++i) {
                auto before = std::find(order.begin(), order.end(), lane[i - 1]);
                EXPECT_LT(before, std::find(order.begin(), order.end(), lane[i])) << "lane order";
                EXPECT_EQ(worker[lane[i - 1]], worker[lane[i]]) << "one worker per lane";
            }
        }
    }
}

TEST(FleetLanesTest, AFailingBoardDoesNotStopTheOthers) {
    std::atomic<int> done{0};
    EXPECT_THROW(RunLanes({{0, 1}, {2}}, 2,
                          [&](std::size_t board) {
                              if (board == 0) throw std::runtime_error("unplugged");
                              ++done;
                          }),
                 std::runtime_error);
    EXPECT_EQ(done.load(), 2);
}

// --- The clock setting on the virtual clock ------------------------------------------

const std::string kStatus =
    "Soft:10.1\r\nTime:23:59:30\r\nDate:07.12.26\r\nMode:3\r\nInterval,sec:10\r\n"
    "Time Brightness:6.10.16.21\r\nBrightness(20...100):100.80.60.20\r\n";

// The computer's clock runs with the virtual one, from a given start.
class VirtualClockHost : public ConsoleHost {
public:
    VirtualClockHost(board::ClockDate date, board::ClockTime time, unsigned startMs)
        : ConsoleHost(3, 0), start_(board::ClockSeconds(date, time) * 1000 + startMs) {}
    board::LocalDateTime Now() override {
        long long seconds = (start_ + static_cast<long long>(Fake().NowMs)) / 1000;
        // Only 7 and 8 December 2026 occur here.
        long long dayStart = board::ClockSeconds({7, 12, 2026}, {});
        int dayIndex = static_cast<int>((seconds - dayStart) / 86400);
        long long rest = seconds - dayStart - dayIndex * 86400LL;
        return {{7 + dayIndex, 12, 2026},
                {static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60)}};
    }

private:
    long long start_;
};

class ClockSettingTest : public ::testing::Test {
protected:
    void SetUp() override {
        linkfake::Reset();
        // The status after 100 ms, every write acknowledged after `ackMs`.
        Fake().Respond = [this](const std::string& command) {
            return command == "read status\r" ? std::vector<Delivery>{{100, kStatus}}
                                              : std::vector<Delivery>{{ackMs, "Ok\r"}};
        };
    }
    std::vector<std::string> Wire() const {
        std::vector<std::string> out;
        for (const auto& c : Fake().Commands) out.push_back(c.Bytes);
        return out;
    }
    unsigned long ackMs = 300;
};

TEST_F(ClockSettingTest, TheDateIsSentAgainWhenMidnightFallsBetweenDateAndTime) {
    // 23:59:59.800: the status is in at .900, the date goes out then, the
    // time 300 ms later, already on the 8th.
    VirtualClockHost host({7, 12, 2026}, {23, 59, 59}, 800);
    board::ExchangeResult r = board::RunClockSequence(host);
    EXPECT_EQ(r.Outcome, "ClockSet");
    EXPECT_TRUE(r.DateSentAgain);
    EXPECT_EQ(Wire(), (std::vector<std::string>{"read status\r", "write date=07.12.26\r", "write time=00.00.00\r",
                                                "write date=08.12.26\r"}));
    ASSERT_TRUE(r.HasDrift);
    EXPECT_EQ(r.DriftSeconds, -29) << "board 23:59:30 against the computer's 23:59:59 when the status came";
}

TEST_F(ClockSettingTest, TheDateIsSentOnceWithinOneDay) {
    const struct {
        board::ClockTime start;
        unsigned startMs;
    } cases[] = {
        {{12, 0, 0}, 0},
        {{23, 59, 59}, 0},  // date at .100, time at .400: still the 7th
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start.Hours);
        linkfake::Reset();
        SetUp();
        VirtualClockHost host({7, 12, 2026}, c.start, c.startMs);
        board::ExchangeResult r = board::RunClockSequence(host);
        EXPECT_EQ(r.Outcome, "ClockSet");
        EXPECT_FALSE(r.DateSentAgain);
        std::vector<std::string> wire = Wire();
        ASSERT_EQ(wire.size(), 3u);
        EXPECT_EQ(wire[1], "write date=07.12.26\r");
    }
}

TEST_F(ClockSettingTest, ARejectedTimeEndsTheSettingWithNoDateSentAgain) {
    Fake().Respond = [](const std::string& command) {
        if (command == "read status\r") return std::vector<Delivery>{{100, kStatus}};
        return std::vector<Delivery>{{300, command.rfind("write time", 0) == 0 ? "error\r" : "Ok\r"}};
    };
    VirtualClockHost host({7, 12, 2026}, {23, 59, 59}, 500);
    board::ExchangeResult r = board::RunClockSequence(host);
    EXPECT_EQ(r.Outcome, "TimeRejected");
    EXPECT_EQ(Fake().Commands.size(), 3u);
    EXPECT_EQ(ExitStatus(r), 1);
}

// --- The read-back -----------------------------------------------------------------------

TEST(VerifyTest, EveryValueThatDiffersIsReported) {
    linkfake::Reset();
    Fake().Respond = [](const std::string& command) {
        return command == "read status\r" ? std::vector<Delivery>{{10, kStatus}} : std::vector<Delivery>{{10, "Ok\r"}};
    };
    WriteValues values;
    values.Mode = 2;
    values.Hours = std::array<int, 4>{5, 9, 17, 22};
    values.Date = board::ClockDate{7, 12, 2026};
    values.Time = board::ClockTime{23, 59, 30};
    ConsoleHost writer(3, 0, values);
    ASSERT_EQ(board::RunWriteSequence(writer).Outcome, "Written");
    ConsoleHost reader(3, 0);
    board::ExchangeResult back = board::RunReadSequence(reader);  // the board kept mode 3 and its hours
    long long expected = *writer.ExpectedBoardClock();
    EXPECT_EQ(expected, board::ClockSeconds({7, 12, 2026}, {23, 59, 30}));

    Verification v = Verify(Command::Write, writer, back, expected, 2);
    ASSERT_EQ(v.Differences.size(), 2u);
    EXPECT_EQ(v.Differences[0].Field, "mode");
    EXPECT_EQ(v.Differences[0].Written, "2");
    EXPECT_EQ(v.Differences[0].Read, "3");
    EXPECT_EQ(v.Differences[1].Field, "hours");
    EXPECT_EQ(v.Differences[1].Written, "5,9,17,22");
    EXPECT_FALSE(v.Ok());
    board::ExchangeResult written;
    written.End = board::ExchangeEnd::Succeeded;
    EXPECT_EQ(ExitStatus(written, &v), 1);

    // The clock: within the tolerance or not; sync-clock compares only the clock.
    Verification near = Verify(Command::SyncClock, writer, back, expected + 2, 2);
    EXPECT_TRUE(near.Ok());
    Verification far = Verify(Command::SyncClock, writer, back, expected + 3, 2);
    ASSERT_EQ(far.Differences.size(), 1u);
    EXPECT_EQ(far.Differences[0].Field, "clock");
    EXPECT_EQ(far.Differences[0].Written, "2026-12-07 23:59:33");
    EXPECT_EQ(far.Differences[0].Read, "2026-12-07 23:59:30");
    Verification acrossMidnight = Verify(Command::SyncClock, writer, back, expected + 31, 2);
    EXPECT_EQ(acrossMidnight.Differences[0].Written, "2026-12-08 00:00:01");

    const std::string report = JsonReport(Command::Write, back, writer, &v);
    EXPECT_NE(report.find(R"("verified":false,"differences":[{"field":"mode","written":"2","read":"3"})"),
              std::string::npos)
        << report;
}

TEST(VerifyTest, AReadBackThatFailsIsNoSuccess) {
    board::ExchangeResult back;
    back.End = board::ExchangeEnd::Failed;
    back.Outcome = "NoAnswer";
    back.Message = "Устройство не отвечает на команды";
    ConsoleHost writer(3, 0);
    Verification v = Verify(Command::Write, writer, back, 0, 2);
    EXPECT_FALSE(v.Ok());
    EXPECT_EQ(v.Failure, back.Message);
    board::ExchangeResult written;
    written.End = board::ExchangeEnd::Succeeded;
    written.Message = "done";
    EXPECT_EQ(TextReport(Command::Write, written, writer, &v),
              "done\nverify: not read back: Устройство не отвечает на команды\n");
}

// --- Trace lines ---------------------------------------------------------------------------

TEST(TraceTest, ALineShowsTheBoardTheDirectionTheTextAndTheHex) {
    const std::string status = "read status\r";
    EXPECT_EQ(TraceLine("north", board::Direction::Sent, status.data(), static_cast<int>(status.size())),
              "north > 12 \"read status\\r\" 72 65 61 64 20 73 74 61 74 75 73 0D");
    const std::string odd("Ok\r\n\t\"\\\0\xff", 9);
    EXPECT_EQ(TraceLine("b 2", board::Direction::Received, odd.data(), static_cast<int>(odd.size())),
              "b 2 < 9 \"Ok\\r\\n\\t\\\"\\\\\\x00\\xFF\" 4F 6B 0D 0A 09 22 5C 00 FF");
}

}  // namespace
