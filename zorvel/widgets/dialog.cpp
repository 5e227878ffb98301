#include "zorvel/widgets/dialog.h"

#include <utility>

#include "zorvel/resources/resource.h"
#include "zorvel/widgets/layout.h"

namespace widgets {

namespace {
bool Usable(const Window& button) { return button.hwnd && button.Visible() && button.Enabled(); }
}  // namespace

void Dialog::CreateDialogFrame(const FormOptions& options, const DialogButtons& b) {
    CreateForm(options);
    Hints.Create(hwnd);
    buttonFont_ = ScaledFont(options.FontFace, 16);
    LoadGlyphs();

    PanelBottom.Create(hwnd, 0, 0, 0, 0);
    LayoutBands(Area(), {{PanelBottom, Align::Bottom, b.PanelHeight, Margins{}}});
    PanelBottom.SetFont(buttonFont_);
    const RECT area = PanelBottom.Area();
    const int top = (area.bottom - b.ButtonHeight) / 2, gap = 6;
    int right = area.right - gap;
    if (b.Cancel) {
        right -= b.ButtonWidth;
        BitBtnCancel.Create(PanelBottom, b.CancelCaption, right, top, b.ButtonWidth, b.ButtonHeight, &glyphCancel_,
                            false, IDCANCEL);
        BitBtnCancel.OnClick = [this] { ModalResult = mrCancel; };
        Hints.Set(BitBtnCancel, b.CancelHint);
        right -= gap + 2;
        hasCancel_ = true;
    }
    right -= b.ButtonWidth;
    BitBtnOK.Create(PanelBottom, b.OkCaption, right, top, b.ButtonWidth, b.ButtonHeight, &glyphOk_, false, IDOK);
    BitBtnOK.OnClick = [this] { ModalResult = mrOk; };
    Hints.Set(BitBtnOK, b.OkHint);
    if (b.Default) {
        BitBtnDefault.Create(PanelBottom, b.DefaultCaption, gap, top, b.DefaultWidth, b.ButtonHeight,
                             &glyphDefault_);
        Hints.Set(BitBtnDefault, b.DefaultHint);
    }
    for (SpeedButton* button : {&BitBtnOK, &BitBtnCancel, &BitBtnDefault})
        if (button->hwnd) button->SetFont(buttonFont_);
}

void Dialog::LoadGlyphs() {
    const std::pair<StripList*, int> glyphs[] = {
        {&glyphOk_, IDB_GLYPH_OK}, {&glyphCancel_, IDB_GLYPH_CANCEL}, {&glyphDefault_, IDB_GLYPH_DEFAULT}};
    for (const auto& [strip, id] : glyphs) {
        strip->Clear();
        strip->Add(Bitmap::FromResource(id, GetScale()));
    }
}

void Dialog::OnScaleChanged() {
    LoadGlyphs();
    for (SpeedButton* button : {&BitBtnOK, &BitBtnCancel, &BitBtnDefault})
        if (button->hwnd) button->Invalidate();
}

RECT Dialog::BodyArea() const {
    RECT r = Area();
    r.bottom = PanelBottom.DesignBounds().top;
    return r;
}

void Dialog::EnterPressed() {
    auto* focused = dynamic_cast<SpeedButton*>(ControlOf(GetFocus()));
    if (focused && focused != &BitBtnOK && GetAncestor(focused->hwnd, GA_ROOT) == hwnd) {
        focused->Click();
        return;
    }
    if (Usable(BitBtnOK)) BitBtnOK.Click();
}

void Dialog::EscapePressed() {
    if (!CanClose()) return;
    if (!hasCancel_) {
        ModalResult = mrCancel;
        return;
    }
    // A hidden or disabled Cancel button does not answer Escape either.
    if (Usable(BitBtnCancel)) BitBtnCancel.Click();
}

LRESULT Dialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    // Enter and Escape come from the dialog navigation as commands without a
    // control (the buttons sit in the bottom panel, out of its reach).
    if (msg == WM_COMMAND && lp == 0 && HIWORD(wp) == 0) {
        if (LOWORD(wp) == IDOK) {
            EnterPressed();
            return 0;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EscapePressed();
            return 0;
        }
    }
    return Form::HandleMessage(msg, wp, lp);
}

}  // namespace widgets
