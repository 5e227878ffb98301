#include "zorvel/widgets/gdi.h"

namespace widgets {

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
