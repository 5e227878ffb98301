// A check box. Setting the check in code sends no click: where a window's
// click handler must run after such a change, the window calls it itself.
#pragma once

#include <functional>
#include <string>

#include "zorvel/widgets/window.h"

namespace widgets {

class CheckBox : public Control {
public:
    void Create(HWND parent, const std::wstring& caption, int x, int y, int width, int height);
    bool Checked() const { return Send(BM_GETCHECK) == BST_CHECKED; }
    void SetChecked(bool checked) const { Send(BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED); }

    std::function<void()> OnClick;  // the operator changed the check

    bool OnCommand(WORD code, WORD id) override;
};

}  // namespace widgets
