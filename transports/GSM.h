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

    bool Open(bool showMessages);
    bool PowerOn(bool call);            // true: ready for an exchange with the board
    bool CSD_Close();                   // ends the data call
    bool PowerOff(bool wait);
    bool PowerOffAT(bool wait);
    void Close();
    bool CSD_Send(char* data, int length);
    // Every block the program receives while ModemOn, before the program
    // keeps it: the modem watches it for its own result codes.
    void Recv(char* data, int count);
    bool CheckBalance(bool showResult);
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

    // Status texts (UTF-8), fixed for the object's life, indexed by StatusIdx.
    // Entry 0 is empty.
    enum { StatusTextCount = 16 };
    char StatusText[StatusTextCount][256] = {};

    static tMessageBoxHandler SetMessageBoxHandler(tMessageBoxHandler handler);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
