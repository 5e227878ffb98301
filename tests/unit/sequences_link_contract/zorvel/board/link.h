// Stand-in copy of the dispatch's declarations, used only until link.h exists
// in zorvel/board.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include "zorvel/board/protocol.h"

class cCOM; class cFTD; class cRavlo; class cGSM; class cRFM;

namespace board {

// The five transport objects, constructed in this order in link.cpp (one translation unit):
extern cCOM COM;    // "COM.ini"
extern cFTD FTD;    // "FTD.ini"
extern cRavlo TCP;  // "TCP.ini"
extern cGSM GSM;    // "GSM.ini"
extern cRFM RFM;    // "RFM.ini"

extern std::int8_t Interface;   // selected transport 0..4; anything else selects none
extern bool Busy;               // a read or write sequence runs
constexpr std::size_t ReplyCapacity = 1024;

void WireTransports(void* hWnd);                    // wiring steps 1..5
bool InterfaceOpen(bool showMessages, bool startReader);
void InterfaceClose();
void InterfaceSend(char* data, int length);
void ReceiveData(char* data, int count);            // receive callbacks (any thread)
void ReceiveUSB(char* data, int count);
bool FtdOpen(bool a); void FtdClose(); bool FtdSendEx(char* data, int length);   // forwarders
bool FtdGetBitMode(unsigned char* mode); bool FtdSetBitMode(unsigned char mask, unsigned char mode);
// (forwarder return types follow the cFTD member functions they call)

void ClearReply();
std::uint32_t ReplyLength();                        // ReplyLen, under the lock
std::string ReplyText();                            // copy of ReplyBuf[0, ReplyLen) under the lock
void SendCommand(const std::string& text);          // ClearReply, then InterfaceSend
void WaitReply();                                   // 10 x (Sleep(200, alertable) + HandleMessages)
Acknowledge WaitAcknowledge(unsigned limitMs);      // 50 ms rounds, CheckAcknowledge on the buffer
void SettlePause();                                 // 108 x (Sleep(56, plain) + HandleMessages)
// For the command-line client: polls the buffer in short rounds (a few ms) through the waiter
// until complete(ReplyText()) is true or limitMs have passed; returns whether it completed.
bool WaitReplyUntil(const std::function<bool(const std::string&)>& complete, unsigned limitMs);

// The waiting seam. Windows default: SleepEx(ms, alertable) / Sleep, then a PeekMessage loop
// (remove, translate, dispatch). Native default: plain sleep, no messages. Tests install a
// virtual clock whose Sleep advances virtual time (and fires scripted deliveries).
class Waiter {
public:
    virtual ~Waiter() = default;
    virtual void Sleep(unsigned ms, bool alertable) = 0;
    virtual void HandleMessages() = 0;
};
void SetWaiter(Waiter* waiter);   // nullptr restores the platform waiter

}  // namespace board
