// The painter of owner-drawn menu items, shared by every window: a picture
// frame for the item's state, the caption, the right part (key name or
// shortcut) right-aligned, and a two-tone bar in the highlight colour under
// the selected item. Two entries: items of a platform menu (the system menu)
// and items of the layer's pop-up menus.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "zorvel/widgets/images.h"
#include "zorvel/widgets/popupmenu.h"

namespace widgets {

// The colours derived from a highlight colour, each component separately,
// truncating.
COLORREF MenuLowerBarColour(COLORREF highlight);       // 7/8
COLORREF MenuRightPartHighlighted(COLORREF highlight);  // 3/4
COLORREF MenuRightPartNormal(COLORREF highlight);       // 2/3
COLORREF MenuTextHighlighted(COLORREF highlight);       // 1/2

// First entry: an item of a platform menu. `strip` is a 4-frame picture (or
// null); without a caption the item's own text is read from the menu. The
// part of the caption after a TAB is drawn right-aligned.
void PaintPlatformMenuItem(const DRAWITEMSTRUCT& item, const StripList* strip, int stripIndex, COLORREF menuColour,
                           COLORREF highlight, const wchar_t* caption);

// How the items of a pop-up menu look. The lists hold 4-frame pictures picked
// by the item's image index. The highlight colour is read at every paint, so
// an owner may set it after wiring the menu.
struct MenuLook {
    const StripList* CheckList = nullptr;    // drawn for checked items
    const StripList* UncheckList = nullptr;  // drawn for unchecked auto-check items
    const StripList* ItemImages = nullptr;
    const COLORREF* Highlight = nullptr;     // null: pure red
    int ExtraWidth = 16;                     // added to the measured width (the height gets 6)
};

// Second entry: one item of a pop-up menu, drawn into `dc` within `rect`.
void PaintPopupMenuItem(const PopupMenu::Item& item, bool checked, HDC dc, RECT rect, UINT state,
                        const MenuLook& look, COLORREF menuColour);
// The size that item needs: its caption and shortcut in the menu font, the
// margins and pictures the painter draws, plus the look's own adjustment.
SIZE MeasurePopupMenuItem(const PopupMenu::Item& item, const MenuLook& look);

// Makes every item of `menu` owner-drawn with `look`; the items named in
// `own` use their own look instead.
void PaintMenuItems(PopupMenu& menu, const MenuLook& look, std::vector<std::pair<UINT, MenuLook>> own = {});

}  // namespace widgets
