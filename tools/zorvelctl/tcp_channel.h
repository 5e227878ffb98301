// A board reached over TCP through a cRavlo object of its own, so that many
// boards can be worked on at once, each on its worker thread, without the
// program's one TCP object and one reply buffer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "zorvel/board/link.h"

class cRavlo;

namespace zorvelctl {

class TcpChannel final : public board::BoardChannel {
public:
    // host: a dotted address or a name of at most 15 characters. Throws
    // std::runtime_error when more channels live at once than there are
    // receive slots (kMaxChannels).
    TcpChannel(const std::string& host, std::uint16_t port, board::TrafficTap tap);
    ~TcpChannel() override;

    bool Open(bool showMessages, bool startReader) override;
    void Close() override;

    static constexpr int kMaxChannels = 250;  // the TCP library keeps at most 255 objects

protected:
    void SendBytes(char* data, int length) override;

private:
    int slot_;
    std::unique_ptr<cRavlo> ravlo_;
};

}  // namespace zorvelctl
