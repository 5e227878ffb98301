// cGSM as the program uses it, over the real USB adapter component and the
// D2XX double, against boardsim as the modem: the members the program polls
// through a whole call, the balance and message actions with their boxes, a
// restart, and the clean end of a call that fails. Run by
// usb_links_with_simulators.py, which names the simulators' ports and logs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "compat/platform.h"
#include "ini_test_support.h"
#include "support.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/gsm/session.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace std::chrono_literals;

constexpr auto Env = testsupport::GetEnv;
void SetEnv(const char* name, const std::string& value) { testsupport::SetEnv(name, value.c_str()); }

// The simulator's log (a Unix path; drive Z: under Wine): what it received.
std::vector<std::string> Received(const std::string& log) {
#ifdef _WIN32
    std::ifstream in("Z:" + log);
#else
    std::ifstream in(log);
#endif
    std::vector<std::string> received;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string time, channel, entry;
        std::getline(fields, time, '\t');
        std::getline(fields, channel, '\t');
        std::getline(fields, entry, '\t');
        received.push_back(entry);
    }
    return received;
}

// Polls for up to ten seconds: a deadline for failures, not a measurement.
template <typename Condition>
bool Eventually(Condition condition) {
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(10ms))
        if (condition()) return true;
    return condition();
}

struct Box {
    std::string text, caption;
    unsigned type;
};

// The program's receive path for interface 3: every block to the modem while
// it is on, and kept.
cGSM* modemUnderTest = nullptr;
std::mutex receivedLock;
std::string received;
void ReceiveUsb(char* data, int count) {
    if (modemUnderTest->ModemOn) modemUnderTest->Recv(data, count);
    std::lock_guard<std::mutex> hold(receivedLock);
    received.append(data, static_cast<std::size_t>(count));
}
std::string ReceivedBytes() {
    std::lock_guard<std::mutex> hold(receivedLock);
    return received;
}

class GsmComponentTest : public ::testing::Test {
protected:
    GsmComponentTest() : adapter(dir.File("FTD.ini").c_str()), modem(dir.File("GSM.ini").c_str()) {
        received.clear();
        modemUnderTest = &modem;
        adapter.pRecvCallback = ReceiveUsb;
        modem.pFTD = &adapter;
        std::snprintf(modem.CSD_Number, sizeof modem.CSD_Number, "+71234567890");
        SetEnv("FTD2XX_DOUBLE_DEVICES", "1");
    }
    ~GsmComponentTest() override {
        modem.Close();
        modemUnderTest = nullptr;
    }
    void SetUp() override {
        if (Env("BOARDSIM_MODEM_PORT").empty()) GTEST_SKIP() << "run through usb_links_with_simulators.py";
    }
    void ConnectTo(const char* simulator) {
        SetEnv("FTD2XX_DOUBLE_CONNECT", "tcp:127.0.0.1:" + Env(simulator));
    }
    // The boxes of the modem's and the adapter's libraries, from any thread.
    std::vector<Box> Boxes() const {
        std::vector<Box> shown;
        for (const testsupport::RecordedBox& box : recorder_.Snapshot()) shown.push_back({box.Text, box.Caption, box.Type});
        return shown;
    }

    testsupport::BoxRecorder recorder_;

    ini_test::ScratchDir dir{"gsm"};
    cFTD adapter;
    cGSM modem;
};

TEST_F(GsmComponentTest, TheMembersThroughAWholeCallAndTheModemsActions) {
    ConnectTo("BOARDSIM_MODEM_PORT");
    EXPECT_EQ(modem.ModemOn, 0);
    ASSERT_TRUE(modem.Open(true));
    EXPECT_EQ(modem.ModemOn, 1);  // at once: from now on the program hands it every block
    ASSERT_TRUE(Eventually([&] { return modem.StatusIdx == gsm::kReady && modem.Busy == 0; }));
    EXPECT_STREQ(modem.StatusText[modem.StatusIdx], "GSM модем готов");
    EXPECT_EQ(modem.NetworkFound, 1);
    EXPECT_EQ(modem.CSQ, 20);
    EXPECT_EQ(modem.CSQ_Gate1, 1);
    EXPECT_EQ(modem.CSQ_Gate2, 1);
    EXPECT_EQ(modem.BalanceEnable, 1);
    EXPECT_TRUE(modem.Open(false));  // already open: nothing starts again

    EXPECT_TRUE(modem.CheckBalance(true));
    EXPECT_TRUE(modem.SMS_DEL_ALL(true));
    std::vector<Box> shown = Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Баланс: 123.45 р.");
    EXPECT_EQ(shown[0].caption, "Информация");
    EXPECT_EQ(shown[0].type, compat::kBoxOk | compat::kBoxIconInformation | compat::kBoxTopMost);
    EXPECT_EQ(shown[1].text, "Все SMS сообщения удалены");

    ASSERT_TRUE(modem.PowerOn(true));
    EXPECT_EQ(modem.StatusIdx, gsm::kConnected);
    EXPECT_EQ(modem.BalanceEnable, 0);
    EXPECT_EQ(modem.CSQ_Gate2, 0);
    char command[] = "read status\r";
    EXPECT_TRUE(modem.CSD_Send(command, 12));
    EXPECT_TRUE(Eventually([] { return ReceivedBytes().find("Temperature:") != std::string::npos; }));

    EXPECT_TRUE(modem.CSD_Close());
    EXPECT_EQ(modem.StatusIdx, gsm::kCallEnded);
    EXPECT_FALSE(modem.CSD_Send(command, 12));
    EXPECT_TRUE(modem.PowerOff(true));
    EXPECT_EQ(modem.ModemOn, 0);
    modem.Close();
    EXPECT_EQ(modem.StatusIdx, 0);
    EXPECT_EQ(adapter.hDevice, nullptr);
    std::vector<std::string> log = Received(Env("BOARDSIM_MODEM_LOG"));
    for (const char* entry : {"AT+CUSD=1,\"*100#\",15", "AT+CMGD=1,4", "ATD+71234567890", "read status", "+++", "ATH",
                              "AT+CFUN=0"})
        EXPECT_NE(std::find(log.begin(), log.end(), entry), log.end()) << entry;
    EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(GsmComponentTest, ARestartBringsTheModemBack) {
    ConnectTo("BOARDSIM_MODEM_PORT");
    ASSERT_TRUE(modem.Open(false));
    ASSERT_TRUE(Eventually([&] { return modem.StatusIdx == gsm::kReady && modem.Busy == 0; }));
    EXPECT_TRUE(modem.PowerOff(false));
    EXPECT_TRUE(Eventually([&] { return modem.StatusIdx == gsm::kReady && modem.NetworkFound == 1; }));
    EXPECT_EQ(modem.ModemOn, 1);
    EXPECT_TRUE(modem.PowerOffAT(true));
    EXPECT_EQ(modem.ModemOn, 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(GsmComponentTest, AFailedCallReportsOnceAndLetsTheAdapterGo) {
    ConnectTo("BOARDSIM_BUSY_MODEM_PORT");
    ASSERT_TRUE(modem.Open(true));
    EXPECT_FALSE(modem.PowerOn(true));
    std::vector<Box> shown = Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Линия ведомого модема занята");
    EXPECT_EQ(shown[0].caption, "Ошибка");
    EXPECT_EQ(modem.StatusIdx, gsm::kLineBusy);  // still on show for the operator
    EXPECT_EQ(modem.ModemOn, 0);
    EXPECT_EQ(modem.BalanceEnable, 0);
    EXPECT_EQ(adapter.hDevice, nullptr);
    EXPECT_FALSE(modem.PowerOn(true));  // nothing open any more, nothing said twice
    EXPECT_EQ(Boxes().size(), 1u);
}

}  // namespace
