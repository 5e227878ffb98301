#include "zorvel/timeline.h"

#include <algorithm>

namespace timeline {

namespace {

// Rounds toward minus infinity, so that a drag of one pixel to the left
// already leaves the hour it started in.
int FloorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// Places the panels one after the other from their widths, a splitter after
// each but the last; the late night fills the rest of the line.
Layout Pack(const std::array<int, 4>& widths) {
    Layout layout;
    int x = 0;
    for (int slot = 0; slot < 4; ++slot) {
        layout.Panels[slot] = Span{x, widths[slot]};
        x += widths[slot];
        layout.Splitters[slot] = x;
        x += kSplitterWidth;
    }
    layout.Panels[kLateNight] = Span{x, std::max(0, kLineWidth - x)};
    return layout;
}

std::array<int, 4> Widths(const Layout& layout) {
    return {layout.Panels[0].Width, layout.Panels[1].Width, layout.Panels[2].Width, layout.Panels[3].Width};
}

}  // namespace

bool HoursAscending(const std::array<int, 4>& h) { return h[0] < h[1] && h[1] < h[2] && h[2] < h[3]; }

Period PeriodOf(Slot slot) {
    switch (slot) {
        case kMorningSlot: return kMorning;
        case kDaySlot: return kDay;
        case kEveningSlot: return kEvening;
        default: return kNight;
    }
}

Layout LayOut(const std::array<int, 4>& hours) {
    // The splitter's width comes out of the period it ends, so that on the
    // grid splitter s sits exactly at 30 * its hour.
    std::array<int, 4> widths{kPixelsPerHour * hours[0],
                              kPixelsPerHour * (hours[1] - hours[0]) - kSplitterWidth,
                              kPixelsPerHour * (hours[2] - hours[1]) - kSplitterWidth,
                              kPixelsPerHour * (hours[3] - hours[2]) - kSplitterWidth};
    for (int slot = 0; slot < 4; ++slot) widths[slot] = std::max(widths[slot], kMinWidths[slot]);
    return Pack(widths);
}

Range DragLimits(const Layout& start, int s) {
    const Span& left = start.Panels[s];
    const int packed = start.Panels[kLateNight].Left;  // every panel and splitter before the late night
    const int widest = kLineWidth - kMinWidths[kLateNight] - packed + left.Width;
    const int here = start.Splitters[s];
    Range range{left.Left + kMinWidths[s], left.Left + widest};
    // Hours from outside the day can leave no room: the splitter then stays.
    range.Min = std::min(range.Min, here);
    range.Max = std::max(range.Max, here);
    return range;
}

Layout Dragged(const Layout& start, int s, int left) {
    std::array<int, 4> widths = Widths(start);
    widths[s] += left - start.Splitters[s];
    widths[s] = std::max(widths[s], 0);
    return Pack(widths);
}

std::array<int, 4> HoursAfterDrag(const std::array<int, 4>& hours, int s, int deltaPixels) {
    std::array<int, 4> result = hours;
    const int shift = FloorDiv(kPixelsPerHour * hours[s] + deltaPixels, kPixelsPerHour) - hours[s];
    for (int i = s; i < 4; ++i) result[i] += shift;
    return result;
}

Rgb TextColour(Period period, int bright) {
    // 255 - 2.5 * b as (510 - 5 * b) / 2: integer division truncates toward zero as the rule asks.
    if (period == kMorning || period == kDay) return Rgb{255, ((510 - 5 * bright) / 2) & 0xFF, 0};
    return Rgb{(5 * bright / 2) & 0xFF, 0, 0};
}

std::wstring PercentText(int bright) { return std::to_wstring(bright) + L"%"; }

int LabelLeft(int lineOffset, const Span& panel, int labelWidth) {
    return lineOffset + panel.Left + (panel.Width - labelWidth) / 2;
}

}  // namespace timeline
