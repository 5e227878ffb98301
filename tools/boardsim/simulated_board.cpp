#include "simulated_board.h"

#include <cstdio>
#include <vector>

namespace boardsim {

const char* const kCommandNames[7] = {"date", "time", "brightness", "timeEx", "mode", "interval", "status"};
const char* const kStatusLines[7] = {"soft", "time", "date", "mode", "interval", "hours", "brightness"};

namespace {

const char kOk[] = "Ok\r";
const char kError[] = "error\r";

// "n1<sep>n2<sep>...": exactly `count` plain numbers. Blanks before a number
// are allowed (the start hours travel padded to two characters: " 6").
bool ParseNumbers(const std::string& text, char separator, std::size_t count, std::vector<int>& out) {
    out.clear();
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && text[i] == ' ') ++i;
        std::size_t digits = 0;
        long value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            if (++digits > 4) return false;
            value = value * 10 + (text[i++] - '0');
        }
        if (digits == 0) return false;
        out.push_back(static_cast<int>(value));
        if (i == text.size()) break;
        if (text[i++] != separator) return false;
    }
    return out.size() == count;
}

bool InRange(const std::vector<int>& values, int low, int high) {
    for (int v : values)
        if (v < low || v > high) return false;
    return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int month, int year) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

std::string Format(const char* format, int a, int b, int c) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

}  // namespace

std::string CommandName(const std::string& command) {
    if (command == "read status") return "status";
    const std::string write = "write ";
    if (command.compare(0, write.size(), write) != 0) return {};
    std::size_t equals = command.find('=');
    if (equals == std::string::npos) return {};
    std::string name = command.substr(write.size(), equals - write.size());
    for (const char* known : kCommandNames)
        if (name == known && name != "status") return name;
    return {};
}

SimulatedBoard::SimulatedBoard(BoardState state, Faults faults, Clock now)
    : state_(std::move(state)), faults_(std::move(faults)), now_(std::move(now)) {}

std::string SimulatedBoard::Handle(const std::string& command) {
    if (faults_.Silent) return {};
    std::string name = CommandName(command);
    std::string answer;
    if (name.empty() || faults_.Rejected.count(name)) {
        answer = kError;
    } else if (name == "status") {
        answer = StatusReply();
    } else if (faults_.Ignored.count(name)) {
        answer = kOk;  // acknowledged, yet the board keeps what it had
    } else {
        answer = Apply(name, command.substr(command.find('=') + 1)) ? kOk : kError;
    }
    return faults_.Garbage + answer;
}

bool SimulatedBoard::Apply(const std::string& name, const std::string& value) {
    std::vector<int> n;
    if (name == "date") {
        if (!ParseNumbers(value, '.', 3, n) || n[2] > 99) return false;
        int year = 2000 + n[2];
        if (n[1] < 1 || n[1] > 12 || n[0] < 1 || n[0] > DaysInMonth(n[1], year)) return false;
        std::tm clock = BoardClock();
        clock.tm_mday = n[0];
        clock.tm_mon = n[1] - 1;
        clock.tm_year = year - 1900;
        SetBoardClock(clock);
    } else if (name == "time") {
        if (!ParseNumbers(value, '.', 3, n) || n[0] > 23 || n[1] > 59 || n[2] > 59) return false;
        std::tm clock = BoardClock();
        clock.tm_hour = n[0];
        clock.tm_min = n[1];
        clock.tm_sec = n[2];
        SetBoardClock(clock);
    } else if (name == "brightness") {
        if (!ParseNumbers(value, '.', 4, n) || !InRange(n, 20, 100)) return false;
        for (int i = 0; i < 4; ++i) state_.Brightness[i] = n[i];
    } else if (name == "timeEx") {
        if (!ParseNumbers(value, '.', 4, n) || !InRange(n, 0, 23)) return false;
        for (int i = 0; i < 4; ++i) state_.Hours[i] = n[i];
    } else if (name == "mode") {
        if (!ParseNumbers(value, '.', 1, n) || !InRange(n, 1, 4)) return false;
        state_.Mode = n[0];
    } else if (name == "interval") {
        if (!ParseNumbers(value, '.', 1, n) || !InRange(n, 1, 255)) return false;
        state_.Interval = n[0];
    } else {
        return false;
    }
    return true;
}

std::tm SimulatedBoard::BoardClock() const {
    std::time_t t = now_() + state_.ClockOffsetSeconds;
    std::tm clock{};
    localtime_r(&t, &clock);
    return clock;
}

void SimulatedBoard::SetBoardClock(const std::tm& clock) {
    std::tm copy = clock;
    copy.tm_isdst = -1;
    state_.ClockOffsetSeconds = static_cast<long>(std::mktime(&copy) - now_());
}

std::string SimulatedBoard::StatusReply() const {
    std::tm clock = BoardClock();
    bool timeFault = faults_.Clock == ClockFault::Time || faults_.Clock == ClockFault::Both;
    bool dateFault = faults_.Clock == ClockFault::Date || faults_.Clock == ClockFault::Both;
    const int* h = state_.Hours;
    const int* b = state_.Brightness;
    std::string lines[7] = {
        "Soft:" + state_.Firmware,
        "Time:" + (timeFault ? "165:165:165" : Format("%02d:%02d:%02d", clock.tm_hour, clock.tm_min, clock.tm_sec)),
        "Date:" + (dateFault ? "165.165.165"
                             : Format("%02d.%02d.%02d", clock.tm_mday, clock.tm_mon + 1, clock.tm_year % 100)),
        "Mode:" + std::to_string(state_.Mode),
        "Interval,sec:" + std::to_string(state_.Interval),
        "Time Brightness:" + Format("%d.%d.%d", h[0], h[1], h[2]) + "." + std::to_string(h[3]),
        "Brightness(20...100):" + Format("%d.%d.%d", b[0], b[1], b[2]) + "." + std::to_string(b[3]),
    };
    std::string reply;
    for (int i = 0; i < 7; ++i)
        if (!faults_.Omitted.count(kStatusLines[i])) reply += lines[i] + "\r\n";
    reply += "Temperature:+21\r\n";  // a line without a label the program knows
    return reply;
}

nlohmann::json SimulatedBoard::StateJson() const {
    std::tm clock = BoardClock();
    char date[48], time[48];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", clock.tm_year + 1900, clock.tm_mon + 1, clock.tm_mday);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", clock.tm_hour, clock.tm_min, clock.tm_sec);
    return {
        {"firmware", state_.Firmware},
        {"clock_offset", state_.ClockOffsetSeconds},
        {"date", date},
        {"time", time},
        {"mode", state_.Mode},
        {"interval", state_.Interval},
        {"hours", {state_.Hours[0], state_.Hours[1], state_.Hours[2], state_.Hours[3]}},
        {"brightness", {state_.Brightness[0], state_.Brightness[1], state_.Brightness[2], state_.Brightness[3]}},
    };
}

}  // namespace boardsim
