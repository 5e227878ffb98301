// FormSett: the settings dialog of the transports. One page (group box) per
// transport, the interface chooser, the port scan and the USB device list,
// the driver reinstall toggle, the GSM modem's actions and the slave modem
// list. It shows the transports' members and the main window's held values
// and hands them back only on OK; the rules it follows without a window are
// in settvalues.h.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "zorvel/config/settings.h"
#include "zorvel/settvalues.h"
#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/dialog.h"
#include "zorvel/widgets/drag.h"

class TFormSett : public widgets::Dialog {
public:
    // `held`: the main window's settings of the run; `normal` and `grey`: its
    // 32 x 32 pictures, icon n drawn on page n; `menuImages`: its pictures of
    // menu items, which the edit menu shares.
    TFormSett(HWND owner, config::Settings& held, const widgets::ImageList& normal, const widgets::ImageList& grey,
              const widgets::StripList& menuImages);

    enum : UINT { miCut = 401, miCopy, miPaste, miDefault };
    static constexpr int kIpAddressId = 1001;

    COLORREF HighlightColour = RGB(255, 0, 0);
    void SetHighlightColour(COLORREF colour) { HighlightColour = colour; }
    // Resets the GSM status window's signal indicator (set by whoever owns it).
    std::function<void()> OnGsmSignalReset;

    // --- Intents of the main window -----------------------------------------------
    void AddInterfaceName(const std::wstring& name) { ComboBoxInterface.Add(name); }
    // The delivered configuration: only the serial page, one interface.
    void ShortenToSerialPage();
    // The modem's state, from the main window's timer.
    void EnableModemButtons(bool restart, bool balance, bool clear);
    void EnableModemRestart(bool restart);

    // --- Controls -------------------------------------------------------------------
    widgets::Panel PanelL, PanelC, PanelR;
    widgets::GroupBox GroupBoxInterface, GroupBoxCOM, GroupBoxRFM, GroupBoxSIM, GroupBoxFTD, GroupBoxTCP,
        GroupBoxCSD;
    widgets::ComboBox ComboBoxInterface;
    widgets::StripList ImageListGlInterface;
    // serial
    widgets::Image ImageCOM;
    widgets::Label LabelCOM_Number, LabelCOM_BaudRate, LabelCOM_DataBits, LabelCOM_StopBits, LabelCOM_Parity,
        LabelCOM_FlowControl;
    widgets::DropDownList ComboBoxCOM_Number, ComboBoxCOM_BaudRate, ComboBoxCOM_DataBits, ComboBoxCOM_StopBits,
        ComboBoxCOM_Parity, ComboBoxCOM_FlowControl;
    widgets::CheckBox CheckBoxCOM_AutoScan;
    // GSM master modem
    widgets::Panel PanelSIM_Balance;
    widgets::Image ImageSIM;
    widgets::Label LabelSIM_Balance;
    widgets::Edit EditSIM_Balance;
    widgets::SpeedButton SpeedButtonSIM_Balance, SpeedButtonSIM_Clear, SpeedButtonGSM_PowerOff;
    // USB
    widgets::Image ImageFTD;
    widgets::Label LabelFTD_Device;
    widgets::DropDownList ComboBoxFTD_Device;
    widgets::SpeedButton SpeedButtonFTD_Driver;
    // TCP
    widgets::Panel PanelTCP_IP;
    widgets::Label LabelTCP_IP, LabelTCP_Port;
    widgets::IpAddress IpAddressTCP;
    widgets::Image ImageTCP;
    widgets::Edit EditTCP_Port;
    // GSM slave modems
    widgets::Image ImageCSD;
    widgets::Label LabelCSD_Number, LabelCSD_Numbers;
    widgets::DropDownList ComboBoxCSD_Number;
    widgets::StringGrid StringGridCSD_Numbers;
    // radio
    widgets::Image ImageRFM;
    widgets::Label LabelRFM_Type, LabelRFM_Freq, LabelRFM_DRfsk, LabelRFM_Pout, LabelRFM_DRin, LabelRFM_Parity,
        LabelRFM_Tw;
    widgets::DropDownList ComboBoxRFM_Freq, ComboBoxRFM_DRfsk, ComboBoxRFM_Pout, ComboBoxRFM_DRin, ComboBoxRFM_Parity,
        ComboBoxRFM_Tw;
    widgets::StringGrid StringGridRFM_Freq;

    widgets::PopupMenu PopupMenu;

    // --- Handlers -------------------------------------------------------------------
    void FormShow();
    void BitBtnOKClick();
    void BitBtnCancelClick() { ModalResult = widgets::mrCancel; }
    void BitBtnDefaultClick();
    void ComboBoxInterfaceChange();
    void CheckBoxCOM_AutoScanClick();
    void RebuildDeviceList();
    void SpeedButtonFTD_DriverClick();
    void SpeedButtonSIM_BalanceClick();
    void SpeedButtonSIM_ClearClick();
    void SpeedButtonGSM_PowerOffClick();
    void EditTCP_PortKeyPress(wchar_t& key);
    void EditSIM_BalanceKeyPress(wchar_t& key);
    void StringGridRFM_FreqSetEditText(int col, int row, const std::wstring& text);
    void StringGridCSD_NumbersKeyPress(int col, int row, wchar_t& key);
    void StringGridCSD_NumbersSetEditText(int col, int row, const std::wstring& text);
    void StringGridCSD_NumbersExit();
    // The pop-up menu, opened for `target`.
    void PopupMenuPopup(HWND target);
    void miDefaultClick();
    // The default of one field (any other control: nothing).
    void FieldDefault(HWND control);
    // Enables or disables page 0 ... 4 with its picture; other indexes do nothing.
    void EnablePage(int index, bool enabled);

    int CurrentPage() const { return page_; }
    // Port scans since the dialog was created (each probe of every port counts once per scan).
    int PortScans() const { return portScans_; }

protected:
    void OnShowing() override;
    bool CanClose() override { return driver_ != Driver::Running; }

private:
    void CreateSerialPage();
    void CreateModemPage();
    void CreateUsbPage();
    void CreateTcpPage();
    void CreateSlavePage();
    void CreateRadioPage();
    void CreatePopupMenu();
    void KeepFixedControls();
    void ShowSlaveList();
    void StoreAll(const sett::OkNumbers& numbers);
    void RunTransportSwitch(int newInterface, int oldInterface);
    void DrawPageIcon(const widgets::Image& image, int icon, bool enabled) const;
    void RestoreDriverButton();
    std::vector<sett::SlaveRow> SlaveRows() const;
    int ShowBox(const char* text, const char* caption, unsigned type) const;

    config::Settings& held_;
    const widgets::ImageList& normal_;
    const widgets::ImageList& grey_;
    const widgets::StripList& menuImages_;
    int page_ = -1;
    int portScans_ = 0;
    bool modemButtons_[3] = {};  // restart, balance, clear
    std::uint32_t shownAddress_ = 0;
    HWND popupTarget_ = nullptr;
    enum class Driver { Idle, Running, AbortAsked } driver_ = Driver::Idle;
    widgets::WindowDrag drag_;
};
