// The thin window layer: a non-owning handle with one-line forwarders, the
// base of the control objects (which receive the notifications their parent
// reflects to them), and small owners of GDI objects.
#pragma once

#include <windows.h>

#include <string>

namespace widgets {

// One HWND, not owned. Every member forwards to one Win32 call.
class Window {
public:
    HWND hwnd = nullptr;

    Window() = default;
    explicit Window(HWND handle) : hwnd(handle) {}
    operator HWND() const { return hwnd; }

    bool Show(bool visible) const { return ShowWindow(hwnd, visible ? SW_SHOW : SW_HIDE) != FALSE; }
    bool Visible() const { return IsWindowVisible(hwnd) != FALSE; }
    void Enable(bool enabled) const { EnableWindow(hwnd, enabled ? TRUE : FALSE); }
    bool Enabled() const { return IsWindowEnabled(hwnd) != FALSE; }
    void SetText(const std::wstring& text) const { SetWindowTextW(hwnd, text.c_str()); }
    std::wstring Text() const;
    bool Move(int x, int y, int width, int height) const {
        return MoveWindow(hwnd, x, y, width, height, TRUE) != FALSE;
    }
    RECT Bounds() const;  // in the parent's client coordinates
    RECT Client() const {
        RECT r{};
        GetClientRect(hwnd, &r);
        return r;
    }
    void SetFont(HFONT font) const { SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    void Invalidate() const { InvalidateRect(hwnd, nullptr, TRUE); }
    void Repaint() const { RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW); }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageW(hwnd, msg, wp, lp); }
};

// A child control created in code. The parent's window procedure hands the
// notifications about this control (WM_COMMAND, WM_NOTIFY, owner drawing,
// colours) back to the object through Reflect(), so each control keeps its
// own handling. The object must outlive nothing: its destructor detaches it.
class Control : public Window {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    virtual bool OnCommand(WORD /*code*/, WORD /*id*/) { return false; }
    virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool OnDrawItem(DRAWITEMSTRUCT* /*item*/) { return false; }
    virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }

protected:
    // Creates the child window and attaches this object to it.
    void CreateChild(const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle,
                     HWND parent, int x, int y, int width, int height, int id = 0);
    // Routes reflected notifications of another window (a tooltip) here too.
    void AttachExtra(HWND other);

private:
    HWND extra_ = nullptr;
};

// The control object attached to a child window, if any.
Control* ControlOf(HWND child);

// Called by every window procedure that parents controls; true when the
// message was a notification that a control object took.
bool Reflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// Owners of GDI objects.
class Font {
public:
    Font() = default;
    // Height is the character height in pixels (the em height, not the cell).
    Font(const wchar_t* face, int pixelHeight, bool bold = false, bool underline = false, int width = 0);
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
