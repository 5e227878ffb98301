// The GSM modem driver's session, line by line against the simulator's
// modem (tools/boardsim/gsm_modem.h) with the board behind it, on a virtual
// clock: a whole call, every fault the simulator can order, the balance
// request and the clearing of the message stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gsm_modem.h"
#include "gsm_support.h"
#include "simulated_board.h"
#include "transports/gsm/dialogue.h"
#include "transports/gsm/session.h"

namespace {

using gsm::Ms;
using Lines = std::vector<std::string>;

boardsim::Instant At(Ms ms) { return boardsim::Instant{} + std::chrono::milliseconds(ms); }

// The modem's line: what the driver writes goes to the simulated modem, what
// the modem sends is fed to the dialogue. The simulator's log is kept.
class SimulatedLine final : public gsm::ModemPort, public boardsim::DevicePort {
public:
    SimulatedLine(gsmtest::VirtualClock& clock, const boardsim::GsmModemConfig& config)
        : clock_(clock),
          board_(boardsim::BoardState{}, boardsim::Faults{}, [] { return std::time_t{1700000000}; }),
          modem_(*this, config, At(clock.Now())) {
        clock.nextDue = [this] {
            boardsim::Instant due = modem_.NextDue();
            return due == boardsim::Instant::max() ? Ms{1} << 50
                                                   : std::chrono::duration_cast<std::chrono::milliseconds>(
                                                         due - boardsim::Instant{}).count();
        };
        clock.runDue = [this](Ms now) {
            if (modem_.NextDue() <= At(now)) modem_.Tick(At(now));
        };
    }
    void Attach(gsm::Dialogue& dialogue) { dialogue_ = &dialogue; }

    bool Write(const char* data, int length) override {
        modem_.Receive(std::string(data, static_cast<std::size_t>(length)), At(clock_.Now()));
        return true;
    }

    void Send(const std::string& bytes) override {
        received += bytes;
        if (dialogue_) dialogue_->Feed(bytes.data(), static_cast<int>(bytes.size()));
    }
    std::string AskBoard(const std::string& command) override {
        std::string answer = board_.Handle(command);
        log.push_back(command + " -> (board)");
        return answer;
    }
    void SendAnswer(const std::string& answer) override { Send(answer); }
    void Log(const std::string& in, const std::string& out) override {
        log.push_back(in + " -> " + out);
        logTimes.push_back(clock_.Now());
    }

    bool Logged(const std::string& entry) const { return std::find(log.begin(), log.end(), entry) != log.end(); }
    Ms LoggedAt(const std::string& entry) const {
        auto it = std::find(log.begin(), log.end(), entry);
        return it == log.end() ? -1 : logTimes[static_cast<std::size_t>(it - log.begin())];
    }

    std::string received;  // everything the modem sent
    Lines log;
    std::vector<Ms> logTimes;  // of the modem's own entries

private:
    gsmtest::VirtualClock& clock_;
    gsm::Dialogue* dialogue_ = nullptr;
    boardsim::SimulatedBoard board_;
    boardsim::GsmModem modem_;
};

class GsmAgainstSimulator : public ::testing::Test {
protected:
    void Start(boardsim::GsmModemConfig config = {}) {
        line = std::make_unique<SimulatedLine>(clock, config);
        dialogue = std::make_unique<gsm::Dialogue>(*line, clock);
        line->Attach(*dialogue);
        session = std::make_unique<gsm::Session>(*dialogue, indicators, timings);
        dialogue->SetCarrierLostHandler([this] { session->CarrierLost(); });
    }
    bool Call() { return session->StartUp() && session->WaitNetwork() && session->Dial("+71234567890"); }
    void SendToBoard(std::string text) { ASSERT_TRUE(dialogue->WriteData(text.data(), static_cast<int>(text.size()))); }

    gsmtest::VirtualClock clock;
    gsmtest::IndicatorStore store;
    gsm::Indicators indicators = store.Refs();
    gsm::Timings timings;
    std::unique_ptr<SimulatedLine> line;
    std::unique_ptr<gsm::Dialogue> dialogue;
    std::unique_ptr<gsm::Session> session;
};

TEST_F(GsmAgainstSimulator, AWholeCallFromSwitchOnToSwitchOff) {
    Start();
    ASSERT_TRUE(session->StartUp());
    EXPECT_EQ(store.StatusIdx, gsm::kStarting);
    EXPECT_EQ(store.NetworkFound, 0);
    ASSERT_TRUE(session->WaitNetwork());  // the simulated search takes 500 ms
    EXPECT_EQ(store.StatusIdx, gsm::kReady);
    EXPECT_EQ(store.NetworkFound, 1);
    EXPECT_EQ(store.CSQ, 20);
    EXPECT_EQ(store.CSQ_Gate1 + store.CSQ_Gate2 + store.BalanceEnable, 3);
    EXPECT_TRUE(line->Logged("AT+CREG? -> +CREG: 0,2\r\nOK"));

    ASSERT_TRUE(session->Dial("+71234567890"));
    EXPECT_EQ(store.StatusIdx, gsm::kConnected);
    EXPECT_EQ(store.CSQ_Gate2, 0);
    EXPECT_EQ(store.BalanceEnable, 0);
    EXPECT_TRUE(line->Logged("(call) -> CONNECT 9600"));

    line->received.clear();
    SendToBoard("read status\r");
    EXPECT_NE(line->received.find("Soft:10.1\r\n"), std::string::npos);
    EXPECT_TRUE(dialogue->InDataMode());

    Ms lastData = clock.Now();
    session->HangUp();
    EXPECT_EQ(store.StatusIdx, gsm::kCallEnded);
    EXPECT_FALSE(dialogue->InDataMode());
    // The modem saw 1.1 s of silence, "+++", then 1 s more before its OK.
    EXPECT_EQ(line->LoggedAt("+++ -> OK") - lastData, 1100 + 1000);
    EXPECT_TRUE(line->Logged("ATH -> OK"));
    EXPECT_EQ(store.BalanceEnable, 1);

    session->SwitchOff(true);
    EXPECT_TRUE(line->Logged("AT+CFUN=0 -> OK"));
    EXPECT_EQ(store.ModemOn + store.NetworkFound + store.CSQ_Gate1 + store.CSQ_Gate2 + store.BalanceEnable, 0);
}

TEST_F(GsmAgainstSimulator, EveryFaultOfTheCallGivesItsStatus) {
    struct Case {
        const char* name;
        void (*order)(boardsim::GsmModemConfig&);
        gsm::Status status;
    };
    const std::vector<Case> table = {
        {"mute", [](boardsim::GsmModemConfig& c) { c.Mute = true; }, gsm::kNoModem},
        {"no network", [](boardsim::GsmModemConfig& c) { c.NoNetwork = true; }, gsm::kNoNetwork},
        {"busy", [](boardsim::GsmModemConfig& c) { c.LineBusy = true; }, gsm::kLineBusy},
        {"no answer", [](boardsim::GsmModemConfig& c) { c.NoAnswer = true; }, gsm::kNoAnswer},
    };
    for (const Case& c : table) {
        boardsim::GsmModemConfig config;
        c.order(config);
        Start(config);
        EXPECT_FALSE(Call()) << c.name;
        EXPECT_EQ(store.StatusIdx, c.status) << c.name;
        EXPECT_FALSE(dialogue->InDataMode()) << c.name;
        EXPECT_LT(clock.Now(), 120000) << c.name;
    }
}

TEST_F(GsmAgainstSimulator, ACallLostInTheMiddleOfAnAnswerIsNoticedAtOnce) {
    boardsim::GsmModemConfig config;
    config.DropCall = true;
    Start(config);
    ASSERT_TRUE(Call());
    line->received.clear();
    SendToBoard("read status\r");
    EXPECT_EQ(store.StatusIdx, gsm::kNoCarrier);
    EXPECT_FALSE(dialogue->InDataMode());
    EXPECT_NE(line->received.find("Soft:10.1"), std::string::npos);
    EXPECT_EQ(line->received.find("Temperature"), std::string::npos);
    EXPECT_NE(line->received.find("\r\nNO CARRIER\r\n"), std::string::npos);

    std::size_t logged = line->log.size();
    session->HangUp();  // nothing left to end
    EXPECT_EQ(line->log.size(), logged);
    EXPECT_EQ(store.StatusIdx, gsm::kNoCarrier);
}

TEST_F(GsmAgainstSimulator, TheBalanceAnswerIsDecoded) {
    Start();
    ASSERT_TRUE(session->StartUp() && session->WaitNetwork());
    gsm::BalanceResult result = session->Balance("*100#");
    EXPECT_EQ(result.Outcome, gsm::BalanceResult::Answer);
    EXPECT_EQ(result.Text, "Баланс: 123.45 р.");
    EXPECT_TRUE(line->Logged("AT+CUSD=1,\"*100#\",15 -> OK"));

    result = session->Balance("*102#");
    EXPECT_EQ(result.Outcome, gsm::BalanceResult::Refused);
}

TEST_F(GsmAgainstSimulator, NoBalanceRequestDuringACall) {
    Start();
    ASSERT_TRUE(Call());
    EXPECT_EQ(session->Balance("*100#").Outcome, gsm::BalanceResult::NotReady);
}

TEST_F(GsmAgainstSimulator, MessagesAreDeletedInBulkOrOneByOneWhenTheBulkFormIsRefused) {
    Start();
    ASSERT_TRUE(session->StartUp());
    gsm::SmsResult result = session->DeleteAllSms();
    EXPECT_TRUE(result.Done);
    EXPECT_EQ(result.Deleted, -1);
    EXPECT_EQ(std::count(line->log.begin(), line->log.end(), "AT+CMGD=1,4 -> OK"), 2);

    boardsim::GsmModemConfig config;
    config.RefuseBulkDelete = true;
    Start(config);
    ASSERT_TRUE(session->StartUp());
    result = session->DeleteAllSms();
    EXPECT_TRUE(result.Done);
    EXPECT_EQ(result.Deleted, 5);  // three on the SIM card, two in the modem
    for (const char* entry : {"AT+CMGD=1,4 -> +CMS ERROR: 303", "AT+CMGD=3 -> OK", "AT+CMGD=2 -> OK"})
        EXPECT_TRUE(line->Logged(entry)) << entry;
    // Nothing is left to list.
    line->log.clear();
    EXPECT_TRUE(session->DeleteAllSms().Done);
    EXPECT_TRUE(line->Logged("AT+CMGL=4 -> OK"));
}

TEST_F(GsmAgainstSimulator, ARestartedModemIsBroughtUpAgainEchoAndAll) {
    Start();
    ASSERT_TRUE(session->StartUp() && session->WaitNetwork());
    ASSERT_TRUE(session->Restart());
    EXPECT_EQ(store.NetworkFound, 0);
    EXPECT_EQ(store.StatusIdx, gsm::kStarting);
    ASSERT_TRUE(session->StartUp());  // the modem echoes again until ATE0
    ASSERT_TRUE(session->WaitNetwork());
    EXPECT_EQ(store.StatusIdx, gsm::kReady);
}

}  // namespace
