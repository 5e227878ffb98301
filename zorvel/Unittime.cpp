#include "zorvel/Unittime.h"

TFormTime::TFormTime(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"Настройки времени и яркости";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ClientWidth = 844;
    o.ClientHeight = 254;
    o.Owner = owner;
    CreateForm(o);
    GroupBoxBright.Create(hwnd, L"Яркость", 4, 4, 836, 206);
    buttonFont_ = widgets::Font(L"Tahoma", 16);
    BitBtnOK.Create(hwnd, L"OK", 606, 216, 112, 34, nullptr);
    BitBtnCancel.Create(hwnd, L"Отменить", 726, 216, 112, 34, nullptr);
    for (widgets::SpeedButton* b : {&BitBtnOK, &BitBtnCancel}) b->SetFont(buttonFont_);
    BitBtnOK.OnClick = [this] { ModalResult = widgets::mrOk; };
    BitBtnCancel.OnClick = [this] { ModalResult = widgets::mrCancel; };
}

void TFormTime::OnShowing() {
    CenterOnOwner();
    BitBtnCancel.Show(Editable);
}
