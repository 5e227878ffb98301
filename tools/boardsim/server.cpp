#include "server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fstream>

namespace boardsim {

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

Fd::~Fd() {
    if (fd_ >= 0) ::close(fd_);
}

int Fd::Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

namespace {

constexpr int kListenerId = -1;
constexpr int kSignalId = -2;

std::string LastError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

bool SetNonBlocking(int fd) {
    int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

std::string Timestamp() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm local{};
    localtime_r(&ts.tv_sec, &local);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d.%03ld", local.tm_hour, local.tm_min, local.tm_sec,
                  ts.tv_nsec / 1000000);
    return buffer;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        if (c == 'r') out += '\r';
        else if (c == 'n') out += '\n';
        else if (c == 't') out += '\t';
        else if (c == '\\') out += '\\';
        else if (c == 'x' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += '\\';
            out += c;
        }
    }
    return out;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else if (c == '\\') out += "\\\\";
        else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// A device's view of its channel.
class Server::ChannelPort final : public DevicePort {
public:
    ChannelPort(Server& server, int id) : server_(server), id_(id) {}
    void Send(const std::string& bytes) override { server_.Schedule(id_, bytes, Timing{}); }
    std::string AskBoard(const std::string& command) override { return server_.BoardAnswer(id_, command); }
    void SendAnswer(const std::string& answer) override { server_.Schedule(id_, answer, server_.timing_); }
    void Log(const std::string& received, const std::string& answered) override {
        server_.Log(server_.channels_.at(id_), received, answered);
    }

private:
    Server& server_;
    int id_;
};

Server::Server(SimulatedBoard& board, Timing timing, std::FILE* log, std::string stateFile)
    : board_(board), timing_(timing), log_(log), stateFile_(std::move(stateFile)) {}

Server::~Server() {
    if (!ptyLink_.empty()) ::unlink(ptyLink_.c_str());
}

int Server::ListenTcp(const std::string& address, int port, std::string& error) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    if (inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
        error = "not an IPv4 address: " + address;
        return -1;
    }
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return error = LastError("socket"), -1;
    int on = 1;
    setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return error = LastError("bind"), -1;
    if (::listen(fd.Get(), 16) != 0) return error = LastError("listen"), -1;
    socklen_t length = sizeof addr;
    getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&addr), &length);
    SetNonBlocking(fd.Get());
    listener_ = std::move(fd);
    return ntohs(addr.sin_port);
}

std::string Server::OpenPty(const std::string& link, std::string& error) {
    Fd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master) return error = LastError("posix_openpt"), "";
    if (grantpt(master.Get()) != 0 || unlockpt(master.Get()) != 0) return error = LastError("unlockpt"), "";
    const char* name = ptsname(master.Get());
    if (!name) return error = LastError("ptsname"), "";
    std::string slavePath = name;
    Fd slave(::open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave) return error = LastError(slavePath.c_str()), "";
    // Raw until a client configures the port: no echo of what we answer, no
    // CR-to-LF translation of the commands.
    termios raw{};
    tcgetattr(slave.Get(), &raw);
    cfmakeraw(&raw);
    tcsetattr(slave.Get(), TCSANOW, &raw);

    ::unlink(link.c_str());  // a link left behind by an earlier run
    if (::symlink(slavePath.c_str(), link.c_str()) != 0) return error = LastError(link.c_str()), "";
    ptyLink_ = link;
    SetNonBlocking(master.Get());
    ptySlave_ = std::move(slave);
    Channel channel;
    channel.fd = std::move(master);
    channel.name = "pty";
    channel.isPty = true;
    int id = nextId_++;
    channels_.emplace(id, std::move(channel));
    AttachDevice(id);
    return slavePath;
}

int Server::Run() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    Fd signalFd(signalfd(-1, &signals, SFD_CLOEXEC));
    if (!signalFd) {
        std::fprintf(stderr, "boardsim: %s\n", LastError("signalfd").c_str());
        return 1;
    }
    WriteState();
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<int> ids;
        fds.push_back({signalFd.Get(), POLLIN, 0});
        ids.push_back(kSignalId);
        if (listener_) {
            fds.push_back({listener_.Get(), POLLIN, 0});
            ids.push_back(kListenerId);
        }
        for (const auto& [id, channel] : channels_) {
            fds.push_back({channel.fd.Get(), POLLIN, 0});
            ids.push_back(id);
        }
        int ready = ::poll(fds.data(), fds.size(), NextTimeoutMs());
        if (ready < 0 && errno != EINTR) {
            std::fprintf(stderr, "boardsim: %s\n", LastError("poll").c_str());
            return 1;
        }
        for (std::size_t i = 0; ready > 0 && i < fds.size(); ++i) {
            if (fds[i].revents == 0) continue;
            if (ids[i] == kSignalId) return 0;
            if (ids[i] == kListenerId) Accept();
            else Read(ids[i]);
        }
        TickDevices();
        SendDue();
    }
}

void Server::Accept() {
    for (;;) {
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        Fd fd(::accept4(listener_.Get(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) return;
        char address[INET_ADDRSTRLEN] = "?";
        inet_ntop(AF_INET, &peer.sin_addr, address, sizeof address);
        Channel channel;
        channel.fd = std::move(fd);
        channel.name = "tcp " + std::string(address) + ":" + std::to_string(ntohs(peer.sin_port));
        int id = nextId_++;
        channels_.emplace(id, std::move(channel));
        AttachDevice(id);
    }
}

void Server::Read(int id) {
    auto it = channels_.find(id);
    if (it == channels_.end()) return;
    char buffer[4096];
    ssize_t n = ::read(it->second.fd.Get(), buffer, sizeof buffer);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        // A TCP client went away. (The pty never ends: we hold its other side.)
        if (!it->second.isPty) Drop(id);
        return;
    }
    if (it->second.device) {
        it->second.device->Receive(std::string(buffer, static_cast<std::size_t>(n)), std::chrono::steady_clock::now());
        return;
    }
    it->second.input.append(buffer, static_cast<std::size_t>(n));
    for (;;) {
        std::string& input = channels_.at(id).input;
        std::size_t cr = input.find('\r');
        if (cr == std::string::npos) {
            if (input.size() > 4096) input.clear();  // no controller keeps an endless line
            return;
        }
        std::string command = input.substr(0, cr);
        input.erase(0, cr + 1);
        // A terminal program may send CR LF; the LF belongs to the next line
        // and to no command. Empty lines get no answer.
        std::size_t start = command.find_first_not_of('\n');
        if (start != std::string::npos) Command(id, command.substr(start));
    }
}

void Server::Command(int id, const std::string& command) {
    std::string answer = BoardAnswer(id, command);
    if (!answer.empty()) Schedule(id, answer, timing_);
}

std::string Server::BoardAnswer(int id, const std::string& command) {
    std::string answer = board_.Handle(command);
    Log(channels_.at(id), command, answer);
    if (CommandName(command) != "status" && answer.find("Ok\r") != std::string::npos) WriteState();
    return answer;
}

void Server::Schedule(int id, const std::string& answer, const Timing& timing) {
    Channel& channel = channels_.at(id);
    Instant at = std::max(std::chrono::steady_clock::now() + std::chrono::milliseconds(timing.DelayMs),
                          channel.busyUntil);
    std::size_t chunk = timing.ChunkBytes == 0 ? answer.size() : timing.ChunkBytes;
    for (std::size_t offset = 0; offset < answer.size(); offset += chunk) {
        outputs_.emplace(at, Output{id, answer.substr(offset, chunk)});
        at += std::chrono::milliseconds(timing.ChunkPauseMs);
    }
    channel.busyUntil = at;
}

void Server::AttachDevice(int id) {
    if (!deviceFactory_) return;
    Channel& channel = channels_.at(id);
    channel.port = std::make_unique<ChannelPort>(*this, id);
    channel.device = deviceFactory_(*channel.port);
}

void Server::TickDevices() {
    Instant now = std::chrono::steady_clock::now();
    for (auto& [id, channel] : channels_)
        if (channel.device && channel.device->NextDue() <= now) channel.device->Tick(now);
}

void Server::SendDue() {
    Instant now = std::chrono::steady_clock::now();
    while (!outputs_.empty() && outputs_.begin()->first <= now) {
        Output output = std::move(outputs_.begin()->second);
        outputs_.erase(outputs_.begin());
        auto it = channels_.find(output.channel);
        if (it == channels_.end()) continue;
        const std::string& bytes = output.bytes;
        int fd = it->second.fd.Get();
        ssize_t n = it->second.isPty ? ::write(fd, bytes.data(), bytes.size())
                                     : ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        // Answers are a few hundred bytes; a peer that does not read them loses them.
        if (n < 0 && !it->second.isPty && errno != EAGAIN) Drop(output.channel);
    }
}

int Server::NextTimeoutMs() const {
    Instant due = outputs_.empty() ? Instant::max() : outputs_.begin()->first;
    for (const auto& [id, channel] : channels_)
        if (channel.device) due = std::min(due, channel.device->NextDue());
    if (due == Instant::max()) return -1;
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(0, wait.count() + 1));
}

void Server::Drop(int id) {
    channels_.erase(id);
    for (auto it = outputs_.begin(); it != outputs_.end();)
        it = it->second.channel == id ? outputs_.erase(it) : std::next(it);
}

void Server::WriteState() {
    if (stateFile_.empty()) return;
    // Written beside and renamed, so a reader never sees half a file.
    std::string temporary = stateFile_ + ".tmp";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << board_.StateJson().dump(2) << "\n";
    }
    std::rename(temporary.c_str(), stateFile_.c_str());
}

void Server::Log(const Channel& channel, const std::string& command, const std::string& answer) {
    if (!log_) return;
    std::fprintf(log_, "%s\t%s\t%s\t%s\n", Timestamp().c_str(), channel.name.c_str(), Escape(command).c_str(),
                 answer.empty() ? "(silent)" : Escape(answer.size() > 40 ? answer.substr(0, 40) + "..." : answer).c_str());
    std::fflush(log_);
}

}  // namespace boardsim
