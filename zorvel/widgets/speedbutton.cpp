#include "zorvel/widgets/speedbutton.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "zorvel/widgets/dpi.h"

namespace widgets {


void SpeedButton::Create(HWND parent, const std::wstring& caption, int x, int y, int width, int height,
                         const StripList* glyph, bool glyphRight, int id) {
    glyph_ = glyph;
    glyphRight_ = glyphRight;
    CreateChild(L"BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, parent, x, y, width, height, id);
    Subclass();
}

void SpeedButton::SetDown(bool down) {
    if (down == down_) return;
    down_ = down;
    Invalidate();
}

bool SpeedButton::OnCommand(WORD code, WORD) {
    if (code == BN_CLICKED) Click();
    return true;
}

int SpeedButton::FrameFor(UINT drawState) const {
    if (drawState & ODS_DISABLED) return kFrameDisabled;
    if ((drawState & ODS_SELECTED) || down_) return kFramePressed;
    if (hot_) return kFrameHighlighted;
    return kFrameNormal;
}

bool SpeedButton::OnDrawItem(DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    const UINT state = item->itemState;
    const int frame = FrameFor(state);
    HTHEME theme = OpenThemeData(hwnd, L"BUTTON");
    if (theme) {
        int part = frame == kFrameDisabled ? PBS_DISABLED
                 : frame == kFramePressed  ? PBS_PRESSED
                 : frame == kFrameHighlighted ? PBS_HOT
                                               : PBS_NORMAL;
        if (IsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, part))
            DrawThemeParentBackground(hwnd, dc, &r);
        DrawThemeBackground(theme, dc, BP_PUSHBUTTON, part, &r, nullptr);
        CloseThemeData(theme);
    } else {
        UINT flags = DFCS_BUTTONPUSH | (frame == kFramePressed ? DFCS_PUSHED : 0) |
                     (frame == kFrameHighlighted ? DFCS_HOT : 0);
        DrawFrameControl(dc, &r, DFC_BUTTON, flags);
    }
    std::wstring caption = Text();
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(Send(WM_GETFONT)));
    SIZE text{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    const Scale scale = ScaleOf(hwnd);
    const int gap = scale.Px(6);
    int glyphWidth = glyph_ ? glyph_->FrameWidth(0) : 0;
    int glyphHeight = glyph_ ? glyph_->Height(0) : 0;
    int total = text.cx + (glyphWidth ? glyphWidth + gap : 0);
    int x = r.left + (r.right - r.left - total) / 2;
    int shift = frame == kFramePressed ? 1 : 0;
    int textX = glyphRight_ || !glyphWidth ? x : x + glyphWidth + gap;
    int glyphX = glyphRight_ ? x + text.cx + gap : x;
    if (glyph_) glyph_->Draw(dc, 0, frame, glyphX + shift, r.top + (r.bottom - r.top - glyphHeight) / 2 + shift);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(frame == kFrameDisabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT tr{textX + shift, r.top + shift, textX + text.cx + shift, r.bottom + shift};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if ((state & ODS_FOCUS) && !(state & ODS_NOFOCUSRECT)) {
        RECT fr = item->rcItem;
        InflateRect(&fr, -scale.Px(4), -scale.Px(4));
        DrawFocusRect(dc, &fr);
    }
    SelectObject(dc, oldFont);
    return true;
}

bool SpeedButton::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_SETCURSOR:
            SetHandCursor();
            result = TRUE;
            return true;
        case WM_MOUSEMOVE:
            if (!hot_) {
                hot_ = true;
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
                TrackMouseEvent(&track);
                Invalidate();
            }
            return false;
        case WM_MOUSELEAVE:
            hot_ = false;
            Invalidate();
            return false;
        case WM_ERASEBKGND:
            result = 1;  // the owner drawing covers everything
            return true;
    }
    return false;
}

}  // namespace widgets
