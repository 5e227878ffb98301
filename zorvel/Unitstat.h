// FormStat: a small modeless window without title-bar buttons that tells
// what slow thing happens on the connection (GSM modem status, a TCP
// connection being set up). The main window's timer fills, shows and hides it.
#pragma once

#include <string>

#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/drag.h"
#include "zorvel/widgets/form.h"

class TFormStat : public widgets::Form {
public:
    explicit TFormStat(HWND owner);

    // Caption and text, then shown without taking the input from the main window.
    void ShowStatus(const std::wstring& caption, const std::wstring& text);
    void HideStatus() { ShowInactive(false); }

    widgets::Panel LabelStat;  // fills the window; centred, word-wrapped text

protected:
    void OnShowing() override { CenterOnOwner(); }

private:
    widgets::Font labelFont_;
    widgets::WindowDrag drag_;
};
