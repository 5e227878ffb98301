// A pop-up menu. Items carry the command, the caption, the shortcut text and
// the index of their picture. Once owner-drawn, the menu measures and draws
// its items through OnMeasureItem / OnDrawItem: the window that opened it
// reflects WM_MEASUREITEM and WM_DRAWITEM here.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "zorvel/widgets/window.h"

namespace widgets {

class PopupMenu : public MenuPainter {
public:
    struct Item {
        UINT Id;
        std::wstring Caption;  // "-" is a separator
        std::wstring ShortCut;
        int ImageIndex = -1;
        bool AutoCheck = false;
        std::function<void()> OnClick;
    };
    PopupMenu() = default;
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    ~PopupMenu() override;
    void Create(std::vector<Item> items);
    // Every item from now on is drawn by OnDrawItem (and measured by OnMeasureItem).
    void SetOwnerDrawn();
    void SetChecked(UINT id, bool checked) const;
    bool Checked(UINT id) const;
    void SetEnabled(UINT id, bool enabled) const;
    bool ItemEnabled(UINT id) const;
    void SetImageIndex(UINT id, int index);
    int ImageIndex(UINT id) const;
    const Item* Find(UINT id) const;
    // Runs the item as a click would (auto-check included).
    void Choose(UINT id);
    // Opens the menu at a screen point and runs the chosen item.
    void Popup(HWND owner, POINT screen);
    operator HMENU() const { return menu_; }

    std::function<void()> OnPopup;  // before the menu opens
    std::function<void(MEASUREITEMSTRUCT*, const Item&)> OnMeasureItem;
    std::function<void(DRAWITEMSTRUCT*, const Item&)> OnDrawItem;

    void MeasureMenuItem(MEASUREITEMSTRUCT* item) override;
    void DrawMenuItem(DRAWITEMSTRUCT* item) override;

private:
    Item* FindItem(UINT id);
    HMENU menu_ = nullptr;
    std::vector<Item> items_;
};

}  // namespace widgets
