// The dispatch, the reply buffer and the waits of zorvel/board/link.h, over
// the recording fake transports and the virtual clock.
#include "zorvel/board/link.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fake_transports.h"
#include "ravlo/ravlo.h"
#include "transports/COM.h"
#include "transports/FTD.h"
#include "transports/GSM.h"
#include "transports/RFM.h"

namespace {

using board::Acknowledge;
using fakes::Kind;
using Calls = std::vector<std::string>;

int windowTag;  // stands for the main window's handle
void* const kWindow = &windowTag;

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakes::Reset();
        board::GSM.ModemOn = 0;
        board::COM.RecvC = 0;
        board::FTD.RecvC = 0;
        board::TCP.RecvC = 0;
        board::WireTransports(kWindow);
        board::ClearReply();
        fakes::ClearCalls();
    }
    void TearDown() override { board::Interface = 0; }

    fakes::VirtualClock clock;
};

TEST_F(LinkTest, TransportsAreConstructedInOrderWithTheirSettingsFiles) {
    EXPECT_EQ(fakes::ConstructionOrder(), (Calls{"COM.ctor(COM.ini)", "FTD.ctor(FTD.ini)", "TCP.ctor(TCP.ini)",
                                                 "GSM.ctor(GSM.ini)", "RFM.ctor(RFM.ini)"}));
}

TEST_F(LinkTest, WiringHandsTheWindowAndCallbacksToEveryTransport) {
    EXPECT_EQ(board::COM.hWnd, kWindow);
    EXPECT_EQ(board::FTD.hWnd, kWindow);
    EXPECT_EQ(static_cast<void*>(board::TCP.hWnd), kWindow);
    EXPECT_EQ(board::GSM.hWnd, kWindow);
    EXPECT_EQ(board::RFM.hWnd, kWindow);

    EXPECT_EQ(board::COM.pRecvCallback, &board::ReceiveData);
    EXPECT_EQ(board::FTD.pRecvCallback, &board::ReceiveUSB);
    EXPECT_EQ(board::TCP.pRecvCallback, &board::ReceiveData);
    EXPECT_EQ(board::RFM.pRecvCallback, &board::ReceiveData);
    EXPECT_EQ(board::GSM.pFTD, &board::FTD);
    EXPECT_EQ(board::RFM.pFTD_hDevice, &board::FTD.hDevice);
    EXPECT_EQ(board::RFM.pFTD_Open, &board::FtdOpen);
    EXPECT_EQ(board::RFM.pFTD_Close, &board::FtdClose);
    EXPECT_EQ(board::RFM.pFTD_SendEx, &board::FtdSendEx);
    EXPECT_EQ(board::RFM.pFTD_GetBitMode, &board::FtdGetBitMode);
    EXPECT_EQ(board::RFM.pFTD_SetBitMode, &board::FtdSetBitMode);

    fakes::ClearCalls();
    board::WireTransports(kWindow);
    EXPECT_EQ(fakes::Calls(), Calls{"FTD.RegisterDeviceNotificationToHWND()"});
}

TEST_F(LinkTest, ForwardersActOnTheUsbAdapterAndPassItsResultsBack) {
    fakes::CurrentAnswers().ftdOpen = false;
    fakes::CurrentAnswers().bitMode = 0x5A;
    fakes::CurrentAnswers().bitModeResult = false;
    char data[] = "AT\r";
    unsigned char mode = 0;

    EXPECT_FALSE(board::RFM.pFTD_Open(false));
    board::RFM.pFTD_Close();
    EXPECT_TRUE(board::RFM.pFTD_SendEx(data, 3));
    EXPECT_FALSE(board::RFM.pFTD_GetBitMode(&mode));
    EXPECT_FALSE(board::RFM.pFTD_SetBitMode(0xF0, 0x20));

    EXPECT_EQ(mode, 0x5A);
    EXPECT_EQ(fakes::Calls(), (Calls{"FTD.Open(0,1)", "FTD.Close()", "FTD.SendEx(AT\r)", "FTD.GetBitMode()",
                                     "FTD.SetBitMode(240,32)"}));
}

struct DispatchRow {
    int index;
    bool modemOn;
    Calls open;
    Calls close;
    Calls send;
};

TEST_F(LinkTest, OpenCloseAndSendGoToTheSelectedTransport) {
    const DispatchRow rows[] = {
        {0, false, {"COM.Open(1,0)"}, {"COM.Close()"}, {"COM.SendEx(read status\r)"}},
        {1, false, {"FTD.Open(1,0)"}, {"FTD.Close()"}, {"FTD.SendEx(read status\r)"}},
        {2, false, {"TCP.Open(1,0)"}, {"TCP.Close()"}, {"TCP.Send(read status\r)"}},
        {3, false, {"GSM.Open(1)", "GSM.PowerOn(1)"}, {"GSM.Close()"}, {"GSM.CSD_Send(read status\r)"}},
        {3, true, {"GSM.Open(1)", "GSM.PowerOn(1)"}, {"GSM.CSD_Close()", "GSM.PowerOff(1)", "GSM.Close()"},
         {"GSM.CSD_Send(read status\r)"}},
        // The radio is always opened the same way, whatever the caller asks.
        {4, false, {"RFM.Open(1,0,1)"}, {"RFM.Close()"}, {"RFM.Send(read status\r)"}},
        {5, false, {}, {}, {}},
        {-1, false, {}, {}, {}},
    };
    for (const DispatchRow& row : rows) {
        SCOPED_TRACE("Interface " + std::to_string(row.index) + (row.modemOn ? ", modem on" : ""));
        board::Interface = static_cast<std::int8_t>(row.index);
        board::GSM.ModemOn = row.modemOn;
        char command[] = "read status\r";

        fakes::ClearCalls();
        EXPECT_EQ(board::InterfaceOpen(true, false), !row.open.empty());
        EXPECT_EQ(fakes::Calls(), row.open);

        fakes::ClearCalls();
        board::InterfaceSend(command, 12);
        EXPECT_EQ(fakes::Calls(), row.send);

        fakes::ClearCalls();
        board::InterfaceClose();
        EXPECT_EQ(fakes::Calls(), row.close);
    }
}

TEST_F(LinkTest, OpenAnswersWhatTheTransportAnswers) {
    fakes::CurrentAnswers() = fakes::Answers{false, false, false, true, false, false, true, true, 0, {}, {}};
    for (int index = 0; index <= 4; ++index) {
        board::Interface = static_cast<std::int8_t>(index);
        EXPECT_FALSE(board::InterfaceOpen(true, true)) << "Interface " << index;
    }
    // The GSM modem: only PowerOn's result counts.
    board::Interface = 3;
    fakes::CurrentAnswers() = fakes::Answers{true, true, true, false, true, true, true, true, 0, {}, {}};
    EXPECT_TRUE(board::InterfaceOpen(true, true));
}

struct ReceiveRow {
    int index;
    Kind path;
    bool modemOn;
    bool reachesReply;
    Calls calls;
};

TEST_F(LinkTest, ReceivedBlocksReachTheReplyBufferAndResetTheDeliverersCount) {
    const ReceiveRow rows[] = {
        {0, Kind::COM, false, true, {}},
        {1, Kind::FTD, false, true, {}},
        {2, Kind::TCP, false, true, {}},
        {3, Kind::GSM, false, true, {}},
        {3, Kind::GSM, true, true, {"GSM.Recv(Ok\r)"}},
        // Whatever the index, the running modem sees the block first.
        {0, Kind::COM, true, true, {"GSM.Recv(Ok\r)"}},
        // The radio decodes the adapter's bytes itself; only its own delivery counts.
        {4, Kind::FTD, false, false, {"RFM.Recv(Ok\r)"}},
        {4, Kind::RFM, false, true, {}},
        {5, Kind::COM, false, true, {}},
    };
    for (const ReceiveRow& row : rows) {
        SCOPED_TRACE("Interface " + std::to_string(row.index) + " path " + std::to_string(int(row.path)));
        board::Interface = static_cast<std::int8_t>(row.index);
        board::GSM.ModemOn = row.modemOn;
        board::ClearReply();
        board::COM.RecvC = 100;
        board::FTD.RecvC = 100;
        board::TCP.RecvC = 100;
        fakes::ClearCalls();

        fakes::Deliver(row.path, "Ok\r");

        EXPECT_EQ(board::ReplyText(), row.reachesReply ? "Ok\r" : "");
        EXPECT_EQ(fakes::Calls(), row.calls);
        // Only the delivering component's count is reset; the GSM modem's bytes
        // are counted by the USB adapter.
        const bool comDelivered = row.index == 0, ftdDelivered = row.index == 1 || row.index == 3,
                   tcpDelivered = row.index == 2;
        const std::uint32_t added = 3;
        EXPECT_EQ(board::COM.RecvC, comDelivered ? 0u : 100u + (row.path == Kind::COM ? added : 0));
        EXPECT_EQ(board::FTD.RecvC,
                  ftdDelivered ? 0u : 100u + (row.path == Kind::FTD || row.path == Kind::GSM ? added : 0));
        EXPECT_EQ(board::TCP.RecvC, tcpDelivered ? 0u : 100u + (row.path == Kind::TCP ? added : 0));
    }
}

TEST_F(LinkTest, EveryCommandStartsWithAnEmptyBuffer) {
    board::Interface = 0;
    fakes::Deliver(Kind::COM, "Ok\r");
    ASSERT_EQ(board::WaitAcknowledge(50), Acknowledge::Acknowledged);

    board::SendCommand("write mode=2\r");

    EXPECT_EQ(board::ReplyLength(), 0u);
    EXPECT_EQ(board::ReplyBufferCopy(), std::string(board::ReplyCapacity, '\0'));
    EXPECT_EQ(board::WaitAcknowledge(500), Acknowledge::NothingYet);
    EXPECT_EQ(fakes::Calls(), Calls{"COM.SendEx(write mode=2\r)"});
}

TEST_F(LinkTest, AcknowledgementLaterThanTheLimitIsNotSeen) {
    board::Interface = 0;
    fakes::AddReply({Kind::COM, "write mode=", "Ok\r", 700});

    board::SendCommand("write mode=3\r");
    EXPECT_EQ(board::WaitAcknowledge(500), Acknowledge::NothingYet);
    EXPECT_EQ(clock.Now(), 500u);
    EXPECT_EQ(clock.AlertableSleeps(), 10u);

    // The answer is still on its way and arrives in the next wait.
    EXPECT_EQ(board::WaitAcknowledge(3000), Acknowledge::Acknowledged);
    EXPECT_EQ(clock.Now(), 700u);
}

TEST_F(LinkTest, WaitAcknowledgeEndsAtTheFirstRoundThatSeesAnAnswer) {
    struct Row {
        std::string reply;
        unsigned delayMs;
        Acknowledge expected;
        std::uint64_t endsAt;
    };
    const Row rows[] = {
        {"Ok\r", 0, Acknowledge::Acknowledged, 50},
        {"Ok\r", 120, Acknowledge::Acknowledged, 150},
        {"error\r", 600, Acknowledge::Rejected, 600},
        {"Ok\rerror\r", 200, Acknowledge::Rejected, 200},  // a rejection wins
        {"O", 0, Acknowledge::NothingYet, 3000},
    };
    board::Interface = 2;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reply);
        fakes::Reset();
        fakes::VirtualClock rowClock;
        fakes::AddReply({Kind::TCP, "", row.reply, row.delayMs});
        board::SendCommand("write interval=5\r");
        EXPECT_EQ(board::WaitAcknowledge(3000), row.expected);
        EXPECT_EQ(rowClock.Now(), row.endsAt);
        EXPECT_EQ(rowClock.MessageRounds(), row.endsAt / 50);
    }
}

TEST_F(LinkTest, TheWaitsSleepInTheirRoundsAndHandleMessagesAfterEach) {
    std::vector<std::string> order;
    clock.onMessages = [&] { order.push_back("messages@" + std::to_string(clock.Now())); };

    board::WaitReply();
    EXPECT_EQ(clock.AlertableSleeps(), 10u);
    EXPECT_EQ(clock.SleptMs(), 2000u);
    EXPECT_EQ(clock.MessageRounds(), 10u);
    EXPECT_EQ(order.front(), "messages@200");
    EXPECT_EQ(order.back(), "messages@2000");

    board::SettlePause();
    EXPECT_EQ(clock.PlainSleeps(), 108u);
    EXPECT_EQ(clock.SleptMs(), 2000u + 108 * 56);
    EXPECT_EQ(clock.MessageRounds(), 118u);

    board::WaitAcknowledge(3000);
    EXPECT_EQ(clock.AlertableSleeps(), 70u);
    EXPECT_EQ(clock.Now(), 2000u + 6048 + 3000);
}

// A close handled during a wait (a window message) ends every wait at the end
// of its round; the next exchange clears it.
TEST_F(LinkTest, AnAbortEndsEveryWaitAtTheEndOfItsRound) {
    struct Row {
        const char* wait;
        std::function<void()> run;
        std::uint64_t abortAtMs, endsAtMs;
    } rows[] = {
        {"WaitReply", [] { board::WaitReply(); }, 500, 600},
        {"WaitAcknowledge", [] { EXPECT_EQ(board::WaitAcknowledge(3000), Acknowledge::NothingYet); }, 120, 150},
        {"SettlePause", [] { board::SettlePause(); }, 100, 112},
        {"WaitReplyUntil", [] { EXPECT_FALSE(board::WaitReplyUntil([](const std::string&) { return false; }, 5000)); }, 7, 10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.wait);
        board::ClearAbort();
        const std::uint64_t start = clock.Now();
        clock.onMessages = [&] {
            if (clock.Now() - start >= row.abortAtMs) board::AbortExchange();
        };
        row.run();
        EXPECT_EQ(clock.Now() - start, row.endsAtMs);
        EXPECT_TRUE(board::ExchangeAborted());
    }
    clock.onMessages = nullptr;
    board::ClearAbort();
    const std::uint64_t start = clock.Now();
    board::WaitReply();
    EXPECT_EQ(clock.Now() - start, 2000u);
}

// A close handled while a transport still opens ends that open; one handled
// during a wait leaves the transport to the sequence's own close.
TEST_F(LinkTest, AnAbortDuringTheOpenClosesATcpConnectOrAGsmCallSetUp) {
    struct Row {
        std::int8_t selected;
        Calls calls;
    } rows[] = {
        {2, {"TCP.Open(1,1)", "TCP.Close()"}},
        {3, {"GSM.Open(1)", "GSM.PowerOn(1)", "GSM.Close()"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(int(row.selected));
        board::Interface = row.selected;
        board::ClearAbort();
        fakes::ClearCalls();
        fakes::WhileOpening([] { board::AbortExchange(); });
        board::InterfaceOpen(true, true);
        EXPECT_EQ(fakes::Calls(), row.calls);
        EXPECT_TRUE(board::ExchangeAborted());
    }
    fakes::WhileOpening(nullptr);
    board::Interface = 2;
    fakes::ClearCalls();
    board::AbortExchange();  // not opening: the waits see it
    EXPECT_EQ(fakes::Calls(), Calls{});
    board::ClearAbort();
}

TEST_F(LinkTest, WaitReplyTakesItsTwoSecondsEvenWhenTheAnswerIsEarly) {
    board::Interface = 0;
    fakes::AddReply({Kind::COM, "read status\r", "Type=10.1\r\n", 30});
    board::SendCommand("read status\r");
    board::WaitReply();
    EXPECT_EQ(clock.Now(), 2000u);
    EXPECT_EQ(board::ReplyText(), "Type=10.1\r\n");
}

TEST_F(LinkTest, WaitReplyUntilEndsWhenTheReplyIsComplete) {
    board::Interface = 2;
    fakes::AddReply({Kind::TCP, "read status\r", "abcdef", 40, 2, 10});
    auto complete = [](const std::string& text) { return text == "abcdef"; };

    board::SendCommand("read status\r");
    EXPECT_TRUE(board::WaitReplyUntil(complete, 2000));
    EXPECT_EQ(clock.Now(), 60u);

    board::SendCommand("write mode=1\r");
    EXPECT_FALSE(board::WaitReplyUntil(complete, 2000));
    EXPECT_GE(clock.Now(), 60u + 2000);
    EXPECT_LT(clock.Now(), 60u + 2010);
}

TEST_F(LinkTest, BytesBeyondTheBufferAreDroppedAndItsEndStaysZero) {
    std::string big(5000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('A' + i % 26);
    const std::string kept = big.substr(0, board::ReplyCapacity - 1);

    for (std::size_t blockSize : {std::size_t(0), std::size_t(1), std::size_t(1000)}) {
        SCOPED_TRACE("block size " + std::to_string(blockSize));
        board::ClearReply();
        fakes::Reset();
        board::Interface = 0;
        fakes::AddReply({Kind::COM, "", big, 0, blockSize});
        board::SendCommand("read status\r");
        board::WaitReply();

        EXPECT_EQ(board::ReplyLength(), board::ReplyCapacity - 1);
        const std::string buffer = board::ReplyBufferCopy();
        EXPECT_EQ(buffer.substr(0, kept.size()), kept);
        EXPECT_EQ(buffer.back(), '\0');
    }
    board::ClearReply();
    EXPECT_EQ(board::ReplyBufferCopy(), std::string(board::ReplyCapacity, '\0'));
}

TEST_F(LinkTest, BlocksWithNulBytesAreKeptWhole) {
    board::Interface = 0;
    fakes::Deliver(Kind::COM, std::string("a\0b", 3));
    fakes::Deliver(Kind::COM, std::string("\0c", 2));
    EXPECT_EQ(board::ReplyText(), std::string("a\0b\0c", 5));
    const std::string buffer = board::ReplyBufferCopy();
    EXPECT_EQ(buffer.substr(5), std::string(board::ReplyCapacity - 5, '\0'));
}

TEST_F(LinkTest, RepliesFromAThreadOfTheirOwnArriveWhole) {
    board::Interface = 2;
    fakes::Reply reply{Kind::TCP, "read status\r", std::string(300, 'x'), 100, 7, 1};
    reply.fromThread = true;
    fakes::AddReply(reply);
    board::SendCommand("read status\r");
    board::WaitReply();
    EXPECT_EQ(board::ReplyText(), std::string(300, 'x'));
}

// A transport's reading thread appends while the window thread clears and
// searches: every search sees whole blocks only, and the buffer's tail stays
// zero. Run under ThreadSanitizer, this also proves the one lock covers it.
TEST_F(LinkTest, AReaderThreadAppendsWhileTheWindowThreadClearsAndSearches) {
    board::Interface = 0;
    constexpr int kRounds = 20000;
    std::thread reader([] {
        char block[] = "Ok\r";
        for (int i = 0; i < kRounds; ++i) board::COM.pRecvCallback(block, 3);
    });
    int clears = 0, partial = 0;
    for (int i = 0; i < kRounds; ++i) {
        if (i % 10 == 0) {
            board::ClearReply();
            ++clears;
        }
        const std::string text = board::ReplyText();
        if (text.size() % 3 != 0 || (text.size() && text.compare(text.size() - 3, 3, "Ok\r") != 0)) ++partial;
        board::CheckAcknowledge(text);
        board::ReplyLength();
    }
    reader.join();
    EXPECT_EQ(partial, 0);
    EXPECT_GT(clears, 0);
    const std::string buffer = board::ReplyBufferCopy();
    EXPECT_EQ(buffer.find_first_not_of('\0', board::ReplyLength()), std::string::npos);
}

}  // namespace

namespace {

// The settings dialog may change the interface while a transport still
// delivers on a thread of its own; under ThreadSanitizer a plain byte shared
// that way is a reported race.
TEST_F(LinkTest, TheInterfaceChangesWhileTransportThreadsDeliver) {
    constexpr int kRounds = 5000;
    std::atomic<bool> done{false};
    std::thread usb([&] {
        char block[] = "x";
        while (!done.load()) {
            board::FTD.pRecvCallback(block, 1);
            board::COM.pRecvCallback(block, 1);
        }
    });
    for (int i = 0; i < kRounds; ++i) {
        board::Interface = static_cast<std::int8_t>(i % 5);
        board::ClearReply();
    }
    done = true;
    usb.join();
    board::Interface = 0;
    EXPECT_LE(board::ReplyLength(), board::ReplyCapacity);
}

}  // namespace
