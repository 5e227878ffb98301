#include "zorvel/widgets/panel.h"

#include "zorvel/widgets/dpi.h"

namespace widgets {

RECT Panel::Area() const { return ScaleOf(hwnd).Design(Client()); }

void Panel::Create(HWND parent, int x, int y, int width, int height, COLORREF colour, Bevel bevel) {
    brush_ = widgets::Brush(OrFace(colour));
    bevel_ = bevel;
    CreatePanel(L"ZorvelPanel", parent, x, y, width, height);
}

void Panel::CreatePanel(const wchar_t* className, HWND parent, int x, int y, int width, int height) {
    if (!brush_) brush_ = widgets::Brush(OrFace(CLR_INVALID));
    RegisterControlClass(className, &Panel::Proc);
    CreateChild(className, L"", WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, x, y, width, height);
}

void Panel::SetColour(COLORREF colour) {
    brush_ = widgets::Brush(OrFace(colour));
    Invalidate();
}

void Panel::SetBevel(Bevel bevel) {
    if (bevel == bevel_) return;
    bevel_ = bevel;
    Invalidate();
}

void Panel::SetCaption(const std::wstring& text, HFONT font, COLORREF textColour, UINT format) {
    caption_ = text;
    font_ = font;
    textColour_ = textColour;
    format_ = format;
    Invalidate();
}

void Panel::SetCaptionText(const std::wstring& text) {
    caption_ = text;
    Invalidate();
}

void Panel::RemapFonts(const std::function<HFONT(HFONT)>& remade) {
    if (font_) font_ = remade(font_);
}

void Panel::SetTextColour(COLORREF colour) {
    if (colour == textColour_) return;
    textColour_ = colour;
    Invalidate();
}

void Panel::Paint(HDC dc) const {
    RECT r = Client();
    FillRect(dc, &r, brush_);
    switch (bevel_) {
        case Bevel::None: break;
        case Bevel::Raised: DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT); break;
        case Bevel::Lowered: DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT); break;
        case Bevel::Soft: DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_SOFT); break;
    }
    PaintCaption(dc, r);
}

void Panel::PaintCaption(HDC dc, RECT r) const {
    if (caption_.empty()) return;
    Selected font(dc, CaptionFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour_);
    InflateRect(&r, -2, 0);
    if ((format_ & DT_WORDBREAK) && (format_ & DT_VCENTER)) {
        // DT_VCENTER works on single lines only: centre the wrapped block by hand.
        RECT measured = r;
        DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &measured,
                  (format_ & ~DT_VCENTER) | DT_CALCRECT | DT_NOPREFIX);
        int height = measured.bottom - measured.top;
        r.top += (r.bottom - r.top - height) / 2;
    }
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, format_ | DT_NOPREFIX);
}

LRESULT CALLBACK Panel::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<Panel*>(ControlOf(hwnd));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return Guarded(hwnd, [&] { return self->Handle(msg, wp, lp); });
}

LRESULT Panel::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (OnPanelMessage(msg, wp, lp, result)) return result;
    if (ContainerMessage(hwnd, msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_ERASEBKGND: {
            // Transparent children (a flat toolbar) have their background drawn through this.
            RECT r = Client();
            FillRect(reinterpret_cast<HDC>(wp), &r, brush_);
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wp));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            SetBkColor(reinterpret_cast<HDC>(wp), brush_.Colour());
            return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(brush_));
        case WM_LBUTTONDOWN:
            if (OnLeftMouseDown) OnLeftMouseDown();
            return 0;
        case WM_LBUTTONUP:
            if (OnClick) OnClick();
            return 0;
        case WM_GETFONT:
            return SendMessageW(GetParent(hwnd), WM_GETFONT, 0, 0);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace widgets
