#include "zorvel/widgets/subclass.h"

#include <commctrl.h>
#include <windowsx.h>

namespace widgets {

SubclassedControl::~SubclassedControl() {
    if (subclassed_ && hwnd && IsWindow(hwnd)) RemoveWindowSubclass(hwnd, &Proc, 1);
}

void SubclassedControl::Subclass() {
    subclassed_ = SetWindowSubclass(hwnd, &Proc, 1, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CALLBACK SubclassedControl::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<SubclassedControl*>(data);
    return Guarded(hwnd, [&]() -> LRESULT {
        LRESULT result = 0;
        if (self->OnMessage(msg, wp, lp, result)) return result;
        return DefSubclassProc(hwnd, msg, wp, lp);
    });
}

POINT ContextMenuPoint(HWND control, LPARAM lp) {
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (p.x == -1 && p.y == -1) {
        RECT r{};
        GetWindowRect(control, &r);
        p = POINT{r.left, r.bottom};
    }
    return p;
}

}  // namespace widgets
