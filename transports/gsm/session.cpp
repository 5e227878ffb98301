#include "transports/gsm/session.h"

namespace gsm {

namespace {

const char* const kStatusTexts[kStatusCount] = {
    "",
    "Включение GSM модема...",
    "Поиск сети GSM...",
    "GSM модем готов",
    "Вызов ведомого модема...",
    "Соединение установлено",
    "Соединение завершено",
    "Ведомый модем не отвечает",
    "Линия ведомого модема занята",
    "Нет несущей: связь прервана",
    "GSM модем не отвечает",
    "Сеть GSM не найдена",
    "Ошибка вызова ведомого модема",
    "SIM карта не готова",
    "Не задан номер ведомого модема",
    "Не удается открыть USB адаптер GSM модема",
};

// The message stores the driver clears: the SIM card's and the modem's own.
const char* const kStores[] = {"SM", "ME"};

}  // namespace

const char* StatusText(Status status) {
    return status >= 0 && status < kStatusCount ? kStatusTexts[status] : "";
}

Session::Session(Dialogue& dialogue, Indicators& indicators, const Timings& timings)
    : dialogue_(dialogue), indicators_(indicators), timings_(timings) {}

bool Session::StartUp() {
    up_ = false;
    indicators_.NetworkFound = 0;
    indicators_.CSQ_Gate1 = 0;
    indicators_.CSQ_Gate2 = 0;
    UpdateBalanceEnable();
    SetStatus(kStarting);

    bool answered = false;
    for (int attempt = 0; attempt < timings_.HandshakeTries && !answered; ++attempt) {
        if (dialogue_.Cancelled()) return false;
        answered = dialogue_.Command("AT", timings_.Handshake).Ok();
    }
    if (!answered) {
        SetStatus(kNoModem);
        return false;
    }
    // Echo off keeps the answers short; numeric errors; full function in
    // case an earlier run switched the radio off. A modem that refuses the
    // first two still works.
    dialogue_.Command("ATE0", timings_.Answer);
    dialogue_.Command("AT+CMEE=1", timings_.Answer);
    if (!dialogue_.Command("AT+CFUN=1", timings_.SwitchOn).Ok()) {
        SetStatus(dialogue_.Cancelled() ? kStarting : kNoModem);
        return false;
    }
    Reply pin = dialogue_.Command("AT+CPIN?", timings_.Answer);
    bool simReady = false;
    for (const std::string& line : pin.Lines) simReady = simReady || line == "+CPIN: READY";
    if (!pin.Ok() || !simReady) {
        SetStatus(kNoSim);
        return false;
    }
    up_ = true;
    return true;
}

bool Session::WaitNetwork() {
    SetStatus(kSearching);
    const Ms deadline = dialogue_.Clock().Now() + timings_.Registration;
    for (;;) {
        Reply reply = dialogue_.Command("AT+CREG?", timings_.Answer);
        std::optional<int> state;
        for (const std::string& line : reply.Lines)
            if (!state) state = ParseRegistration(line);
        if (state && IsRegistered(*state)) {
            indicators_.NetworkFound = 1;
            PollSignal();
            SetStatus(kReady);
            UpdateBalanceEnable();
            return true;
        }
        if (dialogue_.Cancelled()) return false;
        // Denied registration does not change by waiting.
        if ((state && *state == 3) || dialogue_.Clock().Now() >= deadline ||
            !dialogue_.Pause(timings_.RegistrationPoll)) {
            indicators_.NetworkFound = 0;
            UpdateBalanceEnable();
            if (!dialogue_.Cancelled()) SetStatus(kNoNetwork);
            return false;
        }
    }
}

bool Session::Dial(const std::string& number) {
    if (!IsDialableNumber(number)) {
        SetStatus(kNoNumber);
        return false;
    }
    SetStatus(kCalling);
    indicators_.BalanceEnable = 0;
    // A 9600 bit/s asynchronous non-transparent data bearer, as the slave
    // modem expects; a modem that does not know the command keeps its own.
    dialogue_.Command("AT+CBST=7,0,1", timings_.Answer);
    Reply reply = dialogue_.Command("ATD" + number, timings_.Dial);
    switch (reply.Result) {
        case Final::Connect:
            indicators_.CSQ_Gate2 = 0;  // no signal reports during the call
            SetStatus(kConnected);
            return true;
        case Final::Busy: SetStatus(kLineBusy); break;
        case Final::NoAnswer: SetStatus(kNoAnswer); break;
        case Final::NoCarrier: SetStatus(kNoCarrier); break;
        case Final::NoDialtone: SetStatus(kNoNetwork); break;
        case Final::None:
            if (dialogue_.Cancelled()) break;
            // Any character ends the dialling; then make sure the line is free.
            dialogue_.Command("", timings_.Answer);
            dialogue_.Command("ATH", timings_.Answer);
            SetStatus(kNoAnswer);
            break;
        default: SetStatus(kCallFailed); break;
    }
    UpdateBalanceEnable();
    return false;
}

void Session::HangUp() {
    if (!dialogue_.InDataMode()) return;
    Reply escape = dialogue_.Escape(timings_.Guard, timings_.Guard + timings_.EscapeAnswer);
    if (escape.Result == Final::None && !dialogue_.Cancelled())  // a second try, after new silence
        escape = dialogue_.Escape(timings_.Guard, timings_.Guard + timings_.EscapeAnswer);
    if (escape.Result == Final::Ok) {
        dialogue_.Command("ATH", timings_.Answer);
        SetStatus(kCallEnded);
    } else if (escape.Result == Final::NoCarrier) {
        SetStatus(kCallEnded);
    } else if (!dialogue_.Cancelled()) {
        SetStatus(kCallFailed);
    }
    UpdateBalanceEnable();
}

void Session::SwitchOff(bool waitAnswer) {
    if (!dialogue_.InDataMode()) dialogue_.Command("AT+CFUN=0", waitAnswer ? timings_.SwitchOn : 0);
    up_ = false;
    indicators_.NetworkFound = 0;
    indicators_.CSQ = 0;
    indicators_.CSQ_Gate1 = 0;
    indicators_.CSQ_Gate2 = 0;
    indicators_.BalanceEnable = 0;
    indicators_.ModemOn = 0;
}

bool Session::Restart() {
    bool accepted = dialogue_.Command("AT+CFUN=1,1", timings_.SwitchOn).Ok();
    up_ = false;
    indicators_.NetworkFound = 0;
    indicators_.CSQ_Gate1 = 0;
    indicators_.CSQ_Gate2 = 0;
    UpdateBalanceEnable();
    SetStatus(kStarting);
    return accepted;
}

void Session::Poll() {
    if (!up_ || dialogue_.InDataMode()) return;
    Reply registration = dialogue_.Command("AT+CREG?", timings_.Answer);
    for (const std::string& line : registration.Lines) {
        if (std::optional<int> state = ParseRegistration(line)) {
            bool found = IsRegistered(*state);
            if (found != (indicators_.NetworkFound != 0)) SetStatus(found ? kReady : kSearching);
            indicators_.NetworkFound = found ? 1 : 0;
            break;
        }
    }
    PollSignal();
    UpdateBalanceEnable();
}

void Session::PollSignal() {
    Reply signal = dialogue_.Command("AT+CSQ", timings_.Answer);
    for (const std::string& line : signal.Lines) {
        if (std::optional<int> quality = ParseSignalQuality(line)) {
            ReportSignal(*quality);
            return;
        }
    }
}

void Session::ReportSignal(int quality) {
    indicators_.CSQ = static_cast<std::uint8_t>(quality);
    indicators_.CSQ_Gate1 = quality != 99 ? 1 : 0;
    indicators_.CSQ_Gate2 = 1;
    reportedAt_ = dialogue_.Clock().Now();
}

void Session::AgeReport() {
    if (indicators_.CSQ_Gate2 && dialogue_.Clock().Now() - reportedAt_ > timings_.Fresh) indicators_.CSQ_Gate2 = 0;
}

void Session::CarrierLost() {
    indicators_.StatusIdx = kNoCarrier;
    UpdateBalanceEnable();
}

void Session::UpdateBalanceEnable() {
    bool idle = indicators_.ModemOn && indicators_.NetworkFound && !dialogue_.InDataMode();
    indicators_.BalanceEnable = idle ? 1 : 0;
}

BalanceResult Session::Balance(const std::string& request) {
    BalanceResult result;
    if (!IsUssdRequest(request)) {
        result.Outcome = BalanceResult::BadRequest;
        return result;
    }
    if (!Ready() || dialogue_.InDataMode()) return result;  // NotReady

    // Plain characters for the request; an answer in UCS2 still comes as
    // hexadecimal with its coding scheme, and is decoded.
    dialogue_.Command("AT+CSCS=\"GSM\"", timings_.Answer);
    dialogue_.ForgetUssd();
    Reply sent = dialogue_.Command("AT+CUSD=1,\"" + request + "\",15", timings_.Answer);
    if (!sent.Ok()) {
        result.Outcome = sent.Result == Final::None ? BalanceResult::NoReply : BalanceResult::Refused;
        result.Text = sent.Code;
        return result;
    }
    std::optional<UssdAnswer> answer = dialogue_.WaitUssd(timings_.Ussd);
    if (!answer) {
        result.Outcome = BalanceResult::NoReply;
        dialogue_.Command("AT+CUSD=2", timings_.Answer);  // give up the session
        return result;
    }
    if (answer->Status == 0 || answer->Status == 1) {
        result.Outcome = BalanceResult::Answer;
        result.Text = DecodeUssdText(*answer);
        if (answer->Status == 1) dialogue_.Command("AT+CUSD=2", timings_.Answer);  // the menu waits for input
    } else {
        result.Outcome = BalanceResult::Refused;
        result.Text = DecodeUssdText(*answer);
    }
    return result;
}

SmsResult Session::DeleteAllSms() {
    SmsResult result;
    if (!up_ || dialogue_.InDataMode()) return result;
    // PDU mode: a listed message is a line of hexadecimal, which no text
    // of a message can turn into a result code.
    if (!dialogue_.Command("AT+CMGF=0", timings_.Answer).Ok()) return result;
    bool anyStore = false;
    bool allDeleted = true;
    for (const char* store : kStores) {
        if (!dialogue_.Command(std::string("AT+CPMS=\"") + store + "\"", timings_.Answer).Ok()) continue;
        anyStore = true;
        allDeleted = DeleteStore(result) && allDeleted;
    }
    // A modem without a choice of stores: its current one.
    if (!anyStore) allDeleted = DeleteStore(result);
    result.Done = allDeleted && !dialogue_.Cancelled();
    return result;
}

bool Session::DeleteStore(SmsResult& result) {
    if (dialogue_.Command("AT+CMGD=1,4", timings_.Delete).Ok()) return true;
    if (dialogue_.Cancelled()) return false;
    // The bulk form refused: list every message and delete it by its index.
    Reply listed = dialogue_.Command("AT+CMGL=4", timings_.Delete);
    if (!listed.Ok()) return false;
    bool allDeleted = true;
    for (const std::string& line : listed.Lines) {
        std::optional<int> index = ParseListedMessage(line);
        if (!index) continue;
        if (dialogue_.Command("AT+CMGD=" + std::to_string(*index), timings_.Answer).Ok()) {
            result.Deleted = (result.Deleted < 0 ? 0 : result.Deleted) + 1;
        } else {
            allDeleted = false;
        }
    }
    if (result.Deleted < 0) result.Deleted = 0;
    return allDeleted;
}

}  // namespace gsm
