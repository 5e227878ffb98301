#include "zorvel/Unitabout.h"

TFormAbout::TFormAbout(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"О программе";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ExStyle = WS_EX_LAYERED;
    o.ClientWidth = 414;
    o.ClientHeight = 224;
    o.Owner = owner;
    CreateForm(o);
    SetLayeredWindowAttributes(hwnd, 0, 245, LWA_ALPHA);  // 96% opaque
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    PanelAbout.Create(hwnd, 214, 0, 200, 186);
    nameFont_ = widgets::Font(L"Tahoma", 16);
    LabelAppName.Create(PanelAbout, L"", 0, 6, 200, 22, face, SS_CENTER);
    LabelAppName.SetFont(nameFont_);
    LabelAppDescription.Create(PanelAbout, L"", 0, 30, 200, 60, face, SS_CENTER);
    LabelAppVersion.Create(PanelAbout, L"", 0, 96, 200, 18, face, SS_CENTER);
    LabelAppManufacturer.Create(PanelAbout, L"", 0, 116, 200, 18, face, SS_CENTER);
    EditAppTelephone.Create(PanelAbout, L"", 78, 138, 120, 20);
    EditAppEMail.Create(PanelAbout, L"", 78, 162, 120, 20);
    for (widgets::Edit* e : {&EditAppTelephone, &EditAppEMail}) e->Send(EM_SETREADONLY, TRUE);
    LabelAppURL.Create(hwnd, L"", 134, 196, 125, 20, face, SS_CENTER);
    BitBtnOK.Create(hwnd, L"OK", 334, 189, 75, 32, nullptr);
    BitBtnOK.OnClick = [this] { ModalResult = widgets::mrOk; };
}
