// cRFM: the radio module transport (interface 4), library RFM. The module is
// driven through the program's USB adapter, reached only through the
// function pointers below, which the program sets once.
//
// The radio settings live in the object's INI file, section "RFM", keys
// "Freq", "DRfsk", "Pout", "DRin", "Parity", "Tw". The program keeps its
// channel comments in the same file and section ("Freq[n].Comment"); this
// library reads and writes only its own keys.
#pragma once

#include <cstdint>
#include <memory>

#include "transports/transport.h"

#if defined(ZORVEL_BUILD_RFM)
#define RFM_API ZORVEL_TRANSPORT_EXPORT
#else
#define RFM_API ZORVEL_TRANSPORT_IMPORT
#endif

class RFM_API cRFM {
public:
    explicit cRFM(const char* iniFile);  // bare name, beside the executable
    ~cRFM();
    cRFM(const cRFM&) = delete;
    cRFM& operator=(const cRFM&) = delete;

    // showMessages: report a failure in a message box.
    bool Open(bool showMessages, bool configure, bool startReader);
    void Close();
    bool Send(char* data, int length);
    // Every block the USB adapter received while the radio is selected; the
    // board's reply is handed on through pRecvCallback.
    void Recv(char* data, int count);

    void* hWnd = nullptr;
    void** pFTD_hDevice = nullptr;      // the adapter's hDevice

    // Radio settings (persisted).
    std::int32_t Freq = 430000 + 26 * 200;  // kHz, 430000 + 200 x channel index (0..34)
    std::uint8_t DRfsk = 3;             // air data rate index ("10")
    std::uint8_t Pout = 7;              // output power index
    std::uint8_t DRin = 3;              // UART rate index ("9600")
    std::uint8_t Parity = 0;            // None, Even, Odd
    std::uint8_t Tw = 5;                // wake time index ("1")

    // Set by the program, in this order.
    bool (*pFTD_Open)(bool showMessages) = nullptr;
    void (*pFTD_Close)() = nullptr;
    bool (*pFTD_SendEx)(char* data, int length) = nullptr;
    tRecvCallback pRecvCallback = nullptr;
    bool (*pFTD_GetBitMode)(unsigned char* mode) = nullptr;
    bool (*pFTD_SetBitMode)(unsigned char mask, unsigned char mode) = nullptr;

    static tMessageBoxHandler SetMessageBoxHandler(tMessageBoxHandler handler);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};
