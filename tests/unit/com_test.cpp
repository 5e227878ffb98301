// cCOM on Linux against pseudo-terminal pairs: the component opens the slave
// side (mapped in its settings file), the test plays the far end on the
// master side.
#include "transports/COM.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "compat/platform.h"
#include "ini_test_support.h"
#include "support.h"

namespace {

// termios's speed for a rate given in numbers (BOTHER of <asm/termbits.h>,
// which cannot be included beside <termios.h>).
constexpr speed_t kOtherRate = 0010000;
constexpr auto kPatience = std::chrono::seconds(5);  // a deadline for failures, never a measurement

// The far end of a port: the master side of a fresh pseudo-terminal pair.
class FarEnd {
public:
    FarEnd() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        char name[128];
        if (ptsname_r(master_, name, sizeof name) == 0) slave_ = name;
    }
    ~FarEnd() { Hangup(); }
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    const std::string& SlavePath() const { return slave_; }
    void Hangup() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }
    void Write(const std::string& bytes) const { ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Reads until `count` bytes have come or the deadline passes.
    std::string Read(std::size_t count) const {
        std::string bytes;
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (bytes.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd polled{master_, POLLIN, 0};
            if (poll(&polled, 1, 100) <= 0) continue;
            char block[4096];
            ssize_t n = ::read(master_, block, std::min(sizeof block, count - bytes.size()));
            if (n > 0) bytes.append(block, static_cast<std::size_t>(n));
        }
        return bytes;
    }
    termios Line() const {
        termios line{};
        tcgetattr(master_, &line);  // a master reports its slave's settings
        return line;
    }

private:
    int master_ = -1;
    std::string slave_;
};

// What the receive callback got, from the reading thread.
struct Received {
    std::mutex lock;
    std::condition_variable changed;
    std::string bytes;
    std::vector<std::size_t> blocks;
    bool allTerminated = true;
    std::function<void()> onBlock;

    void Clear() {
        std::lock_guard<std::mutex> hold(lock);
        bytes.clear();
        blocks.clear();
        allTerminated = true;
    }
    bool WaitForBytes(std::size_t count) {
        std::unique_lock<std::mutex> hold(lock);
        return changed.wait_for(hold, kPatience, [&] { return bytes.size() >= count; });
    }
    std::string Bytes() {
        std::lock_guard<std::mutex> hold(lock);
        return bytes;
    }
    std::vector<std::size_t> Blocks() {
        std::lock_guard<std::mutex> hold(lock);
        return blocks;
    }
    bool AllTerminated() {
        std::lock_guard<std::mutex> hold(lock);
        return allTerminated;
    }
} received;

void OnReceive(char* data, int count) {
    {
        std::lock_guard<std::mutex> hold(received.lock);
        received.bytes.append(data, static_cast<std::size_t>(count));
        received.blocks.push_back(static_cast<std::size_t>(count));
        received.allTerminated = received.allTerminated && data[count] == '\0';
    }
    received.changed.notify_all();
    if (received.onBlock) received.onBlock();
}

int threadsTag;
void* const kWindow = &threadsTag;

std::size_t ThreadCount() {
    std::size_t count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(tasks))
            if (entry->d_name[0] != '.') ++count;
        closedir(tasks);
    }
    return count;
}

bool WaitForThreadCount(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (ThreadCount() != count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class ComTest : public ::testing::Test {
protected:
    void SetUp() override {
        boxes.clear();
        received.Clear();
        received.onBlock = nullptr;
        ASSERT_FALSE(far_.SlavePath().empty());
        MapPort("COM5", far_.SlavePath());
    }
    testsupport::BoxRecorder recorder_;
    std::vector<testsupport::RecordedBox>& boxes = recorder_.Boxes;

    void MapPort(const std::string& name, const std::string& device) {
        ini_test::WriteBytes(ini_, "[Ports]\n" + name + "=" + device + "\n");
    }
    // A port object on COM5 that delivers to OnReceive.
    std::unique_ptr<cCOM> MakePort() {
        auto com = std::make_unique<cCOM>(ini_.c_str());
        std::snprintf(com->PortName, sizeof com->PortName, "COM5");
        com->hWnd = kWindow;
        com->pRecvCallback = OnReceive;
        return com;
    }

    ini_test::ScratchDir dir_{"com"};
    std::string ini_ = dir_.File("COM.ini");
    FarEnd far_;
};

TEST_F(ComTest, SettingsHaveDefaultsAndSurviveTheObject) {
    const std::string ini = dir_.File("fresh.ini");
    {
        cCOM com(ini.c_str());
        EXPECT_STREQ(com.PortName, "COM1");
        EXPECT_EQ(com.BaudRate, 9600u);
        EXPECT_EQ(com.DataBits, 8);
        EXPECT_EQ(com.StopBits, 0);
        EXPECT_EQ(com.Parity, 0);
        EXPECT_EQ(com.FlowControl, 0);
        EXPECT_TRUE(com.AutoScan);
        EXPECT_EQ(com.PortsMax, 32);
        EXPECT_EQ(com.hDevice, nullptr);
        std::snprintf(com.PortName, sizeof com.PortName, "COM12");
        com.BaudRate = 115200;
        com.DataBits = 7;
        com.StopBits = 2;
        com.Parity = 2;
        com.FlowControl = 3;
        com.AutoScan = false;
        com.PortsMax = 0;
    }
    EXPECT_EQ(ini_test::ReadBytes(ini).value_or(""),
              "[COM]\r\nPortName=COM12\r\nBaudRate=115200\r\nDataBits=7\r\nStopBits=2\r\nParity=2\r\n"
              "FlowControl=3\r\nAutoScan=0\r\nPortsMax=0\r\n");
    cCOM again(ini.c_str());
    EXPECT_STREQ(again.PortName, "COM12");
    EXPECT_EQ(again.BaudRate, 115200u);
    EXPECT_EQ(again.DataBits, 7);
    EXPECT_EQ(again.StopBits, 2);
    EXPECT_EQ(again.Parity, 2);
    EXPECT_EQ(again.FlowControl, 3);
    EXPECT_FALSE(again.AutoScan);
    EXPECT_EQ(again.PortsMax, 0);
}

TEST_F(ComTest, ValuesNoPortCanHaveFallBackToTheDefaults) {
    const std::string ini = dir_.File("odd.ini");
    ini_test::WriteBytes(ini, "[COM]\nPortName=COM123456789\nBaudRate=0\nDataBits=9\nStopBits=3\nParity=5\n"
                              "FlowControl=4\nAutoScan=x\nPortsMax=300\n");
    cCOM com(ini.c_str());
    EXPECT_STREQ(com.PortName, "COM123456");  // cut to 9 characters
    EXPECT_EQ(com.BaudRate, 9600u);
    EXPECT_EQ(com.DataBits, 8);
    EXPECT_EQ(com.StopBits, 0);
    EXPECT_EQ(com.Parity, 0);
    EXPECT_EQ(com.FlowControl, 0);
    EXPECT_FALSE(com.AutoScan);
    EXPECT_EQ(com.PortsMax, 32);
}

// A pseudo-terminal keeps what the port asks for, except that Linux forces 8
// data bits and no parity enable on it: those two are left out of the check.
TEST_F(ComTest, OpenConfiguresTheLine) {
    struct Row {
        std::uint32_t baud;
        std::uint8_t dataBits, stopBits, parity, flow;
        speed_t speed;
        tcflag_t control;  // among CSTOPB PARODD CMSPAR CRTSCTS
        tcflag_t input;    // among IXON IXOFF
    };
    const Row rows[] = {
        {9600, 8, 0, 0, 0, B9600, 0, 0},
        {115200, 7, 2, 2, 1, B115200, CSTOPB | CRTSCTS, 0},
        {1200, 5, 1, 1, 3, B1200, CSTOPB | PARODD, IXON | IXOFF},
        {19200, 6, 0, 3, 0, B19200, PARODD | CMSPAR, 0},
        {57600, 8, 0, 4, 2, B57600, CMSPAR, 0},  // termios has no DTR/DSR handshake
        {14400, 8, 0, 0, 0, kOtherRate, 0, 0},   // a rate without a constant
    };
    auto com = MakePort();
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.baud));
        com->BaudRate = row.baud;
        com->DataBits = row.dataBits;
        com->StopBits = row.stopBits;
        com->Parity = row.parity;
        com->FlowControl = row.flow;
        ASSERT_TRUE(com->Open(true, false));
        EXPECT_NE(com->hDevice, nullptr);
        const termios line = far_.Line();
        EXPECT_EQ(cfgetospeed(&line), row.speed);
        EXPECT_EQ(line.c_cflag & (CSTOPB | PARODD | CMSPAR | CRTSCTS), row.control);
        EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
        EXPECT_EQ(line.c_iflag & (IXON | IXOFF), row.input);
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);  // raw bytes both ways
        EXPECT_EQ(line.c_oflag & OPOST, 0u);
        com->Close();
        EXPECT_EQ(com->hDevice, nullptr);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ComTest, SendsBytesAndDeliversReceivedBlocks) {
    auto com = MakePort();
    ASSERT_TRUE(com->Open(true, true));
    char command[] = "read status\r";
    EXPECT_TRUE(com->SendEx(command, 12));
    EXPECT_EQ(far_.Read(12), "read status\r");

    // Block by block: each one is handed over before the next is written.
    const std::string pieces[] = {"Type=10.1\r\n", std::string("a\0b", 3), "Time=12:00:00\r\n"};
    std::string sent;
    for (const std::string& piece : pieces) {
        far_.Write(piece);
        sent += piece;
        ASSERT_TRUE(received.WaitForBytes(sent.size()));
    }
    EXPECT_EQ(received.Bytes(), sent);
    EXPECT_EQ(received.Blocks(), (std::vector<std::size_t>{11, 3, 15}));

    const std::string big(5000, 'z');
    far_.Write(big);
    ASSERT_TRUE(received.WaitForBytes(sent.size() + big.size()));
    EXPECT_EQ(received.Bytes(), sent + big);
    EXPECT_TRUE(received.AllTerminated());
    // Nobody reset the count, so it holds everything.
    EXPECT_EQ(com->RecvC, sent.size() + big.size());
    com->Close();
}

TEST_F(ComTest, WithoutTheReaderNothingIsDelivered) {
    auto com = MakePort();
    const std::size_t threads = ThreadCount();
    ASSERT_TRUE(com->Open(false, false));
    EXPECT_EQ(ThreadCount(), threads);
    far_.Write("Ok\r");
    char command[] = "x";
    EXPECT_TRUE(com->SendEx(command, 1));  // written, not waited for an answer
    com->Close();
    EXPECT_EQ(received.Bytes(), "");
}

TEST_F(ComTest, CloseWakesAPendingReadAndReleasesThePort) {
    auto com = MakePort();
    const std::size_t threads = ThreadCount();
    ASSERT_TRUE(com->Open(true, true));
    EXPECT_EQ(ThreadCount(), threads + 1);
    com->Close();
    EXPECT_EQ(ThreadCount(), threads);
    com->Close();  // harmless when closed
    EXPECT_EQ(com->hDevice, nullptr);
    char command[] = "x";
    EXPECT_FALSE(com->SendEx(command, 1));

    auto other = MakePort();
    EXPECT_TRUE(other->Open(true, true));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ComTest, OpenOnAnOpenPortStartsAfresh) {
    auto com = MakePort();
    ASSERT_TRUE(com->Open(true, true));
    ASSERT_TRUE(com->Open(true, true));
    far_.Write("Ok\r");
    ASSERT_TRUE(received.WaitForBytes(3));
    EXPECT_EQ(received.Blocks().size(), 1u);  // one reader, not two
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ComTest, CloseFromInsideTheReceiveCallbackDoesNotHang) {
    auto com = MakePort();
    cCOM* port = com.get();
    received.onBlock = [port] { port->Close(); };
    const std::size_t threads = ThreadCount();
    ASSERT_TRUE(com->Open(true, true));
    far_.Write("Ok\r");
    ASSERT_TRUE(received.WaitForBytes(3));
    EXPECT_TRUE(WaitForThreadCount(threads));
    far_.Write("more");
    com->Close();
    EXPECT_EQ(com->hDevice, nullptr);
    EXPECT_EQ(received.Bytes(), "Ok\r");
}

TEST_F(ComTest, FarEndGoingAwayEndsTheReaderAndTheNextOpenSaysSo) {
    auto com = MakePort();
    const std::size_t threads = ThreadCount();
    ASSERT_TRUE(com->Open(true, true));
    far_.Hangup();
    EXPECT_TRUE(WaitForThreadCount(threads));  // the reading thread ended by itself
    EXPECT_NE(com->hDevice, nullptr);          // still open until closed
    char command[] = "read status\r";
    EXPECT_FALSE(com->SendEx(command, 12));
    com->Close();
    EXPECT_TRUE(boxes.empty());

    EXPECT_FALSE(com->Open(true, true));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "COM порт COM5 не найден");
}

TEST_F(ComTest, FailuresAreReportedOnlyWhenAsked) {
    struct Row {
        const char* portName;
        const char* devicePath;
        std::string mapped;  // device the settings file gives COM5
        std::string message;
    };
    const Row rows[] = {
        {"COM5", "", "/nonexistent/tty", "COM порт COM5 не найден"},
        {"COM250", "", "", "COM порт COM250 не найден"},  // /dev/ttyS249
        {"LPT1", "", "", "COM порт LPT1 не найден"},
        {"", "", "", "COM порт не выбран"},
        {"COM5", "", dir_.File("COM.ini"), "COM порт COM5 не найден"},  // a file, not a terminal
        {"COM1", "/nonexistent/ttyUSB0", "", "COM порт /nonexistent/ttyUSB0 не найден"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        MapPort("COM5", row.mapped.empty() ? "" : row.mapped);
        auto com = MakePort();
        std::snprintf(com->PortName, sizeof com->PortName, "%s", row.portName);
        std::snprintf(com->DevicePath, sizeof com->DevicePath, "%s", row.devicePath);
        boxes.clear();

        EXPECT_FALSE(com->Open(false, false));
        EXPECT_TRUE(boxes.empty());
        EXPECT_FALSE(com->Open(true, true));
        EXPECT_EQ(com->hDevice, nullptr);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].Text, row.message);
        EXPECT_EQ(boxes[0].Caption, "Ошибка");
        EXPECT_EQ(boxes[0].Type, compat::kBoxOk | compat::kBoxIconError | compat::kBoxTopMost);
        EXPECT_EQ(boxes[0].Owner, kWindow);
    }
}

TEST_F(ComTest, APortInUseIsBusyUntilReleased) {
    auto first = MakePort();
    auto second = MakePort();
    ASSERT_TRUE(first->Open(true, true));
    EXPECT_FALSE(second->Open(true, true));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "COM порт COM5 занят другим приложением");
    first->Close();
    EXPECT_TRUE(second->Open(true, true));
}

TEST_F(ComTest, SettingsThePortCannotTakeAreReported) {
    auto com = MakePort();
    com->DataBits = 9;
    EXPECT_FALSE(com->Open(true, false));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Не удается установить параметры COM порта COM5");
    com->DataBits = 8;
    EXPECT_TRUE(com->Open(true, false));  // and the failed attempt left nothing locked
}

TEST_F(ComTest, DevicePathOverridesThePortName) {
    auto com = MakePort();
    std::snprintf(com->PortName, sizeof com->PortName, "COM77");
    std::snprintf(com->DevicePath, sizeof com->DevicePath, "%s", far_.SlavePath().c_str());
    ASSERT_TRUE(com->Open(true, true));
    char command[] = "Ok";
    EXPECT_TRUE(com->SendEx(command, 2));
    EXPECT_EQ(far_.Read(2), "Ok");
}

}  // namespace
