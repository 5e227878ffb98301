// A one-line edit field with a background colour of its own, a key filter
// and change / exit events.
#pragma once

#include <functional>
#include <string>

#include "zorvel/widgets/subclass.h"

namespace widgets {

class Edit : public SubclassedControl {
public:
    void Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, int maxLength = 0);
    void SetColour(COLORREF colour);
    COLORREF Colour() const { return brush_.Colour(); }
    void SetReadOnly(bool on) const { Send(EM_SETREADONLY, on ? TRUE : FALSE); }
    bool HasSelection() const;

    std::function<void()> OnChange;                 // the text changed
    std::function<void()> OnExit;                   // the focus left the field
    // Set key to 0 to drop the character. It sees typed and pasted text only,
    // never the cut, copy and paste keys.
    std::function<void(wchar_t& key)> OnKeyPress;
    std::function<void(WORD key)> OnKeyDown;

    bool OnCommand(WORD code, WORD id) override;
    HBRUSH OnCtlColor(HDC dc) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    Brush brush_;
};

}  // namespace widgets
