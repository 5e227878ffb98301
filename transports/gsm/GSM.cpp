// Stand-in for the GSM modem until its driver exists: the modem stays off,
// the status flags stay 0 and every request says the modem is not there.
// Settings persist.
#include "transports/GSM.h"

#include "compat/platform.h"
#include "transports/common/component.h"

struct cGSM::Impl {
    explicit Impl(const char* iniFile) : settings(iniFile) {}
    transports::SettingsFile settings;
};

namespace {
constexpr char kSection[] = "GSM";
constexpr char kNoModem[] = "GSM модем не подключен";
}  // namespace

cGSM::cGSM(const char* iniFile) : impl_(std::make_unique<Impl>(iniFile)) {
    impl_->settings.ReadText(kSection, "BalanceRequest", "*100#", BalanceRequest, sizeof BalanceRequest);
    impl_->settings.ReadText(kSection, "CSD_Number", "", CSD_Number, sizeof CSD_Number);
}

cGSM::~cGSM() {
    Close();
    impl_->settings.WriteText(kSection, "BalanceRequest", BalanceRequest);
    impl_->settings.WriteText(kSection, "CSD_Number", CSD_Number);
}

bool cGSM::Open(bool showMessages) {
    if (showMessages) transports::ReportError(hWnd, kNoModem);
    return false;
}

// Open has already said why there is no modem to power.
bool cGSM::PowerOn(bool) { return false; }

bool cGSM::CSD_Close() { return false; }

bool cGSM::PowerOff(bool) { return false; }

bool cGSM::PowerOffAT(bool) { return false; }

void cGSM::Close() {}

bool cGSM::CSD_Send(char*, int) { return false; }

void cGSM::Recv(char*, int) {}

bool cGSM::CheckBalance(bool showResult) {
    if (showResult) transports::ReportError(hWnd, kNoModem);
    return false;
}

bool cGSM::SMS_DEL_ALL(bool showResult) {
    if (showResult) transports::ReportError(hWnd, kNoModem);
    return false;
}

tMessageBoxHandler cGSM::SetMessageBoxHandler(tMessageBoxHandler handler) {
    return compat::SetMessageBoxHandler(handler);
}
