#include "ravlo/platform.h"

#include <ws2tcpip.h>

#include <atomic>
#include <cstdio>

namespace ravlo {

namespace {

std::atomic<bool> g_networkingStarted{false};  // the library never shuts Winsock down

// Queued to a worker to end its alertable wait; the worker then finds it no
// longer owns the connection and stops.
void CALLBACK WakeUp(ULONG_PTR) {}

}  // namespace

std::uint32_t CurrentError() { return static_cast<std::uint32_t>(WSAGetLastError()); }

LocalTime Now() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wMonth, now.wDay, now.wYear, now.wHour, now.wMinute, now.wSecond};
}

void SleepMs(unsigned ms) { Sleep(ms); }

void InitLock(RavloLock& lock) { InitializeCriticalSection(&lock); }
void DestroyLock(RavloLock& lock) { DeleteCriticalSection(&lock); }
LockGuard::LockGuard(RavloLock& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
LockGuard::~LockGuard() { LeaveCriticalSection(&lock_); }

std::uint32_t CurrentThreadId() { return GetCurrentThreadId(); }

bool IsCurrentThread(RavloThread thread) { return thread && GetThreadId(thread) == GetCurrentThreadId(); }

bool StartThread(RavloThreadResult(RAVLO_THREAD_CALL* procedure)(void*), cRavlo* object, RavloThread& thread,
                 std::uint32_t& id) {
    DWORD threadId = 0;
    thread = CreateThread(nullptr, 0, procedure, object, 0, &threadId);
    id = threadId;
    return thread != nullptr;
}

void JoinThread(RavloThread thread) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

void DetachThread(RavloThread thread) {
    if (thread) CloseHandle(thread);
}

void WakeWorkers(RavloThread reader, RavloThread connector, RavloSocket) {
    // The socket stays open until the workers are joined: closing it under a
    // pending overlapped call is what Windows handles worst.
    if (reader) QueueUserAPC(WakeUp, reader, 0);
    if (connector) QueueUserAPC(WakeUp, connector, 0);
}

std::uint32_t StartNetworking() {
    if (g_networkingStarted.load()) return 0;
    WSADATA data;
    int error = WSAStartup(MAKEWORD(2, 2), &data);
    if (error == 0) g_networkingStarted = true;
    return static_cast<std::uint32_t>(error);
}

bool SocketFailed(RavloSocket s) { return s == INVALID_SOCKET; }

RavloSocket NewSocket() { return socket(AF_INET, SOCK_STREAM, 0); }

void ShutAndClose(RavloSocket s) {
    shutdown(s, SD_SEND);
    closesocket(s);
}

bool SendAll(RavloSocket s, const char* data, unsigned long count, unsigned limitMs, unsigned roundMs,
             const StillOwned& owns) {
    // Overlapped, waited on in rounds: a blocking send to a peer that stops
    // reading could not be ended by anyone (Close must not close a socket
    // that is still in use).
    WSAEVENT event = WSACreateEvent();
    if (event == WSA_INVALID_EVENT) return false;
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    const unsigned long kChunk = 1ul << 30;
    bool complete = true;
    while (count > 0) {
        WSAOVERLAPPED overlapped{};
        overlapped.hEvent = event;
        WSABUF buffer{static_cast<ULONG>(count < kChunk ? count : kChunk), const_cast<char*>(data)};
        DWORD sent = 0, flags = 0;
        if (WSASend(s, &buffer, 1, &sent, 0, &overlapped, nullptr) != 0) {
            if (WSAGetLastError() != WSA_IO_PENDING) {
                complete = false;
                break;
            }
            for (;;) {
                ULONGLONG now = GetTickCount64();
                if (now >= deadline || !owns()) {
                    CancelIoEx(reinterpret_cast<HANDLE>(s), &overlapped);
                    break;
                }
                ULONGLONG left = deadline - now;
                if (WaitForSingleObject(event, static_cast<DWORD>(left < roundMs ? left : roundMs)) == WAIT_OBJECT_0) break;
            }
            if (!WSAGetOverlappedResult(s, &overlapped, &sent, TRUE, &flags)) {
                complete = false;
                break;
            }
        }
        if (sent == 0) {
            complete = false;
            break;
        }
        data += sent;
        count -= sent;
        WSAResetEvent(event);
    }
    WSACloseEvent(event);
    return complete;
}

PendingConnect::PendingConnect() : event_(WSACreateEvent()) {}

PendingConnect::~PendingConnect() {
    if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
}

std::uint32_t PendingConnect::Start(RavloSocket s, const sockaddr_in& address, bool& pending) {
    socket_ = s;
    pending = false;
    if (event_ == WSA_INVALID_EVENT) return CurrentError();
    if (WSAEventSelect(s, event_, FD_CONNECT) != 0) return CurrentError();
    if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return 0;
    std::uint32_t error = CurrentError();
    pending = error == WSAEWOULDBLOCK;
    return pending ? 0 : error;
}

std::uint32_t PendingConnect::Await(unsigned timeoutMs, const StillOwned& owns) {
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
}

void PendingConnect::RestoreBlocking() {
    WSAEventSelect(socket_, nullptr, 0);
    u_long blocking = 0;
    ioctlsocket(socket_, FIONBIO, &blocking);
}

ConnectWaiter::~ConnectWaiter() {
    if (connector_) CloseHandle(connector_);
}

void ConnectWaiter::Watch(RavloThread connector) {
    DuplicateHandle(GetCurrentProcess(), connector, GetCurrentProcess(), &connector_, SYNCHRONIZE, FALSE, 0);
}

bool ConnectWaiter::Round(unsigned roundMs, const std::atomic<std::uint8_t>&) {
    if (connector_)
        MsgWaitForMultipleObjectsEx(1, &connector_, roundMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    else
        Sleep(roundMs);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Taken off the queue by PeekMessage: the host's own loop must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

Receiver::Receiver() : event_(WSACreateEvent()) {}

Receiver::~Receiver() {
    if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
}

long Receiver::Receive(RavloSocket s, char* block, unsigned size, const StillOwned& owns) {
    // An overlapped receive waited on alertably, so that Close can wake this
    // thread without closing a socket still in use.
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
}

}  // namespace ravlo

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
