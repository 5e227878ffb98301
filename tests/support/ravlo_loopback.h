// A tiny TCP server on 127.0.0.1 for the ravlo tests and benchmarks: it
// accepts, records what it receives, sends blocks and closes. Synchronous,
// with a time-out on every wait, so a fault fails a test instead of hanging it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace loopback {

#ifdef _WIN32
using Sock = SOCKET;
const Sock kNone = INVALID_SOCKET;
inline void CloseSock(Sock s) { closesocket(s); }
inline void StartNetwork() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}
inline void SetNonBlocking(Sock s) {
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
}
#else
using Sock = int;
const Sock kNone = -1;
inline void CloseSock(Sock s) { close(s); }
inline void StartNetwork() {}
inline void SetNonBlocking(Sock s) { fcntl(s, F_SETFL, fcntl(s, F_GETFL) | O_NONBLOCK); }
#endif

// Waits until s can be read (or written); false on time-out.
inline bool WaitReady(Sock s, bool forWrite, int timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int ready = forWrite ? select(static_cast<int>(s) + 1, nullptr, &set, nullptr, &limit)
                         : select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &limit);
    return ready > 0;
}

// One accepted connection.
class Peer {
public:
    explicit Peer(Sock s = kNone) : s_(s) {}
    ~Peer() { Close(); }
    Peer(Peer&& other) noexcept : s_(std::exchange(other.s_, kNone)) {}
    Peer& operator=(Peer&& other) noexcept {
        Close();
        s_ = std::exchange(other.s_, kNone);
        return *this;
    }
    bool Valid() const { return s_ != kNone; }

    // Reads until `count` bytes have arrived, the peer closed, or the time-out.
    std::string Receive(std::size_t count, int timeoutMs = 5000) {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < count) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !WaitReady(s_, false, static_cast<int>(left.count()))) break;
            char buffer[4096];
            std::size_t want = count - got.size() < sizeof buffer ? count - got.size() : sizeof buffer;
            int n = static_cast<int>(recv(s_, buffer, static_cast<int>(want), 0));
            if (n <= 0) break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    // True once the other side has closed (recv gives 0 or fails); false on time-out.
    bool WaitClosed(int timeoutMs = 5000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !WaitReady(s_, false, static_cast<int>(left.count()))) return false;
            char buffer[4096];
            if (recv(s_, buffer, sizeof buffer, 0) <= 0) return true;
        }
    }

    void Send(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            int n = static_cast<int>(send(s_, bytes.data() + done, static_cast<int>(bytes.size() - done), 0));
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }

    void Close() {
        if (s_ != kNone) CloseSock(std::exchange(s_, kNone));
    }

private:
    Sock s_;
};

class Listener {
public:
    // listening false: bound only, so that a connect to its port is refused.
    explicit Listener(bool listening = true, int backlog = 8) {
        s_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (listening) listen(s_, backlog);
        socklen_t length = sizeof address;
        getsockname(s_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~Listener() {
        for (Sock s : fillers_) CloseSock(s);
        CloseSock(s_);
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    std::uint16_t Port() const { return port_; }

    Peer Accept(int timeoutMs = 5000) {
        if (!WaitReady(s_, false, timeoutMs)) return Peer();
        return Peer(accept(s_, nullptr, nullptr));
    }

    // Fills the accept queue with connects nobody accepts, until one stays
    // pending: from then on every connect to this port hangs.
    bool Stall() {
        for (int i = 0; i < 64; ++i) {
            Sock s = socket(AF_INET, SOCK_STREAM, 0);
            SetNonBlocking(s);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(port_);
            connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
            fillers_.push_back(s);
            if (!WaitReady(s, true, 200)) return true;
        }
        return false;
    }

private:
    Sock s_;
    std::uint16_t port_ = 0;
    std::vector<Sock> fillers_;
};

}  // namespace loopback
