#include "gsm_modem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace boardsim {

namespace {

constexpr char kCrLf[] = "\r\n";
// What a listed message looks like in PDU mode (any valid-looking PDU will do).
constexpr char kPdu[] = "07919730071111F1040B919701119905F80000211062320150610CC8329BFD065DDF72363904";

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

std::chrono::milliseconds Ms(unsigned ms) { return std::chrono::milliseconds(ms); }

// The text between the first pair of quotes, or "".
std::string Quoted(const std::string& text) {
    std::size_t open = text.find('"');
    std::size_t close = open == std::string::npos ? open : text.find('"', open + 1);
    return close == std::string::npos ? std::string() : text.substr(open + 1, close - open - 1);
}

// The numbers after '=' (or after the command), comma-separated.
std::vector<int> Arguments(const std::string& command) {
    std::vector<int> values;
    std::size_t pos = command.find('=');
    if (pos == std::string::npos) return values;
    ++pos;
    while (pos < command.size()) {
        std::size_t used = 0;
        try {
            values.push_back(std::stoi(command.substr(pos), &used));
        } catch (const std::exception&) {
            break;
        }
        pos += used;
        if (pos >= command.size() || command[pos] != ',') break;
        ++pos;
    }
    return values;
}

std::uint32_t NextCodePoint(const std::string& text, std::size_t& i) {
    unsigned char c = static_cast<unsigned char>(text[i++]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    std::uint32_t code = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : extra == 1 ? c & 0x1F : c;
    for (int k = 0; k < extra && i < text.size(); ++k) code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    return code;
}

void AppendUnit(std::string& out, std::uint32_t unit) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(unit & 0xFFFF));
    out += hex;
}

}  // namespace

std::string Ucs2Hex(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t code = NextCodePoint(utf8, i);
        if (code >= 0x10000) {
            code -= 0x10000;
            AppendUnit(out, 0xD800 + (code >> 10));
            AppendUnit(out, 0xDC00 + (code & 0x3FF));
        } else {
            AppendUnit(out, code);
        }
    }
    return out;
}

GsmModem::GsmModem(DevicePort& port, GsmModemConfig config, Instant now)
    : port_(port), config_(std::move(config)), searchEnds_(now + Ms(config_.SearchMs)) {
    for (int i = 1; i <= config_.SmsOnSim; ++i) stores_["SM"].push_back(i);
    for (int i = 1; i <= config_.SmsInModem; ++i) stores_["ME"].push_back(i);
}

void GsmModem::Receive(const std::string& bytes, Instant now) {
    if (config_.Mute) {
        port_.Log(bytes, "(mute)");
        return;
    }
    if (mode_ == Mode::Online) {
        ReceiveData(bytes, now);
        return;
    }
    for (char c : bytes) {
        if (mode_ == Mode::Dialling) {
            // Any character ends the dialling.
            dialDoneAt_.reset();
            mode_ = Mode::Command;
            port_.Log("(dialling aborted)", "NO CARRIER");
            port_.Send(std::string(kCrLf) + "NO CARRIER" + kCrLf);
            continue;
        }
        ReceiveCommandByte(c, now);
    }
}

void GsmModem::ReceiveCommandByte(char c, Instant now) {
    if (echo_) port_.Send(std::string(1, c));
    if (c == '\n') return;
    if (c != '\r') {
        if (line_.size() < 1024) line_ += c;
        return;
    }
    std::string line;
    line.swap(line_);
    std::size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) return;
    line = line.substr(start);
    // Everything that does not begin with "AT" is ignored, as a modem does.
    if (line.size() < 2 || Upper(line.substr(0, 2)) != "AT") return;
    Execute(line, now);
}

void GsmModem::ReceiveData(const std::string& bytes, Instant now) {
    for (char c : bytes) {
        bool afterGuard = now - lastData_ >= Ms(config_.GuardMs);
        lastData_ = now;
        if (c == '+' && pluses_ < 3 && (pluses_ > 0 || afterGuard)) {
            // Held back: the start of an escape, unless more data follows
            // within the guard time.
            if (++pluses_ == 3) escapeAt_ = now + Ms(config_.GuardMs);
            continue;
        }
        if (pluses_ > 0) {
            std::string held(static_cast<std::size_t>(pluses_), '+');
            pluses_ = 0;
            escapeAt_.reset();
            for (char p : held) DataByte(p);
        }
        DataByte(c);
        if (mode_ != Mode::Online) return;  // the call ended in the middle of the block
    }
}

void GsmModem::DataByte(char c) {
    if (c != '\r') {
        if (boardLine_.size() < 4096) boardLine_ += c;
        return;
    }
    std::string command;
    command.swap(boardLine_);
    std::size_t start = command.find_first_not_of('\n');
    if (start == std::string::npos) return;
    std::string answer = port_.AskBoard(command.substr(start));
    if (answer.empty()) return;
    if (config_.DropCall && !dropped_) {
        dropped_ = true;
        port_.Send(answer.substr(0, answer.size() / 2));
        EndCall("NO CARRIER");
        return;
    }
    port_.SendAnswer(answer);
}

Instant GsmModem::NextDue() const {
    Instant due = Instant::max();
    for (const std::optional<Instant>& at : {escapeAt_, dialDoneAt_, ussdAt_})
        if (at) due = std::min(due, *at);
    return due;
}

void GsmModem::Tick(Instant now) {
    if (escapeAt_ && *escapeAt_ <= now) {
        escapeAt_.reset();
        pluses_ = 0;
        mode_ = Mode::OnlineCommand;
        port_.Log("+++", "OK");
        port_.Send(std::string(kCrLf) + "OK" + kCrLf);
    }
    if (dialDoneAt_ && *dialDoneAt_ <= now) {
        dialDoneAt_.reset();
        std::string result = config_.LineBusy ? "BUSY" : config_.NoAnswer ? "NO ANSWER" : "CONNECT 9600";
        mode_ = config_.LineBusy || config_.NoAnswer ? Mode::Command : Mode::Online;
        lastData_ = now;
        boardLine_.clear();
        port_.Log("(call)", result);
        port_.Send(std::string(kCrLf) + result + kCrLf);
    }
    if (ussdAt_ && *ussdAt_ <= now) {
        ussdAt_.reset();
        port_.Log("(network)", ussdAnswer_);
        if (mode_ != Mode::Online) port_.Send(std::string(kCrLf) + ussdAnswer_ + kCrLf);
    }
}

void GsmModem::EndCall(const std::string& result) {
    mode_ = Mode::Command;
    pluses_ = 0;
    escapeAt_.reset();
    boardLine_.clear();
    port_.Log("(call ends)", result);
    port_.Send(std::string(kCrLf) + result + kCrLf);
}

int GsmModem::Registration(Instant now) const {
    if (!switchedOn_) return 0;
    if (now < searchEnds_) return 2;
    return config_.NoNetwork ? 3 : 1;
}

void GsmModem::Result(const std::string& command, const std::string& lines, const std::string& code) {
    port_.Log(command, lines + code);
    std::string bytes;
    if (!lines.empty()) bytes += kCrLf + lines;
    if (!code.empty()) bytes += std::string(kCrLf) + code + kCrLf;
    port_.Send(bytes);
}

void GsmModem::Execute(const std::string& line, Instant now) {
    const std::string command = Upper(line);
    // Answers that change the mode, or come later, are handled here; the
    // rest answer lines and a result code at once.
    if (StartsWith(command, "ATD")) {
        std::string number = line.substr(3);
        if (!number.empty() && number.back() == ';') return Result(line, "", "ERROR");  // no voice calls here
        if (mode_ == Mode::OnlineCommand) return Result(line, "", "ERROR");
        if (Registration(now) != 1) return Result(line, "", "NO CARRIER");
        port_.Log(line, "(dialling)");
        mode_ = Mode::Dialling;
        dialDoneAt_ = now + Ms(config_.RingMs);
        return;
    }
    if (command == "ATH" || command == "ATH0") {
        if (mode_ == Mode::OnlineCommand) mode_ = Mode::Command;
        return Result(line, "", "OK");
    }
    if (command == "ATO" || command == "ATO0") {
        if (mode_ != Mode::OnlineCommand) return Result(line, "", "NO CARRIER");
        mode_ = Mode::Online;
        return Result(line, "", "CONNECT 9600");
    }
    if (StartsWith(command, "AT+CUSD=")) {
        std::vector<int> args = Arguments(command);
        if (!args.empty() && args[0] == 2) return Result(line, "", "OK");
        if (Registration(now) != 1) return Result(line, "", "+CME ERROR: 30");
        std::string code = Quoted(line);
        ussdAnswer_ = code == config_.UssdCode ? "+CUSD: 0,\"" + Ucs2Hex(config_.UssdText) + "\",72" : "+CUSD: 4";
        ussdAt_ = now + Ms(config_.UssdMs);
        return Result(line, "", "OK");
    }
    std::string lines = Answer(command, now);
    if (lines == "ERROR" || StartsWith(lines, "+CMS ERROR") || StartsWith(lines, "+CME ERROR"))
        return Result(line, "", lines);
    Result(line, lines, "OK");
}

std::string GsmModem::Answer(const std::string& command, Instant now) {
    if (command == "AT") return "";
    if (command == "ATE0" || command == "ATE") {
        echo_ = false;
        return "";
    }
    if (command == "ATE1") {
        echo_ = true;
        return "";
    }
    if (StartsWith(command, "AT+CMEE=") || StartsWith(command, "AT+CBST=") || StartsWith(command, "AT+CSCS=") ||
        StartsWith(command, "AT+CMGF=") || StartsWith(command, "AT+CREG="))
        return "";
    if (command == "AT+CFUN?") return std::string("+CFUN: ") + (switchedOn_ ? "1" : "0") + kCrLf;
    if (StartsWith(command, "AT+CFUN=")) {
        std::vector<int> args = Arguments(command);
        if (args.empty() || args[0] > 1) return "ERROR";
        bool restart = args.size() > 1 && args[1] == 1;
        if (args[0] == 0) {
            switchedOn_ = false;
        } else if (!switchedOn_ || restart) {
            switchedOn_ = true;
            searchEnds_ = now + Ms(config_.SearchMs);
            if (restart) echo_ = true;
        }
        return "";
    }
    if (command == "AT+CPIN?") return std::string("+CPIN: READY") + kCrLf;
    if (command == "AT+CREG?") return "+CREG: 0," + std::to_string(Registration(now)) + kCrLf;
    if (command == "AT+CSQ") {
        int quality = Registration(now) == 1 ? config_.SignalQuality : 99;
        return "+CSQ: " + std::to_string(quality) + ",99" + kCrLf;
    }
    if (StartsWith(command, "AT+CPMS") || StartsWith(command, "AT+CMGL") || StartsWith(command, "AT+CMGD"))
        return AnswerSms(command);
    return "ERROR";
}

std::string GsmModem::AnswerSms(const std::string& command) {
    if (StartsWith(command, "AT+CPMS=")) {
        std::string store = Quoted(command);
        if (!stores_.count(store)) return "+CMS ERROR: 302";
        store_ = store;
        std::string used = std::to_string(stores_[store_].size());
        return "+CPMS: " + used + ",20," + used + ",20," + used + ",20" + kCrLf;
    }
    std::vector<int>& messages = stores_[store_];
    if (StartsWith(command, "AT+CMGL")) {
        std::string lines;
        for (int index : messages)
            lines += "+CMGL: " + std::to_string(index) + ",1,,37" + kCrLf + kPdu + kCrLf;
        return lines;
    }
    if (StartsWith(command, "AT+CMGD=")) {
        std::vector<int> args = Arguments(command);
        if (args.empty()) return "ERROR";
        if (args.size() > 1 && args[1] > 0) {
            if (config_.RefuseBulkDelete) return "+CMS ERROR: 303";
            messages.clear();
            return "";
        }
        auto found = std::find(messages.begin(), messages.end(), args[0]);
        if (found == messages.end()) return "+CMS ERROR: 321";
        messages.erase(found);
        return "";
    }
    return "ERROR";
}

}  // namespace boardsim
