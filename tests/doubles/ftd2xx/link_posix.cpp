#include "link.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace ftd2xx_double {

namespace {

class FdLink final : public Link {
public:
    FdLink(int fd, bool socket) : fd_(fd), socket_(socket) {}
    ~FdLink() override { ::close(fd_); }
    FdLink(const FdLink&) = delete;
    FdLink& operator=(const FdLink&) = delete;

    long Receive(char* buffer, std::size_t size, int waitMs) override {
        pollfd polled{fd_, POLLIN, 0};
        const int ready = poll(&polled, 1, waitMs);
        if (ready == 0 || (ready < 0 && errno == EINTR)) return 0;
        if (ready < 0) return -1;
        const ssize_t got = socket_ ? recv(fd_, buffer, size, 0) : read(fd_, buffer, size);
        if (got > 0) return static_cast<long>(got);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
        return -1;  // end of stream, or the pseudo-terminal's other side closed (EIO)
    }

    std::size_t Available() override {
        int waiting = 0;
        return ioctl(fd_, FIONREAD, &waiting) == 0 && waiting > 0 ? static_cast<std::size_t>(waiting) : 0;
    }

    bool Send(const char* data, std::size_t size) override {
        while (size > 0) {
            const ssize_t sent = socket_ ? send(fd_, data, size, MSG_NOSIGNAL) : write(fd_, data, size);
            if (sent < 0 && errno == EINTR) continue;
            if (sent <= 0) return false;
            data += sent;
            size -= static_cast<std::size_t>(sent);
        }
        return true;
    }

private:
    int fd_;
    bool socket_;
};

std::unique_ptr<Link> ConnectTcp(const std::string& host, const std::string& port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return nullptr;
    std::unique_ptr<Link> link;
    for (addrinfo* address = found; address && !link; address = address->ai_next) {
        const int fd = socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) continue;
        if (connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
            ::close(fd);
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        link = std::make_unique<FdLink>(fd, true);
    }
    freeaddrinfo(found);
    return link;
}

std::unique_ptr<Link> OpenPty(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    termios line{};
    if (tcgetattr(fd, &line) == 0) {
        cfmakeraw(&line);
        tcsetattr(fd, TCSANOW, &line);
    }
    return std::make_unique<FdLink>(fd, false);
}

}  // namespace

std::unique_ptr<Link> Link::Connect(const std::string& target) {
    if (target.compare(0, 4, "pty:") == 0) return OpenPty(target.substr(4));
    if (target.compare(0, 4, "tcp:") != 0) return nullptr;
    const std::size_t colon = target.rfind(':');
    if (colon <= 4) return nullptr;
    return ConnectTcp(target.substr(4, colon - 4), target.substr(colon + 1));
}

std::string HostPath(const std::string& path) { return path; }

}  // namespace ftd2xx_double
