// The rules of the settings dialog that need no window: the conversions OK
// checks before it stores anything, the port and device name lists, the
// slave modem list, the radio channel texts and the steps of a transport
// switch. The dialog (Unitsett) is the window code over them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "zorvel/config/settings.h"

namespace sett {

// The interface indexes the dialog's switch looks at.
enum : int { kSerial = 0, kUsb = 1, kTcp = 2, kGsm = 3, kRadio = 4 };

// ---- OK: conversions, all checked before anything is stored -------------------

// A decimal integer: an optional sign and digits, nothing else, within the
// signed 32-bit range.
std::optional<std::int32_t> ParseInteger(const std::string& text);

// The texts OK converts. A list without a selection gives no text and keeps
// its member as it is.
struct OkTexts {
    std::optional<std::string> BaudRate;
    std::optional<std::string> DataBits;
    std::string TcpPort;
};
struct OkNumbers {
    std::optional<std::uint32_t> BaudRate;
    std::optional<std::uint8_t> DataBits;
    std::uint16_t TcpPort = 0;
};
// Converts every text; on the first one that fails, `error` gets the
// operator's message and the result is empty.
std::optional<OkNumbers> ConvertOk(const OkTexts& texts, std::string& error);

// What OK does to the transports when the interface changes, in order.
// The GSM modem is opened only while it is off (`gsmModemOn` false): a call
// that failed leaves it off with its reason still on show, and the modem's
// actions in the dialog need it on again.
enum class SwitchStep { FtdScanDevicesCount, GsmOpen, GsmPowerOffAT, GsmClose, GsmSignalReset };
std::vector<SwitchStep> TransportSwitch(int newInterface, int oldInterface, bool gsmModemOn);
std::string StepName(SwitchStep step);

// ---- port and device names ------------------------------------------------------

constexpr unsigned kAllPorts = 255;
constexpr std::int32_t kDevicesLimit = 127;

std::string PortName(unsigned n);   // "COM<n>"
std::string DeviceName(int i);      // "DEV<i>"
std::vector<std::string> AllPortNames();  // COM1 ... COM255
// COM1 ... COM<portsMax> that `canOpen` opens, in order; each tried once.
std::vector<std::string> FreePortNames(unsigned portsMax, const std::function<bool(const std::string&)>& canOpen);
// DEV0 ... DEV<n-1> for n = devicesMax clamped to 0 ... 127.
std::vector<std::string> DeviceNames(std::int32_t devicesMax);
// The index of `name` in `names`; -1 when absent.
int IndexOf(const std::vector<std::string>& names, const std::string& name);

// ---- radio channels ----------------------------------------------------------------

constexpr int kChannelBase = 430000;
constexpr int kChannelStep = 200;
// The list item of channel n: the number, two spaces, the comment.
std::string ChannelItemText(int n, const std::string& comment);
// The list index of a frequency, truncated toward zero; -1 outside the 35 channels.
int ChannelIndex(std::int32_t freq);
std::int32_t ChannelFreq(int index);

// ---- slave modem list ----------------------------------------------------------------

constexpr int kSlaveRows = 19;
struct SlaveRow {
    std::string Number, Comment;  // Windows-1251
};
// The list item of an entry: the number, two spaces, the comment.
std::string SlaveItemText(const std::string& number, const std::string& comment);
// The rows the held list shows: entry r for r < Count, empty rows after.
std::vector<SlaveRow> SlaveRowsOf(const config::Settings& s);
// Stores the rows into the held list: entries up to the first row without a
// number, Count = their number (the entry of that row is stored with its
// empty number), Index = the list's selection (-1 none). The number of
// entries is cut to the held field (12 characters).
void StoreSlaveRows(const std::vector<SlaveRow>& rows, int selected, config::Settings& s);
// "+7" and ten more characters.
bool IsValidSlaveNumber(const std::string& number);
// The first row (0-based) with a number that is not empty and not valid; -1 none.
int FirstInvalidSlaveRow(const std::vector<SlaveRow>& rows);
// Whether a key typed into a cell is taken: nothing below a row without a
// number; in the number column digits, '+' and backspace only.
bool SlaveKeyAccepted(int col, bool rowAboveHasNumber, wchar_t key);

}  // namespace sett
