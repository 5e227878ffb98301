#include "zorvel/widgets/drag.h"

#include <commctrl.h>

#include "zorvel/widgets/image.h"
#include "zorvel/widgets/panel.h"

namespace widgets {

namespace {
bool ClassIs(HWND window, const wchar_t* name) {
    wchar_t cls[32] = {};
    return GetClassNameW(window, cls, 32) && lstrcmpiW(cls, name) == 0;
}
}  // namespace

void DragByClientArea(HWND window) {
    // What a press on the caption does: the system moves the window with the mouse.
    ReleaseCapture();
    SendMessageW(window, WM_SYSCOMMAND, kDragCommand, 0);
}

WindowDrag::~WindowDrag() {
    for (HWND window : wired_)
        if (IsWindow(window)) RemoveWindowSubclass(window, &Proc, reinterpret_cast<UINT_PTR>(this));
}

bool WindowDrag::IsPassive(HWND control) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    if (ClassIs(control, L"Static")) return !(style & SS_NOTIFY);  // SS_NOTIFY: a link
    if (ClassIs(control, L"Button")) return (style & BS_TYPEMASK) == BS_GROUPBOX;
    Control* object = ControlOf(control);
    if (auto* panel = dynamic_cast<Panel*>(object)) return !panel->OnClick;
    if (auto* image = dynamic_cast<Image*>(object)) return !image->OnClick;
    return false;
}

void WindowDrag::Attach(HWND window) { Wire(window); }

bool WindowDrag::Add(HWND control) {
    if (!IsPassive(control)) return false;
    Wire(control);
    return true;
}

void WindowDrag::Wire(HWND window) {
    if (SetWindowSubclass(window, &Proc, reinterpret_cast<UINT_PTR>(this), 0)) wired_.push_back(window);
}

LRESULT CALLBACK WindowDrag::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    return Guarded(hwnd, [&]() -> LRESULT {
        switch (msg) {
            case WM_NCHITTEST: {
                // A label lets presses through to what is below it; here it takes them.
                LRESULT hit = DefSubclassProc(hwnd, msg, wp, lp);
                return hit == HTTRANSPARENT ? HTCLIENT : hit;
            }
            case WM_LBUTTONDOWN:
                DragByClientArea(GetAncestor(hwnd, GA_ROOT));
                return 0;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    });
}

}  // namespace widgets
