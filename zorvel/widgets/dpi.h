// Display scaling. Every measure a form writes (client sizes, bands, control
// rectangles, fonts, item heights) is in units of a 96-DPI display; the layer
// turns them into pixels of the window's display when it creates or lays out
// a window. Positions are scaled edge by edge (a width is the difference of
// its scaled edges), so that neighbours stay neighbours and bands still add up
// to the scaled client size whatever the rounding.
#pragma once

#include <windows.h>

namespace widgets {

constexpr int kDesignDpi = 96;

class Scale {
public:
    Scale() = default;
    explicit Scale(int dpi) : dpi_(dpi > 0 ? dpi : kDesignDpi) {}

    int Dpi() const { return dpi_; }
    // Design units to pixels, rounding halves away from zero.
    int Px(int design) const { return MulDiv(design, dpi_, kDesignDpi); }
    // Pixels to design units, for logic that must not depend on the display.
    int Design(int pixels) const { return MulDiv(pixels, kDesignDpi, dpi_); }
    // Font heights round down: text scaled a fraction up would outgrow the
    // boxes it was measured against, which are scaled to the nearest pixel.
    int FontPx(int design) const { return design * dpi_ / kDesignDpi; }
    // The design height a font of `pixels` was made from with FontPx: the
    // smallest that gives it (exact from 96 DPI up, where no two design
    // heights round down to the same pixels).
    int FontDesign(int pixels) const { return (pixels * kDesignDpi + dpi_ - 1) / dpi_; }
    RECT Px(const RECT& r) const { return RECT{Px(r.left), Px(r.top), Px(r.right), Px(r.bottom)}; }
    RECT Design(const RECT& r) const { return RECT{Design(r.left), Design(r.top), Design(r.right), Design(r.bottom)}; }

private:
    int dpi_ = kDesignDpi;
};

// The DPI of the display the program was started on.
int SystemDpi();
// The scale a window lays out at: the one its top-level form was created or
// last re-laid out at, else the system's.
Scale ScaleOf(HWND window);
// Records the scale of a top-level window (the forms do it at creation and on
// a change of display).
void SetScaleOf(HWND topLevel, Scale scale);

// Of the picture sizes drawn (1, 1.5 and 2 times the design), the one nearest
// to the scale, in percent; a tie takes the larger picture.
int PictureScalePercent(Scale scale);

}  // namespace widgets
