#include "zorvel/widgets/window.h"

namespace widgets {

namespace {
// The property under which a child window points at its control object.
const wchar_t kControlProp[] = L"ZorvelControl";
}  // namespace

Control* ControlOf(HWND child) {
    return child ? static_cast<Control*>(GetPropW(child, kControlProp)) : nullptr;
}

std::wstring Window::Text() const {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

RECT Window::Bounds() const {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Control::~Control() {
    if (hwnd && IsWindow(hwnd)) RemovePropW(hwnd, kControlProp);
    if (extra_ && IsWindow(extra_)) RemovePropW(extra_, kControlProp);
}

void Control::CreateChild(const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle,
                          HWND parent, int x, int y, int width, int height, int id) {
    hwnd = CreateWindowExW(exStyle, windowClass, text.c_str(), style | WS_CHILD, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd) {
        SetPropW(hwnd, kControlProp, this);
        SendMessageW(hwnd, WM_SETFONT, SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
    }
}

void Control::AttachExtra(HWND other) {
    extra_ = other;
    if (other) SetPropW(other, kControlProp, this);
}

bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            if (Control* c = ControlOf(reinterpret_cast<HWND>(lp))) {
                result = 0;
                return c->OnCommand(HIWORD(wp), LOWORD(wp));
            }
            return false;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (Control* c = ControlOf(header->hwndFrom)) return c->OnNotify(header, result);
            return false;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (item->CtlType == ODT_MENU) return false;
            if (Control* c = ControlOf(item->hwndItem)) {
                result = TRUE;
                return c->OnDrawItem(item);
            }
            return false;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            if (Control* c = ControlOf(reinterpret_cast<HWND>(lp))) {
                if (HBRUSH brush = c->OnCtlColor(reinterpret_cast<HDC>(wp))) {
                    result = reinterpret_cast<LRESULT>(brush);
                    return true;
                }
            }
            return false;
        default:
            return false;
    }
}

Font::Font(const wchar_t* face, int pixelHeight, bool bold, bool underline, int width) {
    LOGFONTW lf{};
    lf.lfHeight = -pixelHeight;
    lf.lfWidth = width;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    handle_ = CreateFontIndirectW(&lf);
}

Font& Font::operator=(Font&& other) noexcept {
    if (this != &other) {
        if (handle_) DeleteObject(handle_);
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

Font::~Font() {
    if (handle_) DeleteObject(handle_);
}

Brush& Brush::operator=(Brush&& other) noexcept {
    if (this != &other) {
        if (handle_) DeleteObject(handle_);
        handle_ = other.handle_;
        colour_ = other.colour_;
        other.handle_ = nullptr;
    }
    return *this;
}

Canvas::Canvas(int width, int height) { Resize(width, height); }

Canvas::~Canvas() { Release(); }

void Canvas::Release() {
    if (dc_) {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
}

void Canvas::Resize(int width, int height) {
    Release();
    width_ = width > 0 ? width : 1;
    height_ = height > 0 ? height : 1;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
}

void Canvas::Fill(COLORREF colour) const {
    RECT r{0, 0, width_, height_};
    Brush brush(colour);
    FillRect(dc_, &r, brush);
}

}  // namespace widgets
