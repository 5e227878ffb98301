// FormInput: a small text-input dialog (a label, an edit field, OK and
// cancel). Created and kept like the other windows; nothing opens it yet.
#pragma once

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/dialog.h"

class TFormInput : public widgets::Dialog {
public:
    explicit TFormInput(HWND owner);

    widgets::Label Label;
    widgets::Edit Edit;
};
