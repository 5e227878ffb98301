// The text side of the modem's AT dialogue: cutting what the modem sends into
// lines, telling result codes from information lines, reading the reports
// the driver asks for, and decoding the text of a USSD answer.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gsm {

// Collects received bytes and hands out complete lines. A line ends at CR or
// LF; empty lines are skipped. A line that never ends is cut at kMaxLine.
class LineSplitter {
public:
    static constexpr std::size_t kMaxLine = 512;

    // Appends the bytes and returns the lines they completed, in order.
    std::vector<std::string> Add(std::string_view bytes);
    // Forgets a partly received line.
    void Clear() { partial_.clear(); }

private:
    std::string partial_;
};

// What a line of the modem means to whoever waits for an answer.
enum class Final {
    None,        // not a result code: an information line or an echo
    Ok,          // "OK"
    Error,       // "ERROR", "+CME ERROR: n", "+CMS ERROR: n"
    Connect,     // "CONNECT" or "CONNECT <rate>": the data call stands
    NoCarrier,   // "NO CARRIER"
    Busy,        // "BUSY"
    NoAnswer,    // "NO ANSWER"
    NoDialtone,  // "NO DIALTONE"
};

// Result codes are matched exactly as the modem sends them in verbose form,
// case and all, so that the board's own "Ok" or "error" never pass for one.
Final ClassifyLine(std::string_view line);

// "+CSQ: <rssi>,<ber>": the signal quality 0..31, or 99 when unknown.
std::optional<int> ParseSignalQuality(std::string_view line);
// "+CREG: <n>,<stat>" (the answer to "AT+CREG?") or "+CREG: <stat>"
// (unsolicited): the registration state (0 not searching, 1 home network,
// 2 searching, 3 denied, 4 unknown, 5 roaming).
std::optional<int> ParseRegistration(std::string_view line);
inline bool IsRegistered(int state) { return state == 1 || state == 5; }
// "+CMGL: <index>,...": the message index.
std::optional<int> ParseListedMessage(std::string_view line);

// "+CUSD: <m>[,"<text>"[,<dcs>]]".
struct UssdAnswer {
    int Status = -1;      // 0 done, 1 more action required, 2 ended by the network, 4 not supported ...
    std::string Text;     // as the modem sent it, quotes removed
    int Scheme = -1;      // data coding scheme; -1 when absent
};
std::optional<UssdAnswer> ParseUssd(std::string_view line);

// The answer's text in UTF-8: UCS2 schemes are sent as hexadecimal UTF-16
// and decoded; other texts are taken as they are. Control characters other
// than line breaks are dropped.
std::string DecodeUssdText(const UssdAnswer& answer);

// A slave modem number fit to dial: an optional "+" and 3 to 15 digits.
bool IsDialableNumber(std::string_view number);
// A USSD request fit to send: 1 to 5 of the characters 0-9, "*", "#", "+".
bool IsUssdRequest(std::string_view request);

}  // namespace gsm
