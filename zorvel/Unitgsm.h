// FormGSM: the slim window at the right edge of the screen that shows, while
// the GSM modem is on, whether it found the network and its signal quality
// as a gauge of 100 stripes. The main window's timer drives it.
#pragma once

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/form.h"

class TFormGSM : public widgets::Form {
public:
    // `normal` and `grey` are the main window's 32 x 32 image lists.
    TFormGSM(HWND owner, const widgets::ImageList& normal, const widgets::ImageList& grey);

    // The gauge for signal quality q (0..31, 99 when not detectable).
    void GaugeUpdate(int q);
    // The network picture and its hint after NetworkFound changed.
    void ShowNetwork(bool found);

    widgets::Panel PanelGSM;
    widgets::Image ImageNet;
    widgets::Image ImageCSQ;
    widgets::Label LabelCSQ;
    widgets::Hints Hints;

protected:
    void OnShowing() override;

private:
    const widgets::ImageList& normal_;
    const widgets::ImageList& grey_;
    widgets::Font labelFont_;
};
