#include "zorvel/widgets/combobox.h"

#include "zorvel/widgets/dpi.h"

namespace widgets {

namespace {
bool MouseOver(HWND control) {
    POINT p;
    RECT r;
    return GetCursorPos(&p) && GetWindowRect(control, &r) && PtInRect(&r, p);
}
}  // namespace

void ListControl::Add(const std::wstring& text) const {
    Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ListControl::SetIndex(int index) const {
    // Wine keeps the old selection for an index past the end; -1 clears it everywhere.
    Send(CB_SETCURSEL, static_cast<WPARAM>(index >= 0 && index < Count() ? index : -1));
}

bool ListControl::SelectText(const std::wstring& text) const {
    // CB_FINDSTRINGEXACT ignores case; "com1" is no "COM1".
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (ItemText(i) == text) {
            SetIndex(i);
            return true;
        }
    SetIndex(-1);
    return false;
}

std::wstring ListControl::ItemText(int index) const {
    if (index < 0) return {};
    LRESULT n = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (n == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    n = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(n == CB_ERR ? 0 : static_cast<std::size_t>(n));
    return text;
}

void ListControl::SetItemText(int index, const std::wstring& text) const {
    if (index < 0 || index >= Count()) return;
    const int selected = Index();
    Send(CB_DELETESTRING, static_cast<WPARAM>(index));
    Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
    SetIndex(selected);
}

bool ListControl::OnCommand(WORD code, WORD) {
    if (code == CBN_SELCHANGE && OnChange) OnChange();
    return true;
}

void DropDownList::Create(HWND parent, int x, int y, int width, int dropHeight) {
    CreateChild(L"COMBOBOX", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, parent, x, y, width,
                dropHeight);
}

void ComboBox::Create(HWND parent, int x, int y, int width, int itemHeight) {
    CreateChild(L"COMBOBOX", L"",
                WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0,
                parent, x, y, width, itemHeight * 8);
    itemHeight_ = itemHeight;
    SetItemHeight();
}

void ComboBox::SetItemHeight() const {
    // -1 is the closed list's own face, 0 the items of the open list.
    const int itemPixels = ScaleOf(hwnd).Px(itemHeight_);
    Send(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemPixels);
    Send(CB_SETITEMHEIGHT, 0, itemPixels);
}

void ComboBox::Rescale() {
    Replace();
    SetItemHeight();
}

ListItem ComboBox::PaintItem(const DRAWITEMSTRUCT& item) const {
    ListItem paint;
    paint.Dc = item.hDC;
    paint.Index = static_cast<int>(item.itemID);
    paint.Rect = item.rcItem;
    paint.State = item.itemState;
    paint.Text = ItemText(paint.Index);
    paint.DroppedDown = DroppedDown();
    paint.Hot = MouseOver(hwnd);
    return paint;
}

bool ComboBox::OnDrawItem(DRAWITEMSTRUCT* item) {
    if (OnDraw) OnDraw(item);
    return true;
}

}  // namespace widgets
