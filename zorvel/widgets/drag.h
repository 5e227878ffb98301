// Moving a window by a left press on its free client area and on its
// passive controls (labels, panels, group boxes and images without a click
// of their own). Buttons, edits, lists, links and clickable panels are never
// wired: the system's move loop would eat their clicks.
#pragma once

#include <windows.h>

#include <vector>

namespace widgets {

// SC_MOVE combined with the caption hit-test code.
constexpr WPARAM kDragCommand = 0xF012;
// Starts moving a window as if its caption had been pressed.
void DragByClientArea(HWND window);

class WindowDrag {
public:
    WindowDrag() = default;
    WindowDrag(const WindowDrag&) = delete;
    WindowDrag& operator=(const WindowDrag&) = delete;
    ~WindowDrag();
    // The window itself: a press on its free client area.
    void Attach(HWND window);
    // A control of the window; false, and nothing wired, when it is no passive one.
    bool Add(HWND control);
    static bool IsPassive(HWND control);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    void Wire(HWND window);
    std::vector<HWND> wired_;
};

}  // namespace widgets
