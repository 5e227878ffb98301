// A vertical bar that the operator drags sideways to resize what is beside
// it. It captures the mouse while pressed, moves itself within the limits
// its owner gives at each press, and reports every move and the release;
// resizing the neighbours is the owner's work.
#pragma once

#include <functional>

#include "zorvel/widgets/window.h"

namespace widgets {

class Splitter : public Control {
public:
    void Create(HWND parent, int x, int y, int width, int height);
    // Positions, limits and moves are design units (96 DPI), so that what the
    // owner computes from them does not depend on the display.
    // The splitter's left edge in its parent's client coordinates.
    int Left() const;
    bool Dragging() const { return dragging_; }

    // Asked at each press: the lowest and highest left edge allowed. Without
    // it the splitter stays inside its parent.
    std::function<void(int& minLeft, int& maxLeft)> OnLimits;
    std::function<void(int left)> OnMoving;  // every mouse move that changed the place
    std::function<void(int left)> OnMoved;   // the button was released

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void Press(POINT client);
    void Drag(POINT client);
    void Release();
    bool dragging_ = false;
    int grab_ = 0, min_ = 0, max_ = 0;
};

}  // namespace widgets
