#include "zorvel/widgets/edit.h"

#include "zorvel/widgets/paste.h"

namespace widgets {

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
                if (PasteKeyToMessage(hwnd, msg, wp)) {
                    result = 0;
                    return true;
                }
                if (IsClipboardCharacter(key)) return false;
                OnKeyPress(key);
                if (key == 0) {
                    result = 0;
                    return true;
                }
            }
            return false;
        case WM_KEYDOWN:
            if (OnKeyPress && PasteKeyToMessage(hwnd, msg, wp)) {
                result = 0;
                return true;
            }
            if (OnKeyDown) OnKeyDown(static_cast<WORD>(wp));
            return false;
        case WM_PASTE:
            // Every paste (keys, menus, other programs) is typed text for the filter.
            if (OnKeyPress) {
                PasteFiltered(hwnd, OnKeyPress);
                result = 0;
                return true;
            }
            return false;
        case WM_CONTEXTMENU:
            // The field's own menu is replaced by the window's.
            if (OnContextMenu) {
                OnContextMenu(ContextMenuPoint(hwnd, lp));
                result = 0;
                return true;
            }
            return false;
    }
    return false;
}

}  // namespace widgets
