// The radio module driver: its configuration frames byte by byte, and the
// opening sequence (control pin, frame, confirmation, back to transparent)
// over a recording adapter on a virtual clock, with every way it can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "transports/rfm/radio.h"
#include "transports/rfm/radio_frames.h"
#include "virtual_clock.h"

namespace {

using Calls = std::vector<std::string>;

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes += static_cast<char>(value);
    return bytes;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char hex[4];
    for (char c : bytes) {
        std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned char>(c));
        out += hex;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

rfm::Settings MakeSettings(std::int32_t freq, int air, int power, int uart, int parity, int wake) {
    rfm::Settings s;
    s.FreqKHz = freq;
    s.AirRate = static_cast<std::uint8_t>(air);
    s.Power = static_cast<std::uint8_t>(power);
    s.UartRate = static_cast<std::uint8_t>(uart);
    s.Parity = static_cast<std::uint8_t>(parity);
    s.WakeTime = static_cast<std::uint8_t>(wake);
    return s;
}

const rfm::Settings kDefaults = MakeSettings(435200, 3, 7, 3, 0, 5);  // channel 27

TEST(RadioFrames, WriteFramesCarryEverySetting) {
    struct Case {
        rfm::Settings settings;
        const char* frame;
    };
    const std::vector<Case> table = {
        {kDefaults, "A5 5A 01 08 06 A4 00 03 07 03 00 05 C5"},
        {MakeSettings(430000, 0, 0, 0, 0, 0), "A5 5A 01 08 06 8F B0 00 00 00 00 00 4E"},     // channel 1
        {MakeSettings(436800, 5, 1, 6, 2, 11), "A5 5A 01 08 06 AA 40 05 01 06 02 0B 12"},    // channel 35
    };
    for (const Case& c : table) EXPECT_EQ(Hex(rfm::WriteSettingsFrame(c.settings)), c.frame);
}

TEST(RadioFrames, OnlySettingsTheModuleTakesPass) {
    EXPECT_EQ(rfm::SettingsProblem(kDefaults), "");
    EXPECT_EQ(rfm::SettingsProblem(MakeSettings(436800, 5, 7, 6, 2, 11)), "");
    // The settings dialog stores 430000 - 200 when no channel is selected.
    EXPECT_EQ(rfm::SettingsProblem(MakeSettings(429800, 3, 7, 3, 0, 5)),
              "Недопустимая частота радиоканала: 429800 кГц");
    EXPECT_NE(rfm::SettingsProblem(MakeSettings(437000, 3, 7, 3, 0, 5)), "");
    EXPECT_NE(rfm::SettingsProblem(MakeSettings(430100, 3, 7, 3, 0, 5)), "");
    EXPECT_NE(rfm::SettingsProblem(MakeSettings(435200, 6, 7, 3, 0, 5)), "");
    EXPECT_NE(rfm::SettingsProblem(MakeSettings(435200, 3, 8, 3, 0, 5)), "");
    EXPECT_NE(rfm::SettingsProblem(MakeSettings(435200, 3, 7, 7, 0, 5)), "");
    EXPECT_NE(rfm::SettingsProblem(MakeSettings(435200, 3, 7, 3, 3, 5)), "");
    EXPECT_NE(rfm::SettingsProblem(MakeSettings(435200, 3, 7, 3, 0, 12)), "");
}

TEST(RadioFrames, AnswersAreFoundAfterNoiseAndChecked) {
    const std::string confirmed = Bytes({0xA5, 0x5A, 0x81, 0x08, 0x06, 0xA4, 0x00, 0x03, 0x07, 0x03, 0x00, 0x05, 0x45});
    rfm::ModuleAnswer answer = rfm::ReadAnswer(Bytes({0x00, 0xA5, 0x13}) + confirmed);
    EXPECT_EQ(answer.Outcome, rfm::ModuleAnswer::Confirmed);
    EXPECT_TRUE(answer.Value == kDefaults);

    EXPECT_EQ(rfm::ReadAnswer(confirmed.substr(0, 12)).Outcome, rfm::ModuleAnswer::Incomplete);
    EXPECT_EQ(rfm::ReadAnswer("").Outcome, rfm::ModuleAnswer::Incomplete);
    std::string corrupt = confirmed;
    corrupt[6] = 0x01;
    EXPECT_EQ(rfm::ReadAnswer(corrupt).Outcome, rfm::ModuleAnswer::Garbled);
    rfm::ModuleAnswer refused = rfm::ReadAnswer(Bytes({0xA5, 0x5A, 0xFF, 0x01, 0x03, 0x03}));
    EXPECT_EQ(refused.Outcome, rfm::ModuleAnswer::Refused);
    EXPECT_EQ(refused.Error, 3);
    EXPECT_EQ(rfm::ReadAnswer(Bytes({0xA5, 0x5A, 0x81, 0x40})).Outcome, rfm::ModuleAnswer::Garbled);  // no such length
}

// The program's forwarders, recording, with a module that answers each frame
// as the test says. Plain functions (the radio takes function pointers), so
// the state is the test's.
struct FakeAdapter {
    Calls calls;
    std::vector<testclock::Ms> callTimes;
    bool open = true, setBitMode = true, getBitMode = true;
    unsigned char pins = 0x20;  // what GetBitMode reads
    std::vector<std::string> answers;  // one per frame sent, "" for silence; the last repeats
    std::size_t framesSent = 0;
    rfm::Radio* radio = nullptr;
    testclock::VirtualClock* clock = nullptr;
    Calls delivered;
};
FakeAdapter* fake = nullptr;

void Record(const std::string& call) {
    fake->calls.push_back(call);
    fake->callTimes.push_back(fake->clock->Now());
}
bool FakeOpen(bool showMessages) {
    Record(std::string("Open(") + (showMessages ? "1" : "0") + ")");
    return fake->open;
}
void FakeClose() { Record("Close()"); }
bool FakeSendEx(char* data, int length) {
    std::string bytes(data, static_cast<std::size_t>(length));
    Record("SendEx(" + Hex(bytes) + ")");
    if (fake->answers.empty() || bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xA5) return true;
    std::string answer = fake->answers[std::min(fake->framesSent++, fake->answers.size() - 1)];
    if (!answer.empty()) fake->radio->Recv(answer.data(), static_cast<int>(answer.size()), nullptr);
    return true;
}
bool FakeGetBitMode(unsigned char* mode) {
    Record("GetBitMode()");
    *mode = fake->pins;
    return fake->getBitMode;
}
bool FakeSetBitMode(unsigned char mask, unsigned char mode) {
    char text[32];
    std::snprintf(text, sizeof text, "SetBitMode(%02X,%02X)", mask, mode);
    Record(text);
    return fake->setBitMode;
}
void Deliver(char* data, int count) { fake->delivered.emplace_back(data, static_cast<std::size_t>(count)); }

std::string ConfirmationOf(const rfm::Settings& s) {
    std::string frame = rfm::WriteSettingsFrame(s);
    frame[2] = static_cast<char>(0x81);
    frame[12] = static_cast<char>(frame[12] + 0x80);
    return frame;
}

class RadioTest : public ::testing::Test {
protected:
    RadioTest() : radio(clock) {
        fake = &state;
        state.radio = &radio;
        state.clock = &clock;
        adapter.Open = FakeOpen;
        adapter.Close = FakeClose;
        adapter.SendEx = FakeSendEx;
        adapter.GetBitMode = FakeGetBitMode;
        adapter.SetBitMode = FakeSetBitMode;
        state.answers = {ConfirmationOf(kDefaults)};
    }
    ~RadioTest() override {
        radio.Close();
        fake = nullptr;
    }
    rfm::Radio::Outcome Open(bool configureOnly = false) { return radio.Open(adapter, kDefaults, true, configureOnly, true); }

    testclock::VirtualClock clock;
    FakeAdapter state;
    rfm::Radio radio;
    rfm::Adapter adapter;
};

const std::string kFrame = "A5 5A 01 08 06 A4 00 03 07 03 00 05 C5";

TEST_F(RadioTest, OpeningConfiguresThroughThePinThenGoesTransparent) {
    rfm::Radio::Outcome outcome = Open();
    EXPECT_TRUE(outcome.Opened);
    EXPECT_EQ(outcome.Problem, "");
    EXPECT_EQ(state.calls, (Calls{"Open(1)", "SetBitMode(10,20)", "GetBitMode()", "SendEx(" + kFrame + ")",
                                  "SetBitMode(11,20)"}));
    // The module is given 50 ms to change mode before the frame.
    EXPECT_EQ(state.callTimes[3] - state.callTimes[2], 50);

    char command[] = "read status\r";
    EXPECT_TRUE(radio.Send(command, 12));
    EXPECT_EQ(state.calls.back(), "SendEx(72 65 61 64 20 73 74 61 74 75 73 0D)");
    char reply[] = "Ok\r";
    radio.Recv(reply, 3, Deliver);
    EXPECT_EQ(state.delivered, Calls{"Ok\r"});

    state.calls.clear();
    radio.Close();
    EXPECT_EQ(state.calls, (Calls{"SetBitMode(00,00)", "Close()"}));
    EXPECT_FALSE(radio.Send(command, 12));
    radio.Recv(reply, 3, Deliver);
    EXPECT_EQ(state.delivered.size(), 1u);
}

TEST_F(RadioTest, TheModulesConfigurationAnswerIsNeverDelivered) {
    // The confirmation arrives in pieces, during configuration only.
    const std::string confirmation = ConfirmationOf(kDefaults);
    state.answers = {confirmation.substr(0, 5)};
    std::string rest = confirmation.substr(5);
    clock.runDue = [&](testclock::Ms) {
        if (rest.empty() || state.framesSent != 1) return;
        radio.Recv(rest.data(), static_cast<int>(rest.size()), Deliver);
        rest.clear();
    };
    EXPECT_TRUE(Open().Opened);
    EXPECT_EQ(state.framesSent, 1u);
    EXPECT_TRUE(state.delivered.empty());
}

TEST_F(RadioTest, ConfigureOnlyClosesAgain) {
    EXPECT_TRUE(Open(true).Opened);
    EXPECT_EQ(state.calls.back(), "Close()");
    EXPECT_FALSE(radio.IsOpen());
}

TEST_F(RadioTest, EachFailureHasItsReasonAndLeavesTheAdapterClosed) {
    // A module that answers is not asked again; a silent one three times.
    struct Case {
        const char* name;
        void (*arrange)(FakeAdapter&);
        const char* problem;
        std::size_t frames;  // configuration frames sent
        Calls tail;          // the last calls
    };
    const std::vector<Case> table = {
        {"pin refused", [](FakeAdapter& a) { a.setBitMode = false; }, "Не удается переключить режим радиомодуля", 0,
         {"SetBitMode(00,00)", "Close()"}},
        {"pin reads high", [](FakeAdapter& a) { a.pins = 0x21; }, "Не удается переключить режим радиомодуля", 0,
         {"GetBitMode()", "SetBitMode(00,00)", "Close()"}},
        {"silent module", [](FakeAdapter& a) { a.answers = {""}; }, "Радиомодуль не отвечает в режиме настройки", 3,
         {"SendEx(" + kFrame + ")", "SetBitMode(00,00)", "Close()"}},
        {"refused", [](FakeAdapter& a) { a.answers = {Bytes({0xA5, 0x5A, 0xFF, 0x01, 0x03, 0x03})}; },
         "Радиомодуль не принял настройки", 1, {"SendEx(" + kFrame + ")", "SetBitMode(00,00)", "Close()"}},
        {"other settings", [](FakeAdapter& a) { a.answers = {ConfirmationOf(MakeSettings(433000, 3, 7, 3, 0, 5))}; },
         "Радиомодуль не принял настройки", 1, {"SendEx(" + kFrame + ")", "SetBitMode(00,00)", "Close()"}},
    };
    for (const Case& c : table) {
        state = FakeAdapter{};
        state.radio = &radio;
        state.clock = &clock;
        state.answers = {ConfirmationOf(kDefaults)};
        c.arrange(state);
        rfm::Radio::Outcome outcome = Open();
        EXPECT_FALSE(outcome.Opened) << c.name;
        EXPECT_EQ(outcome.Problem, c.problem) << c.name;
        EXPECT_EQ(std::count_if(state.calls.begin(), state.calls.end(),
                                [](const std::string& call) { return call.rfind("SendEx(", 0) == 0; }),
                  static_cast<long>(c.frames))
            << c.name;
        ASSERT_GE(state.calls.size(), c.tail.size()) << c.name;
        EXPECT_EQ(Calls(state.calls.end() - static_cast<long>(c.tail.size()), state.calls.end()), c.tail) << c.name;
        EXPECT_FALSE(radio.IsOpen()) << c.name;
    }
}

TEST_F(RadioTest, ASilentModuleGetsThreeFramesHalfASecondApart) {
    state.answers = {""};
    testclock::Ms start = clock.Now();
    EXPECT_FALSE(Open().Opened);
    std::vector<testclock::Ms> frames;
    for (std::size_t i = 0; i < state.calls.size(); ++i)
        if (state.calls[i] == "SendEx(" + kFrame + ")") frames.push_back(state.callTimes[i]);
    EXPECT_EQ(frames, (std::vector<testclock::Ms>{start + 50, start + 550, start + 1050}));
}

TEST_F(RadioTest, AGarbledConfirmationIsAskedAgain) {
    std::string garbled = ConfirmationOf(kDefaults);
    garbled[5] = 0x00;
    state.answers = {garbled, ConfirmationOf(kDefaults)};
    EXPECT_TRUE(Open().Opened);
    EXPECT_EQ(state.framesSent, 2u);
}

TEST_F(RadioTest, NothingTouchesTheAdapterWhenTheSettingsOrTheWiringAreWrong) {
    rfm::Radio::Outcome outcome = radio.Open(adapter, MakeSettings(429800, 3, 7, 3, 0, 5), true, false, true);
    EXPECT_EQ(outcome.Problem, "Недопустимая частота радиоканала: 429800 кГц");
    rfm::Adapter unwired = adapter;
    unwired.GetBitMode = nullptr;
    outcome = radio.Open(unwired, kDefaults, true, false, true);
    EXPECT_EQ(outcome.Problem, "Радиомодуль не подключен к USB адаптеру");
    EXPECT_TRUE(state.calls.empty());
}

TEST_F(RadioTest, AnAdapterThatFailsToOpenHasSaidWhyItself) {
    state.open = false;
    rfm::Radio::Outcome outcome = radio.Open(adapter, kDefaults, false, false, true);
    EXPECT_FALSE(outcome.Opened);
    EXPECT_EQ(outcome.Problem, "");
    EXPECT_EQ(state.calls, Calls{"Open(0)"});
}

}  // namespace
