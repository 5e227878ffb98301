// cGSM: the GSM modem transport (interface 3), library GSM. The modem sits
// behind the program's USB adapter (pFTD) and reaches the board through a
// circuit-switched data call to the slave modem CSD_Number.
//
// The state members the program polls every 100 ms are atomics: the modem's
// own thread keeps them up to date while the window thread reads them.
// Settings live in the object's own INI file (section "GSM").
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "transports/transport.h"

#if defined(ZORVEL_BUILD_GSM)
#define GSM_API ZORVEL_TRANSPORT_EXPORT
#else
#define GSM_API ZORVEL_TRANSPORT_IMPORT
#endif

class cFTD;

class GSM_API cGSM {
public:
    explicit cGSM(const char* iniFile);  // bare name, beside the executable
    ~cGSM();
    cGSM(const cGSM&) = delete;
    cGSM& operator=(const cGSM&) = delete;

    // Opens the USB adapter (pFTD) and starts the modem's worker, which
    // brings the modem up, finds the network and then keeps CSQ and
    // NetworkFound current. ModemOn is 1 from here until Close or a power
    // off. showMessages: this and the later PowerOn report failures in
    // message boxes. True when the adapter is open (also when it already was).
    bool Open(bool showMessages);
    // Waits until the modem is up and registered and, with `call`, makes a
    // data call to CSD_Number. True: ready for an exchange with the board.
    // On failure the modem is switched off and the adapter closed, and
    // StatusIdx keeps the reason.
    bool PowerOn(bool call);
    // Ends the data call (guarded escape, then hang up). True when no call
    // stands any more.
    bool CSD_Close();
    // keepOff true: switches the modem off (ModemOn 0); false: restarts it,
    // and the worker brings it up again.
    bool PowerOff(bool keepOff);
    // Switches the modem off by its AT command alone; waitAnswer: wait for
    // the modem to confirm.
    bool PowerOffAT(bool waitAnswer);
    // Stops the worker, closes the adapter; every indicator and StatusIdx 0.
    void Close();
    // Board bytes, while the data call stands.
    bool CSD_Send(char* data, int length);
    // Every block the program receives while ModemOn, before the program
    // keeps it: the modem watches it for its own result codes.
    void Recv(char* data, int count);
    // Sends BalanceRequest (USSD) and waits for the network's answer, the
    // window kept responsive; showResult: the answer or the failure in a
    // message box. True when an answer came.
    bool CheckBalance(bool showResult);
    // Deletes every SMS message of the SIM card and the modem (one by one
    // when the modem refuses the bulk form); showResult: report in a
    // message box. True when all are gone.
    bool SMS_DEL_ALL(bool showResult);

    // Written by the program.
    void* hWnd = nullptr;
    char CSD_Number[13] = "";           // slave modem's number, up to 12 characters
    char BalanceRequest[6] = "*100#";   // USSD request, up to 5 characters (persisted)
    cFTD* pFTD = nullptr;

    // Read by the program.
    std::atomic<std::uint8_t> CSQ{0};   // signal quality 0..31, 99 unknown
    std::atomic<std::uint8_t> Busy{0};  // the modem's own command dialogue runs
    std::atomic<std::uint8_t> ModemOn{0};
    std::atomic<std::uint8_t> NetworkFound{0};
    std::atomic<std::uint8_t> CSQ_Gate1{0};
    std::atomic<std::uint8_t> CSQ_Gate2{0};
    std::atomic<std::uint8_t> BalanceEnable{0};
    std::atomic<std::int32_t> StatusIdx{0};  // entry of StatusText to show; 0 shows nothing

    // Status texts (UTF-8), fixed for the object's life, indexed by StatusIdx
    // (the entries of gsm::Status in transports/gsm/session.h). Entry 0 is
    // empty.
    enum { StatusTextCount = 16 };
    char StatusText[StatusTextCount][256] = {};

    static tMessageBoxHandler SetMessageBoxHandler(tMessageBoxHandler handler);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
