#include "zorvel/widgets/checkbox.h"

namespace widgets {

void CheckBox::Create(HWND parent, const std::wstring& caption, int x, int y, int width, int height) {
    CreateChild(L"BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0, parent, x, y, width, height);
}

bool CheckBox::OnCommand(WORD code, WORD) {
    if (code == BN_CLICKED && OnClick) OnClick();
    return true;
}

}  // namespace widgets
