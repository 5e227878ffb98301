// FormTime: the time and brightness dialog. This is its frame: the eight
// schedule fields and the editable flag the main window copies in and out,
// and OK / cancel. The time line comes with its own work.
#pragma once

#include <cstdint>

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/form.h"

class TFormTime : public widgets::Form {
public:
    explicit TFormTime(HWND owner);

    std::int16_t HourM = 6, HourA = 10, HourE = 16, HourN = 21;
    std::int16_t BrightM = 90, BrightA = 100, BrightE = 80, BrightN = 50;
    bool Editable = false;
    COLORREF HighlightColour = RGB(255, 0, 0);

    widgets::GroupBox GroupBoxBright;
    widgets::SpeedButton BitBtnOK, BitBtnCancel;

protected:
    void OnShowing() override;

private:
    widgets::Font buttonFont_;
};
