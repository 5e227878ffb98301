#include "zorvel/Unitinput.h"

TFormInput::TFormInput(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ExStyle = WS_EX_DLGMODALFRAME;
    o.ClientWidth = 300;
    o.ClientHeight = 100;
    o.Owner = owner;
    widgets::DialogButtons buttons;
    buttons.CancelCaption = L"Отмена";
    buttons.OkHint = buttons.CancelHint = L"";
    buttons.ButtonWidth = 79;
    buttons.ButtonHeight = 30;
    CreateDialogFrame(o, buttons);
    Label.Create(hwnd, L"", 8, 8, 284, 18, CLR_INVALID);
    Edit.Create(hwnd, L"", 8, 30, 284, 22);
}
