#include "zorvel/Unittime.h"

#include "zorvel/widgets/layout.h"

TFormTime::TFormTime(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"Настройки времени и яркости";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ClientWidth = 844;
    o.ClientHeight = 254;
    o.Owner = owner;
    widgets::DialogButtons buttons;
    buttons.Default = true;
    CreateDialogFrame(o, buttons);
    widgets::InstallSystemMenu(hwnd, HighlightColour, {L"Закрыть\tCtrl+F4", nullptr});
    GroupBoxBright.Create(hwnd, L"Яркость", 0, 0, 0, 0);
    widgets::LayoutBands(BodyArea(), {{GroupBoxBright, widgets::Align::Client, 0, widgets::Uniform(4)}});
    drag_.Attach(hwnd);
    drag_.Add(GroupBoxBright);
    drag_.Add(PanelBottom);
}

void TFormTime::OnShowing() {
    CenterOnOwner();
    BitBtnCancel.Show(Editable);
    BitBtnDefault.Show(Editable);
}
