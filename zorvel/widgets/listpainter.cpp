#include "zorvel/widgets/listpainter.h"

#include <uxtheme.h>
#include <vssym32.h>

#include "zorvel/widgets/dpi.h"

#include <string>

#include "zorvel/widgets/window.h"

namespace widgets {

namespace {

// The style data are opened once, at the first item drawn, and kept for the
// run; without visual styles both stay null and the plain drawing is used.
struct ListThemes {
    HTHEME Combo = nullptr;
    HTHEME Menu = nullptr;
};

const ListThemes& Themes(HWND list) {
    static ListThemes themes = [list] {
        ListThemes t;
        t.Combo = OpenThemeData(list, L"COMBOBOX");
        t.Menu = OpenThemeData(list, L"MENU");
        return t;
    }();
    return themes;
}

}  // namespace

COLORREF LowerBarColour(COLORREF c) {
    return RGB(GetRValue(c) * 7 / 8, GetGValue(c) * 7 / 8, GetBValue(c) * 7 / 8);
}

void DrawListItem(HWND window, const ListItem& item, const StripList* images, COLORREF highlight) {
    const ListThemes& themes = Themes(window);
    HDC dc = item.Dc;
    RECT rect = item.Rect;
    const UINT state = item.State;
    const int index = item.Index;
    const Scale scale = ScaleOf(window);
    const bool themed = themes.Combo && themes.Menu;
    const COLORREF listColour = GetSysColor(COLOR_WINDOW);
    Brush listBrush(listColour);
    COLORREF textColour = GetSysColor(COLOR_MENUTEXT);
    int frame = kFrameNormal, styleState = CBRO_NORMAL;

    if (state & ODS_COMBOBOXEDIT) {
        // The closed list's face: the style background covers the whole control.
        InflateRect(&rect, scale.Px(3), scale.Px(3));
        if (state & ODS_DISABLED) {
            frame = kFrameDisabled, styleState = CBRO_DISABLED;
            textColour = GetSysColor(COLOR_GRAYTEXT);
        } else if (item.DroppedDown) {
            frame = kFramePressed, styleState = CBRO_PRESSED;
        } else if (item.Hot) {
            frame = kFrameHighlighted, styleState = CBRO_HOT;
        }
        if (themed)
            DrawThemeBackground(themes.Combo, dc, CP_READONLY, styleState, &rect, nullptr);
        else
            FillRect(dc, &rect, listBrush);
    } else if (state & ODS_DISABLED) {
        frame = kFrameDisabled, styleState = CBRO_DISABLED;
        textColour = GetSysColor(COLOR_GRAYTEXT);
    } else if (state & (ODS_SELECTED | ODS_HOTLIGHT)) {
        frame = kFrameHighlighted, styleState = CBRO_HOT;
        int half = (rect.bottom - rect.top) / 2;
        RECT upper{rect.left, rect.top, rect.right, rect.top + half};
        RECT lower{rect.left, rect.top + half, rect.right, rect.bottom};
        Brush top(highlight), bottom(LowerBarColour(highlight));
        FillRect(dc, &upper, top);
        FillRect(dc, &lower, bottom);
    } else {
        FillRect(dc, &rect, listBrush);
    }

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColour);
    rect.left += scale.Px(6);
    if (images && index >= 0 && index < images->Count()) {
        int height = images->Height(index);
        images->Draw(dc, index, frame, rect.left, rect.top + (rect.bottom - rect.top - height) / 2);
        rect.left += images->FrameWidth(index) + scale.Px(6);
    } else {
        rect.left += scale.Px(6);
    }

    if (index < 0) return;
    // At most 510 characters, as the system's own list texts.
    const std::wstring text = item.Text.substr(0, 510);
    const DWORD format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (themed)
        DrawThemeText(themes.Combo, dc, CP_READONLY, styleState, text.c_str(), -1, format, 0, &rect);
    else
        DrawTextW(dc, text.c_str(), -1, &rect, format);
}

}  // namespace widgets
