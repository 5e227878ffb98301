// The thin window layer and the display imitation, under Wine.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ui_support.h"
#include "zorvel/emulation.h"
#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/form.h"
#include "zorvel/widgets/layout.h"
#include "zorvel/widgets/listpainter.h"
#include "zorvel/widgets/text.h"

using namespace widgets;

namespace {

// ---- text ---------------------------------------------------------------------------

TEST(Text, Cp1251TableMatchesTheSystemConversion) {
    for (int b = 0; b < 256; ++b) {
        char byte = static_cast<char>(b);
        wchar_t system = 0;
        ASSERT_EQ(1, MultiByteToWideChar(1251, 0, &byte, 1, &system, 1));
        std::wstring ours = FromCp1251(std::string(1, byte));
        ASSERT_EQ(1u, ours.size());
        EXPECT_EQ(static_cast<unsigned>(system), static_cast<unsigned>(ours[0])) << "byte " << b;
        EXPECT_EQ(std::string(1, byte), ToCp1251(ours)) << "byte " << b;
    }
}

TEST(Text, Utf8AndCyrillicRoundTrips) {
    const std::string utf8 = "Время/Дата/Температура №1 ё";
    std::wstring wide = Widen(utf8);
    EXPECT_EQ(utf8, Narrow(wide));
    std::string cp = ToCp1251(wide);
    EXPECT_EQ(wide.size(), cp.size());  // one byte per character
    EXPECT_EQ(static_cast<char>(0xC2), cp[0]);  // В
    EXPECT_EQ(wide, FromCp1251(cp));
    EXPECT_EQ("?", ToCp1251(L"\x4E2D"));  // outside the code page
}

// ---- band layout ----------------------------------------------------------------------

TEST(Layout, BandsDockInOrderWithMargins) {
    struct Case {
        const char* name;
        std::vector<Band> bands;
        std::vector<RECT> expected;
    } cases[] = {
        {"top, top, bottom, client",
         {{nullptr, Align::Top, 40, Uniform(3)},
          {nullptr, Align::Top, 62, Uniform(3)},
          {nullptr, Align::Bottom, 46, Uniform(3)},
          {nullptr, Align::Client, 0, Margins{}}},
         {{3, 3, 511, 43}, {3, 49, 511, 111}, {3, 225, 511, 271}, {0, 114, 514, 222}}},
        {"left, right, client",
         {{nullptr, Align::Left, 250, Margins{}},
          {nullptr, Align::Right, 100, Margins{0, 0, 5, 0}},
          {nullptr, Align::Client, 0, Uniform(2)}},
         {{0, 0, 250, 274}, {409, 0, 509, 274}, {252, 2, 407, 272}}},
        {"band larger than the area collapses, never inverts",
         {{nullptr, Align::Top, 400, Margins{}}, {nullptr, Align::Client, 0, Margins{}}},
         {{0, 0, 514, 400}, {0, 400, 514, 400}}},
    };
    for (const Case& c : cases) {
        std::vector<RECT> got = DockBands(RECT{0, 0, 514, 274}, c.bands);
        ASSERT_EQ(c.expected.size(), got.size()) << c.name;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(c.expected[i].left, got[i].left) << c.name << " band " << i;
            EXPECT_EQ(c.expected[i].top, got[i].top) << c.name << " band " << i;
            EXPECT_EQ(c.expected[i].right, got[i].right) << c.name << " band " << i;
            EXPECT_EQ(c.expected[i].bottom, got[i].bottom) << c.name << " band " << i;
        }
    }
}

// ---- strips ---------------------------------------------------------------------------

// Two strips of four 8x8 frames; frame f of strip s is filled with Colour(s, f)
// except its bottom-left pixel, which is magenta in frame 0 (the transparent
// colour) and the frame colour elsewhere.
COLORREF Colour(int strip, int frame) { return RGB(40 * frame + 10, 100 + 50 * strip, 20); }
const COLORREF kMagenta = RGB(255, 0, 255);

Bitmap TwoStrips() {
    Canvas source(64, 8);
    for (int s = 0; s < 2; ++s)
        for (int f = 0; f < 4; ++f) {
            Brush b(Colour(s, f));
            RECT r{s * 32 + f * 8, 0, s * 32 + f * 8 + 8, 8};
            FillRect(source.Dc(), &r, b);
        }
    SetPixel(source.Dc(), 0, 7, kMagenta);
    SetPixel(source.Dc(), 32, 7, kMagenta);
    SetPixel(source.Dc(), 8 + 3, 7, kMagenta);  // magenta inside frame 1 is transparent too
    return Bitmap(static_cast<HBITMAP>(CopyImage(GetCurrentObject(source.Dc(), OBJ_BITMAP), IMAGE_BITMAP, 0, 0,
                                                 LR_CREATEDIBSECTION)));
}

TEST(Strips, EachFrameIsDrawnWithTheBottomLeftColourLeftOut) {
    StripList strips;
    strips.Add(TwoStrips(), 32);
    ASSERT_EQ(2, strips.Count());
    EXPECT_EQ(8, strips.FrameWidth(1));
    EXPECT_EQ(8, strips.Height(0));
    for (int s = 0; s < 2; ++s)
        for (int f = 0; f < 4; ++f) {
            Canvas target(20, 20);
            target.Fill(RGB(255, 255, 255));
            strips.Draw(target.Dc(), s, f, 5, 6);
            EXPECT_EQ(Colour(s, f), target.Pixel(5 + 4, 6 + 2)) << s << "/" << f;
            EXPECT_EQ(RGB(255, 255, 255), target.Pixel(4, 6)) << "nothing left of the frame";
            EXPECT_EQ(RGB(255, 255, 255), target.Pixel(13, 6)) << "nothing right of the frame";
        }
    Canvas target(20, 20);
    target.Fill(RGB(255, 255, 255));
    strips.Draw(target.Dc(), 0, 1, 0, 0);
    EXPECT_EQ(RGB(255, 255, 255), target.Pixel(3, 7)) << "the corner colour is transparent everywhere";
    strips.Draw(target.Dc(), 7, 0, 0, 0);  // no such strip: nothing, no crash
}

TEST(Strips, ImageListUsesTheBottomLeftPixelAsMask) {
    ImageList list;
    ASSERT_TRUE(list.Load(TwoStrips(), 8, 8));
    EXPECT_EQ(8, list.Count());
    Canvas target(8, 8);
    target.Fill(RGB(255, 255, 255));
    list.Draw(target.Dc(), 0, 0, 0);
    EXPECT_EQ(RGB(255, 255, 255), target.Pixel(0, 7));
    EXPECT_EQ(Colour(0, 0), target.Pixel(4, 4));
}

// ---- forms ----------------------------------------------------------------------------

class TestForm : public Form {
public:
    explicit TestForm(HWND owner = nullptr) {
        FormOptions o;
        o.Caption = L"Test form";
        o.ClientWidth = 200;
        o.ClientHeight = 120;
        o.Owner = owner;
        CreateForm(o);
    }
    int Shows = 0;
    bool Throw = false;

protected:
    void OnShowing() override {
        ++Shows;
        if (Throw) throw std::runtime_error("Сбой при показе");
    }
};

TEST(Form, CreatedHiddenWithTheAskedClientSize) {
    TestForm form;
    EXPECT_FALSE(form.Visible());
    RECT r = form.Client();
    EXPECT_EQ(200, r.right);
    EXPECT_EQ(120, r.bottom);
    EXPECT_EQ(L"Test form", form.Text());
}

void CALLBACK FinishModal(HWND hwnd, UINT, UINT_PTR, DWORD) {
    KillTimer(hwnd, 77);
    PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
}

TEST(Form, ShowModalDisablesTheOwnerUntilAResultIsSet) {
    TestForm owner;
    owner.Show(true);
    TestForm dialog(owner.hwnd);
    bool ownerEnabledDuring = true;
    // The dialog ends itself from a timer, as Escape would; the hard limit is the second timer.
    SetTimer(dialog, 77, 100, &FinishModal);
    struct Guard {
        HWND hwnd;
        bool* during;
    } guard{owner, &ownerEnabledDuring};
    static Guard* g = &guard;
    g = &guard;
    SetTimer(dialog, 78, 50, [](HWND, UINT, UINT_PTR, DWORD) { *g->during = IsWindowEnabled(g->hwnd) != FALSE; });
    SetTimer(dialog, 79, 5000, [](HWND h, UINT, UINT_PTR, DWORD) { PostMessageW(h, WM_COMMAND, IDCANCEL, 0); });
    DWORD start = GetTickCount();
    int result = dialog.ShowModal();
    KillTimer(dialog, 78);
    KillTimer(dialog, 79);
    EXPECT_LT(GetTickCount() - start, 4000u) << "ended by the first timer, not the guard";
    EXPECT_EQ(mrCancel, result);
    EXPECT_FALSE(ownerEnabledDuring);
    EXPECT_TRUE(owner.Enabled());
    EXPECT_FALSE(dialog.Visible());
    EXPECT_EQ(1, dialog.Shows);
}

TEST(Form, AnExceptionInAHandlerIsShownAndSurvived) {
    uitest::BoxRecorder boxes;
    TestForm form;
    form.Throw = true;
    form.Show(true);
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("Сбой при показе", boxes.Boxes[0].Text);
    EXPECT_EQ("Ошибка", boxes.Boxes[0].Caption);
    EXPECT_EQ(compat::kBoxIconError | compat::kBoxTopMost, boxes.Boxes[0].Type);
    form.Throw = false;
    form.Show(false);
    form.Show(true);
    EXPECT_EQ(2, form.Shows);
    EXPECT_TRUE(form.Visible());
}

TEST(Form, TimersFireOnlyWhileEnabled) {
    TestForm form;
    Timer timer(form, 10);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetEnabled(true);
    DWORD start = GetTickCount();
    while (ticks < 3 && GetTickCount() - start < 3000) uitest::FlushEvents(20);
    EXPECT_GE(ticks, 3);
    timer.SetEnabled(false);
    int stopped = ticks;
    uitest::FlushEvents(100);
    EXPECT_EQ(stopped, ticks);
}

// ---- the list painter -------------------------------------------------------------------

TEST(ListPainter, SelectedItemGetsTheTwoToneBarAndItsHighlightedFrame) {
    // No list control at all: the caller hands the painter the item's text.
    TestForm form;
    StripList strips;
    strips.Add(TwoStrips(), 32);
    struct Case {
        UINT state;
        int frame;
        bool bar;
    } cases[] = {{ODS_SELECTED, kFrameHighlighted, true}, {0, kFrameNormal, false}, {ODS_DISABLED, kFrameDisabled, false}};
    for (const Case& c : cases) {
        Canvas canvas(200, 40);
        canvas.Fill(RGB(1, 2, 3));
        ListItem item;
        item.Dc = canvas.Dc();
        item.Index = 1;
        item.Rect = RECT{0, 0, 200, 40};
        item.State = c.state;
        item.Text = L"Температура";
        DrawListItem(form, item, &strips, RGB(255, 0, 0));
        if (c.bar) {
            EXPECT_EQ(RGB(255, 0, 0), canvas.Pixel(190, 2));
            EXPECT_EQ(RGB(255, 0, 0), canvas.Pixel(190, 19));
            EXPECT_EQ(RGB(223, 0, 0), canvas.Pixel(190, 20));  // 7/8, rounded down
            EXPECT_EQ(RGB(223, 0, 0), canvas.Pixel(190, 39));
        } else if (c.state == 0) {
            EXPECT_EQ(GetSysColor(COLOR_WINDOW), canvas.Pixel(190, 30));
        }
        // The frame sits 6 px from the left, centred: (40 - 8) / 2 = 16.
        EXPECT_EQ(Colour(1, c.frame), canvas.Pixel(6 + 4, 16 + 4)) << "state " << c.state;
    }
    EXPECT_EQ(RGB(112, 0, 0), LowerBarColour(RGB(128, 0, 0)));
}

// ---- the display imitation ---------------------------------------------------------------

using zorvel::DisplayEmulation;
using zorvel::Phase;

// Ticks until the phase differs from the one before; returns the tick count.
int TicksToNextChange(DisplayEmulation& e, int mode, unsigned interval, int limit) {
    Phase before = e.Shows;
    for (int t = 1; t <= limit; ++t) {
        e.Step(mode, interval);
        if (e.Shows != before) return t;
    }
    return -1;
}

TEST(Emulation, PhaseFollowsModeAndInterval) {
    {
        DisplayEmulation e;  // mode 1 always the time, mode 4 always the temperature
        for (int t = 0; t < 100; ++t) {
            e.Step(1, 0);
            ASSERT_EQ(Phase::Time, e.Shows);
        }
        for (int t = 0; t < 100; ++t) {
            e.Step(4, 0);
            ASSERT_EQ(Phase::Temperature, e.Shows);
        }
    }
    {
        DisplayEmulation e;  // mode 2, interval 5: the countdown runs out after 51 ticks each time
        EXPECT_EQ(51, TicksToNextChange(e, 2, 5, 1000));
        EXPECT_EQ(Phase::Temperature, e.Shows);
        EXPECT_EQ(51, TicksToNextChange(e, 2, 5, 1000));
        EXPECT_EQ(Phase::Time, e.Shows);
    }
    {
        DisplayEmulation e;  // interval 200 switches every 200 s, not faster
        EXPECT_EQ(2001, TicksToNextChange(e, 2, 200, 5000));
    }
    {
        DisplayEmulation e;  // mode 3 cycles time, date, temperature
        Phase seen[4];
        for (Phase& p : seen) {
            TicksToNextChange(e, 3, 1, 100);
            p = e.Shows;
        }
        EXPECT_EQ(Phase::Date, seen[0]);
        EXPECT_EQ(Phase::Temperature, seen[1]);
        EXPECT_EQ(Phase::Time, seen[2]);
        EXPECT_EQ(Phase::Date, seen[3]);
    }
    {
        DisplayEmulation e;  // interval 0 changes the phase at every tick
        for (int t = 0; t < 6; ++t) EXPECT_EQ(1, TicksToNextChange(e, 3, 0, 5));
    }
}

TEST(Emulation, RepaintsAtTheFirstTickThenWhenTheCountdownRunsOut) {
    DisplayEmulation e;
    std::vector<int> repaints;
    for (int t = 1; t <= 30; ++t)
        if (e.Step(1, 5)) repaints.push_back(t);
    EXPECT_EQ((std::vector<int>{1, 10, 19, 28}), repaints);
}

TEST(Emulation, BrightnessOfThePartOfTheDay) {
    board::BoardSettings s;
    s.HourM = 6, s.HourA = 10, s.HourE = 16, s.HourN = 21;
    s.BrightM = 60, s.BrightA = 100, s.BrightE = 80, s.BrightN = 40;
    struct Case {
        int hour, brightness, intensity;
    } cases[] = {{3, 40, 100}, {0, 40, 100}, {6, 60, 150}, {12, 100, 250}, {16, 80, 200}, {21, 40, 100}, {23, 40, 100}};
    for (const Case& c : cases) {
        DisplayEmulation e;
        e.UpdateBrightness(c.hour, s);
        EXPECT_EQ(c.brightness, e.Brightness) << c.hour;
        EXPECT_EQ(c.intensity, e.TextIntensity()) << c.hour;
    }
    DisplayEmulation e;
    e.Brightness = 33;  // 82.5 truncates
    EXPECT_EQ(82, e.TextIntensity());
    e.Brightness = 127;  // a schedule from a damaged file cannot spill into green
    EXPECT_EQ(255, e.TextIntensity());
    e.Brightness = -5;
    EXPECT_EQ(0, e.TextIntensity());
}

TEST(Emulation, TemperatureWalksOneDegreeAtMostAndStaysInRange) {
    DisplayEmulation e;
    int draws[] = {1, 1, 2, 0, 3, 9, 2, 2, 2};
    int expected[] = {1, 2, 1, 1, 1, 1, 0, -1, -2};
    for (int i = 0; i < 9; ++i) {
        e.TemperatureStep(draws[i]);
        EXPECT_EQ(expected[i], e.Temperature);
    }
    e.Temperature = 99;
    e.TemperatureStep(1);
    EXPECT_EQ(99, e.Temperature);
    e.Temperature = -99;
    e.TemperatureStep(2);
    EXPECT_EQ(-99, e.Temperature);
}

TEST(Emulation, PanelTexts) {
    EXPECT_EQ("09:05:03", DisplayEmulation::TimeText({9, 5, 3}));
    EXPECT_EQ("00:00:00", DisplayEmulation::TimeText({0, 0, 0}));
    EXPECT_EQ("23:59:59", DisplayEmulation::TimeText({23, 59, 59}));
    EXPECT_EQ("   21\xC2\xB0", DisplayEmulation::TemperatureText(21));
    EXPECT_EQ("   0\xC2\xB0", DisplayEmulation::TemperatureText(0));
    EXPECT_EQ("-7\xC2\xB0", DisplayEmulation::TemperatureText(-7));
    DisplayEmulation e;
    e.Shows = Phase::Date;
    EXPECT_EQ("05.03.2025", e.PanelText({9, 5, 3}, "05.03.2025"));
    e.Shows = Phase::Time;
    EXPECT_EQ("09:05:03", e.PanelText({9, 5, 3}, "05.03.2025"));
}

}  // namespace
