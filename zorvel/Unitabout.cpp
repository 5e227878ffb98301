#include "zorvel/Unitabout.h"

#include "zorvel/widgets/layout.h"

TFormAbout::TFormAbout(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"О программе";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ExStyle = WS_EX_LAYERED;
    o.ClientWidth = 414;
    o.ClientHeight = 224;
    o.Owner = owner;
    widgets::DialogButtons buttons;
    buttons.Cancel = false;  // Escape closes with the Cancel result all the same
    buttons.OkHint = L"Закрыть это окно";
    buttons.PanelHeight = 38;
    buttons.ButtonWidth = 75;
    buttons.ButtonHeight = 32;
    CreateDialogFrame(o, buttons);
    SetLayeredWindowAttributes(hwnd, 0, 245, LWA_ALPHA);  // 96% opaque
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    PanelAbout.Create(hwnd, 0, 0, 0, 0);
    widgets::LayoutBands(BodyArea(), {{PanelAbout, widgets::Align::Right, 200, widgets::Margins{}}});
    nameFont_ = widgets::Font(L"Tahoma", 16);
    LabelAppName.Create(PanelAbout, L"", 0, 6, 200, 22, face, SS_CENTER);
    LabelAppName.SetFont(nameFont_);
    LabelAppDescription.Create(PanelAbout, L"", 0, 30, 200, 60, face, SS_CENTER);
    LabelAppVersion.Create(PanelAbout, L"", 0, 96, 200, 18, face, SS_CENTER);
    LabelAppManufacturer.Create(PanelAbout, L"", 0, 116, 200, 18, face, SS_CENTER);
    EditAppTelephone.Create(PanelAbout, L"", 78, 138, 120, 20);
    EditAppEMail.Create(PanelAbout, L"", 78, 162, 120, 20);
    for (widgets::Edit* e : {&EditAppTelephone, &EditAppEMail}) e->SetReadOnly(true);
    // The link sits in the bottom bar, left of OK, in the form's own font.
    LabelAppURL.Create(PanelBottom, L"", 134, 10, 125, 20, face, SS_CENTER);
    drag_.Attach(hwnd);
    for (HWND passive : {PanelAbout.hwnd, PanelBottom.hwnd, LabelAppName.hwnd, LabelAppDescription.hwnd,
                         LabelAppVersion.hwnd, LabelAppManufacturer.hwnd})
        drag_.Add(passive);
}
