// The radio module driver: the program's cRFM over the module's
// configuration and transparent modes (radio.h), reached through the
// program's forwarders to its USB adapter.
#include "transports/RFM.h"

#include "compat/platform.h"
#include "transports/common/clock.h"
#include "transports/common/component.h"
#include "transports/rfm/radio.h"

namespace {
constexpr char kSection[] = "RFM";
constexpr long kDefaultFreq = rfm::kFirstChannelKHz + 26 * rfm::kChannelStepKHz;
}  // namespace

struct cRFM::Impl {
    explicit Impl(const char* iniFile) : settings(iniFile), radio(transports::WindowClock()) {}
    transports::SettingsFile settings;
    rfm::Radio radio;
};

// Only the component's own keys are read and written, one at a time: the
// program keeps its channel comments ("Freq[n].Comment") in the same section.
cRFM::cRFM(const char* iniFile) : impl_(std::make_unique<Impl>(iniFile)) {
    const transports::SettingsFile& file = impl_->settings;
    Freq = static_cast<std::int32_t>(file.ReadNumber(kSection, "Freq", kDefaultFreq));
    DRfsk = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "DRfsk", 3), 0, 5, 3));
    Pout = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "Pout", 7), 0, 7, 7));
    DRin = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "DRin", 3), 0, 6, 3));
    Parity = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "Parity", 0), 0, 2, 0));
    Tw = static_cast<std::uint8_t>(transports::InRangeOr(file.ReadNumber(kSection, "Tw", 5), 0, 11, 5));
}

cRFM::~cRFM() {
    Close();
    const transports::SettingsFile& file = impl_->settings;
    file.WriteNumber(kSection, "Freq", Freq);
    file.WriteNumber(kSection, "DRfsk", DRfsk);
    file.WriteNumber(kSection, "Pout", Pout);
    file.WriteNumber(kSection, "DRin", DRin);
    file.WriteNumber(kSection, "Parity", Parity);
    file.WriteNumber(kSection, "Tw", Tw);
}

bool cRFM::Open(bool showMessages, bool configureOnly, bool startReader) {
    rfm::Adapter adapter;
    adapter.Open = pFTD_Open;
    adapter.Close = pFTD_Close;
    adapter.SendEx = pFTD_SendEx;
    adapter.GetBitMode = pFTD_GetBitMode;
    adapter.SetBitMode = pFTD_SetBitMode;
    rfm::Settings settings;
    settings.FreqKHz = Freq;
    settings.AirRate = DRfsk;
    settings.Power = Pout;
    settings.UartRate = DRin;
    settings.Parity = Parity;
    settings.WakeTime = Tw;
    rfm::Radio::Outcome outcome = impl_->radio.Open(adapter, settings, showMessages, configureOnly, startReader);
    if (!outcome.Opened && showMessages && !outcome.Problem.empty()) transports::ReportError(hWnd, outcome.Problem);
    return outcome.Opened;
}

void cRFM::Close() { impl_->radio.Close(); }

bool cRFM::Send(char* data, int length) {
    // A device pulled out has no handle any more.
    if (pFTD_hDevice && !*pFTD_hDevice) return false;
    return impl_->radio.Send(data, length);
}

void cRFM::Recv(char* data, int count) { impl_->radio.Recv(data, count, pRecvCallback); }

tMessageBoxHandler cRFM::SetMessageBoxHandler(tMessageBoxHandler handler) {
    return compat::SetMessageBoxHandler(handler);
}
