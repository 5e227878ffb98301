// The GSM modem driver: the program's cGSM over the modem's worker
// (modem.h), with the USB adapter as the modem's line.
#include "transports/GSM.h"

#include <string>

#include "compat/platform.h"
#include "transports/FTD.h"
#include "transports/common/clock.h"
#include "transports/common/component.h"
#include "transports/gsm/modem.h"

namespace {

constexpr char kSection[] = "GSM";
constexpr char kNotReady[] = "GSM модем не готов: нет регистрации в сети";
constexpr char kBalanceNoReply[] = "Нет ответа на запрос баланса";
constexpr char kBalanceRefused[] = "Запрос баланса отклонен";
constexpr char kSmsDeleted[] = "Все SMS сообщения удалены";
constexpr char kSmsNotDeleted[] = "Не удалось удалить все SMS сообщения";

void ReportInformation(void* owner, const std::string& text) {
    compat::ShowBox(owner, compat::Box::Information, text);
}

}  // namespace

struct cGSM::Impl final : gsm::ModemPort {
    Impl(cGSM& owner, const char* iniFile)
        : owner(owner),
          settings(iniFile),
          indicators{owner.CSQ,       owner.Busy,      owner.ModemOn,      owner.NetworkFound,
                     owner.CSQ_Gate1, owner.CSQ_Gate2, owner.BalanceEnable, owner.StatusIdx},
          modem(*this, indicators, timings, transports::ThreadClock(), transports::WindowClock()) {}

    // The modem's line: the program's USB adapter.
    bool Write(const char* data, int length) override {
        return owner.pFTD && owner.pFTD->SendEx(const_cast<char*>(data), length);
    }

    // Ends the worker and closes the adapter; StatusIdx is left as it is.
    void Shut() {
        modem.Stop();
        if (adapterOpen && owner.pFTD) owner.pFTD->Close();
        adapterOpen = false;
        for (std::atomic<std::uint8_t>* flag : {&owner.CSQ, &owner.Busy, &owner.ModemOn, &owner.NetworkFound,
                                                &owner.CSQ_Gate1, &owner.CSQ_Gate2, &owner.BalanceEnable})
            *flag = 0;
    }

    cGSM& owner;
    transports::SettingsFile settings;
    gsm::Indicators indicators;
    gsm::Timings timings;
    gsm::Modem modem;
    bool showMessages = false;
    bool adapterOpen = false;
};

cGSM::cGSM(const char* iniFile) : impl_(std::make_unique<Impl>(*this, iniFile)) {
    for (int i = 0; i < gsm::kStatusCount; ++i)
        transports::CopyText(StatusText[i], gsm::StatusText(static_cast<gsm::Status>(i)));
    impl_->settings.ReadText(kSection, "BalanceRequest", "*100#", BalanceRequest, sizeof BalanceRequest);
    impl_->settings.ReadText(kSection, "CSD_Number", "", CSD_Number, sizeof CSD_Number);
}

cGSM::~cGSM() {
    Close();
    impl_->settings.WriteText(kSection, "BalanceRequest", BalanceRequest);
    impl_->settings.WriteText(kSection, "CSD_Number", CSD_Number);
}

bool cGSM::Open(bool showMessages) {
    impl_->showMessages = showMessages;
    if (impl_->adapterOpen && impl_->modem.Running() && ModemOn) return true;
    impl_->Shut();
    StatusIdx = gsm::kStarting;
    // The adapter reports its own failure to open.
    if (!pFTD || !pFTD->Open(showMessages, true)) {
        StatusIdx = gsm::kNoAdapter;
        if (!pFTD && showMessages) transports::ReportError(hWnd, gsm::StatusText(gsm::kNoAdapter));
        return false;
    }
    impl_->adapterOpen = true;
    ModemOn = 1;  // from now on the program hands us what the adapter receives
    impl_->modem.Start();
    return true;
}

bool cGSM::PowerOn(bool call) {
    if (!impl_->adapterOpen) return false;  // Open has said why
    if (impl_->modem.PowerOn(call, CSD_Number)) return true;
    // Nobody closes a transport whose opening failed: switch the modem off
    // and let the adapter go, keeping the reason on show.
    std::int32_t reason = StatusIdx;
    if (reason < gsm::kNoAnswer) reason = gsm::kNoModem;  // stopped before any verdict
    if (impl_->showMessages) transports::ReportError(hWnd, gsm::StatusText(static_cast<gsm::Status>(reason)));
    impl_->modem.SwitchOffAT(false);
    impl_->Shut();
    StatusIdx = reason;
    return false;
}

bool cGSM::CSD_Close() { return impl_->adapterOpen && impl_->modem.HangUp(); }

bool cGSM::PowerOff(bool keepOff) { return impl_->adapterOpen && impl_->modem.PowerOff(keepOff); }

bool cGSM::PowerOffAT(bool waitAnswer) { return impl_->adapterOpen && impl_->modem.SwitchOffAT(waitAnswer); }

void cGSM::Close() {
    impl_->Shut();
    StatusIdx = gsm::kNoStatus;
}

bool cGSM::CSD_Send(char* data, int length) { return data && length >= 0 && impl_->modem.SendData(data, length); }

void cGSM::Recv(char* data, int count) { impl_->modem.Feed(data, count); }

bool cGSM::CheckBalance(bool showResult) {
    const std::string request = BalanceRequest;
    gsm::BalanceResult result;
    if (impl_->adapterOpen) result = impl_->modem.Balance(request);
    switch (result.Outcome) {
        case gsm::BalanceResult::Answer:
            if (showResult) ReportInformation(hWnd, result.Text);
            return true;
        case gsm::BalanceResult::BadRequest:
            if (showResult) transports::ReportError(hWnd, "Недопустимый запрос баланса: \"" + request + "\"");
            return false;
        case gsm::BalanceResult::NotReady:
            if (showResult) transports::ReportError(hWnd, kNotReady);
            return false;
        case gsm::BalanceResult::NoReply:
            if (showResult) transports::ReportError(hWnd, kBalanceNoReply);
            return false;
        case gsm::BalanceResult::Refused:
            if (showResult)
                transports::ReportError(hWnd, result.Text.empty() ? std::string(kBalanceRefused)
                                                                  : std::string(kBalanceRefused) + ": " + result.Text);
            return false;
    }
    return false;
}

bool cGSM::SMS_DEL_ALL(bool showResult) {
    if (!impl_->adapterOpen || !impl_->modem.Running()) {
        if (showResult) transports::ReportError(hWnd, kNotReady);
        return false;
    }
    gsm::SmsResult result = impl_->modem.DeleteAllSms();
    if (showResult) {
        if (result.Done) ReportInformation(hWnd, kSmsDeleted);
        else transports::ReportError(hWnd, kSmsNotDeleted);
    }
    return result.Done;
}

tMessageBoxHandler cGSM::SetMessageBoxHandler(tMessageBoxHandler handler) {
    return compat::SetMessageBoxHandler(handler);
}
