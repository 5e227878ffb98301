// FormSett: the settings dialog of the transports. This is its frame: the
// pages as group boxes, the interface list, the GSM buttons the main window's
// timer keeps in step, and OK / cancel. The pages' fields come with their own
// work.
#pragma once

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/form.h"

class TFormSett : public widgets::Form {
public:
    explicit TFormSett(HWND owner);

    COLORREF HighlightColour = RGB(255, 0, 0);

    widgets::GroupBox GroupBoxInterface, GroupBoxCOM, GroupBoxRFM, GroupBoxSIM, GroupBoxFTD, GroupBoxTCP,
        GroupBoxCSD;
    widgets::ComboBox ComboBoxInterface;
    widgets::SpeedButton SpeedButtonSIM_Balance, SpeedButtonSIM_Clear, SpeedButtonGSM_PowerOff;
    widgets::SpeedButton BitBtnDefault, BitBtnOK, BitBtnCancel;

    void BitBtnOKClick() { ModalResult = widgets::mrOk; }
    void BitBtnCancelClick() { ModalResult = widgets::mrCancel; }

protected:
    void OnShowing() override { CenterOnOwner(); }

private:
    widgets::Font buttonFont_;
};
