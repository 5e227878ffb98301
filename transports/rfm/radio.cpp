#include "transports/rfm/radio.h"

namespace rfm {

namespace {

constexpr char kNotWired[] = "Радиомодуль не подключен к USB адаптеру";
constexpr char kPinFailed[] = "Не удается переключить режим радиомодуля";
constexpr char kNoAnswer[] = "Радиомодуль не отвечает в режиме настройки";
constexpr char kRefused[] = "Радиомодуль не принял настройки";

}  // namespace

Radio::Radio(transports::Clock& clock, Timings timings) : clock_(clock), timings_(timings) {}

Radio::Outcome Radio::Open(const Adapter& adapter, const Settings& settings, bool showMessages, bool configureOnly,
                           bool deliver) {
    Close();
    Outcome outcome;
    if (!adapter.Complete()) {
        outcome.Problem = kNotWired;
        return outcome;
    }
    outcome.Problem = SettingsProblem(settings);
    if (!outcome.Problem.empty()) return outcome;
    if (!adapter.Open(showMessages)) return outcome;  // the adapter has said why

    adapter_ = adapter;
    deliver_ = deliver;
    outcome.Problem = Configure(settings);
    if (!outcome.Problem.empty() || configureOnly) {
        Close();
        outcome.Opened = outcome.Problem.empty();
        return outcome;
    }
    outcome.Opened = true;
    return outcome;
}

std::string Radio::Configure(const Settings& settings) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        answer_.clear();
    }
    state_ = State::Configuring;
    unsigned char pins = 0xFF;
    // The pin must read low before the module can be in configuration mode.
    if (!adapter_.SetBitMode(kConfigurationPins, kCbusBitBang) || !adapter_.GetBitMode(&pins) || (pins & 0x01))
        return kPinFailed;
    Pause(timings_.PinSettle);

    std::string frame = WriteSettingsFrame(settings);
    std::string problem = kNoAnswer;
    for (int attempt = 0; attempt < timings_.Tries; ++attempt) {
        std::unique_lock<std::mutex> lock(lock_);
        answer_.clear();
        lock.unlock();
        if (!adapter_.SendEx(frame.data(), static_cast<int>(frame.size()))) continue;
        lock.lock();
        const Ms deadline = clock_.Now() + timings_.Confirm;
        ModuleAnswer answer;
        while ((answer = ReadAnswer(answer_)).Outcome == ModuleAnswer::Incomplete && clock_.Now() < deadline)
            clock_.WaitUntil(lock, wake_, deadline);
        lock.unlock();
        if (answer.Outcome == ModuleAnswer::Confirmed && answer.Value == settings) {
            problem.clear();
            break;
        }
        // A refusal, or other settings in force, will not change by asking
        // again; silence or a garbled answer may.
        if (answer.Outcome == ModuleAnswer::Confirmed || answer.Outcome == ModuleAnswer::Refused) {
            problem = kRefused;
            break;
        }
    }
    if (!problem.empty()) return problem;

    if (!adapter_.SetBitMode(kTransparentPins, kCbusBitBang)) return kPinFailed;
    Pause(timings_.PinSettle);
    state_ = State::Transparent;
    return {};
}

void Radio::Pause(Ms ms) {
    std::unique_lock<std::mutex> lock(lock_);
    const Ms deadline = clock_.Now() + ms;
    while (clock_.Now() < deadline) clock_.WaitUntil(lock, wake_, deadline);
}

void Radio::Close() {
    state_ = State::Closed;
    if (!adapter_.Complete()) return;  // set only while the adapter is open
    adapter_.SetBitMode(0x00, 0x00);   // the line goes back to the module's pull-up
    adapter_.Close();
    adapter_ = Adapter{};
}

bool Radio::Send(char* data, int length) {
    if (state_ != State::Transparent || !data || length < 0) return false;
    return adapter_.SendEx(data, length);
}

void Radio::Recv(char* data, int count, tRecvCallback deliver) {
    if (!data || count <= 0) return;
    switch (state_.load()) {
        case State::Configuring: {
            {
                std::lock_guard<std::mutex> hold(lock_);
                if (answer_.size() < 1024) answer_.append(data, static_cast<std::size_t>(count));
            }
            wake_.notify_all();
            break;
        }
        case State::Transparent:
            if (deliver_ && deliver) deliver(data, count);
            break;
        case State::Closed:
            break;
    }
}

}  // namespace rfm
