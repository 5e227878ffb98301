// Stand-in for the radio module until its driver exists: it never opens.
// The radio settings persist in their own keys of the shared settings file.
#include "transports/RFM.h"

#include "compat/platform.h"
#include "transports/common/component.h"

struct cRFM::Impl {
    explicit Impl(const char* iniFile) : settings(iniFile) {}
    transports::SettingsFile settings;
};

namespace {
constexpr char kSection[] = "RFM";
constexpr long kDefaultFreq = 430000 + 26 * 200;
}  // namespace

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

bool cRFM::Open(bool showMessages, bool, bool) {
    if (showMessages) transports::ReportError(hWnd, "Радиомодуль не подключен");
    return false;
}

void cRFM::Close() {}

bool cRFM::Send(char*, int) { return false; }

void cRFM::Recv(char*, int) {}

tMessageBoxHandler cRFM::SetMessageBoxHandler(tMessageBoxHandler handler) {
    return compat::SetMessageBoxHandler(handler);
}
