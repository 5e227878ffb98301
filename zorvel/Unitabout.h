// FormAbout: the about window with the program's title, description,
// version and the maker's contacts, filled by the main window at its first
// show. The pictures, tooltips and the link come with their own work.
#pragma once

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/dialog.h"
#include "zorvel/widgets/drag.h"

class TFormAbout : public widgets::Dialog {
public:
    explicit TFormAbout(HWND owner);

    COLORREF HighlightColour = RGB(255, 0, 0);

    widgets::Panel PanelAbout;
    widgets::Label LabelAppName, LabelAppDescription, LabelAppVersion, LabelAppManufacturer;
    widgets::LinkLabel LabelAppURL;
    widgets::Edit EditAppTelephone, EditAppEMail;

protected:
    void OnShowing() override { CenterOnOwner(); }

private:
    widgets::Font nameFont_;
    widgets::WindowDrag drag_;
};
