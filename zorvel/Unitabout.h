// FormAbout: the about window with the program's title, description,
// version and the maker's contacts, its two pictures, the maker's link, a
// copy menu on the contact fields and a tooltip on each of them.
#pragma once

#include <string>

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/dialog.h"
#include "zorvel/widgets/drag.h"

// What the main window tells about the program.
struct AboutTexts {
    std::wstring Caption, Description, Version, Company, Web, Telephone, EMail;
};

class TFormAbout : public widgets::Dialog {
public:
    explicit TFormAbout(HWND owner);

    COLORREF HighlightColour = RGB(255, 0, 0);
    void SetHighlightColour(COLORREF colour) { HighlightColour = colour; }

    // Fills the texts; the web address is a host name without scheme or slash.
    void ShowAppInfo(const AboutTexts& texts);
    // Loads "About.bmp" and "Manufacturer.bmp" from `directory`; each picture
    // that is missing or unreadable leaves its image empty, the other one stays.
    void LoadPictures(const std::wstring& directory);

    void LabelAppURLClick();
    void miCopyClick();

    widgets::Image ImageAbout, ImageManufacturer;
    widgets::Panel PanelAbout, Bevel, PanelTelFax, PanelEMail, PanelLink;
    widgets::Label LabelAppName, LabelAppDescription, LabelAppVersion, LabelAppManufacturer;
    widgets::LinkLabel LabelAppURL;
    widgets::Edit EditAppTelephone, EditAppEMail;
    widgets::PopupMenu PopupMenu;
    widgets::StripList ImageListGlStandart;  // picture 0: copy
    widgets::Tooltip TipTelephone, TipEMail, TipLink;

    enum : UINT { miCopy = 1 };

protected:
    void OnShowing() override { CenterOnOwner(); }
    void OnScaleChanged() override;

private:
    void CreateContactRow(widgets::Panel& row, widgets::Edit& edit, const wchar_t* caption, int y);
    void CreateTooltips();
    widgets::Font nameFont_;
    widgets::WindowDrag drag_;
};
