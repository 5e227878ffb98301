#include "zorvel/Unitsett.h"

#include "zorvel/widgets/layout.h"
#include "zorvel/widgets/listpainter.h"

using widgets::Align;

TFormSett::TFormSett(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"Настройки";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ClientWidth = 744;
    o.ClientHeight = 484;
    o.Owner = owner;
    widgets::DialogButtons buttons;
    buttons.Default = true;
    CreateDialogFrame(o, buttons);
    widgets::InstallSystemMenu(hwnd, HighlightColour);

    // Three columns of pages.
    for (widgets::Panel* column : {&PanelL, &PanelC, &PanelR}) column->Create(hwnd, 0, 0, 0, 0);
    widgets::LayoutBands(BodyArea(), {{PanelL, Align::Left, 250, widgets::Margins{2, 2, 0, 0}},
                                      {PanelC, Align::Left, 240, widgets::Margins{0, 2, 0, 0}},
                                      {PanelR, Align::Left, 250, widgets::Margins{0, 2, 0, 0}}});
    GroupBoxInterface.Create(PanelL, L"Тип соединения", 0, 0, 0, 0);
    GroupBoxRFM.Create(PanelL, L"RF модуль", 0, 0, 0, 0);
    widgets::LayoutBands(PanelL.Area(), {{GroupBoxInterface, Align::Top, 70, widgets::Uniform(2)},
                                         {GroupBoxRFM, Align::Client, 0, widgets::Uniform(2)}});
    GroupBoxCOM.Create(PanelC, L"COM порт", 0, 0, 0, 0);
    GroupBoxSIM.Create(PanelC, L"Ведущий GSM модем", 0, 0, 0, 0);
    widgets::LayoutBands(PanelC.Area(), {{GroupBoxCOM, Align::Top, 250, widgets::Uniform(2)},
                                         {GroupBoxSIM, Align::Client, 0, widgets::Uniform(2)}});
    GroupBoxFTD.Create(PanelR, L"USB порт", 0, 0, 0, 0);
    GroupBoxTCP.Create(PanelR, L"TCP", 0, 0, 0, 0);
    GroupBoxCSD.Create(PanelR, L"Ведомый GSM модем", 0, 0, 0, 0);
    widgets::LayoutBands(PanelR.Area(), {{GroupBoxFTD, Align::Top, 100, widgets::Uniform(2)},
                                         {GroupBoxTCP, Align::Top, 90, widgets::Uniform(2)},
                                         {GroupBoxCSD, Align::Client, 0, widgets::Uniform(2)}});

    const RECT inner = GroupBoxInterface.Area();
    ComboBoxInterface.Create(GroupBoxInterface, inner.left, inner.top, inner.right - inner.left, 40);
    ComboBoxInterface.OnDraw = [this](DRAWITEMSTRUCT* item) {
        widgets::DrawListItem(ComboBoxInterface, ComboBoxInterface.PaintItem(*item), nullptr, HighlightColour);
    };
    const RECT sim = GroupBoxSIM.Area();
    const int simWidth = sim.right - sim.left;
    SpeedButtonSIM_Balance.Create(GroupBoxSIM, L"Баланс", sim.left, sim.top + 40, simWidth, 30, nullptr);
    SpeedButtonSIM_Clear.Create(GroupBoxSIM, L"Удалить SMS", sim.left, sim.top + 76, simWidth, 30, nullptr);
    SpeedButtonGSM_PowerOff.Create(GroupBoxSIM, L"Перезапуск модема", sim.left, sim.top + 112, simWidth, 30,
                                   nullptr);

    BitBtnOK.OnClick = [this] { BitBtnOKClick(); };
    BitBtnCancel.OnClick = [this] { BitBtnCancelClick(); };

    // The background, the columns, the group boxes and the bottom bar move the window.
    drag_.Attach(hwnd);
    for (HWND passive : {PanelL.hwnd, PanelC.hwnd, PanelR.hwnd, PanelBottom.hwnd, GroupBoxInterface.hwnd,
                         GroupBoxCOM.hwnd, GroupBoxRFM.hwnd, GroupBoxSIM.hwnd, GroupBoxFTD.hwnd, GroupBoxTCP.hwnd,
                         GroupBoxCSD.hwnd})
        drag_.Add(passive);
}
