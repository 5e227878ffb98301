#include "zorvel/Unitstat.h"

TFormStat::TFormStat(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"GSM";
    o.Style = WS_POPUP | WS_CAPTION;  // a dialog frame and no buttons at all
    o.ExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW;
    o.ClientWidth = 344;
    o.ClientHeight = 54;
    o.Owner = owner;
    o.FontPixels = 16;
    CreateForm(o);
    labelFont_ = ScaledFont(L"Tahoma", 16);
    LabelStat.Create(hwnd, 0, 0, 344, 54);
    LabelStat.SetCaption(L"", labelFont_, GetSysColor(COLOR_BTNTEXT), DT_CENTER | DT_VCENTER | DT_WORDBREAK);
    drag_.Attach(hwnd);
    drag_.Add(LabelStat);
}

void TFormStat::ShowStatus(const std::wstring& caption, const std::wstring& text) {
    SetText(caption);
    LabelStat.SetCaptionText(text);
    if (!Visible()) ShowInactive(true);
}
