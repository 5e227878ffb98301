#include "transports/gsm/dialogue.h"

#include <algorithm>
#include <cctype>

namespace gsm {

namespace {

constexpr char kNoCarrier[] = "NO CARRIER";
constexpr std::size_t kNoCarrierLength = sizeof kNoCarrier - 1;

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

Dialogue::Dialogue(ModemPort& port, transports::Clock& clock) : port_(port), clock_(clock) {}

void Dialogue::Feed(const char* data, int count) {
    if (!data || count <= 0) return;
    std::function<void()> handler;
    {
        std::lock_guard<std::mutex> hold(lock_);
        std::string_view rest(data, static_cast<std::size_t>(count));
        if (dataMode_) {
            // Board bytes: only the modem's report of the call's end matters,
            // and it may be split across two blocks.
            std::string window = dataTail_ + std::string(rest);
            std::size_t at = window.find(kNoCarrier);
            if (at == std::string::npos) {
                std::size_t keep = std::min(window.size(), kNoCarrierLength - 1);
                dataTail_ = window.substr(window.size() - keep);
                return;
            }
            dataTail_.clear();
            dataMode_ = false;
            splitter_.Clear();
            carrierLost_ = true;
            TakeLine(kNoCarrier);
            std::size_t consumedFromBlock = at + kNoCarrierLength - (window.size() - rest.size());
            rest.remove_prefix(std::min(rest.size(), consumedFromBlock));
        }
        for (std::string& line : splitter_.Add(rest)) {
            if (dataMode_) break;  // the rest of a block after CONNECT is the board's
            TakeLine(std::move(line));
        }
        if (carrierLost_) {
            carrierLost_ = false;
            handler = onCarrierLost_;
        }
    }
    wake_.notify_all();
    if (handler) handler();
}

void Dialogue::TakeLine(std::string line) {
    if (std::optional<UssdAnswer> ussd = ParseUssd(line)) {
        ussd_ = std::move(ussd);
        return;
    }
    if (ClassifyLine(line) == Final::Connect) {
        dataMode_ = true;
        dataTail_.clear();
        splitter_.Clear();
    }
    lines_.push_back(std::move(line));
}

void Dialogue::Cancel() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        cancelled_ = true;
    }
    wake_.notify_all();
}

bool Dialogue::Cancelled() const {
    std::lock_guard<std::mutex> hold(lock_);
    return cancelled_;
}

void Dialogue::Restart() {
    std::lock_guard<std::mutex> hold(lock_);
    splitter_.Clear();
    lines_.clear();
    ussd_.reset();
    dataMode_ = false;
    cancelled_ = false;
    carrierLost_ = false;
    dataTail_.clear();
}

bool Dialogue::Write(const char* data, int length) {
    std::lock_guard<std::mutex> hold(writeLock_);
    bool written = port_.Write(data, length);
    std::lock_guard<std::mutex> holdState(lock_);
    lastWrite_ = clock_.Now();
    return written;
}

bool Dialogue::WaitLine(std::unique_lock<std::mutex>& lock, Ms deadline, std::string& line) {
    for (;;) {
        if (cancelled_) return false;
        if (!lines_.empty()) {
            line = std::move(lines_.front());
            lines_.pop_front();
            return true;
        }
        if (clock_.Now() >= deadline) return false;
        clock_.WaitUntil(lock, wake_, deadline);
    }
}

Reply Dialogue::Command(const std::string& command, Ms timeoutMs) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (cancelled_) return {};
        lines_.clear();  // late answers to an earlier command that timed out
    }
    std::string bytes = command + "\r";
    if (!Write(bytes.data(), static_cast<int>(bytes.size()))) return {Final::Error, "write failed", {}};

    Reply reply;
    std::unique_lock<std::mutex> lock(lock_);
    const Ms deadline = clock_.Now() + timeoutMs;
    std::string line;
    while (WaitLine(lock, deadline, line)) {
        Final result = ClassifyLine(line);
        if (result != Final::None) {
            reply.Result = result;
            reply.Code = std::move(line);
            return reply;
        }
        if (!SameText(line, command)) reply.Lines.push_back(std::move(line));
    }
    return reply;
}

bool Dialogue::Pause(Ms ms) {
    std::unique_lock<std::mutex> lock(lock_);
    const Ms deadline = clock_.Now() + ms;
    while (!cancelled_ && clock_.Now() < deadline) clock_.WaitUntil(lock, wake_, deadline);
    return !cancelled_;
}

Reply Dialogue::Escape(Ms guardMs, Ms timeoutMs) {
    Ms silentUntil;
    {
        std::lock_guard<std::mutex> hold(lock_);
        silentUntil = lastWrite_ + guardMs;
    }
    Ms now = clock_.Now();
    if (now < silentUntil && !Pause(silentUntil - now)) return {};
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!dataMode_) return {Final::NoCarrier, kNoCarrier, {}};  // the call ended while we kept silent
        // The modem's answer comes as a line of its own; board bytes that
        // still arrive become lines nobody waits for.
        dataMode_ = false;
        splitter_.Clear();
        lines_.clear();
    }
    static const char kEscape[] = "+++";
    if (!Write(kEscape, 3)) {
        std::lock_guard<std::mutex> hold(lock_);
        dataMode_ = true;
        return {Final::Error, "write failed", {}};
    }
    Reply reply;
    std::unique_lock<std::mutex> lock(lock_);
    const Ms deadline = clock_.Now() + timeoutMs;
    std::string line;
    while (WaitLine(lock, deadline, line)) {
        Final result = ClassifyLine(line);
        if (result == Final::Ok || result == Final::NoCarrier) {
            reply.Result = result;
            reply.Code = std::move(line);
            return reply;
        }
    }
    if (!cancelled_) dataMode_ = true;  // unanswered: the modem is still online
    return reply;
}

std::optional<UssdAnswer> Dialogue::WaitUssd(Ms timeoutMs) {
    std::unique_lock<std::mutex> lock(lock_);
    const Ms deadline = clock_.Now() + timeoutMs;
    while (!ussd_ && !cancelled_ && clock_.Now() < deadline) clock_.WaitUntil(lock, wake_, deadline);
    std::optional<UssdAnswer> answer = std::move(ussd_);
    ussd_.reset();
    return answer;
}

void Dialogue::ForgetUssd() {
    std::lock_guard<std::mutex> hold(lock_);
    ussd_.reset();
}

bool Dialogue::InDataMode() const {
    std::lock_guard<std::mutex> hold(lock_);
    return dataMode_;
}

bool Dialogue::WriteData(const char* data, int length) {
    if (!InDataMode()) return false;
    return Write(data, length);
}

void Dialogue::SetCarrierLostHandler(std::function<void()> handler) {
    std::lock_guard<std::mutex> hold(lock_);
    onCarrierLost_ = std::move(handler);
}

}  // namespace gsm
