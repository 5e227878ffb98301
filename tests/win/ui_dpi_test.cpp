// The windows at the display's scale. ui_dpi.sh runs this program in a Wine
// prefix of its own per DPI (96, 144, 192) and names the DPI it set in
// ZORVEL_TEST_DPI: every measure of the design must come out scaled by
// DPI / 96 (one pixel of rounding allowed), the larger pictures must be used,
// and at 96 everything is as designed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "fake_transports.h"
#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/widgets/dpi.h"
#include "zorvel/widgets/layout.h"
#include "zorvel/widgets/panel.h"
#include "zorvel/widgets/splitter.h"

namespace {

int ExpectedDpi() {
    const char* dpi = std::getenv("ZORVEL_TEST_DPI");
    return dpi ? std::atoi(dpi) : widgets::kDesignDpi;
}

double Factor() { return ExpectedDpi() / 96.0; }
int Scaled(int design) { return static_cast<int>(design * Factor() + 0.5); }

RECT In(HWND parent, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ExpectNear(int design, int actual, const char* what) {
    EXPECT_NEAR(Scaled(design), actual, 1) << what << " (design " << design << ")";
}

int FontPixels(HFONT font) {
    LOGFONTW log{};
    GetObjectW(font, sizeof log, &log);
    return log.lfHeight < 0 ? -log.lfHeight : log.lfHeight;
}

// Font heights round down, so that text does not outgrow its box.
void ExpectFont(int design, HFONT font, const char* what) {
    EXPECT_EQ(design * ExpectedDpi() / 96, FontPixels(font)) << what;
}

const char* const kIniFiles[] = {"Common.ini", "Zorvel.ini", "CSD_Numbers.ini", "RFM.ini"};

class Scaling : public ::testing::Test {
protected:
    void SetUp() override {
        fakes::Reset();
        RemoveIniFiles();
    }
    void TearDown() override {
        w.reset();
        RemoveIniFiles();
    }
    static void RemoveIniFiles() {
        for (const char* name : kIniFiles) std::remove(compat::JoinPath(compat::ExecutableDir(), name).c_str());
    }
    TFormMain& OpenMain() {
        w = std::make_unique<TForms>();
        w->FormMain.Show(true);
        uitest::FlushEvents(50);
        return w->FormMain;
    }
    std::unique_ptr<TForms> w;
};

TEST(Display, PrefixHasTheDpiOfTheRun) {
    EXPECT_EQ(ExpectedDpi(), widgets::SystemDpi());
}

TEST(Display, DesignUnitsRoundTripAndPicturesOfTheNearestSize) {
    struct Case {
        int dpi, design, px, picture;
    } cases[] = {{96, 514, 514, 100}, {96, 3, 3, 100},   {120, 3, 4, 150},   {144, 514, 771, 150},
                 {144, 3, 5, 150},    {144, 1, 2, 150},  {168, 40, 70, 200}, {192, 274, 548, 200},
                 {288, 3, 9, 200}};
    for (const Case& c : cases) {
        const widgets::Scale s(c.dpi);
        EXPECT_EQ(c.px, s.Px(c.design)) << c.dpi << " " << c.design;
        EXPECT_EQ(c.design, s.Design(s.Px(c.design))) << c.dpi << " " << c.design;
        EXPECT_EQ(c.picture, widgets::PictureScalePercent(s)) << c.dpi;
    }
}

TEST_F(Scaling, MainWindowBandsControlsAndFonts) {
    TFormMain& m = OpenMain();
    RECT client = m.Client();
    EXPECT_EQ(Scaled(514), client.right);
    EXPECT_EQ(Scaled(274), client.bottom);
    // Bands are scaled edge by edge: they keep their places against the
    // client's edges and each other to the pixel.
    EXPECT_EQ(Scaled(511), In(m, m.PanelTop).right);
    EXPECT_EQ(Scaled(271), In(m, m.PanelBottom).bottom);
    EXPECT_EQ(Scaled(43), In(m, m.PanelTop).bottom);
    EXPECT_EQ(Scaled(49), In(m, m.PanelDisplay).top);

    struct Expected {
        HWND parent, window;
        RECT design;
        const char* what;
    } table[] = {
        {m, m.PanelTop, {3, 3, 511, 43}, "top band"},
        {m, m.PanelDisplay, {3, 49, 511, 111}, "display band"},
        {m, m.PanelMode, {3, 117, 511, 167}, "mode band"},
        {m, m.PanelInterval, {3, 173, 511, 211}, "interval band"},
        {m, m.PanelBottom, {3, 225, 511, 271}, "bottom band"},
        {m.PanelTop, m.ToolBarMain, {0, 1, 156, 39}, "main toolbar"},
        {m.PanelTop, m.ToolBarConnect, {221, 1, 260, 39}, "interface toolbar"},
        {m.PanelTop, m.DateTimePickerDC, {264, 5, 394, 35}, "date picker"},
        {m.PanelTop, m.DateTimePickerTC, {398, 5, 508, 35}, "time picker"},
        {m.PanelDisplay, m.PanelEmul, {176, 0, 332, 62}, "display imitation"},
        {m.PanelMode, m.LabelMode, {0, 0, 172, 50}, "mode label"},
        {m.PanelMode, m.ComboBoxMode, {178, 2, 508, -1}, "mode list"},
        {m.PanelInterval, m.LabelInterval, {0, 0, 418, 38}, "interval label"},
        {m.PanelInterval, m.ImageInterval, {422, 3, 454, 35}, "interval image"},
        {m.PanelInterval, m.EditInterval, {458, 4, 508, 34}, "interval field"},
        {m.PanelBottom, m.SpeedButtonGet, {179, 3, 339, 43}, "read button"},
        {m.PanelBottom, m.SpeedButtonSet, {345, 3, 505, 43}, "write button"},
    };
    for (const Expected& e : table) {
        RECT r = In(e.parent, e.window);
        ExpectNear(e.design.left, r.left, e.what);
        ExpectNear(e.design.top, r.top, e.what);
        ExpectNear(e.design.right, r.right, e.what);
        if (e.design.bottom >= 0) ExpectNear(e.design.bottom, r.bottom, e.what);  // a closed list sizes itself
    }

    RECT button = m.ToolBarMain.ButtonRect(TFormMain::tbSett);
    ExpectNear(39, button.right - button.left, "toolbar button width");
    ExpectNear(38, button.bottom - button.top, "toolbar button height");
    ExpectNear(40, static_cast<int>(m.ComboBoxMode.Send(CB_GETITEMHEIGHT, 0)), "mode item height");

    ExpectFont(21, m.FormFont(), "window font");
    ExpectFont(21, m.LabelMode.GetFont(), "mode label font");
    ExpectFont(19, m.LabelInterval.GetFont(), "interval label font");
    ExpectFont(16, w->FormSett.BitBtnOK.GetFont(), "dialog button font");
}

TEST_F(Scaling, ToolbarDrawsThePictureDrawnForTheScale) {
    TFormMain& m = OpenMain();
    const int picture = widgets::PictureScalePercent(widgets::Scale(ExpectedDpi())) * 32 / 100;
    EXPECT_EQ(picture, m.ImageList32x32.ImageSize());
    EXPECT_EQ(picture, m.ImageList32x32D.ImageSize());

    // The settings gear, rendered: its drawn pixels span as much as the
    // picture drawn for the scale, far more than a 32 px picture could.
    uitest::Rendered toolbar(m.ToolBarMain);
    const RECT b = m.ToolBarMain.ButtonRect(TFormMain::tbSett);
    const COLORREF face = toolbar.At(b.left + 1, b.top + 1);
    int left = b.right, right = b.left;
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
            if (toolbar.At(x, y) != face) {
                if (x < left) left = x;
                if (x > right) right = x;
            }
    EXPECT_GT(right - left + 1, picture * 3 / 4);
    EXPECT_LE(right - left + 1, picture);
}

TEST_F(Scaling, TimeDialogDrawsThePicturesDrawnForTheScale) {
    OpenMain();
    TFormTime& t = w->FormTime;
    const double picture = widgets::PictureScalePercent(widgets::Scale(ExpectedDpi())) / 100.0;

    // The hours under the line: a sharp tick every 30 design units, as the
    // picture drawn for the scale has them, not a small picture in the middle.
    uitest::Rendered hours(t.ImageHours);
    const COLORREF ink = RGB(44, 56, 72);
    const int hour = static_cast<int>(30 * picture + 0.5);
    for (int h : {1, 12, 23}) {
        EXPECT_EQ(ink, hours.At(h * hour, 3)) << "the tick of hour " << h;
        EXPECT_NE(ink, hours.At(h * hour + hour / 2, 3)) << "between hours " << h << " and " << h + 1;
    }

    // The sun of the day spans as much as the picture drawn for the scale, far
    // more than a 32 px picture could.
    uitest::Rendered sun(t.ImageA);
    int left = sun.Canvas().Width(), right = -1;
    for (int y = 0; y < sun.Canvas().Height(); ++y)
        for (int x = 0; x < sun.Canvas().Width(); ++x)
            if (sun.At(x, y) != t.ImageA.Back()) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GT(right - left + 1, 32 * picture * 3 / 4);
    EXPECT_LE(right - left + 1, 32 * picture);
}

TEST_F(Scaling, SmallWindowsAndDialogsScaleToo) {
    OpenMain();
    struct Expected {
        widgets::Form& form;
        int width, height;
        const char* what;
    } table[] = {{w->FormGSM, 44, 374, "GSM window"}, {w->FormSett, 744, 484, "settings dialog"}};
    for (const Expected& e : table) {
        RECT r = e.form.Client();
        ExpectNear(e.width, r.right, e.what);
        ExpectNear(e.height, r.bottom, e.what);
    }
    ExpectFont(13, w->FormGSM.LabelCSQ.GetFont(), "signal label font");
    // The gauge is computed on the design height: stripe 0 (black) spans 312
    // to 316 there, stripe 92 (the top filled one) 22 to 25, stripe 93 (empty) 18 to 22.
    w->FormGSM.GaugeUpdate(31);
    uitest::Rendered gauge(w->FormGSM.ImageCSQ);
    EXPECT_EQ(RGB(0, 0, 0), gauge.At(Scaled(10), Scaled(313)));
    EXPECT_EQ(RGB(16, 231, 0), gauge.At(Scaled(10), Scaled(23)));
    EXPECT_EQ(w->FormGSM.ImageCSQ.Back(), gauge.At(Scaled(10), Scaled(20)));
}

// A form of the layer with a splitter, for the conversions that logic in
// pixels relies on and for a change of display.
class Probe : public widgets::Form {
public:
    Probe() {
        widgets::FormOptions o;
        o.ClientWidth = 300;
        o.ClientHeight = 100;
        o.FontPixels = 20;
        CreateForm(o);
        Left.Create(hwnd, 0, 0, 0, 0);
        Rest.Create(hwnd, 0, 0, 0, 0);
        widgets::LayoutBands(Area(), {{Left, widgets::Align::Left, 100, widgets::Uniform(3)},
                                      {Rest, widgets::Align::Client, 0, widgets::Uniform(3)}});
        Bar.Create(Rest, 90, 0, 5, 50);
    }
    widgets::Panel Left, Rest;
    widgets::Splitter Bar;
};

TEST(ScalingOfTheLayer, SplitterSpeaksDesignUnitsAndAChangeOfDisplayRelaysOut) {
    Probe p;
    EXPECT_EQ(90, p.Bar.Left());
    ExpectNear(90, p.Bar.Bounds().left, "splitter in pixels");
    EXPECT_EQ(90, p.Design(p.Px(90)));

    // Dragged by 30 design units: limits and moves arrive in design units.
    int minLeft = -1, maxLeft = -1, moved = -1;
    p.Bar.OnLimits = [&](int& lo, int& hi) {
        minLeft = lo;
        maxLeft = hi;
        hi = 100;
    };
    p.Bar.OnMoved = [&](int left) { moved = left; };
    p.Bar.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    p.Bar.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(1 + p.Px(30), 1));
    p.Bar.Send(WM_LBUTTONUP, 0, MAKELPARAM(1 + p.Px(30), 1));
    EXPECT_EQ(0, minLeft);
    EXPECT_NEAR(300 - 3 - 100 - 3 - 3 - 5 - 3, maxLeft, 1);
    EXPECT_EQ(100, moved);  // held at the limit the owner gave
    EXPECT_EQ(100, p.Bar.Left());

    // Moved to a display of twice the scale: everything placed again, fonts doubled.
    const int dpi = p.GetScale().Dpi(), doubled = 2 * dpi;
    RECT suggested{0, 0, 0, 0};
    GetWindowRect(p, &suggested);
    suggested.right = suggested.left + 2 * (suggested.right - suggested.left);
    suggested.bottom = suggested.top + 2 * (suggested.bottom - suggested.top);
    const int fontBefore = FontPixels(p.Left.GetFont());
    p.Send(WM_DPICHANGED, MAKEWPARAM(doubled, doubled), reinterpret_cast<LPARAM>(&suggested));
    const widgets::Scale s(doubled);
    EXPECT_EQ(doubled, widgets::ScaleOf(p.Bar).Dpi());
    EXPECT_EQ(s.Px(RECT{3, 3, 103, 97}).right, In(p, p.Left).right);
    EXPECT_EQ(s.Px(109), In(p, p.Rest).left);
    EXPECT_EQ(s.Px(100), p.Bar.Bounds().left);
    EXPECT_EQ(100, p.Bar.Left());
    EXPECT_NEAR(2 * fontBefore, FontPixels(p.Left.GetFont()), 1);
    EXPECT_EQ(s.FontPx(20), FontPixels(p.FormFont()));
}

}  // namespace
