#include "zorvel/widgets/label.h"

#include <commctrl.h>

namespace widgets {

void Label::Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, COLORREF back,
                   DWORD style) {
    back_ = Brush(OrFace(back));
    CreateChild(L"STATIC", text, WS_VISIBLE | SS_NOPREFIX | style, 0, parent, x, y, width, height);
    Subclass();
}

HBRUSH Label::OnCtlColor(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, back_.Colour());
    if (textColour_ != CLR_INVALID) SetTextColor(dc, textColour_);
    return back_;
}

void Label::SetAutoSize(bool on) {
    autoSize_ = on;
    if (on) FitToText();
}

SIZE Label::Measure(const std::wstring& text) const {
    SIZE size{};
    HDC dc = GetDC(hwnd);
    {
        Selected font(dc, GetFont() ? GetFont() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        if (text.empty()) {
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc, &metrics);
            size.cy = metrics.tmHeight;
        }
    }
    ReleaseDC(hwnd, dc);
    return size;
}

void Label::FitToText() {
    SIZE size = Measure(Text());
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Label::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (autoSize_ && (msg == WM_SETTEXT || msg == WM_SETFONT)) {
        result = DefSubclassProc(hwnd, msg, wp, lp);
        FitToText();
        return true;
    }
    return false;
}

void LinkLabel::Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, COLORREF back,
                       DWORD style) {
    Label::Create(parent, text, x, y, width, height, back, style | SS_NOTIFY);
    LOGFONTW base{};
    GetObjectW(GetFont() ? GetFont() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), sizeof base, &base);
    font_ = Font(base.lfFaceName, base.lfHeight < 0 ? -base.lfHeight : base.lfHeight, true, true);
    SetFont(font_);
    SetTextColour(RGB(0, 0, 255));
}

bool LinkLabel::OnCommand(WORD code, WORD) {
    if (code == STN_CLICKED && OnClick) OnClick();
    return true;
}

bool LinkLabel::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_SETCURSOR) {
        SetHandCursor();
        result = TRUE;
        return true;
    }
    return Label::OnMessage(msg, wp, lp, result);
}

}  // namespace widgets
