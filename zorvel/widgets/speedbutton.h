// A push button that draws its caption with a 4-frame glyph strip (normal,
// disabled, hot, pressed), the glyph left or right of the caption, a hand
// cursor, and a held-down state that shows it pressed until released in code.
#pragma once

#include <functional>
#include <string>

#include "zorvel/widgets/images.h"
#include "zorvel/widgets/subclass.h"

namespace widgets {

class SpeedButton : public SubclassedControl {
public:
    // `id` 0 takes an automatic id; dialogs give IDOK and IDCANCEL.
    void Create(HWND parent, const std::wstring& caption, int x, int y, int width, int height,
                const StripList* glyph, bool glyphRight = false, int id = 0);
    void Click() const {
        if (OnClick) OnClick();
    }
    bool Hot() const { return hot_; }
    void SetDown(bool down);
    bool Down() const { return down_; }
    int FrameFor(UINT drawState) const;

    std::function<void()> OnClick;

    bool OnCommand(WORD code, WORD id) override;
    bool OnDrawItem(DRAWITEMSTRUCT* item) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    const StripList* glyph_ = nullptr;
    bool glyphRight_ = false;
    bool hot_ = false;
    bool down_ = false;
};

}  // namespace widgets
