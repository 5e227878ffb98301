// The time line worked out without windows: layout from the hours, drag
// limits and the hours a drag gives, text colours, label places.
#include <gtest/gtest.h>

#include "zorvel/timeline.h"

namespace {

using namespace timeline;
using Hours = std::array<int, 4>;

TEST(TimelineLayout, DefaultScheduleSitsOnTheHourGrid) {
    const Layout l = LayOut({6, 10, 16, 21});
    const std::array<Span, kSlots> panels{Span{0, 180}, Span{184, 116}, Span{304, 176}, Span{484, 146}, Span{634, 90}};
    EXPECT_EQ(panels, l.Panels);
    EXPECT_EQ((std::array<int, 4>{180, 300, 480, 630}), l.Splitters);
}

TEST(TimelineLayout, MinimumWidthsWinAndNothingGoesNegative) {
    struct Case {
        Hours hours;
        std::array<int, kSlots> widths;
    } cases[] = {
        {{1, 2, 3, 4}, {70, 90, 70, 105, 373}},          // every period shorter than its panel's minimum
        {{0, 10, 16, 21}, {70, 296, 176, 146, 20}},      // the early night widened pushes the rest right
        {{-5, 10, 16, 21}, {70, 446, 176, 146, 0}},      // hours from outside the day: shown, clipped
        {{6, 10, 16, 40}, {180, 116, 176, 716, 0}},
        {{30, 20, 10, 0}, {900, 90, 70, 105, 0}},        // descending: only the minimums hold
        {{6, 10, 16, 23}, {180, 116, 176, 206, 30}},
    };
    for (const Case& c : cases) {
        const Layout l = LayOut(c.hours);
        int x = 0;
        for (int s = 0; s < kSlots; ++s) {
            EXPECT_EQ(c.widths[s], l.Panels[s].Width) << c.hours[0] << " slot " << s;
            EXPECT_EQ(x, l.Panels[s].Left) << "packed left to right";
            if (s < 4) {
                EXPECT_EQ(x + c.widths[s], l.Splitters[s]);
            }
            x += c.widths[s] + kSplitterWidth;
        }
    }
}

TEST(TimelineDrag, HoursFollowTheDraggedSplitterOnly) {
    struct Case {
        const char* what;
        Hours hours;
        int splitter, toLeft;
        Hours expected;
    } cases[] = {
        {"day start to 319 px: 319 div 30", {6, 10, 16, 21}, 1, 319, {6, 10, 16, 21}},
        {"day start one pixel early", {6, 10, 16, 21}, 1, 299, {6, 9, 15, 20}},
        {"morning two hours later shifts day, evening, night", {6, 10, 16, 21}, 0, 240, {8, 12, 18, 23}},
        {"night start to the last hour", {6, 10, 16, 21}, 3, 690, {6, 10, 16, 23}},
        // The early night is 70 px (its minimum) for one hour: the evening's drag
        // must not read the morning back as 70 div 30 = 2, nor move the day.
        {"off-grid line, evening an hour later", {1, 10, 16, 20}, 2, 520 + 30, {1, 10, 17, 21}},
        {"off-grid line, night a pixel early", {1, 10, 16, 21}, 3, 669, {1, 10, 16, 20}},
    };
    for (const Case& c : cases) {
        const Layout start = LayOut(c.hours);
        const Range r = DragLimits(start, c.splitter);
        ASSERT_TRUE(r.Min <= c.toLeft && c.toLeft <= r.Max) << c.what;
        EXPECT_EQ(c.expected, HoursAfterDrag(c.hours, c.splitter, c.toLeft - start.Splitters[c.splitter])) << c.what;
    }
}

TEST(TimelineDrag, LimitsKeepEveryPanelAndTheHoursInTheDay) {
    const Hours schedules[] = {{6, 10, 16, 21}, {1, 2, 3, 4}, {0, 3, 6, 9}, {1, 10, 16, 21}, {12, 15, 19, 22}};
    for (const Hours& hours : schedules) {
        const Layout start = LayOut(hours);
        for (int s = 0; s < 4; ++s) {
            const Range r = DragLimits(start, s);
            ASSERT_LE(r.Min, start.Splitters[s]);
            ASSERT_GE(r.Max, start.Splitters[s]);
            for (int left = r.Min; left <= r.Max; ++left) {
                const Layout l = Dragged(start, s, left);
                const Hours after = HoursAfterDrag(hours, s, left - start.Splitters[s]);
                ASSERT_EQ(left, l.Splitters[s]);
                ASSERT_GE(l.Panels[s].Width, kMinWidths[s]) << "splitter " << s << " at " << left;
                ASSERT_GE(l.Panels[kLateNight].Width, 30) << "the late night keeps an hour";
                ASSERT_TRUE(HoursAscending(after)) << "splitter " << s << " at " << left;
                ASSERT_GE(after[0], 0);
                ASSERT_LE(after[3], 23);
                for (int i = 0; i < s; ++i) ASSERT_EQ(hours[i], after[i]) << "a boundary left of the splitter moved";
                for (int i = s + 1; i < 4; ++i) ASSERT_EQ(after[i] - after[s], hours[i] - hours[s]) << "lengths right of it kept";
            }
        }
    }
    const Range night = DragLimits(LayOut({6, 10, 16, 21}), 3);
    EXPECT_EQ(484 + 105, night.Min);
    EXPECT_EQ(690, night.Max);
}

TEST(TimelineDrag, NoRoomLeavesTheSplitterWhereItIs) {
    const Layout start = LayOut({6, 10, 16, 40});  // the evening runs past the end of the line
    const Range r = DragLimits(start, 3);
    EXPECT_EQ(start.Splitters[3], r.Max);
    EXPECT_LE(r.Min, r.Max);
}

TEST(TimelineColours, ComponentsTruncatedAndKeptToEightBits) {
    struct Case {
        Period period;
        int bright;
        Rgb colour;
    } cases[] = {
        {kMorning, 20, {255, 205, 0}}, {kMorning, 21, {255, 202, 0}}, {kMorning, 100, {255, 5, 0}},
        {kDay, 21, {255, 202, 0}},     {kDay, 90, {255, 30, 0}},      {kEvening, 20, {50, 0, 0}},
        {kEvening, 21, {52, 0, 0}},    {kEvening, 100, {250, 0, 0}},  {kNight, 21, {52, 0, 0}},
        {kMorning, 120, {255, 211, 0}},  // 255 - 300 = -45, low 8 bits
        {kNight, 120, {44, 0, 0}},       // 300
        {kNight, -3, {249, 0, 0}},       // -7.5 truncated to -7
    };
    for (const Case& c : cases) EXPECT_EQ(c.colour, TextColour(c.period, c.bright)) << c.period << " " << c.bright;
}

TEST(TimelineLabels, CentredOverTheirPanelTruncatingTowardZero) {
    EXPECT_EQ(L"90%", PercentText(90));
    EXPECT_EQ(L"-5%", PercentText(-5));
    EXPECT_EQ(100 + 184 + 38, LabelLeft(100, Span{184, 116}, 40));
    EXPECT_EQ(100 + 634 + 22, LabelLeft(100, Span{634, 90}, 45));  // 45 / 2
    EXPECT_EQ(100 + 0 - 7, LabelLeft(100, Span{0, 30}, 45));       // -15 / 2
    EXPECT_EQ(kNight, PeriodOf(kEarlyNight));
    EXPECT_EQ(kNight, PeriodOf(kLateNight));
    EXPECT_EQ(kEvening, PeriodOf(kEveningSlot));
}

TEST(TimelineSchedule, OnlyStrictlyAscendingHoursPass) {
    EXPECT_TRUE(HoursAscending({6, 10, 16, 21}));
    EXPECT_TRUE(HoursAscending({-3, 10, 16, 40}));  // the range is not checked
    EXPECT_FALSE(HoursAscending({6, 10, 10, 21}));
    EXPECT_FALSE(HoursAscending({21, 16, 10, 6}));
    EXPECT_EQ((Schedule{{6, 10, 16, 21}, {90, 100, 80, 50}}), kDefaults);
}

}  // namespace
