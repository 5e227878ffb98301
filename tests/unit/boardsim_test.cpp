// The simulated controller: what it accepts, what it refuses, and the status
// reply the program's own parser reads back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "server.h"
#include "simulated_board.h"
#include "zorvel/board/protocol.h"

using namespace boardsim;

namespace {

// 6 December 2026, 12:05:09 local time.
std::time_t FixedNow() {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 6;
    t.tm_hour = 12;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

SimulatedBoard MakeBoard(Faults faults = {}) { return SimulatedBoard(BoardState{}, std::move(faults), FixedNow); }

}  // namespace

TEST(SimulatedBoard, StatusReplyIsWhatTheProgramReads) {
    SimulatedBoard board = MakeBoard();
    std::string reply = board.Handle("read status");
    EXPECT_EQ(reply,
              "Soft:10.1\r\nTime:12:05:09\r\nDate:06.12.26\r\nMode:3\r\nInterval,sec:10\r\n"
              "Time Brightness:6.10.16.21\r\nBrightness(20...100):100.80.60.20\r\nTemperature:+21\r\n");
    EXPECT_EQ(board::ParseStatusReply(reply).Outcome, board::StatusOutcome::Read);
}

TEST(SimulatedBoard, ChecksEveryWriteAsTheControllerDoes) {
    struct Row {
        const char* command;
        bool accepted;
    } rows[] = {
        {"write date=06.12.26", true},      {"write date=29.02.28", true},     {"write date=29.02.27", false},
        {"write date=31.04.26", false},     {"write date=00.01.26", false},    {"write date=01.13.26", false},
        {"write date=1.1", false},          {"write date=01.01.26x", false},   {"write time=23.59.59", true},
        {"write time=24.00.00", false},     {"write time=12.60.00", false},    {"write time=12:00:00", false},
        {"write brightness=100.80.60.20", true}, {"write brightness=19.80.60.20", false},
        {"write brightness=20.80.60.101", false}, {"write brightness=20.80.60", false},
        {"write timeEx= 6.10.16.21", true}, {"write timeEx= 0. 1. 2.23", true}, {"write timeEx=24.1.2.3", false},
        {"write mode=1", true},             {"write mode=4", true},            {"write mode=0", false},
        {"write mode=5", false},            {"write mode=", false},            {"write interval=1", true},
        {"write interval=255", true},       {"write interval=0", false},       {"write interval=256", false},
        {"write colour=1", false},          {"read", false},                   {"", false},
    };
    for (const Row& row : rows) {
        SimulatedBoard board = MakeBoard();
        EXPECT_EQ(board.Handle(row.command), row.accepted ? "Ok\r" : "error\r") << row.command;
    }
}

TEST(SimulatedBoard, AcceptedWritesChangeTheStateAndTheClock) {
    SimulatedBoard board = MakeBoard();
    for (const char* c : {"write date=01.02.30", "write time=08.09.10", "write brightness=21.22.23.24",
                          "write timeEx= 1. 2. 3. 4", "write mode=2", "write interval=77", "write mode=9"})
        board.Handle(c);
    nlohmann::json state = board.StateJson();
    EXPECT_EQ(state["date"], "2030-02-01");
    EXPECT_EQ(state["time"], "08:09:10");
    EXPECT_EQ(state["mode"], 2);
    EXPECT_EQ(state["interval"], 77);
    EXPECT_EQ(state["hours"], nlohmann::json({1, 2, 3, 4}));
    EXPECT_EQ(state["brightness"], nlohmann::json({21, 22, 23, 24}));
    EXPECT_NE(board.Handle("read status").find("Time:08:09:10\r\nDate:01.02.30\r\n"), std::string::npos);
}

TEST(SimulatedBoard, Faults) {
    Faults clock;
    clock.Clock = ClockFault::Both;
    std::string reply = MakeBoard(clock).Handle("read status");
    EXPECT_NE(reply.find("Time:165:165:165\r\nDate:165.165.165\r\n"), std::string::npos);

    Faults silent;
    silent.Silent = true;
    EXPECT_EQ(MakeBoard(silent).Handle("read status"), "");
    EXPECT_EQ(MakeBoard(silent).Handle("write mode=1"), "");

    Faults refusing;
    refusing.Rejected = {"mode", "status"};
    SimulatedBoard board = MakeBoard(refusing);
    EXPECT_EQ(board.Handle("write mode=1"), "error\r");
    EXPECT_EQ(board.Handle("read status"), "error\r");
    EXPECT_EQ(board.Handle("write interval=5"), "Ok\r");
    EXPECT_EQ(board.State().Mode, 3);

    Faults omitting;
    omitting.Omitted = {"mode"};
    omitting.Garbage = "\xff~";
    reply = MakeBoard(omitting).Handle("read status");
    EXPECT_EQ(reply.rfind("\xff~Soft:10.1\r\n", 0), 0u);
    EXPECT_EQ(board::ParseStatusReply(reply).Outcome, board::StatusOutcome::NoMode);
}

TEST(SimulatedBoard, CommandNames) {
    EXPECT_EQ(CommandName("read status"), "status");
    EXPECT_EQ(CommandName("write timeEx= 6.10.16.21"), "timeEx");
    EXPECT_EQ(CommandName("write time=01.02.03"), "time");
    EXPECT_EQ(CommandName("write status=1"), "");
    EXPECT_EQ(CommandName("writemode=1"), "");
}

TEST(Escapes, RoundTrip) {
    EXPECT_EQ(Unescape("a\\r\\n\\t\\\\\\x41\\xff\\q\\x4"), std::string("a\r\n\t\\A\xff\\q\\x4"));
    EXPECT_EQ(Escape(std::string("ok\r\n\t\\\x01\xff", 8)), "ok\\r\\n\\t\\\\\\x01\\xff");
}
