// The board controller as the simulator plays it: its state, the checks a
// real controller makes on each write command, the status reply, and the
// faults an operator of the simulator can order. No I/O here: the server feeds
// it command lines and sends back what it answers.
#pragma once

#include <ctime>
#include <functional>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

namespace boardsim {

struct BoardState {
    std::string Firmware = "10.1";
    long ClockOffsetSeconds = 0;  // the board's clock runs at the computer's plus this
    int Mode = 3;
    int Interval = 10;
    int Hours[4] = {6, 10, 16, 21};         // morning, day, evening, night start hours
    int Brightness[4] = {100, 80, 60, 20};  // percent for the same parts of the day
};

enum class ClockFault { None, Time, Date, Both };

struct Faults {
    ClockFault Clock = ClockFault::None;
    bool Silent = false;                // never answers anything
    std::set<std::string> Rejected;     // command names answered "error\r": date, time, ..., status
    std::set<std::string> Ignored;      // write commands answered "Ok\r" but not applied
    std::set<std::string> Omitted;      // status lines left out: soft, time, date, mode, ...
    std::string Garbage;                // sent before every answer
};

// The command names a write carries ("write mode=3" is "mode"), and "status".
extern const char* const kCommandNames[7];
// The status reply's lines, in order, for --omit.
extern const char* const kStatusLines[7];

class SimulatedBoard {
public:
    using Clock = std::function<std::time_t()>;
    SimulatedBoard(BoardState state, Faults faults, Clock now);

    // The answer to one command line (without its CR); empty when the board
    // stays silent.
    std::string Handle(const std::string& command);

    const BoardState& State() const { return state_; }
    nlohmann::json StateJson() const;
    std::string StatusReply() const;

private:
    bool Apply(const std::string& name, const std::string& value);
    std::tm BoardClock() const;
    void SetBoardClock(const std::tm& clock);

    BoardState state_;
    Faults faults_;
    Clock now_;
};

// A command's name: "status" for "read status", the word before '=' of a
// write ("write timeEx= 6.10.16.21" is "timeEx"); empty for anything else.
std::string CommandName(const std::string& command);

}  // namespace boardsim
