// Test support for the GSM modem driver: the virtual clock for its waits, the
// indicators as plain atomics, and a scripted modem that answers each command
// the moment it is written.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "transports/common/clock.h"
#include "transports/gsm/dialogue.h"
#include "transports/gsm/session.h"
#include "virtual_clock.h"

namespace gsmtest {

using gsm::Ms;

using VirtualClock = testclock::VirtualClock;

struct IndicatorStore {
    std::atomic<std::uint8_t> CSQ{0}, Busy{0}, ModemOn{1}, NetworkFound{0}, CSQ_Gate1{0}, CSQ_Gate2{0},
        BalanceEnable{0};
    std::atomic<std::int32_t> StatusIdx{0};
    gsm::Indicators Refs() {
        return {CSQ, Busy, ModemOn, NetworkFound, CSQ_Gate1, CSQ_Gate2, BalanceEnable, StatusIdx};
    }
};

// A modem that answers each line written to it at once, from a table of
// command prefixes (the longest matching prefix wins). Unknown commands get
// "\r\nERROR\r\n"; an answer of "" is silence. Records every write with its
// virtual time.
class ScriptedModem final : public gsm::ModemPort {
public:
    explicit ScriptedModem(transports::Clock& clock) : clock_(clock) {}
    void Attach(gsm::Dialogue& dialogue) { dialogue_ = &dialogue; }

    void Answer(const std::string& prefix, const std::string& bytes) { answers_[prefix] = bytes; }
    // Answers in several blocks (they are fed one after another).
    void AnswerInBlocks(const std::string& prefix, std::vector<std::string> blocks) { blocks_[prefix] = std::move(blocks); }

    bool Write(const char* data, int length) override {
        std::string bytes(data, static_cast<std::size_t>(length));
        writes.push_back({clock_.Now(), bytes});
        if (!dialogue_) return true;
        std::string line = bytes.substr(0, bytes.find('\r'));
        const std::vector<std::string>* reply = Match(line);
        if (!reply) Feed("\r\nERROR\r\n");
        else
            for (const std::string& block : *reply) Feed(block);
        return true;
    }

    std::vector<std::string> Commands() const {
        std::vector<std::string> lines;
        for (const auto& write : writes) lines.push_back(write.second);
        return lines;
    }

    std::vector<std::pair<Ms, std::string>> writes;
    std::string echoPrefix;  // sent before every answer (an echo, unsolicited lines)

private:
    void Feed(const std::string& bytes) {
        if (!bytes.empty()) dialogue_->Feed(bytes.data(), static_cast<int>(bytes.size()));
    }
    const std::vector<std::string>* Match(const std::string& line) {
        const std::vector<std::string>* best = nullptr;
        std::size_t bestLength = 0;
        for (auto& [prefix, bytes] : answers_) {
            if (line.compare(0, prefix.size(), prefix) == 0 && (!best || prefix.size() >= bestLength)) {
                scratch_ = {echoPrefix + bytes};
                best = &scratch_;
                bestLength = prefix.size();
            }
        }
        for (auto& [prefix, blocks] : blocks_) {
            if (line.compare(0, prefix.size(), prefix) == 0 && (!best || prefix.size() >= bestLength)) {
                best = &blocks;
                bestLength = prefix.size();
            }
        }
        return best;
    }

    transports::Clock& clock_;
    gsm::Dialogue* dialogue_ = nullptr;
    std::map<std::string, std::string> answers_;
    std::map<std::string, std::vector<std::string>> blocks_;
    std::vector<std::string> scratch_;
};

// The answers of a modem that is up, registered and willing to call.
inline void AnswerAsHealthyModem(ScriptedModem& modem) {
    const std::string ok = "\r\nOK\r\n";
    modem.Answer("AT", ok);
    modem.Answer("ATE0", ok);
    modem.Answer("AT+CMEE=1", ok);
    modem.Answer("AT+CFUN=", ok);
    modem.Answer("AT+CPIN?", "\r\n+CPIN: READY\r\n" + ok);
    modem.Answer("AT+CREG?", "\r\n+CREG: 0,1\r\n" + ok);
    modem.Answer("AT+CSQ", "\r\n+CSQ: 17,99\r\n" + ok);
    modem.Answer("AT+CBST=", ok);
    modem.Answer("ATD", "\r\nCONNECT 9600\r\n");
    modem.Answer("ATH", ok);
}

}  // namespace gsmtest
