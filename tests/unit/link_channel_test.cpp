// A board's own channel: while one is bound to a thread, the dispatch, the
// reply buffer and the waits on that thread use it and leave the program's
// transports alone; waits on arrival wake when the bytes come, from any thread.
#include "zorvel/board/link.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "fake_transports.h"

namespace {

// A channel whose transport answers every command at once, on a thread of its
// own, the way a reading thread delivers.
class EchoChannel final : public board::BoardChannel {
public:
    EchoChannel(std::int8_t index, board::TrafficTap tap) : BoardChannel(index, std::move(tap)) {}
    ~EchoChannel() override { Join(); }
    bool Open(bool, bool) override { return opened = true; }
    void Close() override { opened = false; }
    bool opened = false;
    std::vector<std::string> sent;

protected:
    void SendBytes(char* data, int length) override {
        sent.emplace_back(data, static_cast<std::size_t>(length));
        Join();
        deliverer_ = std::thread([this] { Receive("Ok\r", 3); });
    }

private:
    void Join() {
        if (deliverer_.joinable()) deliverer_.join();
    }
    std::thread deliverer_;
};

TEST(LinkChannelTest, ABoundChannelTakesTheDispatchAndKeepsItsOwnReply) {
    fakes::Reset();
    board::Interface = 0;
    board::ClearReply();
    std::vector<std::string> traffic;
    EchoChannel channel(2, [&](board::Direction direction, const char* data, int count) {
        traffic.push_back((direction == board::Direction::Sent ? "> " : "< ") + std::string(data, count));
    });
    {
        board::ChannelBinding bind(channel);
        EXPECT_EQ(board::CurrentInterface(), 2);
        EXPECT_TRUE(board::InterfaceOpen(true, true));
        EXPECT_TRUE(channel.opened);
        board::SendCommand("write mode=3\r");
        EXPECT_EQ(board::WaitAcknowledgeOnArrival(2000), board::Acknowledge::Acknowledged);
        EXPECT_EQ(board::ReplyText(), "Ok\r");
        board::SetBusy(true);
        board::InterfaceClose();
        EXPECT_FALSE(channel.opened);
    }
    EXPECT_EQ(channel.sent, (std::vector<std::string>{"write mode=3\r"}));
    EXPECT_EQ(traffic, (std::vector<std::string>{"> write mode=3\r", "< Ok\r"}));
    // The program's side saw none of it.
    EXPECT_FALSE(board::Busy);
    EXPECT_EQ(board::CurrentInterface(), 0);
    EXPECT_EQ(board::ReplyLength(), 0u);
    EXPECT_TRUE(fakes::Calls().empty());
}

TEST(LinkChannelTest, AWaitOnArrivalEndsWithTheBytesOrAtItsLimit) {
    board::ReplyBuffer reply;
    std::thread sender([&] {
        reply.Append("Soft:10", 7);
        reply.Append(".1\r", 3);
    });
    EXPECT_TRUE(reply.WaitFor([](const std::string& text) { return text == "Soft:10.1\r"; }, 60000));
    sender.join();
    EXPECT_FALSE(reply.WaitFor([](const std::string& text) { return text.empty(); }, 1));
    reply.Clear();
    EXPECT_EQ(reply.Check(), board::Acknowledge::NothingYet);
}

TEST(LinkChannelTest, TheProgramsTapSeesWhatTheDispatchSendsAndReceives) {
    fakes::Reset();
    board::Interface = 0;
    std::vector<std::string> traffic;
    board::SetTrafficTap([&](board::Direction direction, const char* data, int count) {
        traffic.push_back((direction == board::Direction::Sent ? "> " : "< ") + std::string(data, count));
    });
    board::SendCommand("read status\r");
    char reply[] = "Soft:10.1\r";
    board::ReceiveData(reply, 10);
    board::SetTrafficTap({});
    board::ReceiveData(reply, 10);
    EXPECT_EQ(traffic, (std::vector<std::string>{"> read status\r", "< Soft:10.1\r"}));
    board::ClearReply();
}

}  // namespace
