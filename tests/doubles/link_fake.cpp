#include "link_fake.h"

#include <algorithm>

#include "zorvel/board/link.h"

namespace linkfake {
namespace {

struct Pending {
    unsigned long AtMs;
    std::string Bytes;
};

State g_state;
std::vector<Pending> g_pending;  // kept in order of arrival time

void Log(const std::string& event) {
    if (g_state.Events) g_state.Events->push_back(event);
}

void Append(const std::string& bytes) {
    // The real buffer keeps its last byte zero; so does this one.
    std::size_t room = board::ReplyCapacity - 1 - std::min(g_state.Reply.size(), board::ReplyCapacity - 1);
    g_state.Reply += bytes.substr(0, room);
}

bool g_aborted = false;

void Advance(unsigned ms) {
    g_state.NowMs += ms;
    if (g_state.AbortAtMs && g_state.NowMs >= g_state.AbortAtMs) g_aborted = true;
    while (!g_pending.empty() && g_pending.front().AtMs <= g_state.NowMs) {
        Append(g_pending.front().Bytes);
        g_pending.erase(g_pending.begin());
    }
}

}  // namespace

State& Fake() { return g_state; }

void Reset() {
    g_state = State{};
    g_pending.clear();
    g_aborted = false;
    board::Interface = 0;
    board::Busy = false;
}

}  // namespace linkfake

namespace board {

using linkfake::g_aborted;
using linkfake::g_pending;
using linkfake::g_state;

std::atomic<std::int8_t> Interface{0};
bool Busy = false;

void WireTransports(void*) {}

bool InterfaceOpen(bool showMessages, bool startReader) {
    ++g_state.Opens;
    g_state.LastShowMessages = showMessages;
    g_state.LastStartReader = startReader;
    g_state.IsOpen = g_state.OpenResult;
    linkfake::Log(g_state.OpenResult ? "open" : "open failed");
    return g_state.OpenResult;
}

void InterfaceClose() {
    ++g_state.Closes;
    g_state.IsOpen = false;
    linkfake::Log("close");
}

void InterfaceSend(char* data, int length) {
    std::string bytes(data, static_cast<std::size_t>(length));
    g_state.Commands.push_back({g_state.NowMs, bytes});
    linkfake::Log("send " + bytes);
    if (!g_state.Respond) return;
    for (const linkfake::Delivery& d : g_state.Respond(bytes)) {
        linkfake::Pending p{g_state.NowMs + d.DelayMs, d.Bytes};
        auto at = std::upper_bound(g_pending.begin(), g_pending.end(), p.AtMs,
                                   [](unsigned long t, const linkfake::Pending& q) { return t < q.AtMs; });
        g_pending.insert(at, p);
    }
}

void ReceiveData(char* data, int count) { linkfake::Append(std::string(data, static_cast<std::size_t>(count))); }
void ReceiveUSB(char* data, int count) { ReceiveData(data, count); }
bool FtdOpen(bool) { return false; }
void FtdClose() {}
bool FtdSendEx(char*, int) { return false; }
bool FtdGetBitMode(unsigned char*) { return false; }
bool FtdSetBitMode(unsigned char, unsigned char) { return false; }

void ClearReply() {
    g_state.Reply.clear();
    linkfake::Log("clear");
}

std::uint32_t ReplyLength() { return static_cast<std::uint32_t>(g_state.Reply.size()); }
std::string ReplyText() { return g_state.Reply; }

void SendCommand(const std::string& text) {
    ClearReply();
    std::string copy = text;
    InterfaceSend(copy.data(), static_cast<int>(copy.size()));
}

void AbortExchange() { g_aborted = true; }
bool ExchangeAborted() { return g_aborted; }
void ClearAbort() { g_aborted = false; }

void WaitReply() {
    for (int round = 0; round < 10 && !g_aborted; ++round) linkfake::Advance(200);
}

Acknowledge WaitAcknowledge(unsigned limitMs) {
    for (unsigned counted = 0; counted < limitMs && !g_aborted; counted += 50) {
        linkfake::Advance(50);
        Acknowledge answer = CheckAcknowledge(g_state.Reply);
        if (answer != Acknowledge::NothingYet) return answer;
    }
    return Acknowledge::NothingYet;
}

void SettlePause() {
    for (int round = 0; round < 108 && !g_aborted; ++round) linkfake::Advance(56);
}

bool WaitReplyUntil(const std::function<bool(const std::string&)>& complete, unsigned limitMs) {
    for (unsigned counted = 0; counted < limitMs && !g_aborted; counted += 5) {
        linkfake::Advance(5);
        if (complete(g_state.Reply)) return true;
    }
    return false;
}

// The client's waits wake at the arrival: here, at the first virtual
// millisecond at which the awaited bytes are in.
bool WaitReplyOnArrival(const std::function<bool(const std::string&)>& complete, unsigned limitMs) {
    for (unsigned counted = 0;; ++counted) {
        if (complete(g_state.Reply)) return true;
        if (counted >= limitMs) return false;
        linkfake::Advance(1);
    }
}

Acknowledge WaitAcknowledgeOnArrival(unsigned limitMs) {
    Acknowledge answer = Acknowledge::NothingYet;
    WaitReplyOnArrival(
        [&](const std::string& text) {
            answer = CheckAcknowledge(text);
            return answer != Acknowledge::NothingYet;
        },
        limitMs);
    return answer;
}

std::int8_t CurrentInterface() { return Interface; }
void SetBusy(bool busy) { Busy = busy; }
void SetTrafficTap(TrafficTap) {}

void SetWaiter(Waiter*) {}

}  // namespace board
