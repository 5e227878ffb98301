#include "serial_port.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace transports {

// Rates termios has no constant for (14400, 56000, ...), linux_baud.cpp.
bool SetCustomBaudRate(int fd, std::uint32_t baudRate);

namespace {

struct Speed {
    std::uint32_t rate;
    speed_t constant;
};
constexpr Speed kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
};

bool ApplyLine(int fd, const LineSettings& line) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    t.c_cflag |= CLOCAL | CREAD;
    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[line.dataBits - 5];
    // termios has no 1.5 stop bits; the UART sends 1.5 for CSTOPB with 5 data
    // bits, which is the only case the setting is meant for.
    if (line.stopBits != 0) t.c_cflag |= CSTOPB;
    switch (line.parity) {
        case 1: t.c_cflag |= PARENB | PARODD; break;
        case 2: t.c_cflag |= PARENB; break;
        case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case 4: t.c_cflag |= PARENB | CMSPAR; break;
        default: break;
    }
    // DTR/DSR handshaking has no termios equivalent: the line runs without
    // flow control then.
    if (line.flowControl == 1) t.c_cflag |= CRTSCTS;
    if (line.flowControl == 3) t.c_iflag |= IXON | IXOFF;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;

    const Speed* standard = nullptr;
    for (const Speed& s : kSpeeds)
        if (s.rate == line.baudRate) standard = &s;
    if (standard) {
        cfsetispeed(&t, standard->constant);
        cfsetospeed(&t, standard->constant);
    }
    if (tcsetattr(fd, TCSANOW, &t) != 0) return false;
    if (!standard && !SetCustomBaudRate(fd, line.baudRate)) return false;
    tcflush(fd, TCIOFLUSH);
    return true;
}

OpenFailure FailureOf(int error) {
    switch (error) {
        case ENOENT: case ENODEV: case ENXIO: case ENOTDIR: return OpenFailure::NotFound;
        case EBUSY: case EWOULDBLOCK: return OpenFailure::Busy;
        default: return OpenFailure::Other;
    }
}

}  // namespace

std::unique_ptr<SerialPort> SerialPort::Open(const std::string& device, const LineSettings& line,
                                             OpenFailure& failure, int& systemError) {
    failure = OpenFailure::None;
    systemError = 0;
    std::unique_ptr<SerialPort> port(new SerialPort);
    auto fail = [&](OpenFailure why, int error) {
        failure = why;
        systemError = error;
        return nullptr;
    };
    port->fd_ = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port->fd_ < 0) return fail(FailureOf(errno), errno);
    if (!isatty(port->fd_)) return fail(OpenFailure::NotFound, ENOTTY);
    // Serial ports are exclusive, as on Windows: the lock keeps out every other
    // opener that locks (our own components, the usual terminal programs), and
    // TIOCEXCL keeps out plain opens by unprivileged processes.
    if (flock(port->fd_, LOCK_EX | LOCK_NB) != 0) return fail(OpenFailure::Busy, errno);
    port->exclusive_ = ioctl(port->fd_, TIOCEXCL) == 0;
    if (!IsValid(line) || !ApplyLine(port->fd_, line)) return fail(OpenFailure::BadSettings, errno);
    int wake[2];
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return fail(OpenFailure::Other, errno);
    port->wakeRead_ = wake[0];
    port->wakeWrite_ = wake[1];
    return port;
}

SerialPort::~SerialPort() {
    if (exclusive_) ioctl(fd_, TIOCNXCL);
    if (fd_ >= 0) ::close(fd_);
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

long SerialPort::Read(char* buffer, std::size_t size) {
    for (;;) {
        pollfd polled[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (poll(polled, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        // The wake byte is never drained, so every later Read returns at once.
        if (polled[1].revents) return 0;
        if (polled[0].revents & POLLIN) {
            ssize_t n = ::read(fd_, buffer, size);
            if (n > 0) return static_cast<long>(n);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            return -1;  // 0: hang-up; EIO: the far end of a pseudo-terminal closed
        }
        if (polled[0].revents & (POLLHUP | POLLERR | POLLNVAL)) return -1;
    }
}

void SerialPort::Wake() {
    const char byte = 1;
    ssize_t ignored = ::write(wakeWrite_, &byte, 1);
    (void)ignored;  // a full pipe already wakes the reader
}

bool SerialPort::Write(const char* data, std::size_t size, unsigned timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd_, data + done, size - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd polled{fd_, POLLOUT, 0};
        if (poll(&polled, 1, static_cast<int>(left)) < 0 && errno != EINTR) return false;
        if (polled.revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
    }
    return true;
}

void* SerialPort::Handle() { return this; }

}  // namespace transports
