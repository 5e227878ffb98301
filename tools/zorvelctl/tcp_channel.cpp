#include "tcp_channel.h"

#include <array>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <utility>

#include "ravlo/ravlo.h"

namespace zorvelctl {

namespace {

// The library's receive callback is a plain function without a context, so
// each live channel takes one of a fixed set of functions, each of which
// forwards to the channel in its slot.
std::array<std::atomic<TcpChannel*>, TcpChannel::kMaxChannels> g_slots{};

template <std::size_t Slot>
void DeliverTo(char* data, int count) {
    if (TcpChannel* channel = g_slots[Slot].load()) channel->Receive(data, count);
}

template <std::size_t... Slots>
constexpr std::array<RavloRecvCallback, sizeof...(Slots)> MakeCallbacks(std::index_sequence<Slots...>) {
    return {&DeliverTo<Slots>...};
}

constexpr auto kCallbacks = MakeCallbacks(std::make_index_sequence<TcpChannel::kMaxChannels>{});

// The library registers its objects in one static table and sets its static
// directory on every construction: objects are made and destroyed one at a time.
std::mutex g_lifetimeLock;

int TakeSlot(TcpChannel* channel) {
    for (std::size_t i = 0; i < g_slots.size(); ++i) {
        TcpChannel* expected = nullptr;
        if (g_slots[i].compare_exchange_strong(expected, channel)) return static_cast<int>(i);
    }
    throw std::runtime_error("more than " + std::to_string(TcpChannel::kMaxChannels) + " TCP boards at once");
}

}  // namespace

TcpChannel::TcpChannel(const std::string& host, std::uint16_t port, board::TrafficTap tap)
    : BoardChannel(board::kInterfaceTcp, std::move(tap)), slot_(TakeSlot(this)) {
    {
        std::lock_guard<std::mutex> hold(g_lifetimeLock);
        ravlo_ = std::make_unique<cRavlo>("");  // no settings file: the program's TCP.ini stays as it is
    }
    std::snprintf(ravlo_->IPv4, sizeof ravlo_->IPv4, "%s", host.c_str());
    ravlo_->Port = port;
    ravlo_->pRecvCallback = kCallbacks[static_cast<std::size_t>(slot_)];
}

TcpChannel::~TcpChannel() {
    ravlo_->Close();  // the reading thread has ended: nothing arrives through the slot any more
    g_slots[static_cast<std::size_t>(slot_)] = nullptr;
    std::lock_guard<std::mutex> hold(g_lifetimeLock);
    ravlo_.reset();
}

bool TcpChannel::Open(bool showMessages, bool startReader) { return ravlo_->Open(showMessages, startReader); }

void TcpChannel::Close() { ravlo_->Close(); }

void TcpChannel::SendBytes(char* data, int length) { ravlo_->Send(data, static_cast<unsigned long>(length)); }

}  // namespace zorvelctl
