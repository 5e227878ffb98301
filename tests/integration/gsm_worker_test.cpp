// The GSM modem's worker thread against the simulator's modem in real time
// (short timings): background start and reports, requests from another
// thread, board bytes from the caller's thread during the call, and Stop
// ending the longest wait at once.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gsm_modem.h"
#include "gsm_support.h"
#include "simulated_board.h"
#include "transports/common/clock.h"
#include "transports/gsm/modem.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The simulated modem on its own timer thread; what it sends is fed to the
// worker's dialogue at once.
class RealTimeLine final : public gsm::ModemPort, public boardsim::DevicePort {
public:
    explicit RealTimeLine(const boardsim::GsmModemConfig& config)
        : board_(boardsim::BoardState{}, boardsim::Faults{}, [] { return std::time_t{1700000000}; }),
          modem_(*this, config, Clock::now()),
          timer_([this] { Tick(); }) {}
    ~RealTimeLine() override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            stop_ = true;
        }
        wake_.notify_all();
        timer_.join();
    }
    void Attach(gsm::Modem& modem) {
        std::lock_guard<std::mutex> hold(lock_);
        target_ = &modem;
    }

    bool Write(const char* data, int length) override {
        {
            std::lock_guard<std::mutex> hold(lock_);
            modem_.Receive(std::string(data, static_cast<std::size_t>(length)), Clock::now());
        }
        wake_.notify_all();
        return true;
    }

    // Called with lock_ held.
    void Send(const std::string& bytes) override {
        received_ += bytes;
        if (target_) target_->Feed(bytes.data(), static_cast<int>(bytes.size()));
    }
    std::string AskBoard(const std::string& command) override { return board_.Handle(command); }
    void SendAnswer(const std::string& answer) override { Send(answer); }
    void Log(const std::string& in, const std::string& out) override { log_.push_back(in + " -> " + out); }

    std::string Received() {
        std::lock_guard<std::mutex> hold(lock_);
        return received_;
    }
    int Count(const std::string& entry) {
        std::lock_guard<std::mutex> hold(lock_);
        return static_cast<int>(std::count(log_.begin(), log_.end(), entry));
    }

private:
    void Tick() {
        std::unique_lock<std::mutex> lock(lock_);
        while (!stop_) {
            boardsim::Instant due = modem_.NextDue();
            if (due <= Clock::now()) modem_.Tick(Clock::now());
            else if (due == boardsim::Instant::max()) wake_.wait(lock);
            else wake_.wait_until(lock, due);
        }
    }

    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    gsm::Modem* target_ = nullptr;
    std::string received_;
    std::vector<std::string> log_;
    boardsim::SimulatedBoard board_;
    boardsim::GsmModem modem_;
    std::thread timer_;
};

boardsim::GsmModemConfig QuickModem() {
    boardsim::GsmModemConfig config;
    config.SearchMs = 100;
    config.RingMs = 50;
    config.GuardMs = 100;
    config.UssdMs = 20;
    return config;
}

gsm::Timings QuickTimings() {
    gsm::Timings t;
    t.Answer = 500;
    t.Handshake = 200;
    t.SwitchOn = 500;
    t.Registration = 3000;
    t.RegistrationPoll = 50;
    t.Dial = 2000;
    t.Guard = 120;
    t.EscapeAnswer = 500;
    t.Ussd = 1000;
    t.Delete = 1000;
    t.Poll = 50;
    t.Fresh = 500;
    return t;
}

// Polls `condition` for up to three seconds.
template <typename Condition>
bool Eventually(Condition condition) {
    for (auto end = Clock::now() + 3s; Clock::now() < end; std::this_thread::sleep_for(5ms))
        if (condition()) return true;
    return condition();
}

class GsmWorkerTest : public ::testing::Test {
protected:
    void Start(boardsim::GsmModemConfig config = QuickModem()) {
        modem.reset();  // the worker writes to the line: it goes first
        line = std::make_unique<RealTimeLine>(config);
        modem = std::make_unique<gsm::Modem>(*line, indicators, timings, transports::ThreadClock(),
                                             transports::ThreadClock());
        line->Attach(*modem);
        modem->Start();
    }
    void TearDown() override {
        if (modem) modem->Stop();
    }

    gsmtest::IndicatorStore store;
    gsm::Indicators indicators = store.Refs();
    gsm::Timings timings = QuickTimings();
    std::unique_ptr<RealTimeLine> line;  // outlives the worker that writes to it
    std::unique_ptr<gsm::Modem> modem;
};

TEST_F(GsmWorkerTest, ComesUpInTheBackgroundAndKeepsReportingTheSignal) {
    Start();
    ASSERT_TRUE(Eventually([&] { return store.StatusIdx == gsm::kReady; }));
    EXPECT_EQ(store.NetworkFound, 1);
    EXPECT_EQ(store.CSQ, 20);
    EXPECT_EQ(store.CSQ_Gate1, 1);
    EXPECT_EQ(store.BalanceEnable, 1);
    EXPECT_TRUE(Eventually([&] { return line->Count("AT+CSQ -> +CSQ: 20,99\r\nOK") >= 3 && store.Busy == 0; }));
}

TEST_F(GsmWorkerTest, ACallCarriesTheBoardsBytesAndEndsCleanly) {
    Start();
    ASSERT_TRUE(modem->PowerOn(true, "+71234567890"));
    EXPECT_EQ(store.StatusIdx, gsm::kConnected);
    int reportsBefore = line->Count("AT+CSQ -> +CSQ: 20,99\r\nOK");

    char command[] = "read status\r";
    ASSERT_TRUE(modem->SendData(command, 12));
    EXPECT_TRUE(Eventually([&] { return line->Received().find("Temperature:") != std::string::npos; }));
    std::this_thread::sleep_for(150ms);  // three report periods: none while the call stands
    EXPECT_EQ(line->Count("AT+CSQ -> +CSQ: 20,99\r\nOK"), reportsBefore);

    EXPECT_TRUE(modem->HangUp());
    EXPECT_EQ(store.StatusIdx, gsm::kCallEnded);
    EXPECT_EQ(line->Count("+++ -> OK"), 1);
    EXPECT_EQ(line->Count("ATH -> OK"), 1);
    EXPECT_TRUE(modem->PowerOff(true));
    EXPECT_EQ(store.ModemOn, 0);
    EXPECT_EQ(store.StatusIdx, gsm::kNoStatus);
    EXPECT_EQ(line->Count("AT+CFUN=0 -> OK"), 1);
}

TEST_F(GsmWorkerTest, ARestartBringsTheModemUpAgain) {
    Start();
    ASSERT_TRUE(Eventually([&] { return store.StatusIdx == gsm::kReady; }));
    EXPECT_TRUE(modem->PowerOff(false));
    EXPECT_EQ(line->Count("AT+CFUN=1,1 -> OK"), 1);
    EXPECT_TRUE(Eventually([&] { return store.StatusIdx == gsm::kReady && store.NetworkFound == 1; }));
    EXPECT_EQ(line->Count("ATE0 -> OK"), 2);
}

TEST_F(GsmWorkerTest, BalanceAndMessagesRunAsRequests) {
    Start();
    gsm::BalanceResult balance = modem->Balance("*100#");
    EXPECT_EQ(balance.Outcome, gsm::BalanceResult::Answer);
    EXPECT_EQ(balance.Text, "Баланс: 123.45 р.");
    EXPECT_TRUE(modem->DeleteAllSms().Done);
}

TEST_F(GsmWorkerTest, PowerOnTakesTheVerdictOfTheWorkersStart) {
    boardsim::GsmModemConfig config = QuickModem();
    config.Mute = true;
    Start(config);
    EXPECT_FALSE(modem->PowerOn(true, "+71234567890"));
    EXPECT_EQ(store.StatusIdx, gsm::kNoModem);
    EXPECT_EQ(line->Count("AT\r -> (mute)"), timings.HandshakeTries);  // tried once, not again

    config.Mute = false;
    config.NoNetwork = true;
    Start(config);
    EXPECT_FALSE(modem->PowerOn(true, "+71234567890"));
    EXPECT_EQ(store.StatusIdx, gsm::kNoNetwork);
    EXPECT_EQ(line->Count("AT+CBST=7,0,1 -> OK"), 0);
}

TEST_F(GsmWorkerTest, StopEndsTheLongestWaitAtOnce) {
    boardsim::GsmModemConfig config = QuickModem();
    config.SearchMs = 3600 * 1000;  // an hour of searching
    timings.Registration = 3600 * 1000;
    Start(config);
    std::future<bool> powerOn = std::async(std::launch::async, [&] { return modem->PowerOn(true, "+71234567890"); });
    ASSERT_TRUE(Eventually([&] { return store.StatusIdx == gsm::kSearching; }));
    auto stopAt = Clock::now();
    modem->Stop();
    ASSERT_EQ(powerOn.wait_for(2s), std::future_status::ready);
    EXPECT_FALSE(powerOn.get());
    EXPECT_LT(Clock::now() - stopAt, 1s);
    EXPECT_FALSE(modem->Running());
    EXPECT_FALSE(modem->PowerOn(true, "+71234567890"));  // nothing runs requests any more
}

}  // namespace
