// Drop-down lists without free text: the plain one and the owner-drawn one
// with a fixed item height. Both select only existing items: an index
// outside the list, or a text no item has, leaves nothing selected.
#pragma once

#include <functional>
#include <string>

#include "zorvel/widgets/listpainter.h"
#include "zorvel/widgets/window.h"

namespace widgets {

class ListControl : public Control {
public:
    void Add(const std::wstring& text) const;
    void Delete(int index) const { Send(CB_DELETESTRING, static_cast<WPARAM>(index)); }
    void Clear() const { Send(CB_RESETCONTENT); }
    int Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }
    int Index() const { return static_cast<int>(Send(CB_GETCURSEL)); }
    void SetIndex(int index) const;
    // Selects the first item whose text is exactly `text` (case included);
    // false and no selection when there is none.
    bool SelectText(const std::wstring& text) const;
    std::wstring ItemText(int index) const;
    // The selected item's text; "" without a selection.
    std::wstring SelectedText() const { return ItemText(Index()); }
    // Replaces the text of an item; the selection stays where it was.
    void SetItemText(int index, const std::wstring& text) const;
    bool DroppedDown() const { return Send(CB_GETDROPPEDSTATE) != 0; }

    // The operator chose another item (setting the selection in code does not report).
    std::function<void()> OnChange;

    bool OnCommand(WORD code, WORD id) override;
};

// A plain drop-down list.
class DropDownList : public ListControl {
public:
    // `dropHeight` is the height of the open list.
    void Create(HWND parent, int x, int y, int width, int dropHeight = 200);
};

// The owner-drawn list; OnDraw paints the items (with DrawListItem, given
// what PaintItem collects).
class ComboBox : public ListControl {
public:
    void Create(HWND parent, int x, int y, int width, int itemHeight);
    // What the list painter needs of an item the system asks to draw.
    ListItem PaintItem(const DRAWITEMSTRUCT& item) const;

    std::function<void(DRAWITEMSTRUCT*)> OnDraw;

    bool OnDrawItem(DRAWITEMSTRUCT* item) override;
    void Rescale() override;

private:
    void SetItemHeight() const;
    int itemHeight_ = 0;  // design units
};

}  // namespace widgets
