// A picture box with a canvas of its own size that the form draws on.
#pragma once

#include <functional>

#include "zorvel/widgets/window.h"

namespace widgets {

class Bitmap;

class Image : public Control {
public:
    void Create(HWND parent, int x, int y, int width, int height, COLORREF back = CLR_INVALID);
    const Canvas& Surface() const { return canvas_; }
    // A new, cleared canvas of a design size (96 DPI), in pixels of the display.
    void ResizeCanvas(int width, int height);
    // A new, cleared canvas of the window's own size.
    void FitCanvas();
    void Clear() const { canvas_.Fill(back_); }
    COLORREF Back() const { return back_; }
    enum class Fit { TopLeft, CentreShrunk };
    // Clears the canvas and draws a picture on it, its bottom-left colour left
    // out: at its own size from the top-left corner, or centred and shrunk
    // proportionally when it is larger than the canvas.
    void DrawPicture(const Bitmap& picture, Fit fit);
    // Repaints the window from the canvas.
    void Refresh() const { InvalidateRect(hwnd, nullptr, FALSE); }

    // Placed again after a change of display, with a canvas of the new size
    // that shows the old one stretched until the form draws its picture again.
    void Rescale() override;

    std::function<void()> OnLeftMouseDown;
    std::function<void()> OnClick;  // an image with a click is no passive one

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    Canvas canvas_;
    COLORREF back_ = 0;
};

}  // namespace widgets
