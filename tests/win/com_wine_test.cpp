// cCOM under Wine on COM ports that are pseudo-terminals of the host. The
// ctest fixture com_pty_peer (com_pty_peer.py) links COM37 and COM38 of the
// build's Wine prefix to terminals it serves and answers the lines the test
// sends (echo, line settings, blocks, hang-up).
#include "transports/COM.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "compat/platform.h"
#include "ini_test_support.h"
#include "support.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(10);  // a deadline for failures, never a measurement

struct Received {
    std::mutex lock;
    std::condition_variable changed;
    std::string bytes;
    std::vector<std::size_t> blocks;
    bool allTerminated = true;

    void Clear() {
        std::lock_guard<std::mutex> hold(lock);
        bytes.clear();
        blocks.clear();
        allTerminated = true;
    }
    // Waits until the bytes end with `ending`; returns them.
    std::string WaitFor(const std::string& ending) {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait_for(hold, kPatience, [&] {
            return bytes.size() >= ending.size() && bytes.compare(bytes.size() - ending.size(), ending.size(), ending) == 0;
        });
        return bytes;
    }
    std::string WaitForCount(std::size_t count) {
        std::unique_lock<std::mutex> hold(lock);
        changed.wait_for(hold, kPatience, [&] { return bytes.size() >= count; });
        return bytes;
    }
    std::vector<std::size_t> Blocks() {
        std::lock_guard<std::mutex> hold(lock);
        return blocks;
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
}

std::size_t ThreadCount() {
    std::size_t count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

bool WaitForThreadCount(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (ThreadCount() != count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class ComWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        received.Clear();
    }

    // What the port showed, one "caption: text" per box.
    std::vector<std::string> Boxes() const {
        std::vector<std::string> shown;
        for (const testsupport::RecordedBox& box : recorder_.Snapshot())
            shown.push_back(box.Caption + ": " + box.Text +
                            (box.Type == compat::BoxType(compat::Box::Error) ? "" : " (odd type)"));
        return shown;
    }

    std::unique_ptr<cCOM> MakePort(const char* name) {
        auto com = std::make_unique<cCOM>(ini_.c_str());
        std::snprintf(com->PortName, sizeof com->PortName, "%s", name);
        com->pRecvCallback = OnReceive;
        return com;
    }
    static bool Send(cCOM& com, const std::string& line) {
        std::string bytes = line + "\r";
        return com.SendEx(bytes.data(), static_cast<int>(bytes.size()));
    }

    ini_test::ScratchDir dir_{"com-wine"};
    std::string ini_ = dir_.File("COM.ini");
    testsupport::BoxRecorder recorder_;
};

TEST_F(ComWineTest, OpenConfiguresTheLineOfTheMappedTerminal) {
    struct Row {
        std::uint32_t baud;
        std::uint8_t dataBits, stopBits, parity, flow;
        std::string line;  // as the far end sees it (Linux keeps 8 data bits, no parity enable)
    };
    const Row rows[] = {
        {9600, 8, 0, 0, 0, "baud=9600 stop2=0 parodd=0 cmspar=0 crtscts=0 xon=0"},
        {115200, 7, 2, 1, 1, "baud=115200 stop2=1 parodd=1 cmspar=0 crtscts=1 xon=0"},
        {19200, 8, 0, 3, 3, "baud=19200 stop2=0 parodd=1 cmspar=1 crtscts=0 xon=1"},
    };
    auto com = MakePort("COM37");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        received.Clear();
        com->BaudRate = row.baud;
        com->DataBits = row.dataBits;
        com->StopBits = row.stopBits;
        com->Parity = row.parity;
        com->FlowControl = row.flow;
        ASSERT_TRUE(com->Open(true, true));
        EXPECT_NE(com->hDevice, nullptr);
        ASSERT_TRUE(Send(*com, "line?"));
        EXPECT_EQ(received.WaitFor("\r"), row.line + "\r");
        com->Close();
        EXPECT_EQ(com->hDevice, nullptr);
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ComWineTest, SendsAndReceivesInBlocks) {
    auto com = MakePort("COM37");
    ASSERT_TRUE(com->Open(true, true));
    ASSERT_TRUE(Send(*com, "echo read status"));
    EXPECT_EQ(received.WaitFor("\r"), "read status\r");

    received.Clear();
    com->RecvC = 0;
    ASSERT_TRUE(Send(*com, "blocks 3 1700"));
    const std::string bytes = received.WaitForCount(5100);
    EXPECT_EQ(bytes, std::string(1700, 'A') + std::string(1700, 'B') + std::string(1700, 'C'));
    EXPECT_GE(received.Blocks().size(), 3u);  // the pauses between them separate the blocks
    EXPECT_EQ(com->RecvC, 5100u);
    std::lock_guard<std::mutex> hold(received.lock);
    EXPECT_TRUE(received.allTerminated);
}

TEST_F(ComWineTest, CloseEndsAPendingReadAndReleasesThePort) {
    auto com = MakePort("COM37");
    const std::size_t threads = ThreadCount();
    ASSERT_TRUE(com->Open(true, true));
    com->Close();
    EXPECT_TRUE(WaitForThreadCount(threads));
    auto other = MakePort("COM37");
    ASSERT_TRUE(other->Open(true, true));
    ASSERT_TRUE(Send(*other, "echo again"));
    EXPECT_EQ(received.WaitFor("\r"), "again\r");
}

TEST_F(ComWineTest, APortInUseIsBusy) {
    auto first = MakePort("COM37");
    auto second = MakePort("COM37");
    ASSERT_TRUE(first->Open(true, true));
    EXPECT_FALSE(second->Open(true, true));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Ошибка: COM порт COM37 занят другим приложением"});
    first->Close();
    EXPECT_TRUE(second->Open(false, false));
}

TEST_F(ComWineTest, APortThatDoesNotExistIsReportedOnlyWhenAsked) {
    auto com = MakePort("COM36");
    EXPECT_FALSE(com->Open(false, false));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(com->Open(true, true));
    EXPECT_EQ(com->hDevice, nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Ошибка: COM порт COM36 не найден"});
}

TEST_F(ComWineTest, FarEndGoingAwayEndsTheReaderAndTheNextOpenSaysSo) {
    auto com = MakePort("COM38");
    const std::size_t threads = ThreadCount();
    ASSERT_TRUE(com->Open(true, true));
    ASSERT_TRUE(Send(*com, "hangup"));
    EXPECT_TRUE(WaitForThreadCount(threads));  // the reading thread ended by itself
    char command[] = "read status\r";
    com->SendEx(command, 12);  // goes nowhere, harmlessly
    com->Close();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(com->Open(true, true));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Ошибка: COM порт COM38 не найден"});
}

}  // namespace
