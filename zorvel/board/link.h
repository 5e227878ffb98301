// The program's side of the five transports: the transport objects, their
// wiring to the main window, open/close/send dispatched on the interface
// index, the one reply buffer every transport fills, and the waits during
// which the board answers while the window stays responsive.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

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

// Selected transport 0..4; anything else selects none. Set on the window
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

}  // namespace board
