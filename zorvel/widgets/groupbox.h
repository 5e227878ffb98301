// A frame with a caption that contains its controls: they are its children,
// so hiding the group box hides them, and disabling or enabling it does the
// same to each of them.
#pragma once

#include <string>

#include "zorvel/widgets/panel.h"

namespace widgets {

class GroupBox : public Panel {
public:
    void Create(HWND parent, const std::wstring& caption, int x, int y, int width, int height);
    // Inside the frame, below the caption.
    RECT Area() const override;
    void Paint(HDC dc) const override;

protected:
    bool OnPanelMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    int CaptionHeight() const;
};

}  // namespace widgets
