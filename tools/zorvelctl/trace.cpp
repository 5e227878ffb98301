#include "trace.h"

#include <chrono>
#include <ctime>

namespace zorvelctl {

namespace {

std::string Timestamp() {
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    long micro = static_cast<long>(
        std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count() % 1000000);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    char text[64];
    std::size_t used = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + used, sizeof text - used, ".%06ld", micro);
    return text;
}

}  // namespace

std::string TraceLine(const std::string& board, board::Direction direction, const char* data, int count) {
    std::string line = board + (direction == board::Direction::Sent ? " > " : " < ") + std::to_string(count) + " \"";
    std::string hex;
    char piece[8];
    for (int i = 0; i < count; ++i) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        switch (c) {
            case '\r': line += "\\r"; break;
            case '\n': line += "\\n"; break;
            case '\t': line += "\\t"; break;
            case '\\': line += "\\\\"; break;
            case '"': line += "\\\""; break;
            default:
                if (c >= 0x20 && c < 0x7F) {
                    line += static_cast<char>(c);
                } else {
                    std::snprintf(piece, sizeof piece, "\\x%02X", c);
                    line += piece;
                }
        }
        std::snprintf(piece, sizeof piece, i ? " %02X" : "%02X", c);
        hex += piece;
    }
    return line + "\" " + hex;
}

TraceFile::TraceFile(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}

TraceFile::~TraceFile() {
    if (file_) std::fclose(file_);
}

board::TrafficTap TraceFile::Tap(const std::string& name) {
    return [this, name](board::Direction direction, const char* data, int count) {
        Write(TraceLine(name, direction, data, count));
    };
}

void TraceFile::Write(const std::string& line) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!file_) return;
    // Stamped under the lock, so the lines stand in the order of their stamps.
    std::string stamped = Timestamp() + " " + line + "\n";
    std::fwrite(stamped.data(), 1, stamped.size(), file_);
    std::fflush(file_);
}

}  // namespace zorvelctl
