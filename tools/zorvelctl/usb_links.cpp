#include "usb_links.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "zorvel/board/link.h"

namespace zorvelctl {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

UsbSettingsGuard::UsbSettingsGuard() {
    std::memcpy(number_, board::GSM.CSD_Number, sizeof number_);
    freq_ = board::RFM.Freq;
}

UsbSettingsGuard::~UsbSettingsGuard() {
    std::memcpy(board::GSM.CSD_Number, number_, sizeof number_);
    board::RFM.Freq = freq_;
}

std::string SelectGsm(const std::string& number) {
    std::string digits = number.substr(!number.empty() && number[0] == '+' ? 1 : 0);
    if (digits.empty() || number.size() >= sizeof(cGSM::CSD_Number) || !std::all_of(digits.begin(), digits.end(), IsDigit))
        return "--gsm expects the slave modem's number, at most 12 characters (+71234567890): " + number;
    std::memcpy(board::GSM.CSD_Number, number.c_str(), number.size() + 1);
    board::Interface = board::kInterfaceGsm;
    return {};
}

std::string SelectRadio(int channel) {
    if (channel < 1 || channel > 35) return "--radio expects a channel 1..35";
    board::RFM.Freq = 430000 + 200 * (channel - 1);
    board::Interface = board::kInterfaceRadio;
    return {};
}

GsmStatusPrinter::GsmStatusPrinter() : watcher_([this] { Watch(); }) {}

GsmStatusPrinter::~GsmStatusPrinter() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    watcher_.join();
}

void GsmStatusPrinter::Watch() {
    std::int32_t shown = 0;
    std::unique_lock<std::mutex> lock(lock_);
    while (!wake_.wait_for(lock, std::chrono::milliseconds(50), [this] { return stop_; })) {
        std::int32_t index = board::GSM.StatusIdx;
        if (index == shown) continue;
        shown = index;
        if (index > 0 && index < cGSM::StatusTextCount && board::GSM.StatusText[index][0])
            std::fprintf(stderr, "zorvelctl: [GSM] %s\n", board::GSM.StatusText[index]);
    }
}

}  // namespace zorvelctl
