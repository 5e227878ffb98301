#include "zorvel/settvalues.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace sett {

std::optional<std::int32_t> ParseInteger(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

namespace {
std::string NotAnInteger(const std::string& text) { return "'" + text + "' is not a valid integer value"; }
}  // namespace

std::optional<OkNumbers> ConvertOk(const OkTexts& texts, std::string& error) {
    OkNumbers numbers;
    if (texts.BaudRate) {
        const auto value = ParseInteger(*texts.BaudRate);
        if (!value || *value <= 0) return error = NotAnInteger(*texts.BaudRate), std::nullopt;
        numbers.BaudRate = static_cast<std::uint32_t>(*value);
    }
    if (texts.DataBits) {
        const auto value = ParseInteger(*texts.DataBits);
        if (!value || *value < 5 || *value > 8) return error = NotAnInteger(*texts.DataBits), std::nullopt;
        numbers.DataBits = static_cast<std::uint8_t>(*value);
    }
    // A port is 16 bits: a larger number is refused, not wrapped around.
    const auto port = ParseInteger(texts.TcpPort);
    if (!port) return error = NotAnInteger(texts.TcpPort), std::nullopt;
    if (*port < 0 || *port > 65535) {
        error = "'" + texts.TcpPort + "' is not a valid port number (0-65535)";
        return std::nullopt;
    }
    numbers.TcpPort = static_cast<std::uint16_t>(*port);
    return numbers;
}

std::vector<SwitchStep> TransportSwitch(int newInterface, int oldInterface, bool gsmModemOn) {
    std::vector<SwitchStep> steps;
    if (newInterface == kGsm) {
        steps.push_back(SwitchStep::FtdScanDevicesCount);
        if (!gsmModemOn) steps.push_back(SwitchStep::GsmOpen);
    } else if (oldInterface == kGsm) {
        steps.push_back(SwitchStep::GsmPowerOffAT);
        steps.push_back(SwitchStep::GsmClose);
        steps.push_back(SwitchStep::GsmSignalReset);
    }
    if (newInterface == kUsb || newInterface == kGsm || newInterface == kRadio)
        steps.push_back(SwitchStep::FtdScanDevicesCount);
    return steps;
}

std::string StepName(SwitchStep step) {
    switch (step) {
        case SwitchStep::FtdScanDevicesCount: return "FTD.ScanDevicesCount";
        case SwitchStep::GsmOpen: return "GSM.Open";
        case SwitchStep::GsmPowerOffAT: return "GSM.PowerOffAT";
        case SwitchStep::GsmClose: return "GSM.Close";
        case SwitchStep::GsmSignalReset: return "GSM signal 0";
    }
    return "?";
}

std::string PortName(unsigned n) { return "COM" + std::to_string(n); }
std::string DeviceName(int i) { return "DEV" + std::to_string(i); }

std::vector<std::string> AllPortNames() {
    std::vector<std::string> names;
    for (unsigned n = 1; n <= kAllPorts; ++n) names.push_back(PortName(n));
    return names;
}

std::vector<std::string> FreePortNames(unsigned portsMax, const std::function<bool(const std::string&)>& canOpen) {
    std::vector<std::string> names;
    // A counter wider than the 8-bit limit, so that 255 ends the loop.
    for (unsigned n = 1; n <= portsMax; ++n) {
        const std::string name = PortName(n);
        if (canOpen(name)) names.push_back(name);
    }
    return names;
}

std::vector<std::string> DeviceNames(std::int32_t devicesMax) {
    const std::int32_t count = std::clamp<std::int32_t>(devicesMax, 0, kDevicesLimit);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(DeviceName(i));
    return names;
}

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : static_cast<int>(it - names.begin());
}

std::string ChannelItemText(int n, const std::string& comment) { return std::to_string(n) + "  " + comment; }

int ChannelIndex(std::int32_t freq) {
    const std::int64_t index = (std::int64_t{freq} - kChannelBase) / kChannelStep;  // truncates toward zero
    return index >= 0 && index < config::kChannelCount ? static_cast<int>(index) : -1;
}

std::int32_t ChannelFreq(int index) { return index * kChannelStep + kChannelBase; }

std::string SlaveItemText(const std::string& number, const std::string& comment) { return number + "  " + comment; }

std::vector<SlaveRow> SlaveRowsOf(const config::Settings& s) {
    std::vector<SlaveRow> rows(kSlaveRows);
    const std::uint32_t held = std::min<std::uint32_t>(s.Count, config::kSlaveCapacity);
    for (std::uint32_t e = 0; e < held && e < rows.size(); ++e) {
        rows[e].Number = s.Slaves[e].Number;
        rows[e].Comment = s.Slaves[e].Comment;
    }
    return rows;
}

void StoreSlaveRows(const std::vector<SlaveRow>& rows, int selected, config::Settings& s) {
    s.Count = static_cast<std::uint32_t>(std::min<std::size_t>(rows.size(), kSlaveRows));
    s.Index = selected;
    for (std::uint32_t e = 0; e < s.Count; ++e) {
        config::SlaveEntry& entry = s.Slaves[e];
        const std::string& number = rows[e].Number;
        const std::size_t n = std::min(number.size(), sizeof entry.Number - 1);
        std::memcpy(entry.Number, number.data(), n);
        entry.Number[n] = '\0';
        entry.Comment = rows[e].Comment;
        if (number.empty()) {
            s.Count = e;
            break;
        }
    }
}

bool IsValidSlaveNumber(const std::string& number) {
    return number.size() == 12 && number[0] == '+' && number[1] == '7';
}

int FirstInvalidSlaveRow(const std::vector<SlaveRow>& rows) {
    for (std::size_t r = 0; r < rows.size(); ++r)
        if (!rows[r].Number.empty() && !IsValidSlaveNumber(rows[r].Number)) return static_cast<int>(r);
    return -1;
}

bool SlaveKeyAccepted(int col, bool rowAboveHasNumber, wchar_t key) {
    if (!rowAboveHasNumber) return false;
    if (col != 0) return true;
    return (key >= L'0' && key <= L'9') || key == L'+' || key == L'\b';
}

}  // namespace sett
