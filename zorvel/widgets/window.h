// The thin window layer: a non-owning handle with one-line forwarders, the
// base of the control objects (which receive the notifications their parent
// reflects to them), and the guard every window procedure runs its work in.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "zorvel/widgets/gdi.h"

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
    int Id() const { return GetDlgCtrlID(hwnd); }
    void SetFont(HFONT font) const { SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)); }
    void Focus() const { SetFocus(hwnd); }
    bool Focused() const { return GetFocus() == hwnd; }
    void Invalidate() const { InvalidateRect(hwnd, nullptr, TRUE); }
    void Repaint() const { RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW); }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return SendMessageW(hwnd, msg, wp, lp); }
};

// Ids below this are left to fixed ids (IDOK, IDCANCEL, the ones a window
// names itself); every other control gets the first free id from here.
constexpr int kFirstAutomaticId = 100;

// A child control created in code. The parent's window procedure hands the
// notifications about this control (WM_COMMAND, WM_NOTIFY, owner drawing and
// measuring, scrolling, colours) back to the object through Reflect(), so each
// control keeps its own handling. The destructor detaches the object.
class Control : public Window {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    virtual bool OnCommand(WORD /*code*/, WORD /*id*/) { return false; }
    virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool OnDrawItem(DRAWITEMSTRUCT* /*item*/) { return false; }
    virtual bool OnMeasureItem(MEASUREITEMSTRUCT* /*item*/) { return false; }
    // WM_HSCROLL / WM_VSCROLL sent by this control (a track bar).
    virtual bool OnScroll(WORD /*code*/) { return false; }
    virtual HBRUSH OnCtlColor(HDC /*dc*/) { return nullptr; }

    // The operator asked for a context menu on this control (screen point).
    std::function<void(POINT screen)> OnContextMenu;

    // Moves the control to a rectangle of design units (96 DPI) in its
    // parent, scaled to the display, and remembers it for a change of display.
    void Place(int x, int y, int width, int height);
    void Place(const RECT& design);
    // Where the control was last placed, in design units.
    RECT DesignBounds() const { return design_; }
    // Moves the top-left corner to a design point and keeps the size in pixels
    // (a label sized to its text).
    void PlaceAt(int x, int y);
    // Places the control again at the scale of its window (after a change of display).
    void Replace() { Place(design_); }
    // After a change of display: placed again at the new scale. Kinds that keep
    // measures of their own in pixels (a canvas, button or item sizes) renew them.
    virtual void Rescale() { Replace(); }
    // After a change of display, for kinds that draw with a font of their own:
    // `remade` gives the font made at the new scale for one made at the old.
    virtual void RemapFonts(const std::function<HFONT(HFONT)>& /*remade*/) {}

protected:
    // Creates the child window and attaches this object to it. An id of 0
    // takes the first id from kFirstAutomaticId that no sibling uses.
    void CreateChild(const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle,
                     HWND parent, int x, int y, int width, int height, int id = 0);
    // Routes reflected notifications of another window (a tooltip) here too.
    void AttachExtra(HWND other);

private:
    HWND extra_ = nullptr;
    RECT design_{};
};

// What an owner-drawn menu item is measured and drawn by. Owner-drawn items
// the layer creates carry their MenuPainter as item data; system-menu items
// (item data 0) stay with the window that owns the menu.
class MenuPainter {
public:
    virtual ~MenuPainter() = default;
    virtual void MeasureMenuItem(MEASUREITEMSTRUCT* item) = 0;
    virtual void DrawMenuItem(DRAWITEMSTRUCT* item) = 0;
};

// The control object attached to a child window, if any.
Control* ControlOf(HWND child);

// Called by every window procedure that parents controls; true when the
// message was a notification that a control object (or menu painter) took.
bool Reflect(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// The procedure part of windows that parent controls inside a form (panels,
// group boxes): reflect, and hand on what no control took to the parent, as
// if the container were not there.
bool ContainerMessage(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// Shows what an exception said, in an error box owned by `owner`.
void ReportException(HWND owner, const char* what);

// Runs a window procedure's work so that no exception unwinds through the
// system's frames: it is reported and the message answered with 0.
template <class Work>
LRESULT Guarded(HWND hwnd, Work&& work) {
    try {
        return work();
    } catch (const std::exception& e) {
        ReportException(hwnd, e.what());
    } catch (...) {
        ReportException(hwnd, "Unknown error");
    }
    return 0;
}

// The hand cursor of everything that is clicked (links, tool and speed buttons).
inline void SetHandCursor() { SetCursor(LoadCursorW(nullptr, IDC_HAND)); }

// Registers a window class of the layer once per process.
void RegisterControlClass(const wchar_t* name, WNDPROC proc, HCURSOR cursor = nullptr);

// The button face colour for CLR_INVALID, the colour itself otherwise.
inline COLORREF OrFace(COLORREF colour) { return colour == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : colour; }

}  // namespace widgets
