// The program's side of the five transports: the transport objects, their
// wiring to the main window, open/close/send dispatched on the interface
// index, the one reply buffer every transport fills, and the waits during
// which the board answers while the window stays responsive.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "zorvel/board/interfaces.h"
#include "zorvel/board/protocol.h"

class cCOM;
class cFTD;
class cRavlo;
class cGSM;
class cRFM;

namespace board {

// The five transport objects, constructed in this order in link.cpp (one
// translation unit, so the order holds) and destroyed in reverse at exit.
extern cCOM COM;    // "COM.ini"
extern cFTD FTD;    // "FTD.ini"
extern cRavlo TCP;  // "TCP.ini"
extern cGSM GSM;    // "GSM.ini"
extern cRFM RFM;    // "RFM.ini"

// The selected InterfaceKind; anything else selects none. Set on the window
// thread, read by the transports' threads in the receive callbacks.
extern std::atomic<std::int8_t> Interface;
extern bool Busy;              // a read or write sequence runs
constexpr std::size_t ReplyCapacity = 1024;

// Wiring, once the main window exists: window handle, receive callbacks, the
// GSM modem's and the radio's way to the USB adapter, device notifications.
void WireTransports(void* hWnd);

// Dispatch on Interface. Results of sends are not looked at by anyone.
bool InterfaceOpen(bool showMessages, bool startReader);
void InterfaceClose();
void InterfaceSend(char* data, int length);

// Receive callbacks of the transports; any thread.
void ReceiveData(char* data, int count);
void ReceiveUSB(char* data, int count);

// Forwarders handed to the radio component, acting on FTD.
bool FtdOpen(bool a);
void FtdClose();
bool FtdSendEx(char* data, int length);
bool FtdGetBitMode(unsigned char* mode);
bool FtdSetBitMode(unsigned char mask, unsigned char mode);

// The reply buffer: ReplyCapacity bytes, everything from ReplyLen to the end
// zero, so the last byte is always zero; bytes beyond its room are dropped.
// One lock guards it for each append, clear, copy and search.
void ClearReply();
std::uint32_t ReplyLength();
std::string ReplyText();  // the bytes [0, ReplyLen), NULs included
// All ReplyCapacity bytes, for checking the buffer's invariant in tests.
std::string ReplyBufferCopy();

// ClearReply, then InterfaceSend: the buffer holds only what answers this command.
void SendCommand(const std::string& text);

// 10 rounds of an alertable 200 ms sleep and the pending window messages:
// 2000 ms, never shorter.
void WaitReply();
// 50 ms rounds (alertable sleep, window messages, then CheckAcknowledge on the
// buffer) until acknowledged or rejected, or limitMs counted in 50 ms steps.
Acknowledge WaitAcknowledge(unsigned limitMs);
// 108 rounds of a plain 56 ms sleep and the window messages: about 6.05 s.
void SettlePause();
// Ends the running exchange early (the window is being closed): every wait
// returns at the end of its current round, and the sequence stops without a
// message box. Cleared when the next exchange begins. Window thread.
void AbortExchange();
bool ExchangeAborted();
void ClearAbort();
// For the command-line client: polls the buffer in short rounds (a few ms)
// through the waiter until complete(ReplyText()) is true or limitMs have
// passed; returns whether it completed.
bool WaitReplyUntil(const std::function<bool(const std::string&)>& complete, unsigned limitMs);
// For the command-line client: the same, but the waiting thread sleeps on the
// reply buffer and wakes as soon as bytes arrive, so it answers within a
// fraction of a millisecond. No window messages are handled meanwhile.
bool WaitReplyOnArrival(const std::function<bool(const std::string&)>& complete, unsigned limitMs);
// WaitAcknowledge for the command-line client: ends at the first "Ok\r" or
// "error\r", woken by the arrival; nothing yet after limitMs of real time.
Acknowledge WaitAcknowledgeOnArrival(unsigned limitMs);

// The waiting seam. Windows: SleepEx(ms, alertable), then every pending window
// message is removed, translated and dispatched. Natively: a plain sleep, no
// messages. Tests install a virtual clock.
class Waiter {
public:
    virtual ~Waiter() = default;
    virtual void Sleep(unsigned ms, bool alertable) = 0;
    virtual void HandleMessages() = 0;
};
void SetWaiter(Waiter* waiter);  // nullptr restores the platform waiter

// ---- Traffic --------------------------------------------------------------------

enum class Direction { Sent, Received };
// Sees every block the dispatch sends and every block a transport delivers,
// on the thread that sends or delivers it.
using TrafficTap = std::function<void(Direction direction, const char* data, int count)>;
// The tap of the program's own transports; an empty one (the default) sees nothing.
void SetTrafficTap(TrafficTap tap);

// ---- A board's own connection ----------------------------------------------------

// The reply buffer's rules (ReplyCapacity bytes, the rest zero, one lock) as
// a class, so that every board of a fleet can have one. Waiters are woken by
// every append.
class ReplyBuffer {
public:
    void Append(const char* data, int count);
    void Clear();
    std::uint32_t Length() const;
    std::string Text() const;
    std::string Copy() const;  // all ReplyCapacity bytes
    Acknowledge Check() const;
    // Sleeps until done(the text) is true or limitMs have passed.
    bool WaitFor(const std::function<bool(const std::string&)>& done, unsigned limitMs) const;

private:
    mutable std::mutex lock_;
    mutable std::condition_variable arrived_;
    char buf_[ReplyCapacity] = {};
    std::uint32_t len_ = 0;
};

// The program has one object per transport and one reply buffer. A client
// that talks to several boards at once gives each of its worker threads a
// channel of its own instead: while a channel is bound to a thread (through a
// ChannelBinding), the dispatch, the reply buffer, the waits and Busy on that
// thread act on the channel, and the program's transports stay untouched.
class BoardChannel {
public:
    BoardChannel(std::int8_t interfaceIndex, TrafficTap tap);
    virtual ~BoardChannel() = default;
    BoardChannel(const BoardChannel&) = delete;
    BoardChannel& operator=(const BoardChannel&) = delete;

    std::int8_t InterfaceIndex() const { return interface_; }
    virtual bool Open(bool showMessages, bool startReader) = 0;
    virtual void Close() = 0;
    void Send(char* data, int length);
    // What the channel's transport received; any thread.
    void Receive(const char* data, int count);
    ReplyBuffer& Reply() { return reply_; }

protected:
    virtual void SendBytes(char* data, int length) = 0;

private:
    std::int8_t interface_;
    TrafficTap tap_;
    ReplyBuffer reply_;
};

class ChannelBinding {
public:
    explicit ChannelBinding(BoardChannel& channel);
    ~ChannelBinding();
    ChannelBinding(const ChannelBinding&) = delete;
    ChannelBinding& operator=(const ChannelBinding&) = delete;

private:
    BoardChannel* previous_;
};

// The interface the calling thread works with: its channel's, or Interface.
std::int8_t CurrentInterface();
// Busy := busy, unless the calling thread works on a channel of its own.
void SetBusy(bool busy);

}  // namespace board
