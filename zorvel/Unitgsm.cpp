#include "zorvel/Unitgsm.h"

#include <string>

TFormGSM::TFormGSM(HWND owner, const widgets::ImageList& normal, const widgets::ImageList& grey)
    : normal_(normal), grey_(grey) {
    widgets::FormOptions o;
    o.Caption = L"GSM";
    o.Style = WS_POPUP | WS_CAPTION;
    o.ExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW;
    o.ClientWidth = 44;
    o.ClientHeight = 374;
    o.Owner = owner;
    o.FontPixels = 11;  // 8 pt
    CreateForm(o);
    labelFont_ = ScaledFont(L"Tahoma", 13, true);
    PanelGSM.Create(hwnd, 0, 0, 44, 374);
    ImageNet.Create(PanelGSM, 3, 0, 38, 32);
    ImageCSQ.Create(PanelGSM, 3, 35, 38, 314);
    LabelCSQ.Create(PanelGSM, L"", 3, 355, 38, 16, CLR_INVALID, SS_CENTER);
    LabelCSQ.SetFont(labelFont_);
    Hints.Create(hwnd);
    Hints.Set(ImageNet, L"");
}

void TFormGSM::OnShowing() {
    HDC screen = GetDC(nullptr);
    int width = GetDeviceCaps(screen, HORZRES), height = GetDeviceCaps(screen, VERTRES);
    ReleaseDC(nullptr, screen);
    RECT r{};
    GetWindowRect(hwnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(hwnd, nullptr, width - w, (height - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ImageNet.Clear();
    grey_.Draw(ImageNet.Surface().Dc(), 7, Px(3), 0);
    ImageNet.Refresh();
}

void TFormGSM::ShowNetwork(bool found) {
    ImageNet.Clear();
    (found ? normal_ : grey_).Draw(ImageNet.Surface().Dc(), 9, Px(3), 0);
    ImageNet.Refresh();
    Hints.Set(ImageNet, found ? L"Сеть найдена" : L"Не удается подключиться к сети");
}

void TFormGSM::GaugeUpdate(int q) {
    const int n = q == 99 ? 0 : 3 * q;
    const widgets::Canvas& canvas = ImageCSQ.Surface();
    const int W = canvas.Width();
    // The stripes are computed on the design height, so every display shows
    // the same stripes, only larger.
    const double u = (Design(canvas.Height()) + 2) * 0.01;
    const auto R = static_cast<unsigned char>(static_cast<int>(255 - n * 2.55));
    const auto G = static_cast<unsigned char>(static_cast<int>(n * 2.55));
    LabelCSQ.SetTextColour(RGB(R, G > 50 ? G - 50 : G, 0));
    LabelCSQ.SetText(n == 0 ? std::wstring() : std::to_wstring(n) + L"%");
    const double r = R / (n + 1.0), g = G / (n + 1.0);
    HDC dc = canvas.Dc();
    for (int i = 0; i < 100; ++i) {
        COLORREF colour = i < n ? RGB(static_cast<int>(i * r), static_cast<int>(i * g), 0) : ImageCSQ.Back();
        widgets::Brush brush(colour);
        RECT stripe{0, Px(static_cast<int>((99 - i) * u)), W, Px(static_cast<int>((100 - i) * u))};
        FillRect(dc, &stripe, brush);
    }
    ImageCSQ.Refresh();
}
