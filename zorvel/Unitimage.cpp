#include "zorvel/Unitimage.h"

#include "zorvel/widgets/images.h"
#include "zorvel/widgets/layout.h"

TFormImage::TFormImage(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ExStyle = WS_EX_DLGMODALFRAME;
    o.ClientWidth = 194;
    o.ClientHeight = 124;
    o.Owner = owner;
    widgets::DialogButtons buttons;
    buttons.Cancel = false;  // Escape closes with the Cancel result all the same
    buttons.OkHint = L"Закрыть это окно";
    buttons.PanelHeight = 38;
    buttons.ButtonWidth = 75;
    buttons.ButtonHeight = 32;
    CreateDialogFrame(o, buttons);
    Label.Create(hwnd, 0, 0, 194, 40);
    Image.Create(hwnd, 0, 40, 194, 46);
    drag_.Attach(hwnd);
    for (HWND passive : {Label.hwnd, Image.hwnd, PanelBottom.hwnd}) drag_.Add(passive);
}

bool TFormImage::ShowScheme(const std::wstring& caption, const std::wstring& text, const std::wstring& path) {
    SetText(caption);
    Label.SetCaption(text, FormFont(), GetSysColor(COLOR_BTNTEXT), DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    widgets::Bitmap picture = widgets::Bitmap::FromFile(path.c_str());
    if (!picture) return false;
    SIZE size = picture.Size();
    // The picture keeps its own pixels; the frame around it is scaled.
    int width = size.cx + Px(12) < Px(300) ? Px(300) : size.cx + Px(12);
    int height = size.cy + Px(38 + 40 + 50);
    SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    widgets::LayoutBands(Area(), {{Label, widgets::Align::Top, 40, {}},
                                  {PanelBottom, widgets::Align::Bottom, 38, {}},
                                  {Image, widgets::Align::Client, 0, {}}});
    Image.FitCanvas();
    Image.DrawPicture(picture, widgets::Image::Fit::TopLeft);
    BitBtnOK.Place(PanelBottom.Area().right - 81, 3, 75, 32);
    ShowModal();
    return true;
}
