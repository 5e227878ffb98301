#include "zorvel/board/link.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace board {

// The components expect to be set up in this order; keeping the definitions
// together in this one file is what guarantees it.
cCOM COM("COM.ini");
cFTD FTD("FTD.ini");
cRavlo TCP("TCP.ini");
cGSM GSM("GSM.ini");
cRFM RFM("RFM.ini");

std::atomic<std::int8_t> Interface{0};
bool Busy = false;

namespace {

ReplyBuffer programReply;  // ReplyBuf and ReplyLen

thread_local BoardChannel* boundChannel = nullptr;

ReplyBuffer& CurrentReply() { return boundChannel ? boundChannel->Reply() : programReply; }

std::mutex tapLock;
std::shared_ptr<const TrafficTap> programTap;

void Tap(Direction direction, const char* data, int count) {
    std::shared_ptr<const TrafficTap> tap;
    {
        std::lock_guard<std::mutex> hold(tapLock);
        tap = programTap;
    }
    if (tap && *tap && data && count > 0) (*tap)(direction, data, count);
}

class PlatformWaiter final : public Waiter {
public:
    void Sleep(unsigned ms, bool alertable) override {
#ifdef _WIN32
        SleepEx(ms, alertable ? TRUE : FALSE);
#else
        (void)alertable;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
    }

    void HandleMessages() override {
#ifdef _WIN32
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The window's own loop must still see the quit request.
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
#endif
    }
};

PlatformWaiter platformWaiter;
std::atomic<Waiter*> currentWaiter{&platformWaiter};

// One round of every wait: sleep, then let the window handle its messages.
std::atomic<bool> exchangeAborted{false};
std::atomic<bool> opening{false};  // InterfaceOpen runs (and handles window messages)

void Round(Waiter& waiter, unsigned ms, bool alertable) {
    waiter.Sleep(ms, alertable);
    waiter.HandleMessages();
}

}  // namespace

void SetWaiter(Waiter* waiter) { currentWaiter = waiter ? waiter : &platformWaiter; }

void SetTrafficTap(TrafficTap tap) {
    auto shared = tap ? std::make_shared<const TrafficTap>(std::move(tap)) : nullptr;
    std::lock_guard<std::mutex> hold(tapLock);
    programTap = std::move(shared);
}

// ---- ReplyBuffer ----------------------------------------------------------------

void ReplyBuffer::Append(const char* data, int count) {
    if (!data || count <= 0) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        // The last byte stays zero, so a search always ends inside the buffer;
        // what does not fit is dropped.
        const std::size_t room = ReplyCapacity - 1 - len_;
        const std::size_t kept = std::min(static_cast<std::size_t>(count), room);
        std::memcpy(buf_ + len_, data, kept);
        len_ += static_cast<std::uint32_t>(kept);
    }
    arrived_.notify_all();
}

void ReplyBuffer::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    std::memset(buf_, 0, len_);
    len_ = 0;
}

std::uint32_t ReplyBuffer::Length() const {
    std::lock_guard<std::mutex> hold(lock_);
    return len_;
}

std::string ReplyBuffer::Text() const {
    std::lock_guard<std::mutex> hold(lock_);
    return std::string(buf_, len_);
}

std::string ReplyBuffer::Copy() const {
    std::lock_guard<std::mutex> hold(lock_);
    return std::string(buf_, ReplyCapacity);
}

Acknowledge ReplyBuffer::Check() const {
    std::lock_guard<std::mutex> hold(lock_);
    return CheckAcknowledge(std::string_view(buf_, len_));
}

bool ReplyBuffer::WaitFor(const std::function<bool(const std::string&)>& done, unsigned limitMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    std::unique_lock<std::mutex> hold(lock_);
    return arrived_.wait_until(hold, deadline, [&] { return done(std::string(buf_, len_)); });
}

// ---- BoardChannel -----------------------------------------------------------------

BoardChannel::BoardChannel(std::int8_t interfaceIndex, TrafficTap tap)
    : interface_(interfaceIndex), tap_(std::move(tap)) {}

void BoardChannel::Send(char* data, int length) {
    if (!data || length < 0) return;
    if (tap_ && length > 0) tap_(Direction::Sent, data, length);
    SendBytes(data, length);
}

void BoardChannel::Receive(const char* data, int count) {
    if (!data || count <= 0) return;
    if (tap_) tap_(Direction::Received, data, count);
    reply_.Append(data, count);
}

ChannelBinding::ChannelBinding(BoardChannel& channel) : previous_(boundChannel) { boundChannel = &channel; }
ChannelBinding::~ChannelBinding() { boundChannel = previous_; }

std::int8_t CurrentInterface() { return boundChannel ? boundChannel->InterfaceIndex() : Interface.load(); }

void SetBusy(bool busy) {
    if (!boundChannel) Busy = busy;
}

void WireTransports(void* hWnd) {
    COM.hWnd = hWnd;
    FTD.hWnd = hWnd;
    TCP.hWnd = static_cast<decltype(TCP.hWnd)>(hWnd);
    GSM.hWnd = hWnd;
    RFM.hWnd = hWnd;

    COM.pRecvCallback = ReceiveData;
    FTD.pRecvCallback = ReceiveUSB;
    TCP.pRecvCallback = ReceiveData;

    GSM.pFTD = &FTD;
    RFM.pFTD_hDevice = &FTD.hDevice;

    RFM.pRecvCallback = ReceiveData;
    RFM.pFTD_Open = FtdOpen;
    RFM.pFTD_Close = FtdClose;
    RFM.pFTD_SendEx = FtdSendEx;
    RFM.pFTD_GetBitMode = FtdGetBitMode;
    RFM.pFTD_SetBitMode = FtdSetBitMode;

    cFTD::RegisterDeviceNotificationToHWND(hWnd);
}

bool FtdOpen(bool a) { return FTD.Open(a, true); }
void FtdClose() { FTD.Close(); }
bool FtdSendEx(char* data, int length) { return FTD.SendEx(data, length); }
bool FtdGetBitMode(unsigned char* mode) { return FTD.GetBitMode(mode); }
bool FtdSetBitMode(unsigned char mask, unsigned char mode) { return FTD.SetBitMode(mask, mode); }

bool InterfaceOpen(bool showMessages, bool startReader) {
    if (boundChannel) return boundChannel->Open(showMessages, startReader);
    struct Opening {
        Opening() { opening = true; }
        ~Opening() { opening = false; }
    } during;
    switch (Interface) {
        case kInterfaceSerial: return COM.Open(showMessages, startReader);
        case kInterfaceUsb: return FTD.Open(showMessages, startReader);
        case kInterfaceTcp: return TCP.Open(showMessages, startReader);
        case kInterfaceGsm:
            GSM.Open(showMessages);  // only PowerOn tells whether the call stands
            return GSM.PowerOn(true);
        case kInterfaceRadio: return RFM.Open(true, false, true);
        default: return false;
    }
}

void InterfaceClose() {
    if (boundChannel) return boundChannel->Close();
    switch (Interface) {
        case kInterfaceSerial: COM.Close(); break;
        case kInterfaceUsb: FTD.Close(); break;
        case kInterfaceTcp: TCP.Close(); break;
        case kInterfaceGsm:
            if (GSM.ModemOn) {
                GSM.CSD_Close();
                GSM.PowerOff(true);
            }
            GSM.Close();
            break;
        case kInterfaceRadio: RFM.Close(); break;
        default: break;
    }
}

void InterfaceSend(char* data, int length) {
    if (!data || length < 0) return;
    if (boundChannel) return boundChannel->Send(data, length);
    if (length > 0) Tap(Direction::Sent, data, length);
    switch (Interface) {
        case kInterfaceSerial: COM.SendEx(data, length); break;
        case kInterfaceUsb: FTD.SendEx(data, length); break;
        case kInterfaceTcp: TCP.Send(data, static_cast<unsigned long>(length)); break;
        case kInterfaceGsm: GSM.CSD_Send(data, length); break;
        case kInterfaceRadio: RFM.Send(data, length); break;
        default: break;
    }
}

void ReceiveData(char* data, int count) {
    // The block is in the reply before the modem sees it: a result code that
    // ends the modem's wait (CONNECT) lets the exchange go on and clear the
    // reply for its command, and the code must not land in that reply after.
    Tap(Direction::Received, data, count);
    programReply.Append(data, count);
    if (GSM.ModemOn) GSM.Recv(data, count);
    switch (Interface) {
        case kInterfaceSerial: COM.RecvC = 0; break;
        case kInterfaceUsb: FTD.RecvC = 0; break;
        case kInterfaceTcp: TCP.RecvC = 0; break;
        case kInterfaceGsm: FTD.RecvC = 0; break;  // the modem's bytes come through the USB adapter
        default: break;
    }
}

void ReceiveUSB(char* data, int count) {
    if (Interface == kInterfaceRadio)
        RFM.Recv(data, count);  // the radio hands the board's reply on through ReceiveData
    else
        ReceiveData(data, count);
}

void ClearReply() { CurrentReply().Clear(); }
std::uint32_t ReplyLength() { return CurrentReply().Length(); }
std::string ReplyText() { return CurrentReply().Text(); }
std::string ReplyBufferCopy() { return CurrentReply().Copy(); }

void SendCommand(const std::string& text) {
    ClearReply();
    std::string bytes = text;  // the transports take a mutable buffer
    InterfaceSend(bytes.data(), static_cast<int>(bytes.size()));
}

void AbortExchange() {
    exchangeAborted = true;
    if (!opening) return;  // the waits end at their next round
    // An open still under way ends now rather than at its own time-outs: a TCP
    // connect, a GSM modem's network search or data call set-up. Both stop
    // their waits when closed from a handler run inside them.
    switch (Interface) {
        case 2: TCP.Close(); break;
        case 3: GSM.Close(); break;
        default: break;
    }
}
bool ExchangeAborted() { return exchangeAborted.load(); }
void ClearAbort() { exchangeAborted = false; }

void WaitReply() {
    Waiter& waiter = *currentWaiter.load();
    for (int round = 0; round < 10 && !exchangeAborted; ++round) Round(waiter, 200, true);
}

Acknowledge WaitAcknowledge(unsigned limitMs) {
    Waiter& waiter = *currentWaiter.load();
    for (std::uint64_t counted = 0; counted < limitMs && !exchangeAborted; counted += 50) {
        Round(waiter, 50, true);
        Acknowledge seen = CurrentReply().Check();
        if (seen != Acknowledge::NothingYet) return seen;
    }
    return Acknowledge::NothingYet;
}

void SettlePause() {
    Waiter& waiter = *currentWaiter.load();
    for (unsigned counted = 0; counted < 6000 && !exchangeAborted; counted += 56) Round(waiter, 56, false);
}

bool WaitReplyUntil(const std::function<bool(const std::string&)>& complete, unsigned limitMs) {
    constexpr unsigned kPollMs = 5;
    Waiter& waiter = *currentWaiter.load();
    for (std::uint64_t counted = 0;; counted += kPollMs) {
        if (complete(ReplyText())) return true;
        if (counted >= limitMs || exchangeAborted) return false;
        Round(waiter, kPollMs, true);
    }
}

}  // namespace board

namespace board {

bool WaitReplyOnArrival(const std::function<bool(const std::string&)>& complete, unsigned limitMs) {
    return CurrentReply().WaitFor(complete, limitMs);
}

Acknowledge WaitAcknowledgeOnArrival(unsigned limitMs) {
    Acknowledge seen = Acknowledge::NothingYet;
    CurrentReply().WaitFor(
        [&](const std::string& text) {
            seen = CheckAcknowledge(text);
            return seen != Acknowledge::NothingYet;
        },
        limitMs);
    return seen;
}

}  // namespace board
