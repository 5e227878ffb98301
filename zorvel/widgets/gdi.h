// Owners of GDI objects (fonts, brushes, off-screen bitmaps) and a scoped
// selection into a device context.
#pragma once

#include <windows.h>

namespace widgets {

// Owners of GDI objects.
class Font {
public:
    Font() = default;
    // Height is the character height in pixels (the em height, not the cell).
    Font(const wchar_t* face, int pixelHeight, bool bold = false, bool underline = false, int width = 0);
    explicit Font(const LOGFONTW& log) : handle_(CreateFontIndirectW(&log)) {}
    Font(Font&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Font& operator=(Font&& other) noexcept;
    ~Font();
    operator HFONT() const { return handle_; }

private:
    HFONT handle_ = nullptr;
};

class Brush {
public:
    Brush() = default;
    explicit Brush(COLORREF colour) : handle_(CreateSolidBrush(colour)), colour_(colour) {}
    Brush(Brush&& other) noexcept : handle_(other.handle_), colour_(other.colour_) { other.handle_ = nullptr; }
    Brush& operator=(Brush&& other) noexcept;
    ~Brush() {
        if (handle_) DeleteObject(handle_);
    }
    operator HBRUSH() const { return handle_; }
    COLORREF Colour() const { return colour_; }

private:
    HBRUSH handle_ = nullptr;
    COLORREF colour_ = 0;
};

// Selects an object into a DC for one scope.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(dc_, old_); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A 32-bit off-screen bitmap with its own memory DC: the drawing surface of
// images, and what tests render into.
class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();
    void Resize(int width, int height);
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Fill(COLORREF colour) const;
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }

private:
    void Release();
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    int width_ = 0, height_ = 0;
};

// The colour the system uses for a COLOR_* index.
inline COLORREF SystemColour(int index) { return GetSysColor(index); }

}  // namespace widgets
