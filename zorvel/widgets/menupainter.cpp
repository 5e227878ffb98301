#include "zorvel/widgets/menupainter.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

#include "zorvel/widgets/dpi.h"
#include "zorvel/widgets/gdi.h"

namespace widgets {

namespace {

COLORREF Scaled(COLORREF c, int num, int den) {
    return RGB(GetRValue(c) * num / den, GetGValue(c) * num / den, GetBValue(c) * num / den);
}

// Each entry opens the "MENU" style data once, at its first item, and keeps it
// for the run; without visual styles it stays null and the classic drawing is used.
HTHEME PlatformMenuTheme(HWND window) {
    static HTHEME theme = OpenThemeData(window, L"MENU");
    return theme;
}

HTHEME PopupMenuTheme(HWND window) {
    static HTHEME theme = OpenThemeData(window, L"MENU");
    return theme;
}

// The font the system draws menus in.
Font MenuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW& f = metrics.lfMenuFont;
    return Font(f.lfFaceName, f.lfHeight < 0 ? -f.lfHeight : f.lfHeight, f.lfWeight >= FW_BOLD);
}

int TextWidth(HDC dc, const std::wstring& text) {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    return r.right - r.left;
}

// What the state of an item decides: picture frame, style state, colours.
struct ItemState {
    int Frame;
    int ThemeState;
    COLORREF Text;
    COLORREF RightPart;
};

// Steps common to both entries: the background of the state, and the frame,
// style state and colours the rest of the item is drawn with.
ItemState PaintBackground(HDC dc, const RECT& rect, UINT state, HTHEME theme, COLORREF menuColour,
                          COLORREF highlight, bool blackFocus) {
    if (theme) DrawThemeBackground(theme, dc, MENU_POPUPBACKGROUND, 0, &rect, nullptr);
    SetBkMode(dc, TRANSPARENT);
    ItemState s{kFrameNormal, MBI_NORMAL, GetSysColor(COLOR_MENUTEXT), MenuRightPartNormal(highlight)};
    auto fill = [&](COLORREF colour, int left, int top, int right, int bottom, bool rounded) {
        Brush brush(colour);
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        {
            Selected p(dc, pen), b(dc, brush);
            if (rounded)
                RoundRect(dc, left, top, right, bottom, 2, 2);
            else
                Rectangle(dc, left, top, right, bottom);
        }
        DeleteObject(pen);
    };
    if (state & (ODS_DISABLED | ODS_GRAYED)) {
        s = {kFrameDisabled, MBI_DISABLED, GetSysColor(COLOR_GRAYTEXT), GetSysColor(COLOR_GRAYTEXT)};
        fill(menuColour, rect.left, rect.top, rect.right, rect.bottom, false);
    } else if (state & (ODS_SELECTED | ODS_HOTLIGHT)) {
        s.Frame = kFrameHighlighted, s.ThemeState = MBI_HOT;
        s.RightPart = MenuRightPartHighlighted(highlight);
        const int h = (rect.bottom - rect.top) / 2;
        fill(MenuLowerBarColour(highlight), rect.left + 1, rect.top + h - 2, rect.right - 1, rect.bottom, true);
        fill(highlight, rect.left + 1, rect.top + 1, rect.right - 1, rect.top + h, true);
        if (!theme) {
            if (blackFocus) SetTextColor(dc, RGB(0, 0, 0));
            DrawFocusRect(dc, &rect);
        }
        s.Text = MenuTextHighlighted(highlight);
    } else {
        fill(menuColour, rect.left, rect.top, rect.right, rect.bottom, false);
    }
    if (theme) DrawThemeBackground(theme, dc, MENU_BARITEM, s.ThemeState, &rect, nullptr);
    SetTextColor(dc, s.Text);
    return s;
}

void DrawLine(HDC dc, HTHEME theme, int themeState, const std::wstring& text, RECT& rect) {
    const DWORD format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (theme)
        DrawThemeText(theme, dc, MENU_BARITEM, themeState, text.c_str(), -1, format, 0, &rect);
    else
        DrawTextW(dc, text.c_str(), -1, &rect, format);
}

// The right part, right-aligned 6 px from the right edge in its own colour.
void DrawRightPart(HDC dc, HTHEME theme, const ItemState& s, const std::wstring& text, RECT rect) {
    rect.left = rect.right - TextWidth(dc, text) - 6;
    SetTextColor(dc, s.RightPart);
    DrawLine(dc, theme, s.ThemeState, text, rect);
}

void DrawSeparatorLine(HDC dc, int left, int right, const RECT& rect) {
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT));
    {
        Selected p(dc, pen);
        const int y = rect.top + (rect.bottom - rect.top) / 2;
        MoveToEx(dc, left, y, nullptr);
        LineTo(dc, right, y);
    }
    DeleteObject(pen);
}

// The picture of `list` at `index` in the state's frame, vertically centred;
// returns its frame width (0 when there is none).
int DrawPicture(HDC dc, const StripList* list, int index, int frame, int left, const RECT& rect) {
    if (!list || index < 0 || index >= list->Count()) return 0;
    list->Draw(dc, index, frame, left, rect.top + (rect.bottom - rect.top - list->Height(index)) / 2);
    return list->FrameWidth(index);
}

COLORREF HighlightOf(const MenuLook& look) { return look.Highlight ? *look.Highlight : RGB(255, 0, 0); }

bool HasPicture(const StripList* list, int index) { return list && index >= 0 && index < list->Count(); }

}  // namespace

COLORREF MenuLowerBarColour(COLORREF highlight) { return Scaled(highlight, 7, 8); }
COLORREF MenuRightPartHighlighted(COLORREF highlight) { return Scaled(highlight, 3, 4); }
COLORREF MenuRightPartNormal(COLORREF highlight) { return Scaled(highlight, 2, 3); }
COLORREF MenuTextHighlighted(COLORREF highlight) { return Scaled(highlight, 1, 2); }

void PaintPlatformMenuItem(const DRAWITEMSTRUCT& item, const StripList* strip, int stripIndex, COLORREF menuColour,
                           COLORREF highlight, const wchar_t* caption) {
    HDC dc = item.hDC;
    HTHEME theme = PlatformMenuTheme(WindowFromDC(dc));
    std::wstring text;
    if (caption) {
        text = caption;
    } else {
        wchar_t own[511] = {};
        if (GetMenuStringW(reinterpret_cast<HMENU>(item.hwndItem), item.itemID, own, 510, MF_BYCOMMAND) > 0) text = own;
    }
    const int saved = SaveDC(dc);
    Font font = MenuFont();
    SelectObject(dc, font);
    const ItemState s = PaintBackground(dc, item.rcItem, item.itemState, theme, menuColour, highlight, false);
    RECT work = item.rcItem;
    work.left += 6;
    const bool picture = HasPicture(strip, stripIndex);
    if (picture) work.left += DrawPicture(dc, strip, stripIndex, s.Frame, work.left, work) + 3;
    if (!text.empty()) {
        const std::size_t tab = text.find(L'\t');
        DrawLine(dc, theme, s.ThemeState, text.substr(0, tab), work);
        if (tab != std::wstring::npos) DrawRightPart(dc, theme, s, text.substr(tab + 1), work);
    } else if (!picture) {
        DrawSeparatorLine(dc, work.left + 2, work.right - 4, work);
    }
    RestoreDC(dc, saved);
}

void PaintPopupMenuItem(const PopupMenu::Item& item, bool checked, HDC dc, RECT rect, UINT state,
                        const MenuLook& look, COLORREF menuColour) {
    HTHEME theme = PopupMenuTheme(WindowFromDC(dc));
    const int saved = SaveDC(dc);
    Font font = MenuFont();
    SelectObject(dc, font);
    const ItemState s = PaintBackground(dc, rect, state, theme, menuColour, HighlightOf(look), true);
    RECT work = rect;
    work.left += 3;
    const StripList* mark = checked ? look.CheckList : (item.AutoCheck ? look.UncheckList : nullptr);
    work.left += DrawPicture(dc, mark, item.ImageIndex, s.Frame, work.left, work);
    work.left += DrawPicture(dc, look.ItemImages, item.ImageIndex, s.Frame, work.left, work);
    work.left += 3;
    if (item.Caption == L"-") {
        DrawSeparatorLine(dc, work.left, work.right - 4, work);
    } else {
        DrawLine(dc, theme, s.ThemeState, item.Caption.substr(0, 510), work);
        DrawRightPart(dc, theme, s, item.ShortCut, work);
    }
    RestoreDC(dc, saved);
}

SIZE MeasurePopupMenuItem(const PopupMenu::Item& item, const MenuLook& look) {
    HDC dc = GetDC(nullptr);
    Font font = MenuFont();
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The menus are drawn at the system's scale; the gaps are design units.
    const Scale scale(SystemDpi());
    int width = scale.Px(3 + 3) + TextWidth(dc, item.Caption) + scale.Px(6);
    if (!item.ShortCut.empty()) width += TextWidth(dc, L"    " + item.ShortCut);
    int height = static_cast<int>(metrics.tmHeight);
    const bool mark = HasPicture(look.CheckList, item.ImageIndex) ||
                      (item.AutoCheck && HasPicture(look.UncheckList, item.ImageIndex));
    if (mark) {
        const StripList* list = HasPicture(look.CheckList, item.ImageIndex) ? look.CheckList : look.UncheckList;
        width += list->FrameWidth(item.ImageIndex);
        height = std::max(height, list->Height(item.ImageIndex));
    }
    if (HasPicture(look.ItemImages, item.ImageIndex)) {
        width += look.ItemImages->FrameWidth(item.ImageIndex);
        height = std::max(height, look.ItemImages->Height(item.ImageIndex));
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{width + scale.Px(look.ExtraWidth), height + scale.Px(6)};
}

void PaintMenuItems(PopupMenu& menu, const MenuLook& look, std::vector<std::pair<UINT, MenuLook>> own) {
    auto lookOf = [look, own = std::move(own)](UINT id) {
        for (const auto& [itemId, itemLook] : own)
            if (itemId == id) return itemLook;
        return look;
    };
    menu.SetOwnerDrawn();
    menu.OnMeasureItem = [lookOf](MEASUREITEMSTRUCT* measure, const PopupMenu::Item& item) {
        SIZE size = MeasurePopupMenuItem(item, lookOf(item.Id));
        measure->itemWidth = static_cast<UINT>(size.cx);
        measure->itemHeight = static_cast<UINT>(size.cy);
    };
    menu.OnDrawItem = [&menu, lookOf](DRAWITEMSTRUCT* draw, const PopupMenu::Item& item) {
        PaintPopupMenuItem(item, menu.Checked(item.Id), draw->hDC, draw->rcItem, draw->itemState, lookOf(item.Id),
                           GetSysColor(COLOR_MENU));
    };
}

}  // namespace widgets
