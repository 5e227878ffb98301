// The GSM modem driver's AT side: lines and reports, the dialogue's waits and
// data mode on a virtual clock, and the steps of a session against a
// scripted modem.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gsm_support.h"
#include "transports/gsm/at_lines.h"
#include "transports/gsm/dialogue.h"
#include "transports/gsm/session.h"

namespace {

using gsm::Final;
using gsm::Ms;
using gsmtest::IndicatorStore;
using gsmtest::ScriptedModem;
using gsmtest::VirtualClock;
using Lines = std::vector<std::string>;

TEST(GsmLines, SplitAtCrOrLfSkippingEmptyLinesAcrossBlocks) {
    gsm::LineSplitter splitter;
    EXPECT_EQ(splitter.Add("\r\n+CSQ: 1"), Lines{});
    EXPECT_EQ(splitter.Add("7,99\r\n\r\nOK\r"), (Lines{"+CSQ: 17,99", "OK"}));
    EXPECT_EQ(splitter.Add("\nRING\n"), Lines{"RING"});
    EXPECT_EQ(splitter.Add(std::string(600, 'x') + "\r").front().size(), gsm::LineSplitter::kMaxLine);
}

TEST(GsmLines, ResultCodesAreTheModemsVerboseOnesOnly) {
    const std::vector<std::pair<const char*, Final>> table = {
        {"OK", Final::Ok},
        {"ERROR", Final::Error},
        {"+CME ERROR: 10", Final::Error},
        {"+CMS ERROR: 303", Final::Error},
        {"CONNECT", Final::Connect},
        {"CONNECT 9600", Final::Connect},
        {"NO CARRIER", Final::NoCarrier},
        {"BUSY", Final::Busy},
        {"NO ANSWER", Final::NoAnswer},
        {"NO DIALTONE", Final::NoDialtone},
        // The board's own acknowledgements and lines of information.
        {"Ok", Final::None},
        {"error", Final::None},
        {"OK then", Final::None},
        {"CONNECTED", Final::None},
        {"+CSQ: 17,99", Final::None},
        {"RING", Final::None},
    };
    for (const auto& [line, expected] : table) EXPECT_EQ(gsm::ClassifyLine(line), expected) << line;
}

TEST(GsmLines, ReportsAreRead) {
    EXPECT_EQ(gsm::ParseSignalQuality("+CSQ: 17,99"), 17);
    EXPECT_EQ(gsm::ParseSignalQuality("+CSQ: 99,99"), 99);
    EXPECT_EQ(gsm::ParseSignalQuality("+CSQ: 45,0"), 99);  // out of range means unknown
    EXPECT_EQ(gsm::ParseSignalQuality("+CSQ:"), std::nullopt);
    EXPECT_EQ(gsm::ParseRegistration("+CREG: 0,1"), 1);
    EXPECT_EQ(gsm::ParseRegistration("+CREG: 2,5,\"1A2B\",\"00C3\""), 5);
    EXPECT_EQ(gsm::ParseRegistration("+CREG: 3"), 3);
    EXPECT_EQ(gsm::ParseRegistration("+CSQ: 0,1"), std::nullopt);
    EXPECT_EQ(gsm::ParseListedMessage("+CMGL: 12,1,,37"), 12);
    EXPECT_EQ(gsm::ParseListedMessage("07919730071111F1"), std::nullopt);
}

TEST(GsmLines, UssdAnswersAreParsedAndDecoded) {
    struct Case {
        const char* line;
        int status;
        const char* text;  // decoded
    };
    const std::vector<Case> table = {
        // "Баланс: 12.50 р." in UCS2, scheme 72.
        {"+CUSD: 0,\"04110430043B0430043D0441003A002000310032002E0035003000200440002E\",72", 0,
         "Баланс: 12.50 р."},
        {"+CUSD: 0,\"Balance: 5.00, ok\",15", 0, "Balance: 5.00, ok"},  // plain text, comma inside
        {"+CUSD: 1,\"D83DDE00\",72", 1, "\xF0\x9F\x98\x80"},              // a surrogate pair
        {"+CUSD: 0,\"04G1\",72", 0, "04G1"},                              // not hexadecimal: kept
        {"+CUSD: 0,\"a\x07" "b\",15", 0, "ab"},                           // control characters dropped
        {"+CUSD: 4", 4, ""},
    };
    for (const Case& c : table) {
        std::optional<gsm::UssdAnswer> answer = gsm::ParseUssd(c.line);
        ASSERT_TRUE(answer) << c.line;
        EXPECT_EQ(answer->Status, c.status) << c.line;
        EXPECT_EQ(gsm::DecodeUssdText(*answer), c.text) << c.line;
    }
    EXPECT_FALSE(gsm::ParseUssd("+CUSD:"));
    EXPECT_FALSE(gsm::ParseUssd("OK"));
}

TEST(GsmLines, OnlyPlainNumbersAndRequestsReachTheModem) {
    for (const char* number : {"+71234567890", "89001234567", "112"}) EXPECT_TRUE(gsm::IsDialableNumber(number)) << number;
    for (const char* number : {"", "+", "12", "+7123;ATH", "+7 123 456", "1234567890123456"})
        EXPECT_FALSE(gsm::IsDialableNumber(number)) << number;
    for (const char* request : {"*100#", "#102#", "*1#"}) EXPECT_TRUE(gsm::IsUssdRequest(request)) << request;
    for (const char* request : {"", "*100\"", "*10#0#", "ab"}) EXPECT_FALSE(gsm::IsUssdRequest(request)) << request;
}

class GsmDialogueTest : public ::testing::Test {
protected:
    GsmDialogueTest() : modem(clock), dialogue(modem, clock) { modem.Attach(dialogue); }
    void Feed(const std::string& bytes) { dialogue.Feed(bytes.data(), static_cast<int>(bytes.size())); }

    VirtualClock clock;
    ScriptedModem modem;
    gsm::Dialogue dialogue;
};

TEST_F(GsmDialogueTest, CommandCollectsInformationUntilTheResultAndSkipsItsEcho) {
    modem.echoPrefix = "AT+CSQ\r";
    modem.Answer("AT+CSQ", "\r\nRING\r\n+CSQ: 17,99\r\n\r\nOK\r\n");
    gsm::Reply reply = dialogue.Command("AT+CSQ", 3000);
    EXPECT_EQ(reply.Result, Final::Ok);
    EXPECT_EQ(reply.Lines, (Lines{"RING", "+CSQ: 17,99"}));
    EXPECT_EQ(modem.Commands(), Lines{"AT+CSQ\r"});
}

TEST_F(GsmDialogueTest, AnswersInPiecesAndUnsolicitedUssdAreSortedOut) {
    modem.AnswerInBlocks("AT+CPIN?", {"\r\n+CP", "IN: READY\r", "\n\r\n+CUSD: 0,\"hi\",15\r\n\r", "\nO", "K\r\n"});
    gsm::Reply reply = dialogue.Command("AT+CPIN?", 3000);
    EXPECT_EQ(reply.Result, Final::Ok);
    EXPECT_EQ(reply.Lines, Lines{"+CPIN: READY"});
    std::optional<gsm::UssdAnswer> ussd = dialogue.WaitUssd(0);
    ASSERT_TRUE(ussd);
    EXPECT_EQ(ussd->Text, "hi");
}

TEST_F(GsmDialogueTest, SilenceEndsACommandAtItsDeadline) {
    modem.Answer("AT", "");
    Ms start = clock.Now();
    gsm::Reply reply = dialogue.Command("AT", 2500);
    EXPECT_EQ(reply.Result, Final::None);
    EXPECT_EQ(clock.Now() - start, 2500);
}

TEST_F(GsmDialogueTest, CancelEndsEveryWaitAtOnceUntilRestart) {
    modem.Answer("AT", "");
    dialogue.Cancel();
    Ms start = clock.Now();
    EXPECT_EQ(dialogue.Command("AT", 60000).Result, Final::None);
    EXPECT_FALSE(dialogue.Pause(60000));
    EXPECT_FALSE(dialogue.WaitUssd(60000));
    EXPECT_EQ(clock.Now(), start);
    EXPECT_TRUE(modem.writes.empty());
    dialogue.Restart();
    modem.Answer("AT", "\r\nOK\r\n");
    EXPECT_TRUE(dialogue.Command("AT", 1000).Ok());
}

TEST_F(GsmDialogueTest, ConnectStartsDataModeWhereOnlyNoCarrierCounts) {
    int lost = 0;
    dialogue.SetCarrierLostHandler([&] { ++lost; });
    modem.Answer("ATD", "\r\nCONNECT 9600\r\nSoft:10.1\r\nOK\r\n");
    EXPECT_EQ(dialogue.Command("ATD+71234567890", 60000).Result, Final::Connect);
    EXPECT_TRUE(dialogue.InDataMode());
    Feed("Mode:3\r\nERROR\r\nOk\r\nNO CAR");  // the board's bytes, and half of the modem's report
    EXPECT_TRUE(dialogue.InDataMode());
    EXPECT_EQ(lost, 0);
    Feed("RIER\r\n");
    EXPECT_FALSE(dialogue.InDataMode());
    EXPECT_EQ(lost, 1);
    char data[] = "read status\r";
    EXPECT_FALSE(dialogue.WriteData(data, 12));  // no call, nothing goes out
}

TEST_F(GsmDialogueTest, EscapeKeepsTheGuardTimeAfterTheLastByteSent) {
    modem.Answer("ATD", "\r\nCONNECT 9600\r\n");
    modem.Answer("+++", "\r\nOK\r\n");
    ASSERT_EQ(dialogue.Command("ATD+71234567890", 60000).Result, Final::Connect);
    ASSERT_TRUE(dialogue.Pause(5000));
    char data[] = "read status\r";
    ASSERT_TRUE(dialogue.WriteData(data, 12));
    Ms sentAt = clock.Now();
    gsm::Reply reply = dialogue.Escape(1100, 3000);
    EXPECT_EQ(reply.Result, Final::Ok);
    ASSERT_EQ(modem.writes.back().second, "+++");
    EXPECT_EQ(modem.writes.back().first - sentAt, 1100);
    EXPECT_FALSE(dialogue.InDataMode());
}

TEST_F(GsmDialogueTest, AnUnansweredEscapeLeavesTheLineInDataMode) {
    modem.Answer("ATD", "\r\nCONNECT 9600\r\n");
    modem.Answer("+++", "");
    ASSERT_EQ(dialogue.Command("ATD+71234567890", 60000).Result, Final::Connect);
    EXPECT_EQ(dialogue.Escape(1100, 3000).Result, Final::None);
    EXPECT_TRUE(dialogue.InDataMode());
}

class GsmSessionTest : public GsmDialogueTest {
protected:
    GsmSessionTest() : indicators(store.Refs()), session(dialogue, indicators, timings) {}

    IndicatorStore store;
    gsm::Indicators indicators;
    gsm::Timings timings;
    gsm::Session session;
};

TEST_F(GsmSessionTest, BringingUpAndCallingSendsTheseCommandsAndSetsTheIndicators) {
    gsmtest::AnswerAsHealthyModem(modem);
    ASSERT_TRUE(session.StartUp());
    EXPECT_EQ(store.StatusIdx, gsm::kStarting);
    ASSERT_TRUE(session.WaitNetwork());
    EXPECT_EQ(store.StatusIdx, gsm::kReady);
    EXPECT_EQ(store.NetworkFound, 1);
    EXPECT_EQ(store.CSQ, 17);
    EXPECT_EQ(store.CSQ_Gate1, 1);
    EXPECT_EQ(store.CSQ_Gate2, 1);
    EXPECT_EQ(store.BalanceEnable, 1);
    ASSERT_TRUE(session.Dial("+71234567890"));
    EXPECT_EQ(store.StatusIdx, gsm::kConnected);
    EXPECT_EQ(store.CSQ_Gate2, 0);
    EXPECT_EQ(store.BalanceEnable, 0);
    EXPECT_EQ(modem.Commands(), (Lines{"AT\r", "ATE0\r", "AT+CMEE=1\r", "AT+CFUN=1\r", "AT+CPIN?\r", "AT+CREG?\r",
                                       "AT+CSQ\r", "AT+CBST=7,0,1\r", "ATD+71234567890\r"}));
}

TEST_F(GsmSessionTest, AModemThatNeverAnswersIsGivenFiveSeconds) {
    modem.Answer("AT", "");
    EXPECT_FALSE(session.StartUp());
    EXPECT_EQ(store.StatusIdx, gsm::kNoModem);
    EXPECT_EQ(modem.Commands(), Lines(5, "AT\r"));
    EXPECT_EQ(clock.Now(), 5000);
}

TEST_F(GsmSessionTest, ALockedSimCardStopsTheStart) {
    gsmtest::AnswerAsHealthyModem(modem);
    modem.Answer("AT+CPIN?", "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n");
    EXPECT_FALSE(session.StartUp());
    EXPECT_EQ(store.StatusIdx, gsm::kNoSim);
}

TEST_F(GsmSessionTest, DeniedRegistrationFailsAtOnceAndEndlessSearchAfterAMinute) {
    gsmtest::AnswerAsHealthyModem(modem);
    ASSERT_TRUE(session.StartUp());
    modem.Answer("AT+CREG?", "\r\n+CREG: 0,3\r\n\r\nOK\r\n");
    Ms start = clock.Now();
    EXPECT_FALSE(session.WaitNetwork());
    EXPECT_EQ(store.StatusIdx, gsm::kNoNetwork);
    EXPECT_EQ(clock.Now(), start);

    modem.Answer("AT+CREG?", "\r\n+CREG: 0,2\r\n\r\nOK\r\n");
    modem.writes.clear();
    start = clock.Now();
    EXPECT_FALSE(session.WaitNetwork());
    EXPECT_EQ(store.StatusIdx, gsm::kNoNetwork);
    EXPECT_EQ(store.NetworkFound, 0);
    EXPECT_EQ(clock.Now() - start, 60000);
    EXPECT_EQ(modem.writes.size(), 61u);  // once a second
}

TEST_F(GsmSessionTest, EachWayACallFailsHasItsStatus) {
    struct Case {
        const char* answer;
        gsm::Status status;
    };
    const std::vector<Case> table = {
        {"\r\nBUSY\r\n", gsm::kLineBusy},           {"\r\nNO ANSWER\r\n", gsm::kNoAnswer},
        {"\r\nNO CARRIER\r\n", gsm::kNoCarrier},    {"\r\nNO DIALTONE\r\n", gsm::kNoNetwork},
        {"\r\n+CME ERROR: 3\r\n", gsm::kCallFailed}, {"", gsm::kNoAnswer},
    };
    gsmtest::AnswerAsHealthyModem(modem);
    ASSERT_TRUE(session.StartUp());
    ASSERT_TRUE(session.WaitNetwork());
    for (const Case& c : table) {
        modem.Answer("ATD", c.answer);
        modem.writes.clear();
        EXPECT_FALSE(session.Dial("+71234567890")) << c.answer;
        EXPECT_EQ(store.StatusIdx, c.status) << c.answer;
        EXPECT_EQ(store.BalanceEnable, 1) << c.answer;
        EXPECT_FALSE(dialogue.InDataMode());
    }
    // The unanswered call is ended by a character, then hung up, 70 s later.
    EXPECT_EQ(modem.Commands(), (Lines{"AT+CBST=7,0,1\r", "ATD+71234567890\r", "\r", "ATH\r"}));
    EXPECT_EQ(modem.writes[2].first - modem.writes[1].first, 70000);
}

TEST_F(GsmSessionTest, UnsafeNumbersAndRequestsNeverReachTheModem) {
    gsmtest::AnswerAsHealthyModem(modem);
    ASSERT_TRUE(session.StartUp());
    ASSERT_TRUE(session.WaitNetwork());
    modem.writes.clear();
    EXPECT_FALSE(session.Dial("+7123;H"));
    EXPECT_EQ(store.StatusIdx, gsm::kNoNumber);
    EXPECT_FALSE(session.Dial(""));
    EXPECT_EQ(session.Balance("*1\"#").Outcome, gsm::BalanceResult::BadRequest);
    EXPECT_TRUE(modem.writes.empty());
}

TEST_F(GsmSessionTest, HangingUpEscapesWithGuardTimesThenHangsUp) {
    gsmtest::AnswerAsHealthyModem(modem);
    modem.Answer("+++", "\r\nOK\r\n");
    ASSERT_TRUE(session.StartUp());
    ASSERT_TRUE(session.WaitNetwork());
    ASSERT_TRUE(session.Dial("+71234567890"));
    modem.writes.clear();
    session.HangUp();
    EXPECT_EQ(modem.Commands(), (Lines{"+++", "ATH\r"}));
    EXPECT_GE(modem.writes[0].first, 1100);
    EXPECT_EQ(store.StatusIdx, gsm::kCallEnded);
    EXPECT_EQ(store.BalanceEnable, 1);
}

TEST_F(GsmSessionTest, AModemThatStaysOnlineIsTriedTwiceThenReported) {
    gsmtest::AnswerAsHealthyModem(modem);
    modem.Answer("+++", "");
    ASSERT_TRUE(session.StartUp());
    ASSERT_TRUE(session.WaitNetwork());
    ASSERT_TRUE(session.Dial("+71234567890"));
    modem.writes.clear();
    session.HangUp();
    EXPECT_EQ(modem.Commands(), (Lines{"+++", "+++"}));
    EXPECT_EQ(store.StatusIdx, gsm::kCallFailed);
}

TEST_F(GsmSessionTest, SwitchingOffClearsEveryIndicatorButTheStatus) {
    gsmtest::AnswerAsHealthyModem(modem);
    ASSERT_TRUE(session.StartUp());
    ASSERT_TRUE(session.WaitNetwork());
    session.SwitchOff(true);
    EXPECT_EQ(modem.Commands().back(), "AT+CFUN=0\r");
    for (auto* flag : {&store.CSQ, &store.ModemOn, &store.NetworkFound, &store.CSQ_Gate1, &store.CSQ_Gate2,
                       &store.BalanceEnable})
        EXPECT_EQ(*flag, 0);
    EXPECT_FALSE(session.Up());
}

TEST_F(GsmSessionTest, ASignalReportGoesStaleAfterTenSeconds) {
    gsmtest::AnswerAsHealthyModem(modem);
    modem.Answer("AT+CSQ", "\r\n+CSQ: 99,99\r\n\r\nOK\r\n");
    ASSERT_TRUE(session.StartUp());
    ASSERT_TRUE(session.WaitNetwork());
    EXPECT_EQ(store.CSQ, 99);
    EXPECT_EQ(store.CSQ_Gate1, 0);  // no valid value
    EXPECT_EQ(store.CSQ_Gate2, 1);
    ASSERT_TRUE(dialogue.Pause(10000));
    session.AgeReport();
    EXPECT_EQ(store.CSQ_Gate2, 1);
    ASSERT_TRUE(dialogue.Pause(1));
    session.AgeReport();
    EXPECT_EQ(store.CSQ_Gate2, 0);
}

}  // namespace
