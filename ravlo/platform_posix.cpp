#include "ravlo/platform.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace ravlo {

namespace {

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

}  // namespace

std::uint32_t CurrentError() { return WinsockCode(errno); }

LocalTime Now() {
    std::time_t clock = std::time(nullptr);
    std::tm now{};
    localtime_r(&clock, &now);
    return {now.tm_mon + 1, now.tm_mday, now.tm_year + 1900, now.tm_hour, now.tm_min, now.tm_sec};
}

void SleepMs(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void InitLock(RavloLock& lock) { pthread_mutex_init(&lock, nullptr); }
void DestroyLock(RavloLock& lock) { pthread_mutex_destroy(&lock); }
LockGuard::LockGuard(RavloLock& lock) : lock_(lock) { pthread_mutex_lock(&lock_); }
LockGuard::~LockGuard() { pthread_mutex_unlock(&lock_); }

std::uint32_t CurrentThreadId() { return static_cast<std::uint32_t>(syscall(SYS_gettid)); }

bool IsCurrentThread(RavloThread thread) { return thread && pthread_equal(thread, pthread_self()); }

bool StartThread(RavloThreadResult(RAVLO_THREAD_CALL* procedure)(void*), cRavlo* object, RavloThread& thread,
                 std::uint32_t& id) {
    // The thread records its own id once it runs (the kernel's id is known only there).
    id = 0;
    struct Start {
        static void* Connect(void* o) { cRavlo::ThreadProcConnect(o); return nullptr; }
        static void* Read(void* o) { cRavlo::ThreadProcRead(o); return nullptr; }
    };
    auto* start = procedure == &cRavlo::ThreadProcConnect ? &Start::Connect : &Start::Read;
    return pthread_create(&thread, nullptr, start, object) == 0;
}

void JoinThread(RavloThread thread) { pthread_join(thread, nullptr); }

void DetachThread(RavloThread thread) {
    if (thread) pthread_detach(thread);
}

void WakeWorkers(RavloThread, RavloThread, RavloSocket socket) {
    // Shutting the socket down ends both the pending connect and the receive.
    if (socket) shutdown(socket, SHUT_RDWR);
}

std::uint32_t StartNetworking() { return 0; }

bool SocketFailed(RavloSocket s) { return s < 0; }

RavloSocket NewSocket() {
    RavloSocket s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s == 0) {
        RavloSocket moved = fcntl(s, F_DUPFD_CLOEXEC, 1);
        int error = errno;
        close(s);
        errno = error;
        s = moved;
    }
    return s;
}

void ShutAndClose(RavloSocket s) {
    shutdown(s, SHUT_WR);
    close(s);
}

bool SendAll(RavloSocket s, const char* data, unsigned long count, unsigned limitMs, unsigned roundMs,
             const StillOwned& owns) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (count > 0) {
        // Never blocking in send itself: a peer that stops reading would
        // hold this thread for as long as it likes.
        ssize_t sent = send(s, data, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            data += sent;
            count -= static_cast<unsigned long>(sent);
            continue;
        }
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
        const Clock::time_point now = Clock::now();
        if (now >= deadline || !owns()) return false;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        pollfd watch{s, POLLOUT, 0};
        if (poll(&watch, 1, static_cast<int>(left < roundMs ? left : roundMs)) < 0 && errno != EINTR) return false;
    }
    return true;
}

PendingConnect::PendingConnect() = default;
PendingConnect::~PendingConnect() = default;

std::uint32_t PendingConnect::Start(RavloSocket s, const sockaddr_in& address, bool& pending) {
    socket_ = s;
    pending = false;
    int flags = fcntl(s, F_GETFL);
    if (flags < 0 || fcntl(s, F_SETFL, flags | O_NONBLOCK) < 0) return CurrentError();
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
    pending = errno == EINPROGRESS;
    return pending ? 0 : CurrentError();
}

std::uint32_t PendingConnect::Await(unsigned timeoutMs, const StillOwned& owns) {
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
}

void PendingConnect::RestoreBlocking() {
    int flags = fcntl(socket_, F_GETFL);
    if (flags >= 0) fcntl(socket_, F_SETFL, flags & ~O_NONBLOCK);
}

ConnectWaiter::~ConnectWaiter() = default;

void ConnectWaiter::Watch(RavloThread) {}

bool ConnectWaiter::Round(unsigned roundMs, const std::atomic<std::uint8_t>& connectState) {
    // No window messages natively. The socket turns writable when the connect
    // ends, and the connecting thread records the outcome just after; it also
    // reads as ready (hung up) before that thread has started the connect.
    // Either way the wait is short.
    pollfd watch{socket_, POLLOUT, 0};
    if (poll(&watch, 1, static_cast<int>(roundMs)) != 0 && connectState.load() == 2)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    return true;
}

Receiver::Receiver() = default;
Receiver::~Receiver() = default;

long Receiver::Receive(RavloSocket s, char* block, unsigned size, const StillOwned&) {
    // The host's Close shuts the socket down, which ends recv.
    for (;;) {
        ssize_t got = recv(s, block, size, 0);
        if (got < 0 && errno == EINTR) continue;
        return static_cast<long>(got);
    }
}

}  // namespace ravlo
