#include "zorvel/widgets/dpi.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>

namespace widgets {

namespace {
// The top-level window's DPI, kept as a window property.
const wchar_t kDpiProp[] = L"ZorvelDpi";
}  // namespace

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignDpi;
}

Scale ScaleOf(HWND window) {
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    if (root) {
        auto dpi = reinterpret_cast<std::intptr_t>(GetPropW(root, kDpiProp));
        if (dpi > 0) return Scale(static_cast<int>(dpi));
    }
    return Scale(SystemDpi());
}

void SetScaleOf(HWND topLevel, Scale scale) {
    SetPropW(topLevel, kDpiProp, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(scale.Dpi())));
}

int PictureScalePercent(Scale scale) {
    int wanted = scale.Px(100);
    int best = 100;
    for (int percent : {150, 200})
        if (std::abs(percent - wanted) <= std::abs(best - wanted)) best = percent;
    return best;
}

}  // namespace widgets
