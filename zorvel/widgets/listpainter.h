// The painter of owner-drawn list items with a picture per item (the main
// window's mode list, the settings dialog's interface list). It knows no
// control kind: the caller hands it the item's text and state.
#pragma once

#include <windows.h>

#include <string>

#include "zorvel/widgets/images.h"

namespace widgets {

struct ListItem {
    HDC Dc = nullptr;
    int Index = -1;            // the picture is strip `Index` of the images
    RECT Rect{};
    UINT State = 0;            // ODS_* of the draw request
    std::wstring Text;
    bool DroppedDown = false;  // for the closed list's face (ODS_COMBOBOXEDIT)
    bool Hot = false;          // the mouse is over the control
};

// Draws the item for its state; the picture is frame 0..3 of strip
// `item.Index` of `images` (may be null); selected items get a two-tone bar
// in `highlight`. Visual styles are used when the system has them (opened
// once, with `window`), the classic drawing otherwise.
void DrawListItem(HWND window, const ListItem& item, const StripList* images, COLORREF highlight);

// Components cut to 7/8 each, rounded down: the lower half of the bar.
COLORREF LowerBarColour(COLORREF highlight);

}  // namespace widgets
