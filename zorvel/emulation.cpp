#include "zorvel/emulation.h"

#include <cstdio>
#include <cstdlib>

namespace zorvel {

bool DisplayEmulation::Step(int mode, unsigned interval) {
    if (mode == 1) Shows = Phase::Time;
    if (mode == 4) Shows = Phase::Temperature;
    const std::int32_t reload = static_cast<std::int32_t>(interval) * 1000;
    if (!Started) {
        IntervalCountdown = reload;
        Started = true;
    }
    IntervalCountdown -= kTickMs;
    if (IntervalCountdown < 0) {
        IntervalCountdown = reload;
        if (mode == 2) Shows = Shows == Phase::Time ? Phase::Temperature : Phase::Time;
        if (mode == 3)
            Shows = Shows == Phase::Time ? Phase::Date : Shows == Phase::Date ? Phase::Temperature : Phase::Time;
    }
    RefreshCountdown = static_cast<std::int16_t>(RefreshCountdown - kTickMs);
    if (RefreshCountdown >= 0) return false;
    RefreshCountdown = kRepaintMs;
    return true;
}

void DisplayEmulation::TemperatureStep(int draw) {
    int t = Temperature;
    if (draw == 1) ++t;
    if (draw == 2) --t;
    if (t > 99) t = 99;
    if (t < -99) t = -99;
    Temperature = static_cast<std::int8_t>(t);
}

int BrightnessAt(int hour, const board::BoardSettings& s) {
    if (hour >= s.HourN) return s.BrightN;
    if (hour >= s.HourE) return s.BrightE;
    if (hour >= s.HourA) return s.BrightA;
    if (hour >= s.HourM) return s.BrightM;
    return s.BrightN;
}

void DisplayEmulation::UpdateBrightness(int hour, const board::BoardSettings& settings) {
    Brightness = static_cast<std::int8_t>(BrightnessAt(hour, settings));
}

int DisplayEmulation::TextIntensity() const {
    // Whole tenths: b x 2.5 = b x 25 / 10, truncated like the floating product.
    int intensity = Brightness * 25 / 10;
    if (intensity < 0) return 0;
    return intensity > 255 ? 255 : intensity;
}

std::string DisplayEmulation::TimeText(const board::ClockTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", time.Hours, time.Minutes, time.Seconds);
    std::string result = text;
    if (result.size() > 1 && result[1] == ':') result.insert(0, "0");
    return result;
}

std::string DisplayEmulation::TemperatureText(int degrees) {
    // One minus sign for a cold day, three blanks keep a warm one in place.
    std::string text = degrees < 0 ? "-" : "   ";
    text += std::to_string(std::abs(degrees));
    text += "\xC2\xB0";  // degree sign, UTF-8
    return text;
}

std::string DisplayEmulation::PanelText(const board::ClockTime& time, const std::string& dateText) const {
    switch (Shows) {
        case Phase::Time:
            return TimeText(time);
        case Phase::Date:
            return dateText;
        case Phase::Temperature:
            return TemperatureText(Temperature);
    }
    return {};
}

}  // namespace zorvel
