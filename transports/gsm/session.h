// What the driver does with the modem, step by step: bring it up, find the
// network, call the slave modem, leave the call, switch it off, report the
// signal, ask the balance, clear the message stores. Each step is a bounded
// AT dialogue (dialogue.h) and keeps the indicators the program polls true.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "transports/gsm/dialogue.h"

namespace gsm {

// Entries of cGSM::StatusText; 0 shows nothing.
enum Status : std::int32_t {
    kNoStatus = 0,
    kStarting,    // the modem is being brought up
    kSearching,   // waiting for network registration
    kReady,       // registered, no call
    kCalling,     // dialling the slave modem
    kConnected,   // the data call stands
    kCallEnded,   // the call was ended by us
    kNoAnswer,    // the slave modem did not answer
    kLineBusy,    // the slave modem's line is busy
    kNoCarrier,   // the call failed or was lost: no carrier
    kNoModem,     // the modem does not answer AT commands
    kNoNetwork,   // no registration within the time allowed, or denied
    kCallFailed,  // the modem refused the call, or could not leave it
    kNoSim,       // the SIM card is missing or locked
    kNoNumber,    // no dialable slave modem number
    kNoAdapter,   // the USB adapter could not be opened
    kStatusCount
};
// The text of each status, UTF-8; "" for kNoStatus.
const char* StatusText(Status status);

// The members of cGSM the program polls, as the driver keeps them.
struct Indicators {
    std::atomic<std::uint8_t>& CSQ;
    std::atomic<std::uint8_t>& Busy;
    std::atomic<std::uint8_t>& ModemOn;
    std::atomic<std::uint8_t>& NetworkFound;
    std::atomic<std::uint8_t>& CSQ_Gate1;  // the last signal report was a valid value
    std::atomic<std::uint8_t>& CSQ_Gate2;  // ... and is fresh: taken in command mode, not stale
    std::atomic<std::uint8_t>& BalanceEnable;
    std::atomic<std::int32_t>& StatusIdx;
};

// Every bound of the dialogue, in milliseconds.
struct Timings {
    Ms Answer = 3000;            // an ordinary command's result code
    Ms Handshake = 1000;         // each "AT" while bringing the modem up
    int HandshakeTries = 5;
    Ms SwitchOn = 10000;         // "AT+CFUN=1" may take seconds
    Ms Registration = 60000;     // network search
    Ms RegistrationPoll = 1000;  // between two registration queries
    Ms Dial = 70000;             // the slave modem answers, or the network gives up
    Ms Guard = 1100;             // silence around "+++" (the modem's guard time is 1 s)
    Ms EscapeAnswer = 3000;      // after "+++"
    Ms Ussd = 20000;             // the network's answer to a USSD request
    Ms Delete = 30000;           // deleting or listing a whole message store
    Ms Poll = 3000;              // between two background reports of network and signal
    Ms Fresh = 10000;            // a signal report older than this is stale
};

struct BalanceResult {
    enum Kind { Answer, Refused, NoReply, NotReady, BadRequest } Outcome = NotReady;
    std::string Text;  // the network's decoded answer (Answer), or the modem's error line
};

struct SmsResult {
    bool Done = false;  // every message of every store the modem has was deleted
    int Deleted = -1;   // messages deleted one by one; -1 when the bulk form did it
};

class Session {
public:
    Session(Dialogue& dialogue, Indicators& indicators, const Timings& timings);

    // Handshake, echo off, numeric errors, full function, SIM ready.
    // kStarting, then kNoModem or kNoSim on failure.
    bool StartUp();
    // Queries the registration until the modem is registered (kReady, with
    // a first signal report) or the search is denied or takes too long
    // (kNoNetwork).
    bool WaitNetwork();
    bool Up() const { return up_; }
    bool Ready() const { return up_ && indicators_.NetworkFound != 0; }

    // A data call to `number`: kCalling, then kConnected (true) or the
    // failure's status.
    bool Dial(const std::string& number);
    // Ends a standing call: the guarded escape, then "ATH" (kCallEnded).
    // Nothing when no call stands.
    void HangUp();
    // "AT+CFUN=0" (not while a call stands); waits for its answer only when
    // asked. All indicators but StatusIdx go to 0.
    void SwitchOff(bool waitAnswer);
    // "AT+CFUN=1,1": the modem restarts and must be brought up again.
    bool Restart();

    // Background report of registration and signal, in command mode only.
    void Poll();
    // Marks the last signal report stale once it is older than Timings::Fresh.
    void AgeReport();
    // The modem reported the call's end by itself (any thread).
    void CarrierLost();

    BalanceResult Balance(const std::string& request);
    SmsResult DeleteAllSms();

    void SetStatus(Status status) { indicators_.StatusIdx = status; }

private:
    void PollSignal();
    void ReportSignal(int quality);
    void UpdateBalanceEnable();
    bool DeleteStore(SmsResult& result);

    Dialogue& dialogue_;
    Indicators& indicators_;
    const Timings& timings_;
    bool up_ = false;
    Ms reportedAt_ = 0;
};

}  // namespace gsm
