// The serial port over a pseudo-terminal: from SendEx of "read status\r" to
// the last byte of a 200-byte reply reaching the receive callback, with the
// far end answering at once; and the free-port scan of the settings dialog
// over 32 ports that do not exist.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

#include "transports/COM.h"

namespace {

// Answers every CR-terminated command on the master side with 200 bytes.
class AnsweringFarEnd {
public:
    AnsweringFarEnd() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master_);
        unlockpt(master_);
        char name[128];
        ptsname_r(master_, name, sizeof name);
        slave_ = name;
        answerer_ = std::thread([this] { Serve(); });
    }
    ~AnsweringFarEnd() {
        ::close(master_);  // ends Serve's read (EIO once the port is closed too)
        answerer_.join();
    }
    const std::string& SlavePath() const { return slave_; }

private:
    void Serve() {
        const std::string reply = std::string(199, 'r') + "\n";
        char block[256];
        ssize_t n;
        while ((n = ::read(master_, block, sizeof block)) > 0)
            if (block[n - 1] == '\r' && ::write(master_, reply.data(), reply.size()) < 0) return;
    }
    int master_ = -1;
    std::string slave_;
    std::thread answerer_;
};

std::mutex lock;
std::condition_variable arrived;
std::size_t receivedBytes = 0;

void OnReceive(char*, int count) {
    std::lock_guard<std::mutex> hold(lock);
    receivedBytes += static_cast<std::size_t>(count);
    if (receivedBytes >= 200) arrived.notify_one();
}

void StatusRoundTrip(benchmark::State& state) {
    char iniPath[] = "/tmp/zorvel-bench-com-XXXXXX";
    int iniFile = mkstemp(iniPath);
    ::close(iniFile);
    {
        AnsweringFarEnd farEnd;
        cCOM com(iniPath);
        std::snprintf(com.DevicePath, sizeof com.DevicePath, "%s", farEnd.SlavePath().c_str());
        com.pRecvCallback = OnReceive;
        if (!com.Open(false, true)) {
            state.SkipWithError("the pseudo-terminal did not open");
        } else {
            char command[] = "read status\r";
            for (auto _ : state) {
                std::unique_lock<std::mutex> hold(lock);
                receivedBytes = 0;
                hold.unlock();
                com.SendEx(command, 12);
                hold.lock();
                arrived.wait(hold, [] { return receivedBytes >= 200; });
            }
        }
        com.Close();
    }
    std::remove(iniPath);
}
BENCHMARK(StatusRoundTrip)->UseRealTime()->Unit(benchmark::kMicrosecond);

// 32 names, each mapped to a device that is not there (the machine may have
// real /dev/ttyS ports), probed the way the settings dialog does.
void FreePortScan32Absent(benchmark::State& state) {
    char iniPath[] = "/tmp/zorvel-bench-scan-XXXXXX";
    int iniFile = mkstemp(iniPath);
    std::string map = "[Ports]\n";
    for (int n = 1; n <= 32; ++n) map += "COM" + std::to_string(n) + "=/nonexistent/ttyS" + std::to_string(n) + "\n";
    if (::write(iniFile, map.data(), map.size()) < 0) state.SkipWithError("no settings file");
    ::close(iniFile);
    {
        cCOM com(iniPath);
        com.PortsMax = 32;
        int found = 0;
        for (auto _ : state) {
            for (int n = 1; n <= com.PortsMax; ++n) {
                std::snprintf(com.PortName, sizeof com.PortName, "COM%i", n);
                if (com.Open(false, false)) {
                    ++found;
                    com.Close();
                }
            }
        }
        if (found) state.SkipWithError("a port that should be absent opened");
    }
    std::remove(iniPath);
}
BENCHMARK(FreePortScan32Absent)->Unit(benchmark::kMicrosecond);

}  // namespace
