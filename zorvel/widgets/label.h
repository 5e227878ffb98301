// A static text on a background colour (its parent's by default). A label
// that sizes itself keeps its width (and height) fitted to its text and font.
#pragma once

#include <string>

#include "zorvel/widgets/subclass.h"

namespace widgets {

class Label : public SubclassedControl {
public:
    // `style` adds SS_* flags (SS_CENTER, SS_CENTERIMAGE for one centred line...).
    void Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, COLORREF back,
                DWORD style = 0);
    void SetTextColour(COLORREF colour) {
        textColour_ = colour;
        Invalidate();
    }
    COLORREF TextColour() const { return textColour_; }
    // From now on every change of the text or font resizes the label to fit
    // one line of its text; the top-left corner stays.
    void SetAutoSize(bool on);
    // The size one line of `text` takes in the label's font.
    SIZE Measure(const std::wstring& text) const;

    HBRUSH OnCtlColor(HDC dc) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void FitToText();

private:
    Brush back_;
    COLORREF textColour_ = CLR_INVALID;
    bool autoSize_ = false;
};

// A label that reads as a web link (blue, bold, underlined, hand cursor) and
// reports a click.
class LinkLabel : public Label {
public:
    void Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, COLORREF back,
                DWORD style = SS_CENTER);

    std::function<void()> OnClick;

    bool OnCommand(WORD code, WORD id) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    Font font_;
};

}  // namespace widgets
