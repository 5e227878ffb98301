#include "zorvel/Unitsett.h"

#include "zorvel/widgets/listpainter.h"

TFormSett::TFormSett(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"Настройки";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ClientWidth = 744;
    o.ClientHeight = 484;
    o.Owner = owner;
    CreateForm(o);
    // Left column: the connection type and the radio module.
    GroupBoxInterface.Create(hwnd, L"Тип соединения", 4, 4, 242, 70);
    ComboBoxInterface.Create(hwnd, 12, 24, 226, 40);
    ComboBoxInterface.OnDraw = [this](DRAWITEMSTRUCT* item) {
        widgets::DrawListItem(ComboBoxInterface, item->hDC, static_cast<int>(item->itemID), item->rcItem,
                              item->itemState, nullptr, HighlightColour);
    };
    GroupBoxRFM.Create(hwnd, L"RF модуль", 4, 80, 242, 356);
    // Middle column: the serial port and the master GSM modem.
    GroupBoxCOM.Create(hwnd, L"COM порт", 254, 4, 232, 250);
    GroupBoxSIM.Create(hwnd, L"Ведущий GSM модем", 254, 260, 232, 176);
    SpeedButtonSIM_Balance.Create(hwnd, L"Баланс", 264, 320, 212, 30, nullptr);
    SpeedButtonSIM_Clear.Create(hwnd, L"Удалить SMS", 264, 356, 212, 30, nullptr);
    SpeedButtonGSM_PowerOff.Create(hwnd, L"Перезапуск модема", 264, 392, 212, 30, nullptr);
    // Right column: USB, TCP and the slave modems.
    GroupBoxFTD.Create(hwnd, L"USB порт", 494, 4, 246, 100);
    GroupBoxTCP.Create(hwnd, L"TCP", 494, 110, 246, 90);
    GroupBoxCSD.Create(hwnd, L"Ведомый GSM модем", 494, 206, 246, 230);
    // Bottom bar.
    buttonFont_ = widgets::Font(L"Tahoma", 16);
    BitBtnDefault.Create(hwnd, L"По умолчанию", 6, 444, 150, 34, nullptr);
    BitBtnOK.Create(hwnd, L"OK", 506, 444, 112, 34, nullptr);
    BitBtnCancel.Create(hwnd, L"Отменить", 626, 444, 112, 34, nullptr);
    for (widgets::SpeedButton* b : {&BitBtnDefault, &BitBtnOK, &BitBtnCancel}) b->SetFont(buttonFont_);
    BitBtnOK.OnClick = [this] { BitBtnOKClick(); };
    BitBtnCancel.OnClick = [this] { BitBtnCancelClick(); };
}
