#include "zorvel/Unittime.h"

#include <algorithm>

#include "compat/platform.h"
#include "zorvel/resources/resource.h"
#include "zorvel/widgets/layout.h"

namespace {

using timeline::Period;
using widgets::Align;
using widgets::Margins;

const COLORREF kDayColour = RGB(255, 255, 0);
const COLORREF kNightColour = RGB(50, 50, 50);
const wchar_t* const kLineHint = L"Левый щелчок мыши чтобы выбрать это время суток";
const wchar_t* const kSplitterHint = L"Двигать чтобы изменить длительность времени суток";
const wchar_t* const kPanelCaptions[timeline::kSlots] = {L"   ночь", L"     утро", L"   день", L"     вечер",
                                                         L"   ночь"};
const wchar_t* const kBrightCaptions[4] = {L"Яркость табло утром", L"Яркость табло днем", L"Яркость табло вечером",
                                           L"Яркость табло ночью"};
const int kPictureIds[4] = {IDB_PERIOD_MORNING, IDB_PERIOD_DAY, IDB_PERIOD_EVENING, IDB_PERIOD_NIGHT};
const int kPictureWidths[4] = {50, 32, 50, 32};
constexpr int kPictureHeight = 32;
constexpr int kLabelColumn = 100;  // "Время суток" and "Часы": the line starts right of them
constexpr int kLabelTop = 4;
constexpr int kLineHeight = 36;    // the day row: the time line's panels and splitters

COLORREF ToColour(const timeline::Rgb& c) {
    return RGB(static_cast<BYTE>(c.R), static_cast<BYTE>(c.G), static_cast<BYTE>(c.B));
}

}  // namespace

bool TPeriodPanel::OnPanelMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_SETCURSOR) return false;
    widgets::SetHandCursor();
    result = TRUE;
    return true;
}

void TPeriodPanel::Paint(HDC dc) const {
    RECT r = Client();
    FillRect(dc, &r, Brush());
    if (GetBevel() == widgets::Bevel::Soft) DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_SOFT);
    // The spaces clear the icon in a true Courier New; where a narrower face
    // stands in for it, the text is moved right so that it still clears it.
    const std::wstring caption = Caption();
    const size_t spaces = std::min(caption.find_first_not_of(L' '), caption.size());
    SIZE indent{};
    {
        widgets::Selected font(dc, CaptionFont());
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(spaces), &indent);
    }
    r.left = std::max(0, widgets::ScaleOf(hwnd).Px(iconRight_) - static_cast<int>(indent.cx));
    PaintCaption(dc, r);
}

TFormTime::TFormTime(HWND owner) {
    widgets::FormOptions o;
    o.Caption = L"Настройки времени и яркости";
    o.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    o.ClientWidth = 844;
    o.ClientHeight = 254;
    o.Owner = owner;
    widgets::DialogButtons buttons;
    buttons.Default = true;
    CreateDialogFrame(o, buttons);
    widgets::InstallSystemMenu(hwnd, HighlightColour, {L"Закрыть\tCtrl+F4", nullptr});
    BitBtnDefault.OnClick = [this] { BitBtnDefaultClick(); };

    captionFont_ = ScaledFont(L"Courier New", 16, true);
    percentFont_ = ScaledFont(L"Courier New", 19, true);
    brightFont_ = ScaledFont(L"Tahoma", 16);
    LoadPictures();

    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    GroupBoxBright.Create(hwnd, L"Яркость", 0, 0, 0, 0);
    widgets::LayoutBands(BodyArea(), {{GroupBoxBright, Align::Client, 0, Margins{2, 0, 2, 2}}});
    LabelCaption.Create(GroupBoxBright, L"Яркость всех светодиодов табло для каждого времени суток.", 0, 0, 0, 0,
                        face);
    PanelTimeline.Create(GroupBoxBright, 0, 0, 0, 0, CLR_INVALID, widgets::Bevel::Raised);
    // The single border around the bevel.
    SetWindowLongPtrW(PanelTimeline, GWL_STYLE, GetWindowLongPtrW(PanelTimeline, GWL_STYLE) | WS_BORDER);
    PanelBright.Create(GroupBoxBright, 0, 0, 0, 0);
    widgets::LayoutBands(GroupBoxBright.Area(), {{LabelCaption, Align::Top, 18, Margins{}},
                                                 {PanelTimeline, Align::Top, 102, Margins{0, 2, 0, 0}},
                                                 {PanelBright, Align::Top, 38, Margins{0, 6, 0, 0}}});
    SetWindowPos(PanelTimeline, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    CreateTimeline();
    CreateBrightRow();

    drag_.Attach(hwnd);
    for (HWND passive : {GroupBoxBright.hwnd, LabelCaption.hwnd, PanelTimeline.hwnd, PanelBrights.hwnd, PanelDay.hwnd,
                         PanelTimelines.hwnd, PanelHours.hwnd, LabelBrights.hwnd, LabelDay.hwnd, LabelHours.hwnd,
                         ImageHours.hwnd, PanelBright.hwnd, PanelBrightTB.hwnd, ImageDayTimeNow.hwnd, ImageBright.hwnd,
                         LabelBright.hwnd, PanelBottom.hwnd})
        drag_.Add(passive);
    for (widgets::Label* label : BrightLabels()) drag_.Add(*label);
}

void TFormTime::CreateTimeline() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    RECT area = PanelTimeline.Area();
    InflateRect(&area, -1, -1);  // inside the bevel
    PanelBrights.Create(PanelTimeline, 0, 0, 0, 0);
    PanelHours.Create(PanelTimeline, 0, 0, 0, 0);
    PanelDay.Create(PanelTimeline, 0, 0, 0, 0);
    widgets::LayoutBands(area, {{PanelBrights, Align::Top, 30, Margins{}},
                                {PanelHours, Align::Bottom, 32, Margins{}},
                                {PanelDay, Align::Client, 0, Margins{}}});

    LabelBrights.Create(PanelBrights, L"Яркость", 0, 0, 110, 30, face, SS_CENTERIMAGE);
    for (widgets::Label* label : BrightLabels()) {
        label->Create(PanelBrights, L"", kLabelColumn, kLabelTop, 10, 22, face);
        label->SetFont(percentFont_);
        label->SetAutoSize(true);
    }

    const int lineHeight = kLineHeight;
    LabelDay.Create(PanelDay, L"Время суток", 0, 0, kLabelColumn, lineHeight, face, SS_CENTERIMAGE);
    PanelTimelines.Create(PanelDay, kLabelColumn, 0, timeline::kLineWidth, lineHeight);
    Hints.Set(PanelTimelines, kLineHint);

    const std::array<widgets::Image*, timeline::kSlots> images{&ImageN1, &ImageM, &ImageA, &ImageE, &ImageN};
    const auto splitters = Splitters();
    for (int slot = 0; slot < timeline::kSlots; ++slot) {
        const Period period = timeline::PeriodOf(static_cast<timeline::Slot>(slot));
        const COLORREF colour = period == timeline::kMorning || period == timeline::kDay ? kDayColour : kNightColour;
        TPeriodPanel& panel = *Panels()[slot];
        panel.Create(PanelTimelines, 0, 0, timeline::kMinWidths[slot], lineHeight, colour);
        panel.SetCaption(kPanelCaptions[slot], captionFont_, 0, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        panel.OnClick = [this, period] { PanelN1Click(period); };
        Hints.Set(panel, kLineHint);
        widgets::Image& image = *images[slot];
        const int width = kPictureWidths[period];
        image.Create(panel, 2, (lineHeight - kPictureHeight) / 2, width, kPictureHeight, colour);
        ShowPicture(image, pictures_[period]);
        image.OnClick = [this, period] { PanelN1Click(period); };
        panel.SetIconRight(2 + width);
        if (slot < 4) {
            widgets::Splitter& splitter = *splitters[slot];
            splitter.Create(PanelTimelines, 0, 0, timeline::kSplitterWidth, lineHeight);
            Hints.Set(splitter, kSplitterHint);
            splitter.OnLimits = [this, slot](int& minLeft, int& maxLeft) {
                dragStart_ = layout_;
                dragHours_ = Hours();
                const timeline::Range range = timeline::DragLimits(dragStart_, slot);
                minLeft = range.Min;
                maxLeft = range.Max;
            };
            splitter.OnMoving = [this, slot](int left) { SplitterMMoved(slot, left, false); };
            splitter.OnMoved = [this, slot](int left) { SplitterMMoved(slot, left, true); };
        }
    }

    LabelHours.Create(PanelHours, L"Часы", 0, 0, kLabelColumn, 32, face, SS_CENTERIMAGE);
    ImageHours.Create(PanelHours, kLabelColumn, 1, 722, 30);
    ShowPicture(ImageHours, hoursPicture_);
    LayOutFromHours();
}

void TFormTime::CreateBrightRow() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ImageDayTimeNow.Create(PanelBright, 0, 0, 0, 0);
    LabelBright.Create(PanelBright, L"", 0, 0, 0, 0, face);
    LabelBright.SetFont(brightFont_);
    PanelBrightTB.Create(PanelBright, 0, 0, 0, 0);
    ImageBright.Create(PanelBright, 0, 0, 0, 0);
    widgets::LayoutBands(PanelBright.Area(), {{ImageDayTimeNow, Align::Left, 50, Margins{}},
                                                {LabelBright, Align::Left, 130, Margins{4, 0, 0, 0}},
                                                {ImageBright, Align::Right, 32, Margins{4, 3, 0, 3}},
                                                {PanelBrightTB, Align::Client, 0, Margins{}}});
    ImageDayTimeNow.ResizeCanvas(50, 38);
    ImageBright.ResizeCanvas(32, 32);
    ShowPicture(ImageBright, brightPicture_);

    widgets::TrackBar::Options slider;
    slider.Min = 20;
    slider.Max = 100;
    slider.ThumbLength = 30;
    slider.PositionTip = true;
    TrackBarBright.Create(PanelBrightTB, 0, 0, 0, 0, slider);
    // Overlapping its panel by 2 px on every side hides the control's own margins.
    widgets::LayoutBands(PanelBrightTB.Area(), {{TrackBarBright, Align::Client, 0, widgets::Uniform(-2)}});
    TrackBarBright.SetPosition(20);
    TrackBarBright.OnChange = [this] { TrackBarBrightChange(); };
}

void TFormTime::LoadPictures() {
    // Each picture is one image as large as its bitmap: the period pictures of
    // 50 x 32 are 75 x 48 at 144 DPI.
    const widgets::Scale s = GetScale();
    for (int p = 0; p < 4; ++p) pictures_[p].LoadWhole(widgets::Bitmap::FromResource(kPictureIds[p], s));
    brightPicture_.LoadWhole(widgets::Bitmap::FromResource(IDB_BRIGHTNESS32, s));
    hoursPicture_.LoadWhole(widgets::Bitmap::FromResource(IDB_HOURS, s));
}

void TFormTime::ShowPicture(const widgets::Image& image, const widgets::ImageList& picture) const {
    const widgets::Canvas& canvas = image.Surface();
    const SIZE size = picture.ImageExtent();
    image.Clear();
    picture.Draw(canvas.Dc(), 0, (canvas.Width() - size.cx) / 2, (canvas.Height() - size.cy) / 2);
    image.Refresh();
}

std::array<int, 4> TFormTime::Hours() { return {HourM, HourA, HourE, HourN}; }

void TFormTime::SetHours(const std::array<int, 4>& hours) {
    const auto fields = HourFields();
    for (int p = 0; p < 4; ++p) *fields[p] = static_cast<std::int16_t>(hours[p]);
}

void TFormTime::SetDefaults() {
    const auto hours = HourFields();
    const auto brights = BrightFields();
    for (int p = 0; p < 4; ++p) {
        *hours[p] = static_cast<std::int16_t>(timeline::kDefaults.Hours[p]);
        *brights[p] = static_cast<std::int16_t>(timeline::kDefaults.Brights[p]);
    }
}

void TFormTime::OnShowing() {
    CenterOnOwner();
    FormShow();
    activatePending_ = true;
}

// The line is laid out and the night selected when the shown dialog first
// becomes active, not again each time the operator comes back from another
// program.
void TFormTime::OnActivated() {
    if (!activatePending_) return;
    activatePending_ = false;
    FormActivate();
}

void TFormTime::FormShow() {
    for (widgets::Splitter* splitter : Splitters()) splitter->Enable(Editable);
    for (TPeriodPanel* panel : Panels()) panel->Enable(Editable);
    TrackBarBright.Enable(Editable);
    BitBtnDefault.Show(Editable);
    BitBtnCancel.Show(Editable);
    PanelBrightTB.Show(Editable);
    ImageBright.Show(Editable);
    // A read-only dialog selects nothing: the indicator stays empty.
    ImageDayTimeNow.Clear();
    ImageDayTimeNow.Refresh();
    LabelBright.SetText(L"");
    for (TPeriodPanel* panel : Panels()) panel->SetBevel(widgets::Bevel::None);
    if (!timeline::HoursAscending(Hours())) {
        compat::ShowMessageBox(hwnd,
                               "Неккоректные значения часов начала времен суток.\r\n"
                               "Значение будут восстановлены по умолчанию.",
                               "Внимание", compat::kBoxOk | compat::kBoxIconWarning | compat::kBoxTopMost);
        SetDefaults();
    }
}

void TFormTime::LayOutFromHours() {
    layout_ = timeline::LayOut(Hours());
    dragStart_ = layout_;
    dragHours_ = Hours();
    PlaceLine(layout_);
}

void TFormTime::FormActivate() {
    ApplyColours();
    LayOutFromHours();
    PlaceLabels();
    if (PanelN1.Enabled()) {
        PanelN1.Focus();
        PanelN1Click(timeline::kNight);
    }
}

// The layout is in design units; the panels and splitters are placed at the
// display's scale. A splitter being dragged already stands where the mouse put it.
void TFormTime::PlaceLine(const timeline::Layout& layout) {
    const int height = kLineHeight;
    const auto panels = Panels();
    const auto splitters = Splitters();
    for (int slot = 0; slot < timeline::kSlots; ++slot) {
        panels[slot]->Place(layout.Panels[slot].Left, 0, layout.Panels[slot].Width, height);
        if (slot < 4 && splitters[slot]->Left() != layout.Splitters[slot])
            splitters[slot]->Place(layout.Splitters[slot], 0, timeline::kSplitterWidth, height);
    }
}

void TFormTime::ApplyColours() {
    const auto brights = BrightFields();
    const auto panels = Panels();
    const auto labels = BrightLabels();
    for (int slot = 0; slot < timeline::kSlots; ++slot) {
        const Period period = timeline::PeriodOf(static_cast<timeline::Slot>(slot));
        const COLORREF colour = ToColour(timeline::TextColour(period, *brights[period]));
        panels[slot]->SetTextColour(colour);
        labels[slot]->SetTextColour(colour);
    }
}

void TFormTime::PlaceLabels() {
    const auto brights = BrightFields();
    const auto labels = BrightLabels();
    // Placed in the order M, A, E, N and then the early night. The labels size
    // themselves to their text in pixels; they are centred in design units, as
    // the line is laid out.
    for (int slot : {timeline::kMorningSlot, timeline::kDaySlot, timeline::kEveningSlot, timeline::kLateNight,
                     timeline::kEarlyNight}) {
        widgets::Label& label = *labels[slot];
        const Period period = timeline::PeriodOf(static_cast<timeline::Slot>(slot));
        label.SetText(timeline::PercentText(*brights[period]));
        const RECT r = label.Bounds();
        const int width = Design(r.right - r.left);
        label.PlaceAt(timeline::LabelLeft(kLabelColumn, layout_.Panels[slot], width), kLabelTop);
    }
}

bool TFormTime::PeriodSelected() {
    for (TPeriodPanel* panel : Panels())
        if (panel->GetBevel() == widgets::Bevel::Soft) return true;
    return false;
}

// On a display of another scale the layer has placed every window again and
// given the pictures' canvases their new size: the pictures drawn for that
// scale are drawn again and the line and labels placed where the hours (or a
// drag) put them.
void TFormTime::OnScaleChanged() {
    Dialog::OnScaleChanged();
    LoadPictures();
    const std::array<widgets::Image*, timeline::kSlots> images{&ImageN1, &ImageM, &ImageA, &ImageE, &ImageN};
    for (int slot = 0; slot < timeline::kSlots; ++slot)
        ShowPicture(*images[slot], pictures_[timeline::PeriodOf(static_cast<timeline::Slot>(slot))]);
    ShowPicture(ImageHours, hoursPicture_);
    ShowPicture(ImageBright, brightPicture_);
    if (PeriodSelected()) ShowPicture(ImageDayTimeNow, pictures_[ImageDayTimeNowTag]);
    PlaceLine(layout_);
    PlaceLabels();
}

void TFormTime::PanelN1Click(int tag) {
    if (!TrackBarBright.Enabled()) return;
    if (tag < timeline::kMorning || tag > timeline::kNight) return;
    ImageDayTimeNow.Clear();
    for (TPeriodPanel* panel : Panels()) panel->SetBevel(widgets::Bevel::None);
    // Moved while disabled, the slider's new position is no change of the operator's.
    TrackBarBright.Enable(false);
    ShowPicture(ImageDayTimeNow, pictures_[tag]);
    for (int slot = 0; slot < timeline::kSlots; ++slot)
        if (timeline::PeriodOf(static_cast<timeline::Slot>(slot)) == tag) Panels()[slot]->SetBevel(widgets::Bevel::Soft);
    TrackBarBright.SetPosition(*BrightFields()[tag]);
    LabelBright.SetText(kBrightCaptions[tag]);
    TrackBarBright.Enable(true);
    ImageDayTimeNowTag = tag;
}

void TFormTime::TrackBarBrightChange() {
    if (!TrackBarBright.Enabled() || !TrackBarBright.Focused()) return;
    *BrightFields()[ImageDayTimeNowTag] = static_cast<std::int16_t>(TrackBarBright.Position());
    ApplyColours();
    PlaceLabels();
}

void TFormTime::SplitterMMoved(int index, int left, bool released) {
    if (index < 0 || index > 3) return;
    const timeline::Layout dragged = timeline::Dragged(dragStart_, index, left);
    SetHours(timeline::HoursAfterDrag(dragHours_, index, left - dragStart_.Splitters[index]));
    // While dragged the line follows the mouse; released, it snaps to the
    // whole hours it now stands for.
    if (released) {
        LayOutFromHours();
    } else {
        layout_ = dragged;
        PlaceLine(layout_);
    }
    PlaceLabels();
}

void TFormTime::BitBtnDefaultClick() {
    if (compat::ShowMessageBox(hwnd,
                               "Текущие значения настроек времени будут изменены на значения по умолчанию.\r\n"
                               "Продолжить?",
                               "Подтверждение",
                               compat::kBoxYesNo | compat::kBoxIconWarning | compat::kBoxTopMost) != compat::kAnswerYes)
        return;
    SetDefaults();
    FormActivate();
}
