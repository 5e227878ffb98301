// What cRavlo needs from the operating system, one implementation per
// platform: platform_win.cpp (Winsock, Win32 threads) and platform_posix.cpp
// (BSD sockets, pthreads). ravlo.cpp holds the portable logic on top.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ravlo/ravlo.h"

namespace ravlo {

// Asked of the caller while a worker waits: false once the host has taken the
// connection away, which ends the wait.
using StillOwned = std::function<bool()>;

// ---- errors and time -------------------------------------------------------

// The calling thread's current socket error as a Winsock code (errno values
// are carried as the Winsock codes that mean the same thing).
std::uint32_t CurrentError();
const std::uint32_t kTimedOut = 10060;      // WSAETIMEDOUT
const std::uint32_t kStopped = 0xFFFFFFFFu;  // the host closed the connection meanwhile

struct LocalTime {
    int month, day, year, hours, minutes, seconds;
};
LocalTime Now();

void SleepMs(unsigned ms);

// ---- locks and threads -----------------------------------------------------

void InitLock(RavloLock& lock);
void DestroyLock(RavloLock& lock);

class LockGuard {
public:
    explicit LockGuard(RavloLock& lock);
    ~LockGuard();
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    RavloLock& lock_;
};

std::uint32_t CurrentThreadId();
// True when `thread` is the calling thread.
bool IsCurrentThread(RavloThread thread);
// Starts procedure(object); id is the new thread's id where the platform knows
// it at once, else 0 (the thread records it itself).
bool StartThread(RavloThreadResult(RAVLO_THREAD_CALL* procedure)(void*), cRavlo* object, RavloThread& thread,
                 std::uint32_t& id);
void JoinThread(RavloThread thread);
void DetachThread(RavloThread thread);
// Ends the blocking waits of the workers that were told they no longer own the
// connection (the socket is already taken out of the object).
void WakeWorkers(RavloThread reader, RavloThread connector, RavloSocket socket);

// ---- sockets -----------------------------------------------------------------

// 0 when the platform's networking is ready (started once per process), else its error.
std::uint32_t StartNetworking();
bool SocketFailed(RavloSocket s);
// A stream socket, never 0 (0 means "no socket" to the host).
RavloSocket NewSocket();
void ShutAndClose(RavloSocket s);
// Writes count bytes in rounds of at most `roundMs`; stops at the first
// failure, once limitMs have passed, or as soon as owns() turns false.
// Returns whether every byte was written.
bool SendAll(RavloSocket s, const char* data, unsigned long count, unsigned limitMs, unsigned roundMs,
             const StillOwned& owns);
// A dotted address as it stands, else the first address of the named host
// (its official name into hostName). Fills family and port too.
bool FillAddress(sockaddr_in& address, std::uint16_t port, const char* text, char (&hostName)[256]);

// A non-blocking connect whose outcome a worker waits for.
class PendingConnect {
public:
    PendingConnect();
    ~PendingConnect();
    PendingConnect(const PendingConnect&) = delete;
    PendingConnect& operator=(const PendingConnect&) = delete;

    // 0 when connected at once, else the error; pending tells that the
    // outcome is still to come.
    std::uint32_t Start(RavloSocket s, const sockaddr_in& address, bool& pending);
    // Waits for the outcome until the deadline, giving up (kStopped) as soon
    // as owns() turns false. 0 when connected, else the error code.
    std::uint32_t Await(unsigned timeoutMs, const StillOwned& owns);
    // The connection's socket blocks again for the reading thread and Send.
    void RestoreBlocking();

private:
    RavloSocket socket_ = 0;
    [[maybe_unused]] void* event_ = nullptr;  // Windows: the socket's event
};

// Open's wait for the connecting thread: at most one round of `roundMs`,
// ended early by the connect's outcome; on Windows the caller's window
// messages are handled after every round.
class ConnectWaiter {
public:
    explicit ConnectWaiter(RavloSocket s) : socket_(s) {}
    ~ConnectWaiter();
    ConnectWaiter(const ConnectWaiter&) = delete;
    ConnectWaiter& operator=(const ConnectWaiter&) = delete;

    // Called under csLog while the object still holds the connecting thread's
    // handle: the waiter keeps a handle of its own, since a Close from another
    // thread may release the object's while Open waits.
    void Watch(RavloThread connector);
    // False when the caller's thread was asked to quit meanwhile (the quit
    // request is posted again, for the caller's own message loop).
    bool Round(unsigned roundMs, const std::atomic<std::uint8_t>& connectState);

private:
    RavloSocket socket_;
    [[maybe_unused]] void* connector_ = nullptr;  // Windows: our duplicate of the thread handle
};

// The reading thread's blocking receive, woken when the host closes.
class Receiver {
public:
    Receiver();
    ~Receiver();
    Receiver(const Receiver&) = delete;
    Receiver& operator=(const Receiver&) = delete;

    // Bytes received (> 0), 0 when the peer closed, < 0 on failure or when
    // woken because the host closed the connection (the caller asks owns()).
    long Receive(RavloSocket s, char* block, unsigned size, const StillOwned& owns);

private:
    [[maybe_unused]] void* event_ = nullptr;  // Windows: the overlapped receive's event
};

}  // namespace ravlo
