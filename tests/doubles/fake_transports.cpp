#include "fake_transports.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"

namespace fakes {

namespace {

struct Pending {
    bool fromThread;
    std::function<void()> action;
};
// Due time, then the order of scheduling for deliveries due at one moment.
using PendingKey = std::pair<std::uint64_t, std::uint64_t>;

struct State {
    std::mutex lock;
    std::vector<TimedCall> calls;
    std::vector<std::string> constructions;
    Answers answers;
    std::vector<Reply> replies;
    std::map<PendingKey, Pending> pending;
    std::uint64_t now = 0;
    std::uint64_t order = 0;
    tMessageBoxHandler messageBoxHandler = nullptr;
    cCOM* com = nullptr;
    cFTD* ftd = nullptr;
    cRavlo* tcp = nullptr;
    cGSM* gsm = nullptr;
    cRFM* rfm = nullptr;
};

// Outlives every static transport object, whose destructors still record.
State& Shared() {
    static State* state = new State;
    return *state;
}

void Record(const std::string& text) {
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    s.calls.push_back({s.now, text});
}

void RecordConstruction(const std::string& text) {
    Record(text);
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    s.constructions.push_back(text);
}

std::string Flags(std::initializer_list<bool> flags) {
    std::string text;
    for (bool flag : flags) text += std::string(text.empty() ? "" : ",") + (flag ? "1" : "0");
    return text;
}

std::string Bytes(const char* data, long length) {
    return data && length > 0 ? std::string(data, static_cast<std::size_t>(length)) : std::string();
}

Answers CopyAnswers() {
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.answers;
}

void Schedule(std::uint64_t due, bool fromThread, std::function<void()> action) {
    State& s = Shared();
    s.pending.emplace(PendingKey{due, s.order++}, Pending{fromThread, std::move(action)});
}

// A send of a fake: the first script that matches answers it.
void Sent(Kind transport, const char* data, long length) {
    const std::string sent = Bytes(data, length);
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    for (Reply& script : s.replies) {
        if (script.transport != transport || script.times == 0) continue;
        if (sent.compare(0, script.command.size(), script.command) != 0) continue;
        if (script.times > 0) --script.times;
        const std::size_t block = script.blockSize ? script.blockSize : std::max<std::size_t>(script.reply.size(), 1);
        std::uint64_t due = s.now + script.delayMs;
        for (std::size_t offset = 0; offset < script.reply.size(); offset += block, due += script.blockGapMs) {
            std::string piece = script.reply.substr(offset, block);
            Schedule(due, script.fromThread, [transport, piece] { Deliver(transport, piece); });
        }
        return;
    }
}

}  // namespace

std::vector<std::string> Calls() {
    std::vector<std::string> texts;
    for (TimedCall& call : TimedCalls()) texts.push_back(std::move(call.text));
    return texts;
}

std::vector<TimedCall> TimedCalls() {
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.calls;
}

std::vector<std::string> ConstructionOrder() {
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.constructions;
}

void ClearCalls() {
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    s.calls.clear();
}

Answers& CurrentAnswers() { return Shared().answers; }

namespace {
std::function<void()> g_whileOpening;  // window thread only
}  // namespace

void WhileOpening(std::function<void()> action) { g_whileOpening = std::move(action); }

void RunWhileOpening() {
    if (g_whileOpening) g_whileOpening();
}

void AddReply(const Reply& reply) {
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    s.replies.push_back(reply);
}

void Deliver(Kind transport, const std::string& bytes) {
    State& s = Shared();
    cCOM* com;
    cFTD* ftd;
    cRavlo* tcp;
    cRFM* rfm;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        com = s.com, ftd = s.ftd, tcp = s.tcp, rfm = s.rfm;
    }
    std::string block = bytes;  // the callback takes a mutable, NUL-terminated block
    const int count = static_cast<int>(block.size());
    tRecvCallback callback = nullptr;
    switch (transport) {
        case Kind::COM:
            if (!com) return;
            com->RecvC += static_cast<std::uint32_t>(count);
            callback = com->pRecvCallback;
            break;
        case Kind::FTD:
        case Kind::GSM:
            if (!ftd) return;
            ftd->RecvC += static_cast<std::uint32_t>(count);
            callback = ftd->pRecvCallback;
            break;
        case Kind::TCP:
            if (!tcp) return;
            tcp->RecvC += static_cast<std::uint32_t>(count);
            callback = tcp->pRecvCallback;
            break;
        case Kind::RFM:
            if (!rfm) return;
            callback = rfm->pRecvCallback;
            break;
    }
    if (callback) callback(block.data(), count);
}

void Reset() {
    State& s = Shared();
    {
        std::lock_guard<std::mutex> hold(s.lock);
        s.calls.clear();
        s.answers = Answers{};
        g_whileOpening = nullptr;
        s.replies.clear();
        s.pending.clear();
        s.now = 0;
    }
    cFTD::DevicesCount = 0;
    cFTD::DriverInstalling = 0;
}

VirtualClock::VirtualClock() {
    {
        State& s = Shared();
        std::lock_guard<std::mutex> hold(s.lock);
        s.now = 0;
    }
    board::SetWaiter(this);
}

VirtualClock::~VirtualClock() { board::SetWaiter(nullptr); }

void VirtualClock::Sleep(unsigned ms, bool alertable) {
    ++(alertable ? alertableSleeps_ : plainSleeps_);
    sleptMs_ += ms;
    State& s = Shared();
    std::uint64_t until;
    {
        std::lock_guard<std::mutex> hold(s.lock);
        until = s.now + ms;
    }
    for (;;) {
        Pending next;
        {
            std::lock_guard<std::mutex> hold(s.lock);
            auto first = s.pending.begin();
            if (first == s.pending.end() || first->first.first > until) {
                s.now = until;
                return;
            }
            next = std::move(first->second);
            s.now = std::max(s.now, first->first.first);
            s.pending.erase(first);
        }
        if (next.fromThread)
            std::thread(next.action).join();
        else
            next.action();
    }
}

void VirtualClock::HandleMessages() {
    ++messageRounds_;
    if (onMessages) onMessages();
}

void VirtualClock::At(std::uint64_t atMs, std::function<void()> action) {
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    Schedule(atMs, false, std::move(action));
}

std::uint64_t VirtualClock::Now() const {
    State& s = Shared();
    std::lock_guard<std::mutex> hold(s.lock);
    return s.now;
}

unsigned VirtualClock::AlertableSleeps() const { return alertableSleeps_; }
unsigned VirtualClock::PlainSleeps() const { return plainSleeps_; }
std::uint64_t VirtualClock::SleptMs() const { return sleptMs_; }
unsigned VirtualClock::MessageRounds() const { return messageRounds_; }

}  // namespace fakes

// ---- The fake transport classes ------------------------------------------

using fakes::Kind;
using fakes::Shared;

struct cCOM::Impl {};
struct cFTD::Impl {};
struct cGSM::Impl {};
struct cRFM::Impl {};

namespace {
tMessageBoxHandler SwapHandler(tMessageBoxHandler handler) {
    std::lock_guard<std::mutex> hold(Shared().lock);
    return std::exchange(Shared().messageBoxHandler, handler);
}
}  // namespace

cCOM::cCOM(const char* iniFile) {
    fakes::RecordConstruction(std::string("COM.ctor(") + iniFile + ")");
    std::lock_guard<std::mutex> hold(Shared().lock);
    Shared().com = this;
}
cCOM::~cCOM() {
    fakes::Record("COM.dtor()");
    std::lock_guard<std::mutex> hold(Shared().lock);
    if (Shared().com == this) Shared().com = nullptr;
}
bool cCOM::Open(bool showMessages, bool startReader) {
    fakes::Record("COM.Open(" + fakes::Flags({showMessages, startReader}) + ")");
    const fakes::Answers answers = fakes::CopyAnswers();
    const bool opened = answers.comPortOpens ? answers.comPortOpens(PortName) : answers.comOpen;
    hDevice = opened ? this : nullptr;
    return opened;
}
void cCOM::Close() {
    fakes::Record("COM.Close()");
    hDevice = nullptr;
}
bool cCOM::SendEx(char* data, int length) {
    fakes::Record("COM.SendEx(" + fakes::Bytes(data, length) + ")");
    fakes::Sent(Kind::COM, data, length);
    return fakes::CopyAnswers().sendResult;
}
tMessageBoxHandler cCOM::SetMessageBoxHandler(tMessageBoxHandler handler) { return SwapHandler(handler); }

std::atomic<std::uint8_t> cFTD::DevicesCount{0};
std::atomic<std::uint8_t> cFTD::DriverInstalling{0};

cFTD::cFTD(const char* iniFile) {
    fakes::RecordConstruction(std::string("FTD.ctor(") + iniFile + ")");
    std::lock_guard<std::mutex> hold(Shared().lock);
    Shared().ftd = this;
}
cFTD::~cFTD() {
    fakes::Record("FTD.dtor()");
    std::lock_guard<std::mutex> hold(Shared().lock);
    if (Shared().ftd == this) Shared().ftd = nullptr;
}
bool cFTD::Open(bool showMessages, bool startReader) {
    fakes::Record("FTD.Open(" + fakes::Flags({showMessages, startReader}) + ")");
    const bool opened = fakes::CopyAnswers().ftdOpen;
    hDevice = opened ? this : nullptr;
    return opened;
}
void cFTD::Close() {
    fakes::Record("FTD.Close()");
    hDevice = nullptr;
}
bool cFTD::SendEx(char* data, int length) {
    fakes::Record("FTD.SendEx(" + fakes::Bytes(data, length) + ")");
    fakes::Sent(Kind::FTD, data, length);
    return fakes::CopyAnswers().sendResult;
}
bool cFTD::GetBitMode(unsigned char* mode) {
    fakes::Record("FTD.GetBitMode()");
    const fakes::Answers answers = fakes::CopyAnswers();
    if (mode) *mode = answers.bitMode;
    return answers.bitModeResult;
}
bool cFTD::SetBitMode(unsigned char mask, unsigned char mode) {
    fakes::Record("FTD.SetBitMode(" + std::to_string(mask) + "," + std::to_string(mode) + ")");
    return fakes::CopyAnswers().bitModeResult;
}
void cFTD::ScanDevicesCount() { fakes::Record("FTD.ScanDevicesCount()"); }
void cFTD::RegisterDeviceNotificationToHWND(void*) { fakes::Record("FTD.RegisterDeviceNotificationToHWND()"); }
void cFTD::DriverInstall(void*) {
    fakes::Record("FTD.DriverInstall()");
    DriverInstalling = 1;
    const fakes::Answers answers = fakes::CopyAnswers();
    if (answers.duringDriverInstall) answers.duringDriverInstall();
    DriverInstalling = 0;
}
tMessageBoxHandler cFTD::SetMessageBoxHandler(tMessageBoxHandler handler) { return SwapHandler(handler); }

cGSM::cGSM(const char* iniFile) {
    fakes::RecordConstruction(std::string("GSM.ctor(") + iniFile + ")");
    std::lock_guard<std::mutex> hold(Shared().lock);
    Shared().gsm = this;
}
cGSM::~cGSM() {
    fakes::Record("GSM.dtor()");
    std::lock_guard<std::mutex> hold(Shared().lock);
    if (Shared().gsm == this) Shared().gsm = nullptr;
}
bool cGSM::Open(bool showMessages) {
    fakes::Record("GSM.Open(" + fakes::Flags({showMessages}) + ")");
    return fakes::CopyAnswers().gsmOpen;
}
bool cGSM::PowerOn(bool call) {
    fakes::Record("GSM.PowerOn(" + fakes::Flags({call}) + ")");
    fakes::RunWhileOpening();
    return fakes::CopyAnswers().gsmPowerOn;
}
bool cGSM::CSD_Close() {
    fakes::Record("GSM.CSD_Close()");
    return true;
}
bool cGSM::PowerOff(bool wait) {
    fakes::Record("GSM.PowerOff(" + fakes::Flags({wait}) + ")");
    return true;
}
bool cGSM::PowerOffAT(bool wait) {
    fakes::Record("GSM.PowerOffAT(" + fakes::Flags({wait}) + ")");
    return true;
}
void cGSM::Close() { fakes::Record("GSM.Close()"); }
bool cGSM::CSD_Send(char* data, int length) {
    fakes::Record("GSM.CSD_Send(" + fakes::Bytes(data, length) + ")");
    fakes::Sent(Kind::GSM, data, length);
    return fakes::CopyAnswers().sendResult;
}
void cGSM::Recv(char* data, int count) { fakes::Record("GSM.Recv(" + fakes::Bytes(data, count) + ")"); }
bool cGSM::CheckBalance(bool showResult) {
    fakes::Record("GSM.CheckBalance(" + fakes::Flags({showResult}) + ")");
    return true;
}
bool cGSM::SMS_DEL_ALL(bool showResult) {
    fakes::Record("GSM.SMS_DEL_ALL(" + fakes::Flags({showResult}) + ")");
    return true;
}
tMessageBoxHandler cGSM::SetMessageBoxHandler(tMessageBoxHandler handler) { return SwapHandler(handler); }

cRFM::cRFM(const char* iniFile) {
    fakes::RecordConstruction(std::string("RFM.ctor(") + iniFile + ")");
    std::lock_guard<std::mutex> hold(Shared().lock);
    Shared().rfm = this;
}
cRFM::~cRFM() {
    fakes::Record("RFM.dtor()");
    std::lock_guard<std::mutex> hold(Shared().lock);
    if (Shared().rfm == this) Shared().rfm = nullptr;
}
bool cRFM::Open(bool showMessages, bool configure, bool startReader) {
    fakes::Record("RFM.Open(" + fakes::Flags({showMessages, configure, startReader}) + ")");
    return fakes::CopyAnswers().rfmOpen;
}
void cRFM::Close() { fakes::Record("RFM.Close()"); }
bool cRFM::Send(char* data, int length) {
    fakes::Record("RFM.Send(" + fakes::Bytes(data, length) + ")");
    fakes::Sent(Kind::RFM, data, length);
    return fakes::CopyAnswers().sendResult;
}
void cRFM::Recv(char* data, int count) { fakes::Record("RFM.Recv(" + fakes::Bytes(data, count) + ")"); }
tMessageBoxHandler cRFM::SetMessageBoxHandler(tMessageBoxHandler handler) { return SwapHandler(handler); }

// cRavlo: the dispatch's calls, plus the static helpers the settings dialog
// uses, following the library's rules.
char cRavlo::version[8] = "1.00.00";
char cRavlo::dir_path[256] = "";
cRavlo* cRavlo::pObjects[255] = {};
std::uint8_t cRavlo::ObjectsC = 0;

cRavlo::cRavlo(const char* iniFile) {
    fakes::RecordConstruction(std::string("TCP.ctor(") + iniFile + ")");
    std::snprintf(IniFile, sizeof IniFile, "%s", iniFile);
    std::lock_guard<std::mutex> hold(Shared().lock);
    Shared().tcp = this;
}
cRavlo::~cRavlo() {
    fakes::Record("TCP.dtor()");
    std::lock_guard<std::mutex> hold(Shared().lock);
    if (Shared().tcp == this) Shared().tcp = nullptr;
}
bool cRavlo::Open(bool showMessages, bool startReader) {
    fakes::Record("TCP.Open(" + fakes::Flags({showMessages, startReader}) + ")");
    fakes::RunWhileOpening();
    const bool opened = fakes::CopyAnswers().tcpOpen;
    Socket = opened ? 1 : 0;
    return opened;
}
bool cRavlo::Close() {
    fakes::Record("TCP.Close()");
    Socket = 0;
    return true;
}
bool cRavlo::Send(const char* data, unsigned long count) {
    fakes::Record("TCP.Send(" + fakes::Bytes(data, static_cast<long>(count)) + ")");
    fakes::Sent(Kind::TCP, data, static_cast<long>(count));
    return fakes::CopyAnswers().sendResult;
}
void cRavlo::LogAdd(const char*) {}
void cRavlo::GetVersion(char* destination) { std::memcpy(destination, version, sizeof version); }
bool cRavlo::IPv4_Split(const char* const text, unsigned char* a, unsigned char* b, unsigned char* c,
                        unsigned char* d) {
    unsigned char* parts[4] = {a, b, c, d};
    char group[4] = {};
    std::size_t length = 0, index = 0;
    for (const char* p = text;; ++p) {
        if (*p != '.' && *p != '\0') {
            if (length == 3) return false;
            group[length++] = *p;
            continue;
        }
        group[length] = '\0';
        unsigned value = 0;
        for (const char* digit = group; *digit >= '0' && *digit <= '9'; ++digit) value = value * 10 + unsigned(*digit - '0');
        if (value > 255) return false;
        if (index < 4) *parts[index] = static_cast<unsigned char>(value);
        ++index;
        length = 0;
        if (*p == '\0') return true;
    }
}
RavloThreadResult RAVLO_THREAD_CALL cRavlo::ThreadProcConnect(void*) { return 0; }

extern "C" RavloNotifier RavloSetNotifier(RavloNotifier notifier) {
    static std::atomic<RavloNotifier> current{nullptr};
    return current.exchange(notifier);
}

extern "C" unsigned RavloSetConnectTimeout(unsigned milliseconds) {
    static std::atomic<unsigned> current{10000};
    return current.exchange(milliseconds);
}
RavloThreadResult RAVLO_THREAD_CALL cRavlo::ThreadProcRead(void*) { return 0; }
