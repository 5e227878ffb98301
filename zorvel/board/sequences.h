// The two exchanges an operator starts: reading every setting of the board
// into the window, and writing the window's settings (and the computer's clock)
// into the board. Each runs synchronously on the window thread: it opens the
// selected transport (board::Interface), sends commands through the dispatch of
// link.h, waits while window messages keep being handled, shows exactly one
// final message box while the transport is still open, closes it and gives the
// window back.
//
// The sequences never touch a window directly. Whoever starts them implements
// SequenceHost: the main window does it with its controls, the command-line
// client with a console, the tests with a recorder. They are linked against
// zorvel_link (or a test double of the functions link.h declares).
#pragma once

#include <cstdint>
#include <string>

#include "zorvel/board/protocol.h"

namespace board {

// The controls a running exchange disables, in the order they are disabled.
enum class ExchangeControl { ComboBoxMode, EditInterval, SpeedButtonGet, SpeedButtonSet, tbSett, tbTime };

// The button that started the exchange; it reads "Ждите..." while it runs.
enum class ExchangeButton { SpeedButtonGet, SpeedButtonSet };

// The computer's local date and time, as the window's pickers would show it.
struct LocalDateTime {
    ClockDate Date;
    ClockTime Time;
};

class SequenceHost {
public:
    virtual ~SequenceHost() = default;

    // --- What the window must provide ---------------------------------------

    // The window's one BoardSettings: the read stores what the board reports
    // in it, the write sends Mode, Interval, Hour* and Bright* from it.
    virtual BoardSettings& Settings() = 0;
    virtual bool ControllerSetting() = 0;  // may the operator change settings?
    virtual std::int8_t RepeatsC() = 0;    // extra attempts per command on the radio interface

    virtual void SetControlEnabled(ExchangeControl control, bool enabled) = 0;
    virtual void SetButtonCaption(ExchangeButton button, const char* caption) = 0;  // UTF-8
    virtual void RepaintNow() = 0;  // paint the disabled controls before the first wait

    // DateTimePickerDC and DateTimePickerTC. The read sets them to the board's
    // clock and compares them with Now(); the write sends what they show.
    virtual ClockDate PickerDate() = 0;
    virtual ClockTime PickerTime() = 0;
    virtual void SetPickerDate(const ClockDate& date) = 0;
    virtual void SetPickerTime(const ClockTime& time) = 0;

    // Select item `index` of ComboBoxMode (an index outside 0..3 leaves no item
    // selected), then run the mode-change handler exactly as if the operator had
    // chosen it: Mode := index + 1 (0 without a selection), interval row and
    // pickers enabled to match.
    virtual void SelectModeItem(int index) = 0;
    virtual void SetIntervalText(const std::string& text) = 0;  // EditInterval

    // Refresh := on, and the check mark of miRefreshDateTime follows it. The
    // read switches it off when the board's clock differs from the computer's.
    virtual void SetRefresh(bool on) = 0;

    // The computer's current local date and time.
    virtual LocalDateTime Now() = 0;

    // One modal message box owned by the window, always on top; `type` is made
    // of the compat::kBox* values; returns the answer (compat::kAnswer*).
    virtual int ShowMessage(const char* text, const char* caption, unsigned type) = 0;

    // --- What the command-line client changes; the defaults are the window's ---

    // Waits for the status reply: WaitReply(), the full 2000 ms.
    virtual void WaitStatusReply();
    // Waits for the answer to a write command: WaitAcknowledge(limitMs).
    virtual Acknowledge WaitWriteAcknowledge(unsigned limitMs);
    // The pause the board needs after the mode and after the interval: SettlePause().
    virtual void SettlePause();
    // Whether InterfaceOpen may report its failure in the transport's own box.
    virtual bool OpenShowsMessages() { return true; }
    // Write body, after the firmware test and before the first write command:
    // a host that lacks values may take them from the board's status reply.
    // A non-empty result ends the exchange with that text in an error box and
    // nothing more is sent.
    virtual std::string CompleteWriteValues(const StatusReadResult& status);
};

// How an exchange ended, for callers that report it themselves (the window
// only needs what it has already shown).
enum class ExchangeEnd {
    NotOpened,  // InterfaceOpen failed; nothing was shown by the sequence
    Failed,     // the board did not answer, refused or answered something unusable
    Succeeded,
    Aborted,    // AbortExchange (the window closed): ended early, nothing shown
};

struct ExchangeResult {
    ExchangeEnd End = ExchangeEnd::NotOpened;
    // The status outcome's name for a read ("Read", "NoMode", ...), "NoAnswer"
    // when the board stayed silent; for a write "Written", "NoAnswer",
    // "NoFirmware", "OtherFirmware", "MissingValues", or the step followed by
    // "Rejected" / "NotConfirmed" ("DateRejected", "ModeNotConfirmed", ...).
    std::string Outcome;
    std::string Message;        // the text of the final box
    bool ClockDiffers = false;  // the read showed the clock warning
    std::string StatusReply;    // everything the status request received
    StatusReadResult Status;    // its parse (a write parses only the firmware)
    // The board's clock minus the computer's, in seconds, when the status
    // reply gave both (read and clock setting).
    bool HasDrift = false;
    long long DriftSeconds = 0;
    bool DateSentAgain = false;  // the clock setting crossed midnight between date and time
};

// SpeedButtonGetClick and SpeedButtonSetClick.
ExchangeResult RunReadSequence(SequenceHost& host);
ExchangeResult RunWriteSequence(SequenceHost& host);
// Sets only the board's clock to host.Now(): the status request (for the
// firmware test and the drift), the date, then the time. When the day has
// changed between the two, the date is sent again, so a setting across
// midnight never leaves the board a day behind. Outcomes as the write's, with
// "ClockSet" for success.
ExchangeResult RunClockSequence(SequenceHost& host);

// Seconds since 1 January 2000, 00:00:00, of a date and a time of day.
long long ClockSeconds(const ClockDate& date, const ClockTime& time);

// True once all seven labelled values of a status reply have arrived, each
// with the CR that ends it; the command-line client stops waiting there.
bool StatusReplyComplete(const std::string& text);

// Messages, captions and the button captions, UTF-8.
namespace text {
inline constexpr const char kWait[] = "Ждите...";
inline constexpr const char kRead[] = "Прочитать";
inline constexpr const char kWrite[] = "Установить";
inline constexpr const char kNoAnswer[] = "Устройство не отвечает на команды";
inline constexpr const char kClockDiffers[] =
    "Дата/Время на устройстве отличается от Даты/Времени, установленной на этом персональном компьютере";
inline constexpr const char kWritten[] = "Устройство подтверждает смену настроек";
inline constexpr const char kError[] = "Ошибка";
inline constexpr const char kInformation[] = "Информация";
inline constexpr const char kWarning[] = "Внимание";
}  // namespace text

}  // namespace board
