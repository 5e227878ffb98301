#include "zorvel/widgets/controls.h"

#include <uxtheme.h>
#include <windowsx.h>
#include <vssym32.h>

#include "zorvel/widgets/form.h"

namespace widgets {

namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void RegisterClassOnce(const wchar_t* name, WNDPROC proc, bool& done) {
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
    done = true;
}

COLORREF OrFace(COLORREF colour) { return colour == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : colour; }

// A window that parents controls answers their notifications through them,
// and gives static children its own background.
bool ParentMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (Reflect(msg, wp, lp, result)) return true;
    if (msg == WM_COMMAND || msg == WM_NOTIFY || msg == WM_DRAWITEM || msg == WM_CONTEXTMENU) {
        // Whatever no control took goes on to the form, as if the panel were not there.
        result = SendMessageW(GetParent(hwnd), msg, wp, lp);
        return true;
    }
    return false;
}

}  // namespace

// ---- SubclassedControl --------------------------------------------------------

SubclassedControl::~SubclassedControl() {
    if (subclassed_ && hwnd && IsWindow(hwnd)) RemoveWindowSubclass(hwnd, &Proc, 1);
}

void SubclassedControl::Subclass() {
    subclassed_ = SetWindowSubclass(hwnd, &Proc, 1, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

LRESULT CALLBACK SubclassedControl::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<SubclassedControl*>(data);
    LRESULT result = 0;
    if (self->OnMessage(msg, wp, lp, result)) return result;
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// ---- Panel ----------------------------------------------------------------------

void Panel::Create(HWND parent, int x, int y, int width, int height, COLORREF colour, Bevel bevel) {
    static bool registered = false;
    RegisterClassOnce(L"ZorvelPanel", &Panel::Proc, registered);
    brush_ = Brush(OrFace(colour));
    bevel_ = bevel;
    CreateChild(L"ZorvelPanel", L"", WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, x, y, width,
                height);
}

void Panel::SetColour(COLORREF colour) {
    brush_ = Brush(OrFace(colour));
    Invalidate();
}

void Panel::SetCaption(const std::wstring& text, HFONT font, COLORREF textColour, UINT format) {
    caption_ = text;
    font_ = font;
    textColour_ = textColour;
    format_ = format;
    Invalidate();
}

void Panel::SetTextColour(COLORREF colour) {
    if (colour == textColour_) return;
    textColour_ = colour;
    Invalidate();
}

void Panel::Paint(HDC dc) const {
    RECT r = Client();
    FillRect(dc, &r, brush_);
    if (bevel_ != Bevel::None) DrawEdge(dc, &r, bevel_ == Bevel::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    if (!caption_.empty()) {
        HGDIOBJ old = SelectObject(dc, font_ ? font_ : reinterpret_cast<HFONT>(Send(WM_GETFONT)));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, textColour_);
        InflateRect(&r, -2, 0);
        if ((format_ & DT_WORDBREAK) && (format_ & DT_VCENTER)) {
            // DT_VCENTER works on single lines only: centre the wrapped block by hand.
            RECT measured = r;
            DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &measured,
                      (format_ & ~DT_VCENTER) | DT_CALCRECT | DT_NOPREFIX);
            int height = measured.bottom - measured.top;
            r.top += (r.bottom - r.top - height) / 2;
        }
        DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &r, format_ | DT_NOPREFIX);
        SelectObject(dc, old);
    }
}

LRESULT CALLBACK Panel::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<Panel*>(ControlOf(hwnd));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    if (ParentMessage(hwnd, msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_ERASEBKGND: {
            // Transparent children (a flat toolbar) have their background drawn through this.
            RECT r = self->Client();
            FillRect(reinterpret_cast<HDC>(wp), &r, self->brush_);
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            self->Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            self->Paint(reinterpret_cast<HDC>(wp));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            SetBkColor(reinterpret_cast<HDC>(wp), self->brush_.Colour());
            return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(self->brush_));
        case WM_LBUTTONDOWN:
            if (self->OnLeftMouseDown) self->OnLeftMouseDown();
            return 0;
        case WM_GETFONT:
            return SendMessageW(GetParent(hwnd), WM_GETFONT, 0, 0);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- Label ----------------------------------------------------------------------

void Label::Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, COLORREF back,
                   DWORD style) {
    back_ = Brush(OrFace(back));
    CreateChild(L"STATIC", text, WS_VISIBLE | SS_NOPREFIX | style, 0, parent, x, y, width, height);
}

HBRUSH Label::OnCtlColor(HDC dc) {
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, back_.Colour());
    if (textColour_ != CLR_INVALID) SetTextColor(dc, textColour_);
    return back_;
}

// ---- Edit -----------------------------------------------------------------------

void Edit::Create(HWND parent, const std::wstring& text, int x, int y, int width, int height, int maxLength) {
    brush_ = Brush(GetSysColor(COLOR_WINDOW));
    CreateChild(L"EDIT", text, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, parent, x, y, width,
                height);
    if (maxLength > 0) Send(EM_LIMITTEXT, static_cast<WPARAM>(maxLength));
    Subclass();
}

void Edit::SetColour(COLORREF colour) {
    brush_ = Brush(colour);
    Invalidate();
}

bool Edit::HasSelection() const {
    DWORD from = 0, to = 0;
    Send(EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return to > from;
}

bool Edit::OnCommand(WORD code, WORD) {
    if (code == EN_CHANGE && OnChange) OnChange();
    if (code == EN_KILLFOCUS && OnExit) OnExit();
    return true;
}

HBRUSH Edit::OnCtlColor(HDC dc) {
    SetBkColor(dc, brush_.Colour());
    return brush_;
}

bool Edit::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_CHAR:
            if (OnKeyPress) {
                auto key = static_cast<wchar_t>(wp);
                OnKeyPress(key);
                if (key == 0) {
                    result = 0;
                    return true;
                }
            }
            return false;
        case WM_KEYDOWN:
            if (OnKeyDown) OnKeyDown(static_cast<WORD>(wp));
            return false;
        case WM_CONTEXTMENU:
            if (OnContextMenu) {
                POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                if (p.x == -1 && p.y == -1) {  // from the keyboard: at the control
                    RECT r = Bounds();
                    p = POINT{r.left, r.bottom};
                    ClientToScreen(GetParent(hwnd), &p);
                }
                OnContextMenu(p);
                result = 0;
                return true;
            }
            return false;
    }
    return false;
}

// ---- ComboBox -------------------------------------------------------------------

void ComboBox::Create(HWND parent, int x, int y, int width, int itemHeight) {
    CreateChild(L"COMBOBOX", L"",
                WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0,
                parent, x, y, width, itemHeight * 8, 0);
    // -1 is the closed list's own face, 0 the items of the open list.
    Send(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight);
    Send(CB_SETITEMHEIGHT, 0, itemHeight);
}

void ComboBox::Add(const std::wstring& text) const {
    Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring ComboBox::ItemText(int index) const {
    LRESULT n = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (n == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    n = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(n == CB_ERR ? 0 : static_cast<std::size_t>(n));
    return text;
}

bool ComboBox::OnCommand(WORD code, WORD) {
    if (code == CBN_SELCHANGE && OnChange) OnChange();
    return true;
}

bool ComboBox::OnDrawItem(DRAWITEMSTRUCT* item) {
    if (OnDraw) OnDraw(item);
    return true;
}

// ---- SpeedButton ----------------------------------------------------------------

void SpeedButton::Create(HWND parent, const std::wstring& caption, int x, int y, int width, int height,
                         const StripList* glyph, bool glyphRight) {
    glyph_ = glyph;
    glyphRight_ = glyphRight;
    CreateChild(L"BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 0, parent, x, y, width, height);
    Subclass();
}

bool SpeedButton::OnCommand(WORD code, WORD) {
    if (code == BN_CLICKED) Click();
    return true;
}

int SpeedButton::FrameFor(UINT drawState) const {
    if (drawState & ODS_DISABLED) return kFrameDisabled;
    if (drawState & ODS_SELECTED) return kFramePressed;
    if (hot_) return kFrameHighlighted;
    return kFrameNormal;
}

bool SpeedButton::OnDrawItem(DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    const UINT state = item->itemState;
    const int frame = FrameFor(state);
    HTHEME theme = OpenThemeData(hwnd, L"BUTTON");
    if (theme) {
        int part = frame == kFrameDisabled ? PBS_DISABLED
                 : frame == kFramePressed  ? PBS_PRESSED
                 : frame == kFrameHighlighted ? PBS_HOT
                                               : PBS_NORMAL;
        if (IsThemeBackgroundPartiallyTransparent(theme, BP_PUSHBUTTON, part))
            DrawThemeParentBackground(hwnd, dc, &r);
        DrawThemeBackground(theme, dc, BP_PUSHBUTTON, part, &r, nullptr);
        CloseThemeData(theme);
    } else {
        UINT flags = DFCS_BUTTONPUSH | (frame == kFramePressed ? DFCS_PUSHED : 0) |
                     (frame == kFrameHighlighted ? DFCS_HOT : 0);
        DrawFrameControl(dc, &r, DFC_BUTTON, flags);
    }
    std::wstring caption = Text();
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(Send(WM_GETFONT)));
    SIZE text{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    const int gap = 6;
    int glyphWidth = glyph_ ? glyph_->FrameWidth(0) : 0;
    int glyphHeight = glyph_ ? glyph_->Height(0) : 0;
    int total = text.cx + (glyphWidth ? glyphWidth + gap : 0);
    int x = r.left + (r.right - r.left - total) / 2;
    int shift = frame == kFramePressed ? 1 : 0;
    int textX = glyphRight_ || !glyphWidth ? x : x + glyphWidth + gap;
    int glyphX = glyphRight_ ? x + text.cx + gap : x;
    if (glyph_) glyph_->Draw(dc, 0, frame, glyphX + shift, r.top + (r.bottom - r.top - glyphHeight) / 2 + shift);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(frame == kFrameDisabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    RECT tr{textX + shift, r.top + shift, textX + text.cx + shift, r.bottom + shift};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if ((state & ODS_FOCUS) && !(state & ODS_NOFOCUSRECT)) {
        RECT fr = item->rcItem;
        InflateRect(&fr, -4, -4);
        DrawFocusRect(dc, &fr);
    }
    SelectObject(dc, oldFont);
    return true;
}

bool SpeedButton::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        case WM_MOUSEMOVE:
            if (!hot_) {
                hot_ = true;
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
                TrackMouseEvent(&track);
                Invalidate();
            }
            return false;
        case WM_MOUSELEAVE:
            hot_ = false;
            Invalidate();
            return false;
        case WM_ERASEBKGND:
            result = 1;  // the owner drawing covers everything
            return true;
    }
    return false;
}

// ---- DateTimePicker -------------------------------------------------------------

void DateTimePicker::Create(HWND parent, Kind kind, int x, int y, int width, int height) {
    DWORD style = WS_VISIBLE | WS_TABSTOP | (kind == Kind::Time ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT);
    CreateChild(DATETIMEPICK_CLASSW, L"", style, 0, parent, x, y, width, height);
    Subclass();
}

SYSTEMTIME DateTimePicker::Value() const {
    SYSTEMTIME value{};
    Send(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&value));
    return value;
}

void DateTimePicker::SetValue(const SYSTEMTIME& value) const {
    Send(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}

void DateTimePicker::SetRange(const SYSTEMTIME& from, const SYSTEMTIME& to) const {
    SYSTEMTIME range[2] = {from, to};
    Send(DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
}

bool DateTimePicker::OnNotify(NMHDR* header, LRESULT& result) {
    result = 0;
    if (header->code == DTN_DATETIMECHANGE && OnChange) OnChange();
    return true;
}

bool DateTimePicker::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg == WM_CONTEXTMENU && OnContextMenu) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (p.x == -1 && p.y == -1) {
            RECT r = Bounds();
            p = POINT{r.left, r.bottom};
            ClientToScreen(GetParent(hwnd), &p);
        }
        OnContextMenu(p);
        result = 0;
        return true;
    }
    return false;
}

// ---- ToolBar --------------------------------------------------------------------

void ToolBar::Create(HWND parent, int x, int y, int width, int height, int buttonWidth, int buttonHeight,
                     HIMAGELIST normal, HIMAGELIST hot, HIMAGELIST disabled, std::vector<Button> buttons) {
    buttons_ = std::move(buttons);
    CreateChild(TOOLBARCLASSNAMEW, L"",
                WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                0, parent, x, y, width, height);
    Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    Send(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
    Send(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot));
    Send(TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled));
    int imageWidth = 0, imageHeight = 0;
    if (normal) ImageList_GetIconSize(normal, &imageWidth, &imageHeight);
    Send(TB_SETBITMAPSIZE, 0, MAKELPARAM(imageWidth, imageHeight));
    std::vector<TBBUTTON> items;
    for (const Button& b : buttons_) {
        TBBUTTON item{};
        item.iBitmap = b.Image;
        item.idCommand = b.Id;
        item.fsState = TBSTATE_ENABLED;
        item.fsStyle = BTNS_BUTTON;
        item.iString = -1;
        items.push_back(item);
    }
    Send(TB_ADDBUTTONSW, items.size(), reinterpret_cast<LPARAM>(items.data()));
    Send(TB_SETBUTTONSIZE, 0, MAKELPARAM(buttonWidth, buttonHeight));
    AttachExtra(reinterpret_cast<HWND>(Send(TB_GETTOOLTIPS)));
    Subclass();
}

const ToolBar::Button* ToolBar::Find(int id) const {
    for (const Button& b : buttons_)
        if (b.Id == id) return &b;
    return nullptr;
}

void ToolBar::SetHint(int id, const std::wstring& hint) {
    for (Button& b : buttons_)
        if (b.Id == id) b.Hint = hint;
}

std::wstring ToolBar::Hint(int id) const {
    const Button* b = Find(id);
    return b ? b->Hint : std::wstring();
}

RECT ToolBar::ButtonRect(int id) const {
    RECT r{};
    Send(TB_GETRECT, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&r));
    return r;
}

void ToolBar::Click(int id) const {
    const Button* b = Find(id);
    if (b && b->OnClick && ButtonEnabled(id)) b->OnClick();
}

bool ToolBar::OnCommand(WORD, WORD id) {
    Click(id);
    return true;
}

bool ToolBar::OnNotify(NMHDR* header, LRESULT& result) {
    result = 0;
    if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        const Button* b = Find(static_cast<int>(header->idFrom));
        info->lpszText = b ? const_cast<wchar_t*>(b->Hint.c_str()) : const_cast<wchar_t*>(L"");
        info->hinst = nullptr;
        return true;
    }
    return false;
}

bool ToolBar::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg == WM_SETCURSOR) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        if (Send(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)) >= 0) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            result = TRUE;
            return true;
        }
    }
    return false;
}

// ---- Image ----------------------------------------------------------------------

void Image::Create(HWND parent, int x, int y, int width, int height, COLORREF back) {
    static bool registered = false;
    RegisterClassOnce(L"ZorvelImage", &Image::Proc, registered);
    back_ = OrFace(back);
    canvas_.Resize(width, height);
    canvas_.Fill(back_);
    CreateChild(L"ZorvelImage", L"", WS_VISIBLE, 0, parent, x, y, width, height);
}

LRESULT CALLBACK Image::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<Image*>(ControlOf(hwnd));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
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
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- Hints ----------------------------------------------------------------------

Hints::~Hints() {
    if (tooltip_ && IsWindow(tooltip_)) DestroyWindow(tooltip_);
}

void Hints::Create(HWND owner) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                               Instance(), nullptr);
}

void Hints::Set(HWND tool, const std::wstring& text) {
    bool known = false;
    for (auto& entry : texts_)
        if (entry.first == tool) {
            entry.second = text;
            known = true;
        }
    if (!known) texts_.emplace_back(tool, text);
    if (!tooltip_) return;
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tooltip_, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

std::wstring Hints::Get(HWND tool) const {
    for (const auto& entry : texts_)
        if (entry.first == tool) return entry.second;
    return {};
}

// ---- PopupMenu ------------------------------------------------------------------

PopupMenu::~PopupMenu() {
    if (menu_) DestroyMenu(menu_);
}

void PopupMenu::Create(std::vector<Item> items) {
    items_ = std::move(items);
    menu_ = CreatePopupMenu();
    for (const Item& item : items_) {
        std::wstring text = item.ShortCut.empty() ? item.Caption : item.Caption + L"\t" + item.ShortCut;
        AppendMenuW(menu_, MF_STRING, item.Id, text.c_str());
    }
}

PopupMenu::Item* PopupMenu::Find(UINT id) {
    for (Item& item : items_)
        if (item.Id == id) return &item;
    return nullptr;
}

void PopupMenu::SetChecked(UINT id, bool checked) const {
    CheckMenuItem(menu_, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool PopupMenu::Checked(UINT id) const { return (GetMenuState(menu_, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

void PopupMenu::SetEnabled(UINT id, bool enabled) const {
    EnableMenuItem(menu_, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool PopupMenu::ItemEnabled(UINT id) const {
    return (GetMenuState(menu_, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

void PopupMenu::SetImageIndex(UINT id, int index) {
    if (Item* item = Find(id)) item->ImageIndex = index;
}

int PopupMenu::ImageIndex(UINT id) const {
    for (const Item& item : items_)
        if (item.Id == id) return item.ImageIndex;
    return -1;
}

void PopupMenu::Choose(UINT id) {
    Item* item = Find(id);
    if (!item || !ItemEnabled(id)) return;
    if (item->AutoCheck) SetChecked(id, !Checked(id));
    if (item->OnClick) item->OnClick();
}

void PopupMenu::Popup(HWND owner, POINT screen) {
    if (OnPopup) OnPopup();
    UINT id = static_cast<UINT>(TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, screen.x,
                                               screen.y, 0, owner, nullptr));
    if (id) Choose(id);
}

}  // namespace widgets
