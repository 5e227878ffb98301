#include "zorvel/Unitinput.h"

TFormInput::TFormInput(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ExStyle = WS_EX_DLGMODALFRAME;
    o.ClientWidth = 300;
    o.ClientHeight = 100;
    o.Owner = owner;
    CreateForm(o);
    Label.Create(hwnd, L"", 8, 8, 284, 18, CLR_INVALID);
    Edit.Create(hwnd, L"", 8, 30, 284, 22);
    BitBtnOK.Create(hwnd, L"OK", 130, 62, 75, 30, nullptr);
    BitBtnCancel.Create(hwnd, L"Отмена", 213, 62, 79, 30, nullptr);
    BitBtnOK.OnClick = [this] { ModalResult = widgets::mrOk; };
    BitBtnCancel.OnClick = [this] { ModalResult = widgets::mrCancel; };
}
