#include "link.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

namespace ftd2xx_double {

namespace {

class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockSession() {
        if (started_) WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool Started() const { return started_; }

private:
    bool started_;
};

class SocketLink final : public Link {
public:
    SocketLink(std::unique_ptr<WinsockSession> session, SOCKET socket)
        : session_(std::move(session)), socket_(socket) {}
    ~SocketLink() override { closesocket(socket_); }
    SocketLink(const SocketLink&) = delete;
    SocketLink& operator=(const SocketLink&) = delete;

    long Receive(char* buffer, std::size_t size, int waitMs) override {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait{waitMs / 1000, (waitMs % 1000) * 1000};
        const int ready = select(0, &readable, nullptr, nullptr, &wait);
        if (ready == 0) return 0;
        if (ready < 0) return -1;
        const int got = recv(socket_, buffer, static_cast<int>(size), 0);
        return got > 0 ? got : -1;
    }

    std::size_t Available() override {
        u_long waiting = 0;
        return ioctlsocket(socket_, FIONREAD, &waiting) == 0 ? waiting : 0;
    }

    bool Send(const char* data, std::size_t size) override {
        while (size > 0) {
            const int sent = send(socket_, data, static_cast<int>(size), 0);
            if (sent <= 0) return false;
            data += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return true;
    }

private:
    std::unique_ptr<WinsockSession> session_;
    SOCKET socket_;
};

// A pseudo-terminal opened by its path: Wine gives it the serial port's
// calls, so ClearCommError tells what is waiting.
class TerminalLink final : public Link {
public:
    explicit TerminalLink(HANDLE handle)
        : handle_(handle),
          readDone_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          writeDone_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~TerminalLink() override {
        for (HANDLE handle : {handle_, readDone_, writeDone_})
            if (handle) CloseHandle(handle);
    }
    TerminalLink(const TerminalLink&) = delete;
    TerminalLink& operator=(const TerminalLink&) = delete;

    bool Ready() const { return readDone_ && writeDone_; }

    long Receive(char* buffer, std::size_t size, int waitMs) override {
        // With bytes waiting the read completes at once; otherwise one byte is
        // waited for, since a longer read would wait until it is full.
        const std::size_t waiting = Available();
        const DWORD wanted = static_cast<DWORD>(waiting ? (waiting < size ? waiting : size) : 1);
        OVERLAPPED operation{};
        operation.hEvent = readDone_;
        ResetEvent(readDone_);
        DWORD got = 0;
        if (!ReadFile(handle_, buffer, wanted, nullptr, &operation)) {
            if (GetLastError() != ERROR_IO_PENDING) return -1;
            if (WaitForSingleObject(readDone_, static_cast<DWORD>(waitMs)) != WAIT_OBJECT_0)
                CancelIoEx(handle_, &operation);
        }
        const BOOL done = GetOverlappedResult(handle_, &operation, &got, TRUE);
        if (got > 0) return static_cast<long>(got);
        return done || GetLastError() == ERROR_OPERATION_ABORTED ? 0 : -1;
    }

    std::size_t Available() override {
        DWORD errors = 0;
        COMSTAT status{};
        return ClearCommError(handle_, &errors, &status) ? status.cbInQue : 0;
    }

    bool Send(const char* data, std::size_t size) override {
        OVERLAPPED operation{};
        operation.hEvent = writeDone_;
        ResetEvent(writeDone_);
        DWORD written = 0;
        if (!WriteFile(handle_, data, static_cast<DWORD>(size), nullptr, &operation) &&
            GetLastError() != ERROR_IO_PENDING)
            return false;
        return GetOverlappedResult(handle_, &operation, &written, TRUE) && written == size;
    }

private:
    HANDLE handle_;
    HANDLE readDone_;
    HANDLE writeDone_;
};

std::unique_ptr<Link> ConnectTcp(const std::string& host, const std::string& port) {
    auto session = std::make_unique<WinsockSession>();
    if (!session->Started()) return nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return nullptr;
    SOCKET connected = INVALID_SOCKET;
    for (addrinfo* address = found; address && connected == INVALID_SOCKET; address = address->ai_next) {
        SOCKET candidate = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (candidate == INVALID_SOCKET) continue;
        if (connect(candidate, address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0) {
            closesocket(candidate);
            continue;
        }
        connected = candidate;
    }
    freeaddrinfo(found);
    if (connected == INVALID_SOCKET) return nullptr;
    const BOOL on = TRUE;
    setsockopt(connected, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return std::make_unique<SocketLink>(std::move(session), connected);
}

std::unique_ptr<Link> OpenTerminal(const std::string& path) {
    HANDLE handle = CreateFileA(HostPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    auto link = std::make_unique<TerminalLink>(handle);
    return link->Ready() ? std::move(link) : nullptr;
}

}  // namespace

std::unique_ptr<Link> Link::Connect(const std::string& target) {
    if (target.compare(0, 4, "pty:") == 0) return OpenTerminal(target.substr(4));
    if (target.compare(0, 4, "tcp:") != 0) return nullptr;
    const std::size_t colon = target.rfind(':');
    if (colon <= 4) return nullptr;
    return ConnectTcp(target.substr(4, colon - 4), target.substr(colon + 1));
}

// Wine's drive Z: is the Unix root.
std::string HostPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string windows = "Z:" + path;
    for (char& c : windows)
        if (c == '/') c = '\\';
    return windows;
}

}  // namespace ftd2xx_double
