// The time and brightness dialog and a change of display, at the DPI that
// ui_dpi.sh gave the prefix (96, 144 or 192): the line is laid out, dragged
// and limited in design units, so the same design position of a splitter
// gives the same hour on every display; a window moved to a display of
// another scale gets fonts, pictures and painted surfaces made for it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "fake_transports.h"
#include "support.h"
#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/widgets/dpi.h"

namespace {

using Hours = std::array<int, 4>;

widgets::Scale RunScale() {
    const char* dpi = std::getenv("ZORVEL_TEST_DPI");
    return widgets::Scale(dpi ? std::atoi(dpi) : widgets::kDesignDpi);
}

RECT In(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int Width(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r.right - r.left;
}

int FontPixels(HFONT font) {
    LOGFONTW log{};
    GetObjectW(font, sizeof log, &log);
    return log.lfHeight < 0 ? -log.lfHeight : log.lfHeight;
}

// How wide the picture drawn on an image is: the columns not all background.
int DrawnSpan(const widgets::Image& image) {
    uitest::Rendered r(image);
    int left = r.Canvas().Width(), right = -1;
    for (int y = 0; y < r.Canvas().Height(); ++y)
        for (int x = 0; x < r.Canvas().Width(); ++x)
            if (r.At(x, y) != image.Back()) {
                if (x < left) left = x;
                if (x > right) right = x;
            }
    return right < 0 ? 0 : right - left + 1;
}

// Sends the message Windows sends when the window lands on a display of `dpi`.
void MoveToDisplay(HWND window, int dpi) {
    const int old = widgets::ScaleOf(window).Dpi();
    RECT suggested{};
    GetWindowRect(window, &suggested);
    suggested.right = suggested.left + MulDiv(suggested.right - suggested.left, dpi, old);
    suggested.bottom = suggested.top + MulDiv(suggested.bottom - suggested.top, dpi, old);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

class TimeAtScale : public ::testing::Test {
protected:
    void TearDown() override {
        if (d) d->Show(false);
        d.reset();
    }
    void Open() {
        d = std::make_unique<TFormTime>(nullptr);
        d->Editable = true;
        d->Show(true);
        uitest::FlushEvents(30);
    }
    Hours HoursNow() const { return {d->HourM, d->HourA, d->HourE, d->HourN}; }

    // The default line at `scale`: every panel and splitter where its design
    // place scales to, the labels centred over their panels, the fonts scaled.
    void ExpectLineAt(widgets::Scale s) {
        struct {
            HWND w;
            int left, width;
        } line[] = {{d->PanelN1, 0, 180},  {d->SplitterM, 180, 4}, {d->PanelM, 184, 116}, {d->SplitterA, 300, 4},
                    {d->PanelA, 304, 176}, {d->SplitterE, 480, 4}, {d->PanelE, 484, 146}, {d->SplitterN, 630, 4},
                    {d->PanelN, 634, 90}};
        for (const auto& e : line) {
            const RECT r = In(d->PanelTimelines, e.w);
            EXPECT_NEAR(s.Px(e.left), r.left, 1) << e.left;
            EXPECT_NEAR(s.Px(e.left + e.width), r.right, 1) << e.left;
            EXPECT_NEAR(s.Px(36), r.bottom - r.top, 1) << e.left;
        }
        const auto labels = d->BrightLabels();
        const auto panels = d->Panels();
        for (int slot = 0; slot < timeline::kSlots; ++slot) {
            const RECT label = labels[slot]->Bounds(), panel = panels[slot]->Bounds();
            const int centreTwice = 2 * s.Px(100) + panel.left + panel.right;
            EXPECT_NEAR(centreTwice, label.left + label.right, 3) << "label centred over panel " << slot;
            EXPECT_EQ(s.FontPx(19), FontPixels(labels[slot]->GetFont()));
            EXPECT_EQ(s.FontPx(16), FontPixels(panels[slot]->CaptionFont()));
        }
        EXPECT_EQ(s.FontPx(16), FontPixels(d->LabelBright.GetFont()));
        EXPECT_EQ(s.FontPx(16), FontPixels(d->BitBtnOK.GetFont()));
        EXPECT_EQ(s.Px(50), d->ImageDayTimeNow.Surface().Width());
        EXPECT_EQ(s.Px(38), d->ImageDayTimeNow.Surface().Height());
    }

    std::unique_ptr<TFormTime> d;
};

TEST_F(TimeAtScale, TheLineLabelsAndFontsScale) {
    Open();
    const widgets::Scale s = RunScale();
    EXPECT_EQ(s.Px(844), d->Client().right);
    EXPECT_EQ(s.Px(254), d->Client().bottom);
    EXPECT_EQ(s.Px(724), Width(d->PanelTimelines));
    ExpectLineAt(s);
    // The brightness row inside its panel: indicator, caption, slider, icon.
    const RECT row = d->PanelBright.Area();
    EXPECT_EQ(38, row.bottom);
    struct {
        HWND w;
        RECT design;
    } bright[] = {{d->ImageDayTimeNow, {0, 0, 50, 38}},
                  {d->LabelBright, {54, 0, 184, 38}},
                  {d->PanelBrightTB, {184, 0, row.right - 36, 38}},
                  {d->ImageBright, {row.right - 32, 3, row.right, 35}}};
    for (const auto& e : bright) {
        const RECT r = In(d->PanelBright, e.w);
        EXPECT_NEAR(s.Px(e.design.left), r.left, 1) << e.design.left;
        EXPECT_NEAR(s.Px(e.design.top), r.top, 1) << e.design.left;
        EXPECT_NEAR(s.Px(e.design.right), r.right, 1) << e.design.left;
        EXPECT_NEAR(s.Px(e.design.bottom), r.bottom, 1) << e.design.left;
    }
    // Splitters and the layout speak design units whatever the display.
    EXPECT_EQ(300, d->SplitterA.Left());
    EXPECT_EQ(630, d->SplitterN.Left());
}

// Drags given in design units (the mouse moves their pixels at this scale):
// the same design position gives the same hours and the same limits at every
// DPI, which are those of the 96-DPI design.
TEST_F(TimeAtScale, DragsGiveTheSameHoursAndLimitsOnEveryDisplay) {
    const widgets::Scale s = RunScale();
    struct Drag {
        int splitter, dx;
        bool release;
        Hours hours;
        int left;  // the splitter's left edge afterwards, in design units
        int slot, slotWidth;  // and one panel's design width
    } drags[] = {
        // Live, the day's start stands where the mouse put it (319 div 30 is
        // still 10 h); released where it stands, it snaps to the hour.
        {1, 19, false, {6, 10, 16, 21}, 319, timeline::kMorningSlot, 135},
        {1, 0, true, {6, 10, 16, 21}, 300, timeline::kMorningSlot, 116},
        // An hour earlier: three hours of morning are narrower than its minimum.
        {1, -30, true, {6, 9, 15, 20}, 274, timeline::kMorningSlot, 90},
        // Far right, the late night keeps an hour while dragged; released, the
        // line is laid out from the hours.
        {3, 1000, false, {6, 9, 15, 22}, 690, timeline::kLateNight, 30},
        {3, 0, true, {6, 9, 15, 22}, 664, timeline::kLateNight, 56},
        // Far left, the evening keeps its minimum.
        {3, -1000, false, {6, 9, 15, 18}, 563, timeline::kEveningSlot, 105},
        {3, 0, true, {6, 9, 15, 18}, 563, timeline::kEveningSlot, 105},
        // The early night keeps its minimum; the whole day shifts with the morning.
        {0, -1000, true, {2, 5, 11, 14}, 70, timeline::kEarlyNight, 70},
        {2, 61, true, {2, 5, 13, 16}, 404, timeline::kDaySlot, 236},
    };
    Open();
    const auto splitters = d->Splitters();
    const auto panels = d->Panels();
    for (const Drag& drag : drags) {
        uitest::DragSideways(*splitters[drag.splitter], s.Px(drag.dx), drag.release);
        EXPECT_EQ(drag.hours, HoursNow()) << drag.splitter << " by " << drag.dx;
        EXPECT_EQ(drag.left, splitters[drag.splitter]->Left()) << drag.splitter << " by " << drag.dx;
        EXPECT_NEAR(s.Px(drag.slotWidth), Width(*panels[drag.slot]), 1) << drag.splitter << " by " << drag.dx;
    }
}

TEST_F(TimeAtScale, AChangeOfDisplayRemakesFontsPicturesAndLine) {
    Open();
    const widgets::Scale before = RunScale(), after(2 * before.Dpi());
    const int drawnBefore = DrawnSpan(d->ImageN);
    uitest::DragSideways(d->SplitterE, before.Px(30));
    const Hours hours = HoursNow();

    MoveToDisplay(*d, after.Dpi());
    EXPECT_EQ(hours, HoursNow()) << "a display changes no hour";
    // The evening dragged an hour later: the line as the hours lay it out.
    EXPECT_EQ(510, d->SplitterE.Left());
    EXPECT_NEAR(after.Px(510), In(d->PanelTimelines, d->SplitterE).left, 1);
    // Fonts made for the new height, labels re-centred over the re-placed panels.
    const RECT m = d->PanelM.Bounds(), label = d->LabelBrightM.Bounds();
    EXPECT_NEAR(2 * after.Px(100) + m.left + m.right, label.left + label.right, 3);
    EXPECT_EQ(after.FontPx(19), FontPixels(d->LabelBrightM.GetFont()));
    EXPECT_EQ(after.FontPx(16), FontPixels(d->PanelE.CaptionFont()));
    EXPECT_EQ(after.FontPx(16), FontPixels(d->LabelBright.GetFont()));
    EXPECT_EQ(after.FontPx(16), FontPixels(d->BitBtnCancel.GetFont()));
    // The painted surfaces have the new size, and their pictures again.
    EXPECT_EQ(after.Px(50), d->ImageDayTimeNow.Surface().Width());
    uitest::Rendered indicator(d->ImageDayTimeNow);
    EXPECT_LT(indicator.Count(d->ImageDayTimeNow.Back()), after.Px(50) * after.Px(38)) << "the night's picture";
    EXPECT_EQ(after.Px(32), d->ImageN.Surface().Height());
    // The picture drawn for the new scale, not the old one stretched.
    const int percentBefore = widgets::PictureScalePercent(before), percentAfter = widgets::PictureScalePercent(after);
    EXPECT_NEAR(drawnBefore * percentAfter / percentBefore, DrawnSpan(d->ImageN), 2);

    // And back, the default hours laid out again: as at the start, fonts to the pixel.
    MoveToDisplay(*d, before.Dpi());
    d->HourM = 6, d->HourA = 10, d->HourE = 16, d->HourN = 21;
    d->FormActivate();
    ExpectLineAt(before);
}

// ---- the layer ----------------------------------------------------------------------

class Board : public widgets::Form {
public:
    Board() {
        widgets::FormOptions o;
        o.ClientWidth = 100;
        o.ClientHeight = 60;
        CreateForm(o);
        Picture.Create(hwnd, 10, 10, 40, 20, RGB(255, 255, 255));
    }
    widgets::Image Picture;
};

// A form that does not draw its picture again still shows it, stretched to
// the new size, not an empty box.
TEST(ScalingOfTheLayer, APaintedSurfaceTakesTheNewSizeWithItsPictureStretched) {
    Board b;
    const widgets::Scale after(2 * RunScale().Dpi());
    const widgets::Canvas& before = b.Picture.Surface();
    widgets::Brush red(RGB(255, 0, 0));
    const RECT left{0, 0, before.Width() / 2, before.Height()};
    FillRect(before.Dc(), &left, red);

    MoveToDisplay(b, after.Dpi());
    const widgets::Canvas& now = b.Picture.Surface();
    EXPECT_EQ(after.Px(40), now.Width());
    EXPECT_EQ(after.Px(20), now.Height());
    EXPECT_EQ(RGB(255, 0, 0), now.Pixel(now.Width() / 4, now.Height() / 2));
    EXPECT_EQ(RGB(255, 255, 255), now.Pixel(3 * now.Width() / 4, now.Height() / 2));
}

// ---- the main window ----------------------------------------------------------------

class MainAtScale : public ::testing::Test {
protected:
    void SetUp() override {
        fakes::Reset();
        testsupport::RemoveProgramIniFiles();
        w = std::make_unique<TForms>();
        w->FormMain.Show(true);
        uitest::FlushEvents(50);
    }
    void TearDown() override {
        w.reset();
        testsupport::RemoveProgramIniFiles();
    }
    std::unique_ptr<TForms> w;
};

// The widest run of non-face pixels across a toolbar button: the picture drawn.
int DrawnWidth(const widgets::ToolBar& bar, int id) {
    uitest::Rendered toolbar(bar);
    const RECT b = bar.ButtonRect(id);
    const COLORREF face = toolbar.At(b.left + 1, b.top + 1);
    int left = b.right, right = b.left - 1;
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
            if (toolbar.At(x, y) != face) {
                if (x < left) left = x;
                if (x > right) right = x;
            }
    return right - left + 1;
}

TEST_F(MainAtScale, AChangeOfDisplayRemakesFontsAndPicksTheLargerPictures) {
    TFormMain& m = w->FormMain;
    const widgets::Scale before = RunScale(), after(2 * before.Dpi());
    const int pictureAfter = widgets::PictureScalePercent(after) * 32 / 100;

    MoveToDisplay(m, after.Dpi());
    struct Font {
        HFONT font;
        int design;
        const char* what;
    } fonts[] = {{m.FormFont(), 21, "window font"},
                 {m.LabelMode.GetFont(), 21, "mode label"},
                 {m.LabelInterval.GetFont(), 19, "interval label"},
                 {m.PanelEmul.CaptionFont(), 56, "display imitation"},
                 {m.SpeedButtonGet.GetFont(), 21, "read button"}};
    for (const Font& f : fonts) EXPECT_EQ(after.FontPx(f.design), FontPixels(f.font)) << f.what;

    // The toolbar draws the strip drawn for the new scale, in buttons of the new size.
    EXPECT_EQ(pictureAfter, m.ImageList32x32.ImageSize());
    EXPECT_EQ(pictureAfter, m.ImageList32x32H.ImageSize());
    EXPECT_EQ(pictureAfter, m.ImageList32x32D.ImageSize());
    const RECT button = m.ToolBarMain.ButtonRect(TFormMain::tbSett);
    EXPECT_NEAR(after.Px(39), button.right - button.left, 1);
    const int drawn = DrawnWidth(m.ToolBarMain, TFormMain::tbSett);
    EXPECT_GT(drawn, pictureAfter * 3 / 4);
    EXPECT_LE(drawn, pictureAfter);
    // The painted interval picture and the mode list's items too.
    EXPECT_EQ(after.Px(32), m.ImageInterval.Surface().Width());
    uitest::Rendered interval(m.ImageInterval);
    EXPECT_LT(interval.Count(m.ImageInterval.Back()), after.Px(32) * after.Px(32));
    EXPECT_EQ(after.Px(40), static_cast<int>(m.ComboBoxMode.Send(CB_GETITEMHEIGHT, 0)));

    // Back on the first display, fonts and pictures are those of a start there.
    MoveToDisplay(m, before.Dpi());
    EXPECT_EQ(before.FontPx(21), FontPixels(m.FormFont()));
    EXPECT_EQ(before.FontPx(19), FontPixels(m.LabelInterval.GetFont()));
    EXPECT_EQ(before.FontPx(56), FontPixels(m.PanelEmul.CaptionFont()));
    EXPECT_EQ(widgets::PictureScalePercent(before) * 32 / 100, m.ImageList32x32.ImageSize());
}

// The about window's link sits left of OK, measured in design units.
TEST_F(MainAtScale, AboutLinkStandsLeftOfOk) {
    const widgets::Scale s = RunScale();
    TFormAbout& a = w->FormAbout;
    const int okLeft = a.BitBtnOK.DesignBounds().left;
    const RECT link = In(a.PanelBottom, a.PanelLink);
    EXPECT_NEAR(s.Px(okLeft - 6), link.right, 1);
    EXPECT_NEAR(s.Px(okLeft - 6 - 150), link.left, 1);
    EXPECT_NEAR(s.Px(okLeft - 6 - 150), Width(a.ImageManufacturer), 1);
}

}  // namespace
