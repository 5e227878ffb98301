// The time and brightness dialog under Wine: the line laid out from the
// hours, splitters dragged with mouse messages, selection and slider, the
// reset, the read-only dialog, colours probed in rendered pixels, and the
// main window's copy in and back.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "fake_transports.h"
#include "ui_support.h"
#include "zorvel/Forms.h"

namespace {

using Hours = std::array<int, 4>;

RECT In(const widgets::Window& parent, const widgets::Window& child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int Width(const widgets::Window& w) {
    RECT r = w.Bounds();
    return r.right - r.left;
}

class TimeDialog : public ::testing::Test {
protected:
    void TearDown() override {
        if (d) d->Show(false);
        d.reset();
    }
    void Open(Hours hours = {6, 10, 16, 21}, Hours brights = {90, 100, 80, 50}, bool editable = true) {
        d = std::make_unique<TFormTime>(nullptr);
        d->HourM = static_cast<std::int16_t>(hours[0]), d->HourA = static_cast<std::int16_t>(hours[1]);
        d->HourE = static_cast<std::int16_t>(hours[2]), d->HourN = static_cast<std::int16_t>(hours[3]);
        d->BrightM = static_cast<std::int16_t>(brights[0]), d->BrightA = static_cast<std::int16_t>(brights[1]);
        d->BrightE = static_cast<std::int16_t>(brights[2]), d->BrightN = static_cast<std::int16_t>(brights[3]);
        d->Editable = editable;
        d->Show(true);
        uitest::FlushEvents(30);
    }
    Hours HoursNow() const { return {d->HourM, d->HourA, d->HourE, d->HourN}; }
    Hours BrightsNow() const { return {d->BrightM, d->BrightA, d->BrightE, d->BrightN}; }
    // The slider moved by the operator: focused, a new position, its scroll notification.
    void Slide(int position) {
        d->TrackBarBright.Focus();
        d->TrackBarBright.SetPosition(position);
        SendMessageW(GetParent(d->TrackBarBright), WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(d->TrackBarBright.hwnd));
    }

    uitest::BoxRecorder boxes;
    std::unique_ptr<TFormTime> d;
};

TEST_F(TimeDialog, DefaultScheduleGivesTheLineAndLabels) {
    Open();
    EXPECT_EQ(844, d->Client().right);
    EXPECT_EQ(254, d->Client().bottom);
    EXPECT_EQ(L"Настройки времени и яркости", d->Text());
    EXPECT_EQ(724, Width(d->PanelTimelines));
    struct {
        const widgets::Window& w;
        int left, width;
    } expected[] = {{d->PanelN1, 0, 180},   {d->SplitterM, 180, 4}, {d->PanelM, 184, 116}, {d->SplitterA, 300, 4},
                    {d->PanelA, 304, 176},  {d->SplitterE, 480, 4}, {d->PanelE, 484, 146}, {d->SplitterN, 630, 4},
                    {d->PanelN, 634, 90}};
    for (const auto& e : expected) {
        RECT r = In(d->PanelTimelines, e.w);
        EXPECT_EQ(e.left, r.left);
        EXPECT_EQ(e.width, r.right - r.left);
    }
    const wchar_t* texts[] = {L"50%", L"90%", L"100%", L"80%", L"50%"};  // N1, M, A, E, N
    const auto labels = d->BrightLabels();
    const auto panels = d->Panels();
    for (int slot = 0; slot < 5; ++slot) {
        EXPECT_EQ(texts[slot], labels[slot]->Text());
        // Centred over its panel: the line starts 100 px into the label row.
        RECT label = labels[slot]->Bounds(), panel = panels[slot]->Bounds();
        EXPECT_EQ(100 + panel.left + (panel.right - panel.left - (label.right - label.left)) / 2, label.left) << slot;
        EXPECT_GT(label.right - label.left, 30) << "sized to its text";
    }
    // The hours scale starts where the line does.
    EXPECT_EQ(In(d->PanelTimeline, d->PanelTimelines).left, In(d->PanelTimeline, d->ImageHours).left);
    // Activation selected the night.
    EXPECT_EQ(L"Яркость табло ночью", d->LabelBright.Text());
    EXPECT_EQ(3, d->ImageDayTimeNowTag);
    EXPECT_EQ(50, d->TrackBarBright.Position());
    EXPECT_EQ(widgets::Bevel::Soft, d->PanelN.GetBevel());
    EXPECT_EQ(widgets::Bevel::Soft, d->PanelN1.GetBevel());
    EXPECT_EQ(widgets::Bevel::None, d->PanelM.GetBevel());
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(TimeDialog, HoursOutOfOrderWarnAndRestoreAllEightDefaults) {
    struct Case {
        Hours hours;
        bool warned;
    } cases[] = {{{6, 10, 10, 21}, true}, {{21, 16, 10, 6}, true}, {{-4, 10, 16, 40}, false}};
    for (const Case& c : cases) {
        boxes.Boxes.clear();
        Open(c.hours, {33, 44, 55, 120});
        if (c.warned) {
            ASSERT_EQ(1u, boxes.Boxes.size());
            EXPECT_EQ("Неккоректные значения часов начала времен суток.\r\nЗначение будут восстановлены по умолчанию.",
                      boxes.Boxes[0].Text);
            EXPECT_EQ("Внимание", boxes.Boxes[0].Caption);
            EXPECT_EQ(compat::kBoxOk | compat::kBoxIconWarning, boxes.Boxes[0].Type & 0xFF);
            EXPECT_EQ((Hours{6, 10, 16, 21}), HoursNow());
            EXPECT_EQ((Hours{90, 100, 80, 50}), BrightsNow());
        } else {
            EXPECT_TRUE(boxes.Boxes.empty());
            EXPECT_EQ(c.hours, HoursNow()) << "hours outside the day are shown unchanged";
            EXPECT_EQ((Hours{33, 44, 55, 120}), BrightsNow());
        }
        for (TPeriodPanel* panel : d->Panels()) EXPECT_GE(Width(*panel), 0);
        d->Show(false);
    }
}

TEST_F(TimeDialog, ReadOnlyShowsOnlyTheValuesAndOk) {
    Open({6, 10, 16, 21}, {90, 100, 80, 50}, false);
    EXPECT_TRUE(d->BitBtnOK.Visible());
    EXPECT_FALSE(d->BitBtnCancel.Visible());
    EXPECT_FALSE(d->BitBtnDefault.Visible());
    EXPECT_FALSE(d->PanelBrightTB.Visible());
    EXPECT_FALSE(d->ImageBright.Visible());
    EXPECT_FALSE(d->TrackBarBright.Enabled());
    for (widgets::Splitter* s : d->Splitters()) EXPECT_FALSE(s->Enabled());
    EXPECT_EQ(L"", d->LabelBright.Text());
    // Clicks on the line (panel and icon) select nothing.
    d->PanelM.Send(WM_LBUTTONUP, 0, MAKELPARAM(60, 10));
    d->ImageE.Send(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    d->PanelN1Click(1);
    EXPECT_EQ(L"", d->LabelBright.Text());
    EXPECT_EQ(widgets::Bevel::None, d->PanelM.GetBevel());
    EXPECT_EQ(widgets::Bevel::None, d->PanelE.GetBevel());
    // The indicator stays the empty background.
    uitest::Rendered indicator(d->ImageDayTimeNow);
    EXPECT_EQ(indicator.Canvas().Width() * indicator.Canvas().Height(), indicator.Count(d->ImageDayTimeNow.Back()));
    EXPECT_EQ(L"50%", d->LabelBrightN.Text());
}

TEST_F(TimeDialog, SelectingMovesTheSliderWithoutChangingAnything) {
    Open();
    d->TrackBarBright.Focus();
    struct {
        widgets::Window& clicked;
        int period, position;
        const wchar_t* caption;
    } cases[] = {{d->PanelM, 0, 90, L"Яркость табло утром"}, {d->ImageA, 1, 100, L"Яркость табло днем"},
                 {d->PanelE, 2, 80, L"Яркость табло вечером"}, {d->ImageN1, 3, 50, L"Яркость табло ночью"}};
    for (const auto& c : cases) {
        c.clicked.Send(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        EXPECT_EQ(c.period, d->ImageDayTimeNowTag);
        EXPECT_EQ(c.position, d->TrackBarBright.Position());
        EXPECT_EQ(c.caption, d->LabelBright.Text());
        EXPECT_TRUE(d->TrackBarBright.Enabled());
        EXPECT_EQ((Hours{90, 100, 80, 50}), BrightsNow());
    }
    // The indicator shows the night's picture: not only background any more.
    uitest::Rendered indicator(d->ImageDayTimeNow);
    EXPECT_LT(indicator.Count(d->ImageDayTimeNow.Back()), 50 * 38);
}

TEST_F(TimeDialog, SliderChangesOnlyTheSelectedPeriodAndOnlyFromTheOperator) {
    Open();
    // Unfocused, the move is no operator's.
    SetFocus(d->BitBtnOK);
    d->TrackBarBright.SetPosition(30);
    SendMessageW(GetParent(d->TrackBarBright), WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(d->TrackBarBright.hwnd));
    EXPECT_EQ(50, d->BrightN);
    // The night (selected on activation): both halves change together.
    Slide(21);
    EXPECT_EQ((Hours{90, 100, 80, 21}), BrightsNow());
    for (widgets::Label* l : {&d->LabelBrightN, &d->LabelBrightN1}) {
        EXPECT_EQ(L"21%", l->Text());
        EXPECT_EQ(RGB(52, 0, 0), l->TextColour());
    }
    EXPECT_EQ(RGB(52, 0, 0), d->PanelN.TextColour());
    EXPECT_EQ(RGB(52, 0, 0), d->PanelN1.TextColour());
    // Disabled, it changes nothing.
    d->TrackBarBright.Enable(false);
    d->TrackBarBright.SetPosition(77);
    SendMessageW(GetParent(d->TrackBarBright), WM_HSCROLL, TB_THUMBPOSITION, reinterpret_cast<LPARAM>(d->TrackBarBright.hwnd));
    EXPECT_EQ(21, d->BrightN);
    d->TrackBarBright.Enable(true);
    // The morning: its label re-centred over its panel.
    d->PanelN1Click(0);
    Slide(100);
    EXPECT_EQ((Hours{100, 100, 80, 21}), BrightsNow());
    EXPECT_EQ(L"100%", d->LabelBrightM.Text());
    RECT label = d->LabelBrightM.Bounds();
    EXPECT_EQ(100 + 184 + (116 - (label.right - label.left)) / 2, label.left);
}

TEST_F(TimeDialog, ColoursFollowTheBrightnessInPixels) {
    struct Case {
        int bright;
        COLORREF dayText, nightText;
    } cases[] = {{21, RGB(255, 202, 0), RGB(52, 0, 0)}, {100, RGB(255, 5, 0), RGB(250, 0, 0)}};
    for (const Case& c : cases) {
        Open({6, 10, 16, 21}, {c.bright, c.bright, c.bright, c.bright});
        for (TPeriodPanel* p : {&d->PanelM, &d->PanelA}) {
            EXPECT_EQ(c.dayText, p->TextColour());
            uitest::Rendered r(*p);
            EXPECT_EQ(RGB(255, 255, 0), r.At(Width(*p) - 3, 3)) << "yellow panel";
            EXPECT_GT(r.Count(c.dayText), 10) << "caption drawn in the period's colour";
        }
        for (TPeriodPanel* p : {&d->PanelE, &d->PanelN, &d->PanelN1}) {
            EXPECT_EQ(c.nightText, p->TextColour());
            uitest::Rendered r(*p);
            EXPECT_EQ(RGB(50, 50, 50), r.At(Width(*p) - 3, 3)) << "dark panel";
            EXPECT_GT(r.Count(c.nightText), 10);
        }
        EXPECT_EQ(c.dayText, d->LabelBrightA.TextColour());
        EXPECT_EQ(c.nightText, d->LabelBrightE.TextColour());
        d->Show(false);
    }
}

TEST_F(TimeDialog, DraggingMovesTheLineAndSnapsToWholeHours) {
    Open();
    // The day's start dragged to 319 px: live, the morning grows and the rest moves along.
    uitest::DragSideways(d->SplitterA, 19, false);
    EXPECT_EQ(319, d->SplitterA.Left());
    EXPECT_EQ(135, Width(d->PanelM));
    EXPECT_EQ(323, d->PanelA.Bounds().left);
    EXPECT_EQ(176, Width(d->PanelA));
    EXPECT_EQ(724 - 653, Width(d->PanelN));
    EXPECT_EQ((Hours{6, 10, 16, 21}), HoursNow());
    d->SplitterA.Send(WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    EXPECT_EQ(300, d->SplitterA.Left()) << "released, it snaps to 10 h";
    EXPECT_EQ(116, Width(d->PanelM));

    // One hour earlier: the day, the evening and the night start an hour earlier.
    uitest::DragSideways(d->SplitterA, -30);
    EXPECT_EQ((Hours{6, 9, 15, 20}), HoursNow());
    EXPECT_EQ(274, d->SplitterA.Left()) << "three hours of morning are narrower than its panel's minimum";
    EXPECT_EQ(90, Width(d->PanelM));
    EXPECT_EQ(L"90%", d->LabelBrightM.Text());
    RECT label = d->LabelBrightM.Bounds();
    EXPECT_EQ(100 + 184 + (90 - (label.right - label.left)) / 2, label.left) << "labels re-centred";
}

TEST_F(TimeDialog, DragsStopAtTheLimits) {
    Open();
    // Far beyond the limits: the night keeps an hour, the evening its minimum.
    uitest::DragSideways(d->SplitterN, 1000);
    EXPECT_EQ(23, d->HourN);
    EXPECT_EQ(30, Width(d->PanelN));
    uitest::DragSideways(d->SplitterN, -1000);
    EXPECT_EQ(105, Width(d->PanelE));
    EXPECT_EQ((Hours{6, 10, 16, 19}), HoursNow());
    uitest::DragSideways(d->SplitterM, -1000);
    EXPECT_EQ(70, Width(d->PanelN1));
    EXPECT_EQ((Hours{2, 6, 12, 15}), HoursNow()) << "the whole day shifts with the morning";
}

TEST_F(TimeDialog, ADragKeepsTheHoursLeftOfTheSplitter) {
    // One hour of early night is drawn 70 px wide: the line is off the hour grid.
    Open({1, 10, 16, 20});
    EXPECT_EQ(70, Width(d->PanelN1));
    uitest::DragSideways(d->SplitterE, 30);
    EXPECT_EQ((Hours{1, 10, 17, 21}), HoursNow()) << "not a morning of 70 div 30 = 2";
    uitest::DragSideways(d->SplitterA, -45);
    EXPECT_EQ((Hours{1, 8, 15, 19}), HoursNow());
}

TEST_F(TimeDialog, DefaultAsksAndOnYesResetsLayoutAndSelection) {
    Open({2, 5, 12, 20}, {20, 30, 40, 60});
    d->PanelN1Click(1);
    boxes.Answer = compat::kAnswerNo;
    d->BitBtnDefault.Click();
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("Текущие значения настроек времени будут изменены на значения по умолчанию.\r\nПродолжить?",
              boxes.Boxes[0].Text);
    EXPECT_EQ("Подтверждение", boxes.Boxes[0].Caption);
    EXPECT_EQ(compat::kBoxYesNo | compat::kBoxIconWarning, boxes.Boxes[0].Type & 0xFF);
    EXPECT_EQ((Hours{2, 5, 12, 20}), HoursNow());
    EXPECT_EQ((Hours{20, 30, 40, 60}), BrightsNow());
    EXPECT_EQ(1, d->ImageDayTimeNowTag);

    boxes.Answer = compat::kAnswerYes;
    d->BitBtnDefault.Click();
    EXPECT_EQ((Hours{6, 10, 16, 21}), HoursNow());
    EXPECT_EQ((Hours{90, 100, 80, 50}), BrightsNow());
    EXPECT_EQ(180, Width(d->PanelN1));
    EXPECT_EQ(630, d->SplitterN.Left());
    EXPECT_EQ(L"80%", d->LabelBrightE.Text());
    EXPECT_EQ(3, d->ImageDayTimeNowTag);
    EXPECT_EQ(50, d->TrackBarBright.Position());
}

// ---- the main window's copy in and back ---------------------------------------------

class TimeFromMain : public ::testing::Test {
protected:
    void SetUp() override {
        fakes::Reset();
        w = std::make_unique<TForms>();
        w->FormMain.Show(true);
        uitest::FlushEvents(30);
    }
    void TearDown() override {
        w.reset();
        for (const char* name : {"Common.ini", "Zorvel.ini", "CSD_Numbers.ini", "RFM.ini"})
            std::remove(compat::JoinPath(compat::ExecutableDir(), name).c_str());
    }
    // Opens the dialog from the toolbar and runs `action` inside its modal loop.
    void OpenAndDo(const std::function<void(TFormTime&)>& action) {
        TFormTime& dialog = w->FormTime;
        uitest::WhileModal during(dialog, [&] { action(dialog); });
        w->FormMain.ToolBarMain.Click(TFormMain::tbTime);
        EXPECT_TRUE(during.Ran());
        EXPECT_FALSE(during.TimedOut());
    }
    void SetSchedule(Hours hours, Hours brights, bool controller = true) {
        auto& s = w->FormMain.BoardSettings;
        s.HourM = static_cast<std::int8_t>(hours[0]), s.HourA = static_cast<std::int8_t>(hours[1]);
        s.HourE = static_cast<std::int8_t>(hours[2]), s.HourN = static_cast<std::int8_t>(hours[3]);
        s.BrightM = static_cast<std::int8_t>(brights[0]), s.BrightA = static_cast<std::int8_t>(brights[1]);
        s.BrightE = static_cast<std::int8_t>(brights[2]), s.BrightN = static_cast<std::int8_t>(brights[3]);
        w->FormMain.ControllerSetting = controller;
    }
    Hours MainHours() const {
        auto& s = w->FormMain.BoardSettings;
        return {s.HourM, s.HourA, s.HourE, s.HourN};
    }
    Hours MainBrights() const {
        auto& s = w->FormMain.BoardSettings;
        return {s.BrightM, s.BrightA, s.BrightE, s.BrightN};
    }

    uitest::BoxRecorder boxes;
    std::unique_ptr<TForms> w;
};

TEST_F(TimeFromMain, EveryWayOutButOkLeavesTheScheduleAfterAReset) {
    const std::function<void(TFormTime&)> exits[] = {
        [](TFormTime& t) { t.Send(WM_COMMAND, IDCANCEL, 0); },  // Escape
        [](TFormTime& t) { t.BitBtnCancel.Click(); },
        [](TFormTime& t) { t.Send(WM_CLOSE); },                 // the close item, Alt+F4
    };
    for (const auto& exit : exits) {
        SetSchedule({5, 9, 15, 22}, {25, 35, 45, 55});
        boxes.Answer = compat::kAnswerYes;
        OpenAndDo([&](TFormTime& t) {
            EXPECT_EQ(5, t.HourM);
            EXPECT_EQ(55, t.BrightN);
            EXPECT_TRUE(t.Editable);
            t.BitBtnDefaultClick();
            EXPECT_EQ(6, t.HourM);
            exit(t);
        });
        EXPECT_EQ((Hours{5, 9, 15, 22}), MainHours());
        EXPECT_EQ((Hours{25, 35, 45, 55}), MainBrights());
    }
}

TEST_F(TimeFromMain, OkBringsTheValuesBackCutToEightBits) {
    SetSchedule({-2, 10, 16, 21}, {90, 100, 80, -100});
    OpenAndDo([](TFormTime& t) {
        EXPECT_EQ(-2, t.HourM) << "sign-extended";
        EXPECT_EQ(-100, t.BrightN);
        uitest::DragSideways(t.SplitterN, -30);
        t.BrightA = 300;  // the main window keeps the low 8 bits, as it does with every value
        t.BitBtnOK.Click();
    });
    EXPECT_EQ((Hours{-2, 10, 16, 20}), MainHours());
    EXPECT_EQ((Hours{90, 44, 80, -100}), MainBrights());
}

TEST_F(TimeFromMain, ReadOnlyOkHandsBackTheDefaultsOfAnInvalidSchedule) {
    SetSchedule({6, 10, 10, 21}, {25, 35, 45, 55}, false);
    OpenAndDo([](TFormTime& t) {
        EXPECT_FALSE(t.Editable);
        EXPECT_FALSE(t.BitBtnCancel.Visible());
        t.Send(WM_COMMAND, IDOK, 0);  // Enter
    });
    ASSERT_EQ(1u, boxes.Boxes.size());
    EXPECT_EQ("Внимание", boxes.Boxes[0].Caption);
    EXPECT_EQ((Hours{6, 10, 16, 21}), MainHours());
    EXPECT_EQ((Hours{90, 100, 80, 50}), MainBrights());
}

}  // namespace
