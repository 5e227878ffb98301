// zorvelctl's links through the USB adapter: the GSM modem's data call
// (interface 3) and the radio module (interface 4), and the modem's status
// texts on standard error while a run lasts.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "transports/GSM.h"
#include "transports/RFM.h"

namespace zorvelctl {

// Keeps the slave modem's number and the radio frequency, and puts them back
// when it goes, so that the settings files the components save at exit stay
// as they were.
class UsbSettingsGuard {
public:
    UsbSettingsGuard();
    ~UsbSettingsGuard();
    UsbSettingsGuard(const UsbSettingsGuard&) = delete;
    UsbSettingsGuard& operator=(const UsbSettingsGuard&) = delete;

private:
    char number_[sizeof(cGSM::CSD_Number)];
    std::int32_t freq_;
};

// Select interface 3 (calling `number`) or 4 (on `channel`, 1..35) on the USB
// adapter cFTD::DeviceName names. An error text for the command line, or "".
std::string SelectGsm(const std::string& number);
std::string SelectRadio(int channel);

// While it lives, prints every new GSM status text to standard error, as the
// program's status window would show it (looked at every 50 ms).
class GsmStatusPrinter {
public:
    GsmStatusPrinter();
    ~GsmStatusPrinter();
    GsmStatusPrinter(const GsmStatusPrinter&) = delete;
    GsmStatusPrinter& operator=(const GsmStatusPrinter&) = delete;

private:
    void Watch();

    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread watcher_;
};

}  // namespace zorvelctl
