// Test doubles of the five transport classes (the real headers, implemented
// here as recorders) and a virtual clock for the waits of zorvel/board/link.h.
//
//   fakes::Reset();                       // before each test
//   fakes::VirtualClock clock;            // installs itself as the board's waiter
//   fakes::AddReply({fakes::Kind::COM, "read status\r", reply, 700});
//   board::Interface = 0; board::InterfaceOpen(true, true);
//   board::SendCommand("read status\r");  // the reply is due 700 virtual ms later
//   board::WaitReply();                   // ... and arrives during this wait
//   EXPECT_EQ(fakes::Calls(), (std::vector<std::string>{"COM.Open(1,1)", "COM.SendEx(read status\r)"}));
//
// Replies arrive through the receive path the real transport uses (its
// pRecvCallback, adding to its RecvC first): COM, TCP and RFM through their
// own callbacks, FTD and GSM through the USB adapter's (FTD.pRecvCallback).
// Set the callbacks with board::WireTransports first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zorvel/board/link.h"

namespace fakes {

enum class Kind { COM, FTD, TCP, GSM, RFM };

// Every call into a fake transport after the last Reset/ClearCalls, as text:
// "COM.Open(1,1)", "COM.SendEx(<bytes>)", "TCP.Send(<bytes>)", "GSM.CSD_Send(<bytes>)",
// "GSM.Recv(<bytes>)", "RFM.Open(1,0,1)", "FTD.RegisterDeviceNotificationToHWND", ...
// Booleans are written 1 and 0, data bytes as they are.
std::vector<std::string> Calls();
struct TimedCall {
    std::uint64_t atMs;  // virtual time of the call
    std::string text;
};
std::vector<TimedCall> TimedCalls();
void ClearCalls();
// The constructor calls of the fake objects since the program started (kept
// by Reset and ClearCalls).
std::vector<std::string> ConstructionOrder();

// What the fakes answer; Reset restores these defaults.
struct Answers {
    bool comOpen = true;
    bool ftdOpen = true;
    bool tcpOpen = true;
    bool gsmOpen = true;
    bool gsmPowerOn = true;
    bool rfmOpen = true;
    bool sendResult = true;  // of every send operation
    bool bitModeResult = true;
    unsigned char bitMode = 0;  // what GetBitMode reports
    // When set, cCOM::Open answers what this says of the port named in PortName.
    std::function<bool(const std::string& portName)> comPortOpens;
    // Runs inside cFTD::DriverInstall, while DriverInstalling is set (an
    // operator's click during the installation).
    std::function<void()> duringDriverInstall;
};
Answers& CurrentAnswers();
// Runs inside cRavlo::Open and cGSM::PowerOn, as a window message handled
// while they wait would (nullptr: nothing). Reset clears it.
void WhileOpening(std::function<void()> action);

// A scripted answer: when `transport` sends bytes that begin with `command`
// (every send when empty), `reply` is delivered `delayMs` of virtual time
// later, cut into blocks of `blockSize` bytes (0: one block) `blockGapMs`
// apart.
struct Reply {
    Kind transport = Kind::COM;
    std::string command;
    std::string reply;
    unsigned delayMs = 0;
    std::size_t blockSize = 0;
    unsigned blockGapMs = 0;
    bool fromThread = false;  // deliver from a thread of its own, as a real transport does
    int times = -1;           // sends it answers; -1 every one
};
void AddReply(const Reply& reply);

// Delivers bytes through the receive path of `transport` at once, on the
// calling thread.
void Deliver(Kind transport, const std::string& bytes);

// Forgets calls, answers, scripts and pending deliveries, and resets the
// cFTD statics. Transport objects keep their members.
void Reset();

// The board's waiter while it lives: time passes only in Sleep, and every
// delivery that falls due during a sleep is made at its moment.
class VirtualClock : public board::Waiter {
public:
    VirtualClock();
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    void Sleep(unsigned ms, bool alertable) override;
    void HandleMessages() override;

    // Runs `action` when virtual time reaches `atMs` (during a sleep).
    void At(std::uint64_t atMs, std::function<void()> action);

    std::uint64_t Now() const;
    unsigned AlertableSleeps() const;
    unsigned PlainSleeps() const;
    std::uint64_t SleptMs() const;
    unsigned MessageRounds() const;
    // Called in every HandleMessages, like the window's timer would run.
    std::function<void()> onMessages;

private:
    unsigned alertableSleeps_ = 0;
    unsigned plainSleeps_ = 0;
    std::uint64_t sleptMs_ = 0;
    unsigned messageRounds_ = 0;
};

}  // namespace fakes
