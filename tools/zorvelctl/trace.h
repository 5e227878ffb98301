// --trace FILE: one line for every block sent to or received from a board,
// from every transport and every worker, in the order they happened:
//
//   2026-12-07 14:05:09.123456 north-gate > 12 "read status\r" 72 65 61 64 ...
//
// local date and time with microseconds, the board's name, ">" sent or "<"
// received, the byte count, the bytes as text (\r, \n, \t, \\, \" and \xHH
// for the others) and as hex.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "zorvel/board/link.h"

namespace zorvelctl {

// One line of the trace, without the timestamp and the line end.
std::string TraceLine(const std::string& board, board::Direction direction, const char* data, int count);

class TraceFile {
public:
    // Opens (truncates) the file; Ok() tells whether that worked.
    explicit TraceFile(const std::string& path);
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    bool Ok() const { return file_ != nullptr; }
    // A tap that writes the traffic of the board `name`; any thread.
    board::TrafficTap Tap(const std::string& name);

private:
    void Write(const std::string& line);

    std::mutex lock_;
    std::FILE* file_;
};

}  // namespace zorvelctl
