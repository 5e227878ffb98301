// The radio module behind the USB adapter: configured on every opening, then
// transparent. The module's SET input hangs on the adapter's CBUS0 line,
// driven in CBUS bit-bang mode (0x20): mask 0x10 (CBUS0 an output, low) puts
// the module in configuration mode, mask 0x11 (high) back in transparent
// mode; bit mode 0 at closing lets the line go (the module's pull-up keeps it
// transparent). The frames are in radio_frames.h.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>

#include "transports/common/clock.h"
#include "transports/rfm/radio_frames.h"
#include "transports/transport.h"

namespace rfm {

using Ms = transports::Clock::Ms;

// The program's forwarders to its USB adapter.
struct Adapter {
    bool (*Open)(bool showMessages) = nullptr;
    void (*Close)() = nullptr;
    bool (*SendEx)(char* data, int length) = nullptr;
    bool (*GetBitMode)(unsigned char* mode) = nullptr;
    bool (*SetBitMode)(unsigned char mask, unsigned char mode) = nullptr;
    bool Complete() const { return Open && Close && SendEx && GetBitMode && SetBitMode; }
};

struct Timings {
    Ms PinSettle = 50;  // the module's time to change mode after its SET input changes
    Ms Confirm = 500;   // for the answer to a configuration frame
    int Tries = 3;      // configuration frames sent before giving up
};

constexpr unsigned char kCbusBitBang = 0x20;
constexpr unsigned char kConfigurationPins = 0x10;  // CBUS0 output, low
constexpr unsigned char kTransparentPins = 0x11;    // CBUS0 output, high

class Radio {
public:
    explicit Radio(transports::Clock& clock, Timings timings = {});

    struct Outcome {
        bool Opened = false;
        // Why not, in words for the operator (UTF-8); empty when the adapter
        // failed to open and has reported that itself.
        std::string Problem;
    };
    // Opens the adapter (showMessages passed on to it), configures the module
    // with `settings` and leaves it transparent, or closes it again when
    // configureOnly. deliver: hand the board's bytes on (see Recv). On
    // failure the adapter is closed again.
    Outcome Open(const Adapter& adapter, const Settings& settings, bool showMessages, bool configureOnly,
                 bool deliver);
    void Close();
    bool Send(char* data, int length);
    // Any thread: a block the adapter received. During configuration it is
    // the module's answer; in transparent mode it is the board's, handed to
    // `deliver` when the opening asked for delivery.
    void Recv(char* data, int count, tRecvCallback deliver);
    bool IsOpen() const { return state_ != State::Closed; }

private:
    enum class State { Closed, Configuring, Transparent };
    std::string Configure(const Settings& settings);
    void Pause(Ms ms);

    transports::Clock& clock_;
    Timings timings_;
    Adapter adapter_;
    std::atomic<State> state_{State::Closed};
    std::atomic<bool> deliver_{false};
    std::mutex lock_;
    std::condition_variable wake_;
    std::string answer_;  // what the module sent during configuration
};

}  // namespace rfm
