// The time line of the brightness schedule, worked out without any window:
// where its panels and splitters go for a set of start hours, how far a
// splitter may be dragged and which hours a drag gives, the panels' text
// colours and the places of the percentage labels. All measures are pixels
// at 96 DPI, 30 to the hour; the dialog scales them when it places windows.
#pragma once

#include <array>
#include <string>

namespace timeline {

constexpr int kPixelsPerHour = 30;
constexpr int kLineWidth = 724;   // the whole line, 24 hours and the last splitter
constexpr int kSplitterWidth = 4;

// The four periods in the order of the board's settings.
enum Period : int { kMorning = 0, kDay = 1, kEvening = 2, kNight = 3 };

// Start hours and brightness percentages, indexed by Period.
struct Schedule {
    std::array<int, 4> Hours{6, 10, 16, 21};
    std::array<int, 4> Brights{90, 100, 80, 50};
    bool operator==(const Schedule& other) const { return Hours == other.Hours && Brights == other.Brights; }
};
// The only schedule constants: always applied all eight together.
constexpr Schedule kDefaults{};

// Each start strictly later than the one before; nothing else is checked.
bool HoursAscending(const std::array<int, 4>& hours);

// The panels from left to right. The night runs over midnight, so it has two:
// kEarlyNight from 0:00 to the morning and kLateNight from its start to 24:00.
enum Slot : int { kEarlyNight = 0, kMorningSlot, kDaySlot, kEveningSlot, kLateNight };
constexpr int kSlots = 5;
constexpr std::array<int, kSlots> kMinWidths{70, 90, 70, 105, 30};
Period PeriodOf(Slot slot);

// Splitter s (0..3) starts period s: it sits right of slot s, which it
// resizes, and left of slot s + 1.
struct Span {
    int Left = 0, Width = 0;
    bool operator==(const Span& o) const { return Left == o.Left && Width == o.Width; }
};
struct Layout {
    std::array<Span, kSlots> Panels;
    std::array<int, 4> Splitters{};  // left edges
};

// 30 px per hour, each panel widened to its minimum, panels and splitters
// packed left to right, the late night taking what is left (never less than 0).
Layout LayOut(const std::array<int, 4>& hours);

// How far splitter s of `start` may go: its left panel keeps its minimum and
// the late night at least one hour. Never narrower than where it stands.
struct Range {
    int Min = 0, Max = 0;
};
Range DragLimits(const Layout& start, int splitter);

// The line while splitter s is at `left`: its left panel takes the difference,
// everything right of it moves along, the late night absorbs it.
Layout Dragged(const Layout& start, int splitter, int left);

// The hours after splitter s moved by `deltaPixels` from where `hours` laid it
// out: the boundaries left of it keep their hours; it and those right of it
// move by the same whole hours (rounded down), so the periods right of it keep
// their lengths. On the 30 px grid this is the splitter's left edge div 30.
std::array<int, 4> HoursAfterDrag(const std::array<int, 4>& hours, int splitter, int deltaPixels);

// The text colour of a period's panel and label for a brightness: morning and
// day fade from yellowish to red, evening and night from dark to bright red.
// Each component is truncated toward zero and kept to its low 8 bits.
struct Rgb {
    int R = 0, G = 0, B = 0;
    bool operator==(const Rgb& o) const { return R == o.R && G == o.G && B == o.B; }
};
Rgb TextColour(Period period, int bright);

// "90%".
std::wstring PercentText(int bright);
// The left edge of a percentage label centred over its panel; `lineOffset`
// is where the line starts in the label row.
int LabelLeft(int lineOffset, const Span& panel, int labelWidth);

}  // namespace timeline
