// A flat toolbar with three image lists (normal, hot, disabled), its buttons
// and their hints given as one table, and a hand cursor over the buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "zorvel/widgets/subclass.h"

namespace widgets {

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
    // New image lists (pictures drawn for another scale): the buttons keep their
    // design size and take the pictures' size.
    void SetImageLists(HIMAGELIST normal, HIMAGELIST hot, HIMAGELIST disabled) const;
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
    void Rescale() override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    const Button* Find(int id) const;
    void SetButtonSize() const;
    std::vector<Button> buttons_;
    SIZE buttonSize_{};  // design units
};

}  // namespace widgets
