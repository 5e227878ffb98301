// One small class per control kind the windows use. Each wraps its HWND,
// creates itself in code at a given place and size, and turns the
// notifications its parent reflects to it into events (std::function members
// the form sets to its handlers).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "zorvel/widgets/images.h"
#include "zorvel/widgets/window.h"

namespace widgets {

class Form;

// A control whose window procedure is extended with SetWindowSubclass; the
// subclass is removed with the object.
class SubclassedControl : public Control {
public:
    ~SubclassedControl() override;

protected:
    void Subclass();
    // Return true when the message is handled and `result` holds the answer.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    bool subclassed_ = false;
};

enum class Bevel { None, Raised, Lowered };

// A plain area with a background colour, an optional bevel and an optional
// caption; it also parents other controls.
class Panel : public Control {
public:
    void Create(HWND parent, int x, int y, int width, int height, COLORREF colour = CLR_INVALID,
                Bevel bevel = Bevel::None);
    void SetColour(COLORREF colour);
    COLORREF Colour() const { return brush_.Colour(); }
    // DrawText flags place the caption (DT_LEFT | DT_VCENTER | DT_SINGLELINE...).
    void SetCaption(const std::wstring& text, HFONT font, COLORREF textColour, UINT format);
    void SetTextColour(COLORREF colour);
    COLORREF TextColour() const { return textColour_; }
    std::wstring Caption() const { return caption_; }
    void Paint(HDC dc) const;

    std::function<void()> OnLeftMouseDown;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    Brush brush_;
    Bevel bevel_ = Bevel::None;
    std::wstring caption_;
    HFONT font_ = nullptr;
    COLORREF textColour_ = 0;
    UINT format_ = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
};

// A frame with a caption around related controls (which are the form's children).
class GroupBox : public Control {
public:
    void Create(HWND parent, const std::wstring& caption, int x, int y, int width, int height) {
        CreateChild(L"BUTTON", caption, WS_VISIBLE | BS_GROUPBOX, 0, parent, x, y, width, height);
    }
};

// A static text on a background colour (its parent's).
class Label : public Control {
public:
    // `style` adds SS_* flags (SS_CENTER, SS_CENTERIMAGE for one centred line...).
    void Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, COLORREF back,
                DWORD style = 0);
    void SetTextColour(COLORREF colour) {
        textColour_ = colour;
        Invalidate();
    }
    HBRUSH OnCtlColor(HDC dc) override;

private:
    Brush back_;
    COLORREF textColour_ = CLR_INVALID;
};

class Edit : public SubclassedControl {
public:
    void Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, int maxLength = 0);
    void SetColour(COLORREF colour);
    COLORREF Colour() const { return brush_.Colour(); }
    bool HasSelection() const;

    std::function<void()> OnChange;                 // the text changed
    std::function<void()> OnExit;                   // the focus left the field
    std::function<void(wchar_t& key)> OnKeyPress;   // set key to 0 to drop the character
    std::function<void(WORD key)> OnKeyDown;
    std::function<void(POINT screen)> OnContextMenu;

    bool OnCommand(WORD code, WORD id) override;
    HBRUSH OnCtlColor(HDC dc) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    Brush brush_;
};

// A drop-down list without free text, owner-drawn with fixed item height.
class ComboBox : public Control {
public:
    void Create(HWND parent, int x, int y, int width, int itemHeight);
    void Add(const std::wstring& text) const;
    int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    int Index() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    // An index outside the items leaves no item selected.
    void SetIndex(int index) const { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }
    std::wstring ItemText(int index) const;
    bool DroppedDown() const { return Send(CB_GETDROPPEDSTATE) != 0; }

    std::function<void()> OnChange;
    std::function<void(DRAWITEMSTRUCT*)> OnDraw;

    bool OnCommand(WORD code, WORD id) override;
    bool OnDrawItem(DRAWITEMSTRUCT* item) override;
};

// A push button that draws its caption with a 4-frame glyph strip (normal,
// disabled, hot, pressed), the glyph left or right of the caption.
class SpeedButton : public SubclassedControl {
public:
    void Create(HWND parent, const std::wstring& caption, int x, int y, int width, int height,
                const StripList* glyph, bool glyphRight = false);
    void Click() const {
        if (OnClick) OnClick();
    }
    bool Hot() const { return hot_; }
    int FrameFor(UINT drawState) const;

    std::function<void()> OnClick;

    bool OnCommand(WORD code, WORD id) override;
    bool OnDrawItem(DRAWITEMSTRUCT* item) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    const StripList* glyph_ = nullptr;
    bool glyphRight_ = false;
    bool hot_ = false;
};

class DateTimePicker : public SubclassedControl {
public:
    enum class Kind { Date, Time };
    void Create(HWND parent, Kind kind, int x, int y, int width, int height);
    SYSTEMTIME Value() const;
    void SetValue(const SYSTEMTIME& value) const;
    void SetRange(const SYSTEMTIME& from, const SYSTEMTIME& to) const;
    // A fixed display format, e.g. L"dd.MM.yyyy"; the default follows the user's locale.
    void SetFormat(const wchar_t* format) const { Send(DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format)); }

    std::function<void()> OnChange;
    std::function<void(POINT screen)> OnContextMenu;

    bool OnNotify(NMHDR* header, LRESULT& result) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A flat toolbar with three image lists (normal, hot, disabled), one hint per
// button and a hand cursor over the buttons.
class ToolBar : public SubclassedControl {
public:
    struct Button {
        int Id;
        int Image;
        std::wstring Hint;
        std::function<void()> OnClick;
    };
    void Create(HWND parent, int x, int y, int width, int height, int buttonWidth, int buttonHeight,
                HIMAGELIST normal, HIMAGELIST hot, HIMAGELIST disabled, std::vector<Button> buttons);
    void SetImage(int id, int image) const { Send(TB_CHANGEBITMAP, static_cast<WPARAM>(id), image); }
    int Image(int id) const { return static_cast<int>(Send(TB_GETBITMAP, static_cast<WPARAM>(id))); }
    void EnableButton(int id, bool enabled) const { Send(TB_ENABLEBUTTON, static_cast<WPARAM>(id), enabled); }
    bool ButtonEnabled(int id) const { return Send(TB_ISBUTTONENABLED, static_cast<WPARAM>(id)) != 0; }
    void SetHint(int id, const std::wstring& hint);
    std::wstring Hint(int id) const;
    RECT ButtonRect(int id) const;
    void Click(int id) const;

    bool OnCommand(WORD code, WORD id) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    const Button* Find(int id) const;
    std::vector<Button> buttons_;
};

// A picture box with a canvas of its own size that the form draws on.
class Image : public Control {
public:
    void Create(HWND parent, int x, int y, int width, int height, COLORREF back = CLR_INVALID);
    const Canvas& Surface() const { return canvas_; }
    // A new, cleared canvas for a new size of the window.
    void ResizeCanvas(int width, int height) {
        canvas_.Resize(width, height);
        canvas_.Fill(back_);
    }
    void Clear() const { canvas_.Fill(back_); }
    COLORREF Back() const { return back_; }
    // Repaints the window from the canvas.
    void Refresh() const { InvalidateRect(hwnd, nullptr, FALSE); }

    std::function<void()> OnLeftMouseDown;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    Canvas canvas_;
    COLORREF back_ = 0;
};

// A tooltip window that shows a hint for other controls.
class Hints {
public:
    Hints() = default;
    Hints(const Hints&) = delete;
    Hints& operator=(const Hints&) = delete;
    ~Hints();
    void Create(HWND owner);
    void Set(HWND tool, const std::wstring& text);
    std::wstring Get(HWND tool) const;
    HWND Handle() const { return tooltip_; }

private:
    HWND tooltip_ = nullptr;
    std::vector<std::pair<HWND, std::wstring>> texts_;
};

// A window timer of a form; stopped while disabled.
class Timer {
public:
    Timer(Form& owner, UINT intervalMs);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    UINT_PTR Id() const { return id_; }
    void Fire();

    std::function<void()> OnTimer;

private:
    Form& owner_;
    UINT interval_;
    UINT_PTR id_ = 0;
    bool enabled_ = false;
};

// A pop-up menu. Items carry the command, the caption, the shortcut text and
// the index of their picture (for the owner-drawn painting).
class PopupMenu {
public:
    struct Item {
        UINT Id;
        std::wstring Caption;
        std::wstring ShortCut;
        int ImageIndex = -1;
        bool AutoCheck = false;
        std::function<void()> OnClick;
    };
    PopupMenu() = default;
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    ~PopupMenu();
    void Create(std::vector<Item> items);
    void SetChecked(UINT id, bool checked) const;
    bool Checked(UINT id) const;
    void SetEnabled(UINT id, bool enabled) const;
    bool ItemEnabled(UINT id) const;
    void SetImageIndex(UINT id, int index);
    int ImageIndex(UINT id) const;
    // Runs the item as a click would (auto-check included).
    void Choose(UINT id);
    // Opens the menu at a screen point and runs the chosen item.
    void Popup(HWND owner, POINT screen);
    operator HMENU() const { return menu_; }

    std::function<void()> OnPopup;  // before the menu opens

private:
    Item* Find(UINT id);
    HMENU menu_ = nullptr;
    std::vector<Item> items_;
};

}  // namespace widgets
