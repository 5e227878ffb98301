#include "transports/gsm/at_lines.h"

#include <cstdint>

namespace gsm {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal number at `pos` (after blanks); advances pos past it.
std::optional<int> NumberAt(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    std::size_t start = pos;
    long value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && pos - start < 6) value = value * 10 + (text[pos++] - '0');
    if (pos == start) return std::nullopt;
    return static_cast<int>(value);
}

// The numbers after "<prefix>", separated by commas; stops at the first
// field that is not a number.
std::vector<int> Numbers(std::string_view line, std::string_view prefix) {
    std::vector<int> values;
    if (!StartsWith(line, prefix)) return values;
    std::size_t pos = prefix.size();
    for (;;) {
        std::optional<int> value = NumberAt(line, pos);
        if (!value) break;
        values.push_back(*value);
        while (pos < line.size() && line[pos] == ' ') ++pos;
        if (pos >= line.size() || line[pos] != ',') break;
        ++pos;
    }
    return values;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Hexadecimal UTF-16 (big-endian, four digits a unit) as UTF-8; nothing when
// the text is not such hexadecimal.
std::optional<std::string> DecodeUcs2Hex(std::string_view hex) {
    if (hex.empty() || hex.size() % 4 != 0) return std::nullopt;
    std::vector<std::uint32_t> units;
    for (std::size_t i = 0; i < hex.size(); i += 4) {
        std::uint32_t unit = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            int digit = HexValue(hex[i + k]);
            if (digit < 0) return std::nullopt;
            unit = unit * 16 + static_cast<std::uint32_t>(digit);
        }
        units.push_back(unit);
    }
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t unit = units[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            AppendUtf8(out, 0xFFFD);  // a lone surrogate
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

// Data coding schemes of cell broadcast and USSD texts that mean UCS2.
bool IsUcs2Scheme(int scheme) {
    if (scheme == 0x11) return true;                                   // UCS2 with a language
    if ((scheme & 0xC0) == 0x40) return (scheme & 0x0C) == 0x08;       // general data coding
    if ((scheme & 0xF0) == 0x90) return (scheme & 0x0C) == 0x08;       // message with user data header
    return false;
}

}  // namespace

std::vector<std::string> LineSplitter::Add(std::string_view bytes) {
    std::vector<std::string> lines;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!partial_.empty()) lines.push_back(std::move(partial_));
            partial_.clear();
        } else if (partial_.size() < kMaxLine) {
            partial_ += c;
        }
    }
    return lines;
}

Final ClassifyLine(std::string_view line) {
    if (line == "OK") return Final::Ok;
    if (line == "ERROR" || StartsWith(line, "+CME ERROR:") || StartsWith(line, "+CMS ERROR:")) return Final::Error;
    if (line == "CONNECT" || StartsWith(line, "CONNECT ")) return Final::Connect;
    if (line == "NO CARRIER") return Final::NoCarrier;
    if (line == "BUSY") return Final::Busy;
    if (line == "NO ANSWER") return Final::NoAnswer;
    if (line == "NO DIALTONE") return Final::NoDialtone;
    return Final::None;
}

std::optional<int> ParseSignalQuality(std::string_view line) {
    std::vector<int> values = Numbers(line, "+CSQ:");
    if (values.empty()) return std::nullopt;
    int rssi = values[0];
    return rssi <= 31 ? rssi : 99;
}

std::optional<int> ParseRegistration(std::string_view line) {
    std::vector<int> values = Numbers(line, "+CREG:");
    if (values.empty()) return std::nullopt;
    // "+CREG: <n>,<stat>[,<lac>,<ci>]" answers the query; the unsolicited
    // report has the state alone. Location fields are quoted, so they never
    // count as numbers here.
    return values.size() >= 2 ? values[1] : values[0];
}

std::optional<int> ParseListedMessage(std::string_view line) {
    std::vector<int> values = Numbers(line, "+CMGL:");
    if (values.empty()) return std::nullopt;
    return values[0];
}

std::optional<UssdAnswer> ParseUssd(std::string_view line) {
    if (!StartsWith(line, "+CUSD:")) return std::nullopt;
    std::size_t pos = 6;
    UssdAnswer answer;
    std::optional<int> status = NumberAt(line, pos);
    if (!status) return std::nullopt;
    answer.Status = *status;
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos >= line.size() || line[pos] != ',') return answer;
    ++pos;
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos < line.size() && line[pos] == '"') {
        // The text runs to the last quote: an operator's text may hold commas.
        std::size_t close = line.rfind('"');
        if (close == pos) return std::nullopt;
        answer.Text = std::string(line.substr(pos + 1, close - pos - 1));
        pos = close + 1;
    }
    while (pos < line.size() && line[pos] == ' ') ++pos;
    if (pos < line.size() && line[pos] == ',') {
        ++pos;
        if (std::optional<int> scheme = NumberAt(line, pos)) answer.Scheme = *scheme;
    }
    return answer;
}

std::string DecodeUssdText(const UssdAnswer& answer) {
    std::string text = answer.Text;
    if (IsUcs2Scheme(answer.Scheme)) {
        if (std::optional<std::string> decoded = DecodeUcs2Hex(answer.Text)) text = *decoded;
    }
    std::string clean;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 || c == '\n') clean += c;
    }
    return clean;
}

bool IsDialableNumber(std::string_view number) {
    if (!number.empty() && number[0] == '+') number.remove_prefix(1);
    if (number.size() < 3 || number.size() > 15) return false;
    for (char c : number)
        if (!IsDigit(c)) return false;
    return true;
}

bool IsUssdRequest(std::string_view request) {
    if (request.empty() || request.size() > 5) return false;
    for (char c : request)
        if (!IsDigit(c) && c != '*' && c != '#' && c != '+') return false;
    return true;
}

}  // namespace gsm
