#include "zorvel/widgets/splitter.h"

#include <windowsx.h>

#include "zorvel/widgets/dpi.h"

namespace widgets {

void Splitter::Create(HWND parent, int x, int y, int width, int height) {
    RegisterControlClass(L"ZorvelSplitter", &Splitter::Proc, LoadCursorW(nullptr, IDC_SIZEWE));
    CreateChild(L"ZorvelSplitter", L"", WS_VISIBLE, 0, parent, x, y, width, height);
}

LRESULT CALLBACK Splitter::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<Splitter*>(ControlOf(hwnd));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return Guarded(hwnd, [&] { return self->Handle(msg, wp, lp); });
}

int Splitter::Left() const { return ScaleOf(hwnd).Design(Bounds().left); }

void Splitter::Press(POINT client) {
    const Scale scale = ScaleOf(hwnd);
    const int width = Client().right;
    min_ = 0;
    max_ = Window(GetParent(hwnd)).Client().right - width;
    if (OnLimits) {
        int minLeft = scale.Design(min_), maxLeft = scale.Design(max_);
        OnLimits(minLeft, maxLeft);
        min_ = scale.Px(minLeft);
        max_ = scale.Px(maxLeft);
    }
    grab_ = client.x;
    dragging_ = true;
    SetCapture(hwnd);
}

void Splitter::Drag(POINT client) {
    RECT r = Bounds();
    int left = r.left + client.x - grab_;
    if (left > max_) left = max_;
    if (left < min_) left = min_;
    if (left == r.left) return;
    SetWindowPos(hwnd, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (OnMoving) OnMoving(Left());
}

void Splitter::Release() {
    if (!dragging_) return;
    dragging_ = false;
    if (GetCapture() == hwnd) ReleaseCapture();
    // Remembered in design units, for a change of display.
    const RECT d = DesignBounds();
    const int left = Left();
    Place(RECT{left, d.top, left + (d.right - d.left), d.bottom});
    if (OnMoved) OnMoved(left);
}

LRESULT Splitter::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            Press(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_MOUSEMOVE:
            // With the capture the coordinates stay relative to the splitter
            // even when the mouse is far outside it.
            if (dragging_) Drag(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return 0;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            Release();
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT r = Client();
            FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
            DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
            EndPaint(hwnd, &ps);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace widgets
