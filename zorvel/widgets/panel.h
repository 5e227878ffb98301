// A plain area with a background colour, an optional bevel and an optional
// caption; it parents other controls and passes their notifications on.
#pragma once

#include <functional>
#include <string>

#include "zorvel/widgets/window.h"

namespace widgets {

enum class Bevel { None, Raised, Lowered, Soft };

class Panel : public Control {
public:
    void Create(HWND parent, int x, int y, int width, int height, COLORREF colour = CLR_INVALID,
                Bevel bevel = Bevel::None);
    void SetColour(COLORREF colour);
    COLORREF Colour() const { return brush_.Colour(); }
    void SetBevel(Bevel bevel);
    Bevel GetBevel() const { return bevel_; }
    // DrawText flags place the caption (DT_LEFT | DT_VCENTER | DT_SINGLELINE...).
    void SetCaption(const std::wstring& text, HFONT font, COLORREF textColour, UINT format);
    // A new caption text in the caption's font, colour and place.
    void SetCaptionText(const std::wstring& text);
    HFONT CaptionFont() const { return font_ ? font_ : GetFont(); }
    void SetTextColour(COLORREF colour);
    COLORREF TextColour() const { return textColour_; }
    std::wstring Caption() const { return caption_; }
    // The part of the panel its children are laid out in, in design units.
    virtual RECT Area() const;
    virtual void Paint(HDC dc) const;
    void RemapFonts(const std::function<HFONT(HFONT)>& remade) override;

    std::function<void()> OnLeftMouseDown;
    std::function<void()> OnClick;  // a panel with a click is no passive one

protected:
    // Registers the class and creates the window; derived kinds reuse it.
    void CreatePanel(const wchar_t* className, HWND parent, int x, int y, int width, int height);
    // A hook for derived kinds, before the panel's own handling.
    virtual bool OnPanelMessage(UINT /*msg*/, WPARAM /*wp*/, LPARAM /*lp*/, LRESULT& /*result*/) { return false; }
    void PaintCaption(HDC dc, RECT r) const;
    HBRUSH Brush() const { return brush_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    widgets::Brush brush_;
    Bevel bevel_ = Bevel::None;
    std::wstring caption_;
    HFONT font_ = nullptr;
    COLORREF textColour_ = 0;
    UINT format_ = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
};

}  // namespace widgets
