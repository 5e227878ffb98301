#include "zorvel/widgets/layout.h"

#include "zorvel/widgets/dpi.h"
#include "zorvel/widgets/window.h"

namespace widgets {

std::vector<RECT> DockBands(RECT area, const std::vector<Band>& bands) {
    std::vector<RECT> placed;
    placed.reserve(bands.size());
    for (const Band& b : bands) {
        const Margins& m = b.Around;
        RECT r{};
        switch (b.Side) {
            case Align::Top:
                r = RECT{area.left + m.Left, area.top + m.Top, area.right - m.Right, area.top + m.Top + b.Size};
                area.top = r.bottom + m.Bottom;
                break;
            case Align::Bottom:
                r = RECT{area.left + m.Left, area.bottom - m.Bottom - b.Size, area.right - m.Right,
                         area.bottom - m.Bottom};
                area.bottom = r.top - m.Top;
                break;
            case Align::Left:
                r = RECT{area.left + m.Left, area.top + m.Top, area.left + m.Left + b.Size, area.bottom - m.Bottom};
                area.left = r.right + m.Right;
                break;
            case Align::Right:
                r = RECT{area.right - m.Right - b.Size, area.top + m.Top, area.right - m.Right,
                         area.bottom - m.Bottom};
                area.right = r.left - m.Left;
                break;
            case Align::Client:
                r = RECT{area.left + m.Left, area.top + m.Top, area.right - m.Right, area.bottom - m.Bottom};
                break;
        }
        if (r.right < r.left) r.right = r.left;
        if (r.bottom < r.top) r.bottom = r.top;
        placed.push_back(r);
    }
    return placed;
}

void LayoutBands(RECT area, const std::vector<Band>& bands) {
    std::vector<RECT> placed = DockBands(area, bands);
    for (std::size_t i = 0; i < bands.size(); ++i) {
        HWND window = bands[i].Window;
        if (!window) continue;
        if (Control* control = ControlOf(window)) {
            control->Place(placed[i]);
        } else {
            const RECT r = ScaleOf(window).Px(placed[i]);
            MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        }
    }
}

}  // namespace widgets
