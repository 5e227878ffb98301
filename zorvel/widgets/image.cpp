#include "zorvel/widgets/image.h"

#include <algorithm>

#include "zorvel/widgets/dpi.h"
#include "zorvel/widgets/images.h"

namespace widgets {

void Image::DrawPicture(const Bitmap& picture, Fit fit) {
    canvas_.Fill(back_);
    Refresh();
    if (!picture) return;
    const SIZE size = picture.Size();
    if (size.cx <= 0 || size.cy <= 0) return;
    const COLORREF key = picture.Pixel(0, size.cy - 1);
    int x = 0, y = 0, width = size.cx, height = size.cy;
    if (fit == Fit::CentreShrunk) {
        const double scale = std::min({1.0, static_cast<double>(canvas_.Width()) / size.cx,
                                       static_cast<double>(canvas_.Height()) / size.cy});
        width = std::max(1, static_cast<int>(size.cx * scale));
        height = std::max(1, static_cast<int>(size.cy * scale));
        x = (canvas_.Width() - width) / 2;
        y = (canvas_.Height() - height) / 2;
    }
    HDC source = CreateCompatibleDC(canvas_.Dc());
    {
        Selected selected(source, picture);
        SetStretchBltMode(canvas_.Dc(), COLORONCOLOR);  // no blending into the key colour
        TransparentBlt(canvas_.Dc(), x, y, width, height, source, 0, 0, size.cx, size.cy, key);
    }
    DeleteDC(source);
}

void Image::Create(HWND parent, int x, int y, int width, int height, COLORREF back) {
    RegisterControlClass(L"ZorvelImage", &Image::Proc);
    back_ = OrFace(back);
    CreateChild(L"ZorvelImage", L"", WS_VISIBLE, 0, parent, x, y, width, height);
    // The surface has the pixels of the window, at the display's scale.
    FitCanvas();
}

void Image::ResizeCanvas(int width, int height) {
    const Scale scale = ScaleOf(hwnd);
    canvas_.Resize(scale.Px(width), scale.Px(height));
    canvas_.Fill(back_);
}

void Image::FitCanvas() {
    const RECT client = Client();
    canvas_.Resize(client.right, client.bottom);
    canvas_.Fill(back_);
}

void Image::Rescale() {
    Replace();
    // Until the form draws its picture again for the new scale, the old
    // pixels stretched, rather than an empty box.
    Canvas old;
    old.Resize(canvas_.Width(), canvas_.Height());
    BitBlt(old.Dc(), 0, 0, old.Width(), old.Height(), canvas_.Dc(), 0, 0, SRCCOPY);
    FitCanvas();
    SetStretchBltMode(canvas_.Dc(), COLORONCOLOR);
    StretchBlt(canvas_.Dc(), 0, 0, canvas_.Width(), canvas_.Height(), old.Dc(), 0, 0, old.Width(), old.Height(),
               SRCCOPY);
    Refresh();
}

LRESULT CALLBACK Image::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<Image*>(ControlOf(hwnd));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return Guarded(hwnd, [&] { return self->Handle(msg, wp, lp); });
}

LRESULT Image::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    Image* self = this;
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            BitBlt(dc, 0, 0, self->canvas_.Width(), self->canvas_.Height(), self->canvas_.Dc(), 0, 0, SRCCOPY);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            BitBlt(reinterpret_cast<HDC>(wp), 0, 0, self->canvas_.Width(), self->canvas_.Height(),
                   self->canvas_.Dc(), 0, 0, SRCCOPY);
            return 0;
        case WM_LBUTTONDOWN:
            if (self->OnLeftMouseDown) self->OnLeftMouseDown();
            return 0;
        case WM_LBUTTONUP:
            if (self->OnClick) self->OnClick();
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace widgets
