// A stock control whose window procedure is extended with SetWindowSubclass;
// the subclass goes with the object.
#pragma once

#include "zorvel/widgets/window.h"

namespace widgets {

class SubclassedControl : public Control {
public:
    ~SubclassedControl() override;

protected:
    void Subclass();
    // True when the message is handled and `result` holds the answer.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    bool subclassed_ = false;
};

// The screen point of a WM_CONTEXTMENU; below the control's left edge when
// the menu was asked for from the keyboard.
POINT ContextMenuPoint(HWND control, LPARAM lp);

}  // namespace widgets
