// FormAbout: the about window with the program's title, description,
// version and the maker's contacts, filled by the main window at its first
// show. The pictures, tooltips and the link come with their own work.
#pragma once

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/form.h"

class TFormAbout : public widgets::Form {
public:
    explicit TFormAbout(HWND owner);

    COLORREF HighlightColour = RGB(255, 0, 0);

    widgets::Panel PanelAbout;
    widgets::Label LabelAppName, LabelAppDescription, LabelAppVersion, LabelAppManufacturer, LabelAppURL;
    widgets::Edit EditAppTelephone, EditAppEMail;
    widgets::SpeedButton BitBtnOK;

protected:
    void OnShowing() override { CenterOnOwner(); }

private:
    widgets::Font nameFont_;
};
