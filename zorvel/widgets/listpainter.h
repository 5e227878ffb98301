// The painter of owner-drawn lists with a picture per item (the main
// window's mode list, the settings dialog's interface list).
#pragma once

#include <windows.h>

#include "zorvel/widgets/images.h"

namespace widgets {

// Draws item `index` of `list` into `rect` of `dc` for the owner-draw `state`
// (ODS_*). The picture is frame 0..3 of strip `index` of `images` (may be
// null); selected items get a two-tone bar in `highlight`. Visual styles are
// used when the system has them, the classic drawing otherwise.
void DrawListItem(HWND list, HDC dc, int index, RECT rect, UINT state, const StripList* images,
                  COLORREF highlight);

// Components cut to 7/8 each, rounded down: the lower half of the bar.
COLORREF LowerBarColour(COLORREF highlight);

}  // namespace widgets
