// FormImage: the modal window that shows the wiring scheme of the selected
// interface, sized to the picture.
#pragma once

#include <string>

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/dialog.h"
#include "zorvel/widgets/drag.h"

class TFormImage : public widgets::Dialog {
public:
    explicit TFormImage(HWND owner);

    // Shows the picture file modally; false when the file is no readable
    // picture (then nothing is shown).
    bool ShowScheme(const std::wstring& caption, const std::wstring& text, const std::wstring& path);

    widgets::Panel Label;
    widgets::Image Image;

protected:
    void OnShowing() override { CenterOnOwner(); }

private:
    widgets::WindowDrag drag_;
};
