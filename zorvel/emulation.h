// The imitation of the board's display on the main window: what it shows in
// the rhythm of the mode and the interval, how bright its red text is in the
// current part of the day, and an imitated temperature that wanders. Plain
// C++ with no window in it; the main window feeds it the clock and draws.
#pragma once

#include <cstdint>
#include <string>

#include "zorvel/board/protocol.h"

namespace zorvel {

enum class Phase : std::uint8_t { Time = 0, Date = 1, Temperature = 2 };

class DisplayEmulation {
public:
    static constexpr int kTickMs = 100;       // the main window's timer
    static constexpr int kRepaintMs = 800;    // reload of the repaint countdown

    Phase Shows = Phase::Time;
    bool Started = false;
    std::int32_t IntervalCountdown = 0;  // ms; holds the longest interval, 255 s
    std::int16_t RefreshCountdown = 0;   // ms
    std::int8_t Temperature = 0;         // degrees, -99..99
    std::int8_t Brightness = 0;          // percent of the current part of the day

    // One timer tick: moves the phase on in the rhythm of mode and interval.
    // Returns true when the panel is due for a repaint; the caller then
    // refreshes the clock (when it follows the computer's), runs
    // TemperatureStep and shows PanelText.
    bool Step(int mode, unsigned interval);

    // `draw` is a number 0..9: 1 adds a degree, 2 takes one away.
    void TemperatureStep(int draw);

    // Brightness of the part of the day that `hour` falls in; stores it.
    void UpdateBrightness(int hour, const board::BoardSettings& settings);

    // Red intensity of the text: trunc(brightness x 2.5), kept to 0..255.
    int TextIntensity() const;

    // The panel's text for the current phase. The time shows its hour with
    // two digits; the date text comes in the system's short form.
    std::string PanelText(const board::ClockTime& time, const std::string& dateText) const;

    static std::string TimeText(const board::ClockTime& time);
    static std::string TemperatureText(int degrees);
};

// The brightness of the part of the day that `hour` falls in (night also
// covers the hours after midnight before the morning).
int BrightnessAt(int hour, const board::BoardSettings& settings);

}  // namespace zorvel
