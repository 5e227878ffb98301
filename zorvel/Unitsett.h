// FormSett: the settings dialog of the transports. This is its frame: the
// three columns with one group box per page, the interface list, the GSM
// buttons the main window's timer keeps in step, and the bottom buttons. The
// pages' fields come with their own work.
#pragma once

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/dialog.h"
#include "zorvel/widgets/drag.h"

class TFormSett : public widgets::Dialog {
public:
    explicit TFormSett(HWND owner);

    COLORREF HighlightColour = RGB(255, 0, 0);
    void SetHighlightColour(COLORREF colour) { HighlightColour = colour; }

    widgets::Panel PanelL, PanelC, PanelR;
    widgets::GroupBox GroupBoxInterface, GroupBoxCOM, GroupBoxRFM, GroupBoxSIM, GroupBoxFTD, GroupBoxTCP,
        GroupBoxCSD;
    widgets::ComboBox ComboBoxInterface;
    widgets::SpeedButton SpeedButtonSIM_Balance, SpeedButtonSIM_Clear, SpeedButtonGSM_PowerOff;

    void BitBtnOKClick() { ModalResult = widgets::mrOk; }
    void BitBtnCancelClick() { ModalResult = widgets::mrCancel; }

protected:
    void OnShowing() override { CenterOnOwner(); }

private:
    widgets::WindowDrag drag_;
};
