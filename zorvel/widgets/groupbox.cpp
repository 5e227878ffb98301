#include "zorvel/widgets/groupbox.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "zorvel/widgets/dpi.h"

namespace widgets {

void GroupBox::Create(HWND parent, const std::wstring& caption, int x, int y, int width, int height) {
    CreatePanel(L"ZorvelGroupBox", parent, x, y, width, height);
    SetText(caption);
}

int GroupBox::CaptionHeight() const {
    HDC dc = GetDC(hwnd);
    TEXTMETRICW metrics{};
    {
        Selected font(dc, GetFont());
        GetTextMetricsW(dc, &metrics);
    }
    ReleaseDC(hwnd, dc);
    return metrics.tmHeight;
}

RECT GroupBox::Area() const {
    const Scale scale = ScaleOf(hwnd);
    RECT r = scale.Design(Client());
    r.top += scale.Design(CaptionHeight()) + 2;
    InflateRect(&r, -6, 0);
    r.bottom -= 6;
    return r;
}

void GroupBox::Paint(HDC dc) const {
    RECT r = Client();
    FillRect(dc, &r, Brush());
    const std::wstring caption = Text();
    const int textHeight = CaptionHeight();
    RECT frame = r;
    frame.top += textHeight / 2;
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    HTHEME theme = OpenThemeData(hwnd, L"BUTTON");
    if (theme) {
        DrawThemeBackground(theme, dc, BP_GROUPBOX, enabled ? GBS_NORMAL : GBS_DISABLED, &frame, nullptr);
        CloseThemeData(theme);
    } else {
        DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    }
    if (caption.empty()) return;
    Selected font(dc, GetFont());
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    // The caption interrupts the top line of the frame.
    RECT text{r.left + 8, r.top, r.left + 8 + extent.cx + 4, r.top + textHeight};
    FillRect(dc, &text, Brush());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    text.left += 2;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
}

bool GroupBox::OnPanelMessage(UINT msg, WPARAM wp, LPARAM, LRESULT&) {
    if (msg == WM_ENABLE) {
        for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            EnableWindow(child, static_cast<BOOL>(wp));
        Invalidate();
    }
    return false;
}

}  // namespace widgets
