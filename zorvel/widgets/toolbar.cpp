#include "zorvel/widgets/toolbar.h"

#include "zorvel/widgets/dpi.h"

namespace widgets {


void ToolBar::Create(HWND parent, int x, int y, int width, int height, int buttonWidth, int buttonHeight,
                     HIMAGELIST normal, HIMAGELIST hot, HIMAGELIST disabled, std::vector<Button> buttons) {
    buttons_ = std::move(buttons);
    CreateChild(TOOLBARCLASSNAMEW, L"",
                WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                0, parent, x, y, width, height);
    buttonSize_ = SIZE{buttonWidth, buttonHeight};
    Send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SetImageLists(normal, hot, disabled);
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
    SetButtonSize();
    AttachExtra(reinterpret_cast<HWND>(Send(TB_GETTOOLTIPS)));
    Subclass();
}

void ToolBar::SetImageLists(HIMAGELIST normal, HIMAGELIST hot, HIMAGELIST disabled) const {
    Send(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
    Send(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot));
    Send(TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled));
    int imageWidth = 0, imageHeight = 0;
    if (normal) ImageList_GetIconSize(normal, &imageWidth, &imageHeight);
    Send(TB_SETBITMAPSIZE, 0, MAKELPARAM(imageWidth, imageHeight));
    // A new bitmap size resets the button size.
    if (Send(TB_BUTTONCOUNT) > 0) SetButtonSize();
    Invalidate();
}

void ToolBar::SetButtonSize() const {
    const Scale scale = ScaleOf(hwnd);
    Send(TB_SETBUTTONSIZE, 0, MAKELPARAM(scale.Px(buttonSize_.cx), scale.Px(buttonSize_.cy)));
}

void ToolBar::Rescale() {
    Replace();
    SetButtonSize();
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
            SetHandCursor();
            result = TRUE;
            return true;
        }
    }
    return false;
}

}  // namespace widgets
