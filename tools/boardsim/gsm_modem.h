// The master GSM modem as the simulator plays it, with the slave modem and
// the board at the far end of its data calls. It speaks the AT commands the
// driver uses (verbose results, echo until "ATE0"): registration, signal,
// data calls ("ATD<number>" answered "CONNECT 9600", after which lines go to
// the board), the escape "+++" with its guard times, "ATH", "ATO", USSD and
// the SMS stores of the SIM card ("SM") and of the modem ("ME").
// Each channel is a modem freshly switched on.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "device.h"

namespace boardsim {

struct GsmModemConfig {
    int SignalQuality = 20;         // what "AT+CSQ" reports once registered
    unsigned SearchMs = 500;        // network search after switching on
    unsigned RingMs = 1000;         // from "ATD" to the slave modem's answer
    unsigned GuardMs = 1000;        // silence before and after "+++"
    unsigned UssdMs = 300;          // from the request to the network's answer
    std::string UssdCode = "*100#";
    std::string UssdText = "Баланс: 123.45 р.";  // sent in UCS2 (coding scheme 72)
    int SmsOnSim = 3;               // messages in each store at switch-on
    int SmsInModem = 2;

    // Faults to order.
    bool Mute = false;              // answers nothing at all
    bool NoNetwork = false;         // the search ends in denied registration
    bool LineBusy = false;          // "ATD" ends in "BUSY"
    bool NoAnswer = false;          // "ATD" ends in "NO ANSWER"
    bool DropCall = false;          // the call ends in the middle of the board's first answer
    bool RefuseBulkDelete = false;  // "AT+CMGD=<i>,<flag>" answers "+CMS ERROR: 303"
};

class GsmModem final : public Device {
public:
    GsmModem(DevicePort& port, GsmModemConfig config, Instant now);

    void Receive(const std::string& bytes, Instant now) override;
    Instant NextDue() const override;
    void Tick(Instant now) override;

private:
    enum class Mode { Command, Dialling, Online, OnlineCommand };

    void ReceiveCommandByte(char c, Instant now);
    void ReceiveData(const std::string& bytes, Instant now);
    void DataByte(char c);
    void Execute(const std::string& line, Instant now);
    std::string Answer(const std::string& command, Instant now);  // the lines before the result
    std::string AnswerSms(const std::string& command);
    int Registration(Instant now) const;
    void EndCall(const std::string& result);
    void Result(const std::string& command, const std::string& lines, const std::string& code);

    DevicePort& port_;
    GsmModemConfig config_;
    Mode mode_ = Mode::Command;
    bool echo_ = true;
    bool switchedOn_ = true;
    Instant searchEnds_;
    std::string line_;           // command line being received
    std::string boardLine_;      // board command being received during the call
    bool dropped_ = false;       // the DropCall fault has struck

    Instant lastData_{};         // when the last byte arrived during the call
    int pluses_ = 0;             // "+" received after a guard time, held back
    std::optional<Instant> escapeAt_;
    std::optional<Instant> dialDoneAt_;
    std::optional<Instant> ussdAt_;
    std::string ussdAnswer_;

    std::map<std::string, std::vector<int>> stores_;  // store name -> message indexes
    std::string store_ = "SM";
};

// UTF-8 text as hexadecimal UTF-16 (big-endian, four digits a unit), the
// form of a UCS2 USSD answer.
std::string Ucs2Hex(const std::string& utf8);

}  // namespace boardsim
