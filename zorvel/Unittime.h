// FormTime: the time and brightness dialog. This is its frame: the eight
// schedule fields and the editable flag the main window copies in and out,
// the brightness group and the bottom buttons. The time line comes with its
// own work.
#pragma once

#include <cstdint>

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/dialog.h"
#include "zorvel/widgets/drag.h"

class TFormTime : public widgets::Dialog {
public:
    explicit TFormTime(HWND owner);

    std::int16_t HourM = 6, HourA = 10, HourE = 16, HourN = 21;
    std::int16_t BrightM = 90, BrightA = 100, BrightE = 80, BrightN = 50;
    bool Editable = false;
    COLORREF HighlightColour = RGB(255, 0, 0);
    void SetHighlightColour(COLORREF colour) { HighlightColour = colour; }

    widgets::GroupBox GroupBoxBright;

protected:
    void OnShowing() override;

private:
    widgets::WindowDrag drag_;
};
