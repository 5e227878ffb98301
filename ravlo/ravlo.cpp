#include "ravlo/ravlo.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "compat/decimal.h"
#include "compat/platform.h"
#include "compat/cp1251.h"
#include "compat/ini_file.h"
#include "ravlo/platform.h"

using namespace ravlo;

char cRavlo::version[8] = "1.00.00";
char cRavlo::dir_path[256];
cRavlo* cRavlo::pObjects[255];
std::uint8_t cRavlo::ObjectsC;

namespace {

const char* const kCaptionTcp = "Ошибка TCP";
const char* const kCaptionLibrary = "cRavlo Error";
const char* const kAborted = "Соединение прекращено";
const unsigned kErrorBox = compat::BoxType(compat::Box::Error);

const unsigned kBlockLimit = 65534;       // bytes asked of one receive
const unsigned kWaitRoundMs = 100;        // Open re-checks the connect at least this often
const unsigned kReopenPauseMs = 500;      // pause between closing and reopening

std::atomic<unsigned> g_connectTimeoutMs{10000};
std::atomic<unsigned> g_sendTimeoutMs{5000};

const unsigned kSendRoundMs = 100;  // a Send notices this often that its socket was taken

// ---- error texts -----------------------------------------------------------

const char* FixedErrorText(std::uint32_t code) {
    switch (code) {
    case 8: return "Недостаточно памяти для выполнения команды";
    case 10013: return "Доступ запрещен";
    case 10024: return "Слишком много открытых сокетов";
    case 10035: return "Ресурс временно недоступен";
    case 10043: return "Протокол не поддерживается";
    case 10046: return "Семейство протоколов не поддерживается";
    case 10048: return "IP адрес/порт уже используется";
    case 10050: return "Сеть обрушена";
    case 10051: return "Не удается обнаружить сетевой узел";
    case 10052: return "Сеть сбросила соединение";
    case 10053: return "Приложение сбросило соединение";
    case 10054: return "Удаленный хост сбросил соединение";
    case 10057: return "Сокет не подключен";
    case 10058: return "Сокет был остановлен";
    case 10060: return "Превышено время ожидания отклика сервера";
    case 10061: return "На сокете нет запущенных серверов";
    case 10067: return "Слишком много процессов работают с сетью";
    case 10092: return "Winsock.dll устаревшей версии";
    default: return nullptr;
    }
}

// Long enough for the longest fixed text.
struct ErrorText {
    char text[128];
    explicit ErrorText(std::uint32_t code) { RavloErrorText(code, text, sizeof text); }
};

// Closes a socket already taken out of the object, once no Send of the object
// uses it: the descriptor could otherwise be handed out again while a send
// still writes to it. The wait is short, since every Send stops within a
// round once its socket is gone.
void CloseSocket(cRavlo& ravlo, RavloSocket s) {
    if (s == 0) return;
    {
        std::unique_lock<std::mutex> lock(ravlo.Sending.lock);
        ravlo.Sending.idle.wait(lock, [&] { return ravlo.Sending.users == 0; });
    }
    ShutAndClose(s);
}

void ShowError(void* owner, const char* text, const char* caption) {
    compat::ShowMessageBox(owner, text, caption, kErrorBox);
}

// The library's own texts are UTF-8 in the source; the log is Windows-1251
// text like every other file of the system. Received and sent bytes are
// logged as they are.
void LogOwnText(cRavlo& ravlo, const char* utf8) { ravlo.LogAdd(compat::Utf8ToCp1251(utf8).c_str()); }

// Logs a failure of Open and shows it when the caller asked for messages.
void Report(cRavlo& ravlo, bool showMessages, const char* text) {
    LogOwnText(ravlo, text);
    if (showMessages) ShowError(ravlo.hWnd, text, kCaptionTcp);
}

// The object's socket held for one Send (0 when none is open).
struct SocketInUse {
    explicit SocketInUse(cRavlo& object) : ravlo(object) {
        std::lock_guard<std::mutex> lock(ravlo.Sending.lock);
        socket = ravlo.Socket.load();
        if (socket != 0) ++ravlo.Sending.users;
    }
    ~SocketInUse() {
        if (socket == 0) return;
        {
            std::lock_guard<std::mutex> lock(ravlo.Sending.lock);
            --ravlo.Sending.users;
        }
        ravlo.Sending.idle.notify_all();
    }
    SocketInUse(const SocketInUse&) = delete;
    SocketInUse& operator=(const SocketInUse&) = delete;

    cRavlo& ravlo;
    RavloSocket socket = 0;
};

void ReleaseSocket(cRavlo& ravlo) { CloseSocket(ravlo, ravlo.Socket.exchange(0)); }

void SetDirPath() {
    // UTF-8, like every path of the system: any folder can be named.
    std::string dir = compat::ExecutableDir() + compat::PathSeparator();
    if (dir.size() >= sizeof cRavlo::dir_path) dir.clear();  // a cut path would name another folder
    std::memcpy(cRavlo::dir_path, dir.c_str(), dir.size() + 1);
}

// ---- ending a connection ---------------------------------------------------
//
// Whoever takes a thread handle out of the object (under csLog, or by the
// thread's own compare-and-swap at its very end) owns it and releases it;
// whoever takes the socket closes it, but only after joining the threads that
// may still use it. So each handle and the socket are released exactly once
// however the host's Close and the reading thread's own end meet.

struct Takeover {
    RavloThread reader{};
    RavloThread connector{};
    RavloSocket socket = 0;
};

Takeover TakeOver(cRavlo& ravlo) {
    Takeover taken;
    {
        LockGuard lock(ravlo.csLog);
        // Closed from the host's callback: the reading thread cannot wait for
        // itself. It keeps its handle, finds the socket gone once the callback
        // returns, and releases the handle as the last thing it does.
        if (ravlo.ThreadReadID.load() != CurrentThreadId()) {
            taken.reader = ravlo.hThreadRead.exchange(RavloThread());
            ravlo.ThreadReadID = 0;
        }
        taken.connector = ravlo.hThreadConnect.exchange(RavloThread());
        ravlo.ThreadConnectID = 0;
        taken.socket = ravlo.Socket.exchange(0);
    }
    // Unblock the workers: they find they no longer own the connection and end.
    WakeWorkers(taken.reader, taken.connector, taken.socket);
    return taken;
}

void Finish(cRavlo& ravlo, const Takeover& taken) {
    if (taken.reader) JoinThread(taken.reader);
    if (taken.connector) JoinThread(taken.connector);
    CloseSocket(ravlo, taken.socket);
}

void StopAll(cRavlo& ravlo) { Finish(ravlo, TakeOver(ravlo)); }

// Joins the connecting thread once its outcome is known.
void ReapConnector(cRavlo& ravlo) {
    RavloThread connector;
    {
        LockGuard lock(ravlo.csLog);
        connector = ravlo.hThreadConnect.exchange(RavloThread());
        ravlo.ThreadConnectID = 0;
    }
    if (connector) JoinThread(connector);
}

// ---- the steps of Open -------------------------------------------------------

void StartWinsock(cRavlo& ravlo, bool showMessages) {
    std::uint32_t error = StartNetworking();
    if (error == 0) return;
    char line[160];
    std::snprintf(line, sizeof line, "WSAStart error %s", ErrorText(error).text);
    Report(ravlo, showMessages, line);  // and go on: the next Open tries again
}

enum class ConnectWait { Outcome, Aborted, HostQuits };

// Starts the connecting thread and waits for its outcome (ConnectState 1 or
// 0), then joins it. Aborted: the thread or the socket was taken away while
// ConnectState still read 2. HostQuits: the host's thread was asked to quit
// while its messages were handled here.
ConnectWait AwaitConnectingThread(cRavlo& ravlo, RavloSocket s) {
    ravlo.ConnectState = 2;
    ConnectWaiter waiter(s);
    {
        LockGuard lock(ravlo.csLog);
        RavloThread connector{};
        std::uint32_t id = 0;
        if (StartThread(&cRavlo::ThreadProcConnect, &ravlo, connector, id)) {
            ravlo.hThreadConnect = connector;
            ravlo.ThreadConnectID = id;
            waiter.Watch(connector);
        }
    }
    while (ravlo.ConnectState.load() == 2) {
        if ((!ravlo.hThreadConnect.load() || !ravlo.Socket.load()) && ravlo.ConnectState.load() == 2)
            return ConnectWait::Aborted;
        if (!waiter.Round(kWaitRoundMs, ravlo.ConnectState)) return ConnectWait::HostQuits;
    }
    ReapConnector(ravlo);
    return ConnectWait::Outcome;
}

bool StartReader(cRavlo& ravlo) {
    bool started;
    RavloThread previous{};
    {
        LockGuard lock(ravlo.csLog);
        RavloThread reader{};
        std::uint32_t id = 0;
        started = StartThread(&cRavlo::ThreadProcRead, &ravlo, reader, id);
        if (started) {
            // Only a reopen from inside the host's callback finds a handle
            // here: the calling reading thread's own, which then just ends.
            previous = ravlo.hThreadRead.exchange(reader);
            ravlo.ThreadReadID = id;
        }
    }
    DetachThread(previous);
    return started;
}

}  // namespace

// ---- the exported functions --------------------------------------------------

extern "C" RAVLO_API RavloNotifier RavloSetNotifier(RavloNotifier notifier) {
    return compat::SetMessageBoxHandler(notifier);
}

extern "C" RAVLO_API unsigned RavloSetConnectTimeout(unsigned milliseconds) {
    return g_connectTimeoutMs.exchange(milliseconds);
}

extern "C" RAVLO_API unsigned RavloSetSendTimeout(unsigned milliseconds) {
    return g_sendTimeoutMs.exchange(milliseconds);
}

extern "C" RAVLO_API std::size_t RavloErrorText(std::uint32_t code, char* destination, std::size_t size) {
    if (code == 0) code = CurrentError();
    const char* fixed = FixedErrorText(code);
    int length = fixed ? std::snprintf(destination, size, "%s", fixed)
                       : std::snprintf(destination, size, "%lu", static_cast<unsigned long>(code));
    return length < 0 ? 0 : static_cast<std::size_t>(length);
}

// ---- cRavlo --------------------------------------------------------------------

cRavlo::cRavlo(const char* iniFile)
    : LastError(0),
      ConnectState(0),
      Addr(),
      HostName(),
      hWnd(),
      IniFile(),
      LogFile(),
      IPv4(),
      Port(0),
      Socket(0),
      RecvC(0),
      pRecvCallback(nullptr),
      csLog(),
      ThreadReadID(0),
      hThreadRead(RavloThread()),
      ThreadConnectID(0),
      hThreadConnect(RavloThread()) {
    if (ObjectsC < sizeof pObjects / sizeof pObjects[0]) pObjects[ObjectsC++] = this;
    std::snprintf(IniFile, sizeof IniFile, "%s", iniFile ? iniFile : "");
    SetDirPath();
    if (IniFile[0]) {
        const std::string ini = compat::FileBesideExecutable(IniFile);
        compat::ReadIniString(ini, "TCP", "IPv4", "192.168.1.1", IPv4, sizeof IPv4);
        char port[256];
        compat::ReadIniString(ini, "TCP", "Port", "80", port, sizeof port);
        Port = static_cast<std::uint16_t>(compat::ParseDecimal(port));
    } else {  // an object of a tool's own, set up by its owner: no settings file
        std::snprintf(IPv4, sizeof IPv4, "192.168.1.1");
        Port = 80;
    }
    RecvBuf[0] = '\0';
    InitLock(csLog);
}

cRavlo::~cRavlo() {
    for (std::uint8_t i = 0; i < ObjectsC; ++i) {
        if (pObjects[i] != this) continue;
        std::memmove(&pObjects[i], &pObjects[i + 1], (ObjectsC - i - 1) * sizeof pObjects[0]);
        pObjects[--ObjectsC] = nullptr;
        break;
    }
    Close();
    if (IniFile[0]) {  // an object without a settings file keeps its settings in memory only
        const std::string ini = compat::FileBesideExecutable(IniFile);
        char address[sizeof IPv4];
        std::snprintf(address, sizeof address, "%.*s", static_cast<int>(strnlen(IPv4, sizeof IPv4)), IPv4);
        char port[8];
        std::snprintf(port, sizeof port, "%u", static_cast<unsigned>(Port));
        compat::WriteIniString(ini, "TCP", "IPv4", address);
        compat::WriteIniString(ini, "TCP", "Port", port);
    }
    DestroyLock(csLog);
}

bool cRavlo::Open(bool showMessages, bool startReader) {
    if (Socket.load() != 0) {
        Close();
        SleepMs(kReopenPauseMs);
    } else {
        StopAll(*this);  // a reading thread that ended on its own is joined here
    }
    StartWinsock(*this, showMessages);

    RavloSocket s = NewSocket();
    if (SocketFailed(s)) {
        ErrorText error(CurrentError());
        char line[160];
        std::snprintf(line, sizeof line, "Socket error %s", error.text);
        Report(*this, showMessages, line);
        Socket = 0;
        return false;
    }
    Socket = s;

    char address[sizeof IPv4];
    std::snprintf(address, sizeof address, "%.*s", static_cast<int>(strnlen(IPv4, sizeof IPv4)), IPv4);
    if (!FillAddress(Addr, Port, address, HostName)) {
        char line[64];
        std::snprintf(line, sizeof line, "Invalid adress %s", address);
        Report(*this, showMessages, line);
        ReleaseSocket(*this);
        return false;
    }

    // Closed by the host meanwhile (from a message handler run while waiting, or
    // from another thread), or the thread could not be started. A host that
    // quits gets no box: its quit request is still pending for its own loop.
    const ConnectWait waited = AwaitConnectingThread(*this, s);
    if (waited != ConnectWait::Outcome || !Socket.load()) {
        Close();
        if (showMessages && waited != ConnectWait::HostQuits) ShowError(hWnd, kAborted, kCaptionTcp);
        return false;
    }
    if (ConnectState.load() == 0) {
        ErrorText error(LastError);
        char line[192];
        std::snprintf(line, sizeof line, "Ошибка соединения %s", error.text);
        Report(*this, showMessages, line);
        ReleaseSocket(*this);
        return false;
    }
    if (startReader) {
        // Logged before the thread starts, so that no "Recv:" line precedes it.
        char line[64];
        std::snprintf(line, sizeof line, "Connected to %s", address);
        LogAdd(line);
        if (!StartReader(*this)) {
            Close();
            if (showMessages) ShowError(hWnd, kAborted, kCaptionTcp);
            return false;
        }
    }
    return true;
}

bool cRavlo::Close() {
    StopAll(*this);
    LogAdd("Closed");
    return true;
}

bool cRavlo::Send(const char* data, unsigned long count) {
    try {
        std::string line("Send: ");
        if (data) line.append(data, strnlen(data, count));
        LogAdd(line.c_str());
        if (!data) return true;
        SocketInUse use(*this);
        if (use.socket != 0)
            SendAll(use.socket, data, count, g_sendTimeoutMs.load(), kSendRoundMs,
                    [this, s = use.socket] { return Socket.load() == s; });
        return true;
    } catch (...) {
        LogAdd("Exception in Send");
        ShowError(hWnd, "Exception in Send", kCaptionLibrary);
        return false;
    }
}

void cRavlo::LogAdd(const char* text) {
    if (LogFile[0] == '\0') return;
    char name[sizeof LogFile + 1];
    std::snprintf(name, sizeof name, "%.*s", static_cast<int>(strnlen(LogFile, sizeof LogFile)), LogFile);
    const std::string log = compat::FileBesideExecutable(name);

    const LocalTime now = Now();
    char date[16], time[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%02d", now.month % 100, now.day % 100, now.year % 100);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", now.hours % 100, now.minutes % 100, now.seconds % 100);

    LockGuard lock(csLog);
    std::FILE* file = compat::OpenFile(log, "ab");
    if (!file) return;
    std::fprintf(file, "%s %s: %s\r\n", date, time, text ? text : "");
    std::fclose(file);
}

void cRavlo::GetVersion(char* destination) { std::memcpy(destination, version, std::strlen(version) + 1); }

bool cRavlo::IPv4_Split(const char* const text, unsigned char* a, unsigned char* b, unsigned char* c,
                        unsigned char* d) {
    if (!text) return false;
    unsigned char* const destinations[4] = {a, b, c, d};
    char group[3];
    std::size_t length = 0;
    std::size_t index = 0;
    for (const char* at = text;; ++at) {
        if (*at != '.' && *at != '\0') {
            if (length == sizeof group) return false;
            group[length++] = *at;
            continue;
        }
        long value = compat::ParseDecimal(std::string_view(group, length));
        if (value > 255) return false;
        if (index < 4 && destinations[index]) *destinations[index] = static_cast<unsigned char>(value);
        ++index;
        length = 0;
        if (*at == '\0') return true;
    }
}

RavloThreadResult RAVLO_THREAD_CALL cRavlo::ThreadProcConnect(void* object) {
    cRavlo& self = *static_cast<cRavlo*>(object);
    const std::uint32_t me = CurrentThreadId();
    auto owns = [&self, me] { return self.ThreadConnectID.load() == me; };
    self.LastError = 0;

    PendingConnect attempt;
    RavloSocket s;
    std::uint32_t error = 0;
    bool pending = false;
    {
        // Under csLog, so that a Close either finds the connect started (and its
        // wake-up ends the wait) or has already told this thread to stop.
        LockGuard lock(self.csLog);
        if (IsCurrentThread(self.hThreadConnect.load())) self.ThreadConnectID = me;
        s = self.Socket.load();
        if (!owns() || s == 0) return 0;
        error = attempt.Start(s, self.Addr, pending);
    }
    if (pending) error = attempt.Await(g_connectTimeoutMs.load(), owns);
    attempt.RestoreBlocking();
    if (error == kStopped) return 0;  // the host closed: Open reports the abort

    self.LastError = error;
    self.ConnectState = error == 0 ? 1 : 0;
    return error == 0 ? 1 : 0;
}

RavloThreadResult RAVLO_THREAD_CALL cRavlo::ThreadProcRead(void* object) {
    cRavlo& self = *static_cast<cRavlo*>(object);
    const std::uint32_t me = CurrentThreadId();
    RavloSocket s;
    RavloThread ownHandle{};
    {
        LockGuard lock(self.csLog);
        if (IsCurrentThread(self.hThreadRead.load())) self.ThreadReadID = me;
        if (self.ThreadReadID.load() == me) ownHandle = self.hThreadRead.load();
        s = self.Socket.load();
    }
    auto owns = [&self, me, s] { return s != 0 && self.Socket.load() == s && self.ThreadReadID.load() == me; };

    char block[kBlockLimit + 2];
    Receiver receiver;
    bool stoppedByHost = false;
    bool failed = false;
    try {
        for (;;) {
            if (!owns()) {
                stoppedByHost = true;
                break;
            }
            long got = receiver.Receive(s, block, kBlockLimit, owns);
            if (!owns()) {
                stoppedByHost = true;
                break;
            }
            if (got <= 0) break;
            const std::uint32_t count = static_cast<std::uint32_t>(got);

            // A block that would run past the end starts the accumulation anew.
            std::uint32_t at = self.RecvC;
            if (at > sizeof self.RecvBuf - 1 - count) at = 0;
            std::memcpy(self.RecvBuf + at, block, count);
            self.RecvC = at + count;
            self.RecvBuf[self.RecvC] = '\0';
            block[count] = '\0';

            self.LogAdd((std::string("Recv: ") + block).c_str());
            if (self.RecvC != 0 && self.pRecvCallback) self.pRecvCallback(block, static_cast<int>(count));
        }
    } catch (...) {
        failed = true;
        self.LogAdd("Exception in ThreadProcRead");
        self.Close();  // on this thread: releases all but this thread itself
    }

    if (!stoppedByHost) {
        const unsigned char* ip = reinterpret_cast<const unsigned char*>(&self.Addr.sin_addr);
        char line[320];
        std::snprintf(line, sizeof line, "Disconnected: %u.%u.%u.%u %s", ip[0], ip[1], ip[2], ip[3], self.HostName);
        self.LogAdd(line);
    }

    RavloSocket own = 0;
    {
        LockGuard lock(self.csLog);
        if (self.ThreadReadID.load() == me) {
            self.ThreadReadID = 0;
            RavloSocket expected = s;
            if (self.Socket.compare_exchange_strong(expected, 0)) own = s;
        }
    }
    CloseSocket(self, own);
    // The last touch of the object: give up our own handle, unless a Close has
    // already taken it and is waiting for this thread to end.
    if (ownHandle && self.hThreadRead.compare_exchange_strong(ownHandle, RavloThread())) DetachThread(ownHandle);

    // Shown last, so that nobody waits for this thread behind the message box.
    if (failed) ShowError(nullptr, "Exception in ThreadProcRead", kCaptionLibrary);
    return 0;
}
