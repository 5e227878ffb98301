#include "ravlo/ravlo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>

#include "compat/platform.h"
#include "compat/profile.h"
#include "zorvel/board/protocol.h"

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#endif

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
const std::uint32_t kTimedOut = 10060;    // WSAETIMEDOUT

std::atomic<unsigned> g_connectTimeoutMs{10000};

// Held while a socket is written and while one is closed. The reading thread
// and a Close from the host's callback may close the socket while the host's
// thread is inside Send; without this the send could reach a descriptor that
// was closed and already handed out again.
std::mutex g_socketUse;
#ifdef _WIN32
std::atomic<bool> g_winsockStarted{false};  // the library never shuts Winsock down
#endif

// ---- error codes and their texts -----------------------------------------

#ifndef _WIN32
// The operator reads the same text on every platform, so errno values are
// carried as the Winsock codes that mean the same thing.
std::uint32_t WinsockCode(int error) {
    switch (error) {
    case 0: return 0;
    case ENOMEM: return 8;
    case EINTR: return 10004;
    case EBADF: return 10009;
    case EACCES:
    case EPERM: return 10013;
    case EFAULT: return 10014;
    case EINVAL: return 10022;
    case EMFILE:
    case ENFILE: return 10024;
    case EWOULDBLOCK: return 10035;
    case EINPROGRESS: return 10036;
    case EALREADY: return 10037;
    case ENOTSOCK: return 10038;
    case EDESTADDRREQ: return 10039;
    case EMSGSIZE: return 10040;
    case EPROTOTYPE: return 10041;
    case ENOPROTOOPT: return 10042;
    case EPROTONOSUPPORT: return 10043;
    case ESOCKTNOSUPPORT: return 10044;
    case EOPNOTSUPP: return 10045;
    case EPFNOSUPPORT: return 10046;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case ECONNABORTED: return 10053;
    case ECONNRESET: return 10054;
    case ENOBUFS: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN:
    case EPIPE: return 10058;
    case ETOOMANYREFS: return 10059;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case ELOOP: return 10062;
    case ENAMETOOLONG: return 10063;
    case EHOSTDOWN: return 10064;
    case EHOSTUNREACH: return 10065;
    default: return static_cast<std::uint32_t>(error);
    }
}
#endif

std::uint32_t CurrentError() {
#ifdef _WIN32
    return static_cast<std::uint32_t>(WSAGetLastError());
#else
    return WinsockCode(errno);
#endif
}

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

// ---- small platform wrappers -----------------------------------------------

class LockGuard {
public:
    explicit LockGuard(RavloLock& lock) : lock_(lock) {
#ifdef _WIN32
        EnterCriticalSection(&lock_);
#else
        pthread_mutex_lock(&lock_);
#endif
    }
    ~LockGuard() {
#ifdef _WIN32
        LeaveCriticalSection(&lock_);
#else
        pthread_mutex_unlock(&lock_);
#endif
    }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    RavloLock& lock_;
};

std::uint32_t CurrentThreadId() {
#ifdef _WIN32
    return GetCurrentThreadId();
#else
    return static_cast<std::uint32_t>(syscall(SYS_gettid));
#endif
}

void SleepMs(unsigned ms) {
#ifdef _WIN32
    Sleep(ms);
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
}

bool StartThread(RavloThreadResult(RAVLO_THREAD_CALL* procedure)(void*), cRavlo* object, RavloThread& thread,
                 std::uint32_t& id) {
#ifdef _WIN32
    DWORD threadId = 0;
    thread = CreateThread(nullptr, 0, procedure, object, 0, &threadId);
    id = threadId;
    return thread != nullptr;
#else
    // The thread records its own id once it runs (the kernel's id is known only there).
    id = 0;
    struct Start {
        static void* Connect(void* o) { cRavlo::ThreadProcConnect(o); return nullptr; }
        static void* Read(void* o) { cRavlo::ThreadProcRead(o); return nullptr; }
    };
    auto* start = procedure == &cRavlo::ThreadProcConnect ? &Start::Connect : &Start::Read;
    return pthread_create(&thread, nullptr, start, object) == 0;
#endif
}

void JoinThread(RavloThread thread) {
#ifdef _WIN32
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
#else
    pthread_join(thread, nullptr);
#endif
}

void DetachThread(RavloThread thread) {
    if (!thread) return;
#ifdef _WIN32
    CloseHandle(thread);
#else
    pthread_detach(thread);
#endif
}

#ifdef _WIN32
// Queued to a worker to end its alertable wait; the worker then finds it no
// longer owns the connection and stops.
void CALLBACK WakeUp(ULONG_PTR) {}
#endif

bool SocketFailed(RavloSocket s) {
#ifdef _WIN32
    return s == INVALID_SOCKET;
#else
    return s < 0;
#endif
}

RavloSocket NewSocket() {
#ifdef _WIN32
    return socket(AF_INET, SOCK_STREAM, 0);
#else
    RavloSocket s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s == 0) {
        // 0 means "no socket" to the host: move it off descriptor 0.
        RavloSocket moved = fcntl(s, F_DUPFD_CLOEXEC, 1);
        int error = errno;
        close(s);
        errno = error;
        s = moved;
    }
    return s;
#endif
}

void CloseSocket(RavloSocket s) {
    if (s == 0) return;
    std::lock_guard<std::mutex> inUse(g_socketUse);
#ifdef _WIN32
    shutdown(s, SD_SEND);
    closesocket(s);
#else
    shutdown(s, SHUT_WR);
    close(s);
#endif
}

void SendAll(RavloSocket s, const char* data, unsigned long count) {
    const unsigned long kChunk = 1ul << 30;
    while (count > 0) {
        unsigned long piece = count < kChunk ? count : kChunk;
#ifdef _WIN32
        int sent = send(s, data, static_cast<int>(piece), 0);
#else
        ssize_t sent = send(s, data, piece, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
#endif
        if (sent <= 0) return;
        data += sent;
        count -= static_cast<unsigned long>(sent);
    }
}

void ShowError(void* owner, const char* text, const char* caption) {
    compat::ShowMessageBox(owner, text, caption, kErrorBox);
}

// Logs a failure of Open and shows it when the caller asked for messages.
void Report(cRavlo& ravlo, bool showMessages, const char* text) {
    ravlo.LogAdd(text);
    if (showMessages) ShowError(ravlo.hWnd, text, kCaptionTcp);
}

void ReleaseSocket(cRavlo& ravlo) { CloseSocket(ravlo.Socket.exchange(0)); }

// A settings file's path: dir_path followed by the bare name.
struct FilePath {
    char path[sizeof cRavlo::dir_path + 40];
    explicit FilePath(const char* name, std::size_t nameCapacity) {
        std::snprintf(path, sizeof path, "%.*s%.*s", static_cast<int>(strnlen(cRavlo::dir_path, sizeof cRavlo::dir_path)),
                      cRavlo::dir_path, static_cast<int>(strnlen(name, nameCapacity)), name);
    }
};

void SetDirPath() {
    std::string dir;
#ifdef _WIN32
    // The A functions take the ANSI path, so the directory is fetched as ANSI too.
    char module[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, module, sizeof module);
    dir.assign(module, n < sizeof module ? n : 0);
    std::size_t cut = dir.find_last_of('\\');
    dir = cut == std::string::npos ? std::string(".") : dir.substr(0, cut);
#else
    dir = compat::ExecutableDir();
#endif
    dir += compat::PathSeparator();
    if (dir.size() >= sizeof cRavlo::dir_path) dir.clear();  // a cut path would name another folder
    std::memcpy(cRavlo::dir_path, dir.c_str(), dir.size() + 1);
}

bool Resolve(const char* name, sockaddr_in& address, char (&hostName)[256]) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr) return false;
    address.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    std::snprintf(hostName, sizeof hostName, "%s", found->ai_canonname ? found->ai_canonname : name);
    freeaddrinfo(found);
    return true;
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
#ifdef _WIN32
    if (taken.reader) QueueUserAPC(WakeUp, taken.reader, 0);
    if (taken.connector) QueueUserAPC(WakeUp, taken.connector, 0);
#else
    if (taken.socket) shutdown(taken.socket, SHUT_RDWR);
#endif
    return taken;
}

void Finish(const Takeover& taken) {
    if (taken.reader) JoinThread(taken.reader);
    if (taken.connector) JoinThread(taken.connector);
    CloseSocket(taken.socket);
}

void StopAll(cRavlo& ravlo) { Finish(TakeOver(ravlo)); }

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

// ---- connecting --------------------------------------------------------------

const std::uint32_t kStopped = 0xFFFFFFFFu;  // the host closed the connection meanwhile

class PendingConnect {
public:
    PendingConnect() {
#ifdef _WIN32
        event_ = WSACreateEvent();
#endif
    }
    ~PendingConnect() {
#ifdef _WIN32
        if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
#endif
    }
    PendingConnect(const PendingConnect&) = delete;
    PendingConnect& operator=(const PendingConnect&) = delete;

    // Starts a non-blocking connect: 0 when connected at once, else the error;
    // pending tells that the outcome is still to come.
    std::uint32_t Start(RavloSocket s, const sockaddr_in& address, bool& pending) {
        socket_ = s;
        pending = false;
#ifdef _WIN32
        if (event_ == WSA_INVALID_EVENT) return CurrentError();
        if (WSAEventSelect(s, event_, FD_CONNECT) != 0) return CurrentError();
        if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
        std::uint32_t error = CurrentError();
        pending = error == WSAEWOULDBLOCK;
        return pending ? 0 : error;
#else
        int flags = fcntl(s, F_GETFL);
        if (flags < 0 || fcntl(s, F_SETFL, flags | O_NONBLOCK) < 0) return CurrentError();
        if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
        pending = errno == EINPROGRESS;
        return pending ? 0 : CurrentError();
#endif
    }

    // Waits for the outcome until the deadline, giving up (kStopped) as soon as
    // owns() turns false. Returns 0 when connected, else the error code.
    template <class Owns>
    std::uint32_t Await(unsigned timeoutMs, Owns owns) {
#ifdef _WIN32
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            if (!owns()) return kStopped;
            ULONGLONG now = GetTickCount64();
            if (now >= deadline) return kTimedOut;
            DWORD woke = WaitForSingleObjectEx(event_, static_cast<DWORD>(deadline - now), TRUE);
            if (woke == WAIT_IO_COMPLETION || woke == WAIT_TIMEOUT) continue;
            if (woke != WAIT_OBJECT_0) return static_cast<std::uint32_t>(GetLastError());
            WSANETWORKEVENTS events{};
            if (WSAEnumNetworkEvents(socket_, event_, &events) != 0) return CurrentError();
            if (events.lNetworkEvents & FD_CONNECT) return static_cast<std::uint32_t>(events.iErrorCode[FD_CONNECT_BIT]);
        }
#else
        using Clock = std::chrono::steady_clock;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (!owns()) return kStopped;
            Clock::time_point now = Clock::now();
            if (now >= deadline) return kTimedOut;
            auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
            pollfd watch{socket_, POLLOUT, 0};
            int ready = poll(&watch, 1, static_cast<int>(left));
            if (ready < 0 && errno != EINTR) return CurrentError();
            if (ready <= 0) continue;
            if (!owns()) return kStopped;  // woken by the host's Close shutting the socket down
            int error = 0;
            socklen_t length = sizeof error;
            if (getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return CurrentError();
            return WinsockCode(error);
        }
#endif
    }

    // The connection's socket blocks again for the reading thread and Send.
    void RestoreBlocking() {
#ifdef _WIN32
        WSAEventSelect(socket_, nullptr, 0);
        u_long blocking = 0;
        ioctlsocket(socket_, FIONBIO, &blocking);
#else
        int flags = fcntl(socket_, F_GETFL);
        if (flags >= 0) fcntl(socket_, F_SETFL, flags & ~O_NONBLOCK);
#endif
    }

private:
    RavloSocket socket_ = 0;
#ifdef _WIN32
    WSAEVENT event_;
#endif
};

// Open's wait for the connecting thread: at most one round of 100 ms, ended
// early by the connect's outcome; on Windows the caller's window messages are
// handled after every round.
class ConnectWaiter {
public:
    explicit ConnectWaiter(RavloSocket s) : socket_(s) {}
    // Called under csLog, while the object still holds the connecting thread's
    // handle: a handle of our own, since a Close from another thread may
    // release the object's while we wait.
    void Watch(RavloThread connector) {
#ifdef _WIN32
        DuplicateHandle(GetCurrentProcess(), connector, GetCurrentProcess(), &connector_, SYNCHRONIZE, FALSE, 0);
#else
        (void)connector;
#endif
    }
    ~ConnectWaiter() {
#ifdef _WIN32
        if (connector_) CloseHandle(connector_);
#endif
    }
    ConnectWaiter(const ConnectWaiter&) = delete;
    ConnectWaiter& operator=(const ConnectWaiter&) = delete;

    void Round(const std::atomic<std::uint8_t>& connectState) {
#ifdef _WIN32
        (void)connectState;
        if (connector_)
            MsgWaitForMultipleObjectsEx(1, &connector_, kWaitRoundMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        else
            Sleep(kWaitRoundMs);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
#else
        // No window messages natively. The socket turns writable when the
        // connect ends, and the connecting thread records the outcome just
        // after; it also reads as ready (hung up) before that thread has
        // started the connect. Either way the wait is short.
        pollfd watch{socket_, POLLOUT, 0};
        if (poll(&watch, 1, static_cast<int>(kWaitRoundMs)) != 0 && connectState.load() == 2)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
#endif
    }

private:
    RavloSocket socket_;
#ifdef _WIN32
    HANDLE connector_ = nullptr;
#endif
};

// ---- receiving ---------------------------------------------------------------

class Receiver {
public:
    Receiver() {
#ifdef _WIN32
        event_ = WSACreateEvent();
#endif
    }
    ~Receiver() {
#ifdef _WIN32
        if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
#endif
    }
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    // Bytes received (> 0), 0 when the peer closed, < 0 on failure or when
    // woken because the host closed the connection (the caller asks owns()).
    template <class Owns>
    long Receive(RavloSocket s, char* block, unsigned size, Owns owns) {
#ifdef _WIN32
        // An overlapped receive waited on alertably, so that Close can wake
        // this thread without closing a socket still in use.
        if (event_ == WSA_INVALID_EVENT) return -1;
        WSAResetEvent(event_);
        WSAOVERLAPPED overlapped{};
        overlapped.hEvent = event_;
        WSABUF buffer{size, block};
        DWORD got = 0, flags = 0;
        if (WSARecv(s, &buffer, 1, &got, &flags, &overlapped, nullptr) == 0) return static_cast<long>(got);
        if (WSAGetLastError() != WSA_IO_PENDING) return -1;
        for (;;) {
            DWORD woke = WaitForSingleObjectEx(event_, INFINITE, TRUE);
            if (woke == WAIT_OBJECT_0) break;
            if (woke == WAIT_IO_COMPLETION && owns()) continue;
            CancelIoEx(reinterpret_cast<HANDLE>(s), &overlapped);
            WSAGetOverlappedResult(s, &overlapped, &got, TRUE, &flags);
            return -1;
        }
        if (!WSAGetOverlappedResult(s, &overlapped, &got, FALSE, &flags)) return -1;
        return static_cast<long>(got);
#else
        (void)owns;  // the host's Close shuts the socket down, which ends recv
        for (;;) {
            ssize_t got = recv(s, block, size, 0);
            if (got < 0 && errno == EINTR) continue;
            return static_cast<long>(got);
        }
#endif
    }

private:
#ifdef _WIN32
    WSAEVENT event_;
#endif
};

// ---- the steps of Open -------------------------------------------------------

void StartWinsock(cRavlo& ravlo, bool showMessages) {
#ifdef _WIN32
    if (g_winsockStarted.load()) return;
    WSADATA data;
    int error = WSAStartup(MAKEWORD(2, 2), &data);
    if (error == 0) {
        g_winsockStarted = true;
        return;
    }
    char line[160];
    std::snprintf(line, sizeof line, "WSAStart error %s", ErrorText(static_cast<std::uint32_t>(error)).text);
    Report(ravlo, showMessages, line);  // and go on: the next Open tries again
#else
    (void)ravlo, (void)showMessages;
#endif
}

// A dotted address as it stands, else the first address of the named host.
bool FillAddress(cRavlo& ravlo, const char* address) {
    ravlo.Addr = sockaddr_in();
    ravlo.Addr.sin_family = AF_INET;
    ravlo.Addr.sin_port = htons(ravlo.Port);
    ravlo.HostName[0] = '\0';
    unsigned long dotted = inet_addr(address);
    if (dotted == INADDR_NONE) return Resolve(address, ravlo.Addr, ravlo.HostName);
    ravlo.Addr.sin_addr.s_addr = static_cast<decltype(ravlo.Addr.sin_addr.s_addr)>(dotted);
    return true;
}

// Starts the connecting thread and waits for its outcome (ConnectState 1 or
// 0), then joins it. False when the wait was aborted: the thread or the
// socket was taken away while ConnectState still read 2.
bool AwaitConnectingThread(cRavlo& ravlo, RavloSocket s) {
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
        if ((!ravlo.hThreadConnect.load() || !ravlo.Socket.load()) && ravlo.ConnectState.load() == 2) return false;
        waiter.Round(ravlo.ConnectState);
    }
    ReapConnector(ravlo);
    return true;
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

extern "C" RAVLO_API std::size_t RavloErrorText(std::uint32_t code, char* destination, std::size_t size) {
    if (code == 0) code = CurrentError();
    const char* fixed = FixedErrorText(code);
    int length = fixed ? std::snprintf(destination, size, "%s", fixed)
                       : std::snprintf(destination, size, "%lu", static_cast<unsigned long>(code));
    return length < 0 ? 0 : static_cast<std::size_t>(length);
}

#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif

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
        FilePath ini(IniFile, sizeof IniFile);
        GetPrivateProfileStringA("TCP", "IPv4", "192.168.1.1", IPv4, sizeof IPv4, ini.path);
        char port[256];
        GetPrivateProfileStringA("TCP", "Port", "80", port, sizeof port, ini.path);
        Port = static_cast<std::uint16_t>(board::ParseDecimal(port));
    } else {  // an object of a tool's own, set up by its owner: no settings file
        std::snprintf(IPv4, sizeof IPv4, "192.168.1.1");
        Port = 80;
    }
    RecvBuf[0] = '\0';
#ifdef _WIN32
    InitializeCriticalSection(&csLog);
#else
    pthread_mutex_init(&csLog, nullptr);
#endif
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
        FilePath ini(IniFile, sizeof IniFile);
        char address[sizeof IPv4];
        std::snprintf(address, sizeof address, "%.*s", static_cast<int>(strnlen(IPv4, sizeof IPv4)), IPv4);
        char port[8];
        std::snprintf(port, sizeof port, "%u", static_cast<unsigned>(Port));
        WritePrivateProfileStringA("TCP", "IPv4", address, ini.path);
        WritePrivateProfileStringA("TCP", "Port", port, ini.path);
    }
#ifdef _WIN32
    DeleteCriticalSection(&csLog);
#else
    pthread_mutex_destroy(&csLog);
#endif
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
    if (!FillAddress(*this, address)) {
        char line[64];
        std::snprintf(line, sizeof line, "Invalid adress %s", address);
        Report(*this, showMessages, line);
        ReleaseSocket(*this);
        return false;
    }

    // Closed by the host meanwhile (from a message handler run while waiting, or
    // from another thread), or the thread could not be started.
    if (!AwaitConnectingThread(*this, s) || !Socket.load()) {
        Close();
        if (showMessages) ShowError(hWnd, kAborted, kCaptionTcp);
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
        std::lock_guard<std::mutex> inUse(g_socketUse);
        RavloSocket s = Socket.load();
        if (s != 0 && data) SendAll(s, data, count);
        return true;
    } catch (...) {
        LogAdd("Exception in Send");
        ShowError(hWnd, "Exception in Send", kCaptionLibrary);
        return false;
    }
}

void cRavlo::LogAdd(const char* text) {
    if (LogFile[0] == '\0') return;
    FilePath log(LogFile, sizeof LogFile);

    int month, day, year, hours, minutes, seconds;
#ifdef _WIN32
    SYSTEMTIME now;
    GetLocalTime(&now);
    month = now.wMonth, day = now.wDay, year = now.wYear;
    hours = now.wHour, minutes = now.wMinute, seconds = now.wSecond;
#else
    std::time_t clock = std::time(nullptr);
    std::tm now{};
    localtime_r(&clock, &now);
    month = now.tm_mon + 1, day = now.tm_mday, year = now.tm_year + 1900;
    hours = now.tm_hour, minutes = now.tm_min, seconds = now.tm_sec;
#endif
    char date[16], time[16];
    std::snprintf(date, sizeof date, "%02d/%02d/%02d", month % 100, day % 100, year % 100);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", hours % 100, minutes % 100, seconds % 100);

    LockGuard lock(csLog);
    std::FILE* file = std::fopen(log.path, "ab");
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
        long value = board::ParseDecimal(std::string_view(group, length));
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
#ifndef _WIN32
        if (pthread_equal(self.hThreadConnect.load(), pthread_self())) self.ThreadConnectID = me;
#endif
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
#ifndef _WIN32
        if (pthread_equal(self.hThreadRead.load(), pthread_self())) self.ThreadReadID = me;
#endif
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
    CloseSocket(own);
    // The last touch of the object: give up our own handle, unless a Close has
    // already taken it and is waiting for this thread to end.
    if (ownHandle && self.hThreadRead.compare_exchange_strong(ownHandle, RavloThread())) DetachThread(ownHandle);

    // Shown last, so that nobody waits for this thread behind the message box.
    if (failed) ShowError(nullptr, "Exception in ThreadProcRead", kCaptionLibrary);
    return 0;
}
