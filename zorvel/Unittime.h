// FormTime: the time and brightness dialog. The main window copies its eight
// schedule values and its controller-settings flag in, shows the dialog and
// takes the values back on OK. The dialog shows the day as a line of five
// panels (the night drawn at both ends) whose boundaries the operator drags
// hour by hour, the brightness of each period above it, and a slider for the
// brightness of the selected period. The geometry and colours are worked out
// in timeline.h; this is the window over them.
#pragma once

#include <array>
#include <cstdint>

#include "zorvel/timeline.h"
#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/dialog.h"
#include "zorvel/widgets/drag.h"
#include "zorvel/widgets/images.h"

// A period panel of the time line: clicked to select its period, so it shows
// the hand cursor over itself and its icon. Its caption begins with spaces
// that clear the icon at its left.
class TPeriodPanel : public widgets::Panel {
public:
    // Where the icon ends, in design units.
    void SetIconRight(int right) { iconRight_ = right; }
    void Paint(HDC dc) const override;

protected:
    bool OnPanelMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    int iconRight_ = 0;
};

class TFormTime : public widgets::Dialog {
public:
    explicit TFormTime(HWND owner);

    std::int16_t HourM = 6, HourA = 10, HourE = 16, HourN = 21;
    std::int16_t BrightM = 90, BrightA = 100, BrightE = 80, BrightN = 50;
    bool Editable = false;
    COLORREF HighlightColour = RGB(255, 0, 0);
    void SetHighlightColour(COLORREF colour) { HighlightColour = colour; }
    // The selected period (timeline::Period), kept as the indicator's tag.
    int ImageDayTimeNowTag = timeline::kMorning;

    widgets::GroupBox GroupBoxBright;
    widgets::Label LabelCaption;
    widgets::Panel PanelTimeline, PanelBrights, PanelDay, PanelTimelines, PanelHours;
    widgets::Label LabelBrights, LabelDay, LabelHours;
    widgets::Label LabelBrightM, LabelBrightA, LabelBrightE, LabelBrightN, LabelBrightN1;
    TPeriodPanel PanelN1, PanelM, PanelA, PanelE, PanelN;
    widgets::Image ImageN1, ImageM, ImageA, ImageE, ImageN;
    widgets::Splitter SplitterM, SplitterA, SplitterE, SplitterN;
    widgets::Image ImageHours;
    widgets::Panel PanelBright, PanelBrightTB;
    widgets::Image ImageDayTimeNow, ImageBright;
    widgets::Label LabelBright;
    widgets::TrackBar TrackBarBright;

    // Handlers, public so tests drive them as the operator would.
    void FormShow();
    void FormActivate();
    void PanelN1Click(int tag);  // every period panel and its icon, with the period as tag
    void TrackBarBrightChange();
    // Splitter `index` (0 morning .. 3 night) stands at `left`; `released` ends the drag.
    void SplitterMMoved(int index, int left, bool released);
    void BitBtnDefaultClick();

    // Slots of the line, left to right, and the splitters between them.
    std::array<TPeriodPanel*, timeline::kSlots> Panels() { return {&PanelN1, &PanelM, &PanelA, &PanelE, &PanelN}; }
    std::array<widgets::Label*, timeline::kSlots> BrightLabels() {
        return {&LabelBrightN1, &LabelBrightM, &LabelBrightA, &LabelBrightE, &LabelBrightN};
    }
    std::array<widgets::Splitter*, 4> Splitters() { return {&SplitterM, &SplitterA, &SplitterE, &SplitterN}; }

protected:
    void OnShowing() override;
    void OnActivated() override;
    void OnScaleChanged() override;

private:
    std::array<std::int16_t*, 4> HourFields() { return {&HourM, &HourA, &HourE, &HourN}; }
    std::array<std::int16_t*, 4> BrightFields() { return {&BrightM, &BrightA, &BrightE, &BrightN}; }
    std::array<int, 4> Hours();
    void SetHours(const std::array<int, 4>& hours);
    void SetDefaults();
    void CreateTimeline();
    void CreateBrightRow();
    // Lays the line out from the hours; the next drag starts from there.
    void LayOutFromHours();
    void PlaceLine(const timeline::Layout& layout);
    void ApplyColours();
    void PlaceLabels();
    bool PeriodSelected();
    // The pictures drawn nearest to the display's scale.
    void LoadPictures();
    // Clears the image and draws the picture centred on it.
    void ShowPicture(const widgets::Image& image, const widgets::ImageList& picture) const;

    widgets::Font captionFont_, percentFont_, brightFont_;
    widgets::ImageList pictures_[4], brightPicture_, hoursPicture_;
    timeline::Layout layout_;       // where the line stands
    timeline::Layout dragStart_;    // the line and hours the current drag began from
    std::array<int, 4> dragHours_{};
    bool activatePending_ = false;
    widgets::WindowDrag drag_;
};
