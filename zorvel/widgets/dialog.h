// The frame of a modal dialog: a bottom panel with the OK, Cancel and
// Default buttons (glyphs, 16 px font, hints), OK and Cancel under the real
// IDOK / IDCANCEL so that Enter and Escape work, and the CanClose hook of
// the form asked before the close box, Alt+F4 and Escape close it.
#pragma once

#include <string>

#include "zorvel/widgets/form.h"
#include "zorvel/widgets/images.h"
#include "zorvel/widgets/panel.h"
#include "zorvel/widgets/speedbutton.h"
#include "zorvel/widgets/tooltip.h"

namespace widgets {

struct DialogButtons {
    bool Cancel = true;   // without it Escape closes the dialog with the Cancel result
    bool Default = false;
    std::wstring OkCaption = L"OK";
    std::wstring CancelCaption = L"Отменить";
    std::wstring DefaultCaption = L"По умолчанию";
    std::wstring OkHint = L"Сохранить и выйти";
    std::wstring CancelHint = L"Выйти без сохранения";
    std::wstring DefaultHint = L"Установить значения всех настроек по умолчанию";
    int PanelHeight = 40;
    int ButtonWidth = 120, ButtonHeight = 34, DefaultWidth = 170;
};

class Dialog : public Form {
public:
    Panel PanelBottom;
    SpeedButton BitBtnOK, BitBtnCancel, BitBtnDefault;  // the last two exist only when asked for
    Hints Hints;

    // The area above the bottom panel, for the dialog's own bands.
    RECT BodyArea() const;

protected:
    // Creates the form, the bottom panel and its buttons. OK closes with the
    // OK result and Cancel with the Cancel result until the dialog sets
    // other handlers; Default does nothing of its own.
    void CreateDialogFrame(const FormOptions& options, const DialogButtons& buttons);
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    // The buttons' glyphs drawn for the new scale; dialogs that add their own
    // pictures call this first.
    void OnScaleChanged() override;

private:
    void LoadGlyphs();
    // Enter: the focused push button, or else OK.
    void EnterPressed();
    void EscapePressed();
    Font buttonFont_;
    StripList glyphOk_, glyphCancel_, glyphDefault_;
    bool hasCancel_ = false;
};

}  // namespace widgets
