#include "zorvel/widgets/popupmenu.h"

namespace widgets {


PopupMenu::~PopupMenu() {
    if (menu_) DestroyMenu(menu_);
}

void PopupMenu::Create(std::vector<Item> items) {
    items_ = std::move(items);
    menu_ = CreatePopupMenu();
    for (const Item& item : items_) {
        if (item.Caption == L"-") {
            AppendMenuW(menu_, MF_SEPARATOR, item.Id, nullptr);
            continue;
        }
        std::wstring text = item.ShortCut.empty() ? item.Caption : item.Caption + L"\t" + item.ShortCut;
        AppendMenuW(menu_, MF_STRING, item.Id, text.c_str());
    }
}

void PopupMenu::SetOwnerDrawn() {
    for (const Item& item : items_) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        info.fType = MFT_OWNERDRAW | (item.Caption == L"-" ? MFT_SEPARATOR : 0u);
        info.dwItemData = reinterpret_cast<ULONG_PTR>(static_cast<MenuPainter*>(this));
        SetMenuItemInfoW(menu_, item.Id, FALSE, &info);
    }
}

void PopupMenu::MeasureMenuItem(MEASUREITEMSTRUCT* measure) {
    const Item* item = Find(measure->itemID);
    if (item && OnMeasureItem) OnMeasureItem(measure, *item);
}

void PopupMenu::DrawMenuItem(DRAWITEMSTRUCT* draw) {
    const Item* item = Find(draw->itemID);
    if (item && OnDrawItem) OnDrawItem(draw, *item);
}

PopupMenu::Item* PopupMenu::FindItem(UINT id) {
    for (Item& item : items_)
        if (item.Id == id) return &item;
    return nullptr;
}

void PopupMenu::SetChecked(UINT id, bool checked) const {
    CheckMenuItem(menu_, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool PopupMenu::Checked(UINT id) const { return (GetMenuState(menu_, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

void PopupMenu::SetEnabled(UINT id, bool enabled) const {
    EnableMenuItem(menu_, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool PopupMenu::ItemEnabled(UINT id) const {
    return (GetMenuState(menu_, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

void PopupMenu::SetImageIndex(UINT id, int index) {
    if (Item* item = FindItem(id)) item->ImageIndex = index;
}

int PopupMenu::ImageIndex(UINT id) const {
    const Item* item = Find(id);
    return item ? item->ImageIndex : -1;
}

const PopupMenu::Item* PopupMenu::Find(UINT id) const {
    for (const Item& item : items_)
        if (item.Id == id) return &item;
    return nullptr;
}

void PopupMenu::Choose(UINT id) {
    Item* item = FindItem(id);
    if (!item || !ItemEnabled(id)) return;
    if (item->AutoCheck) SetChecked(id, !Checked(id));
    if (item->OnClick) item->OnClick();
}

void PopupMenu::Popup(HWND owner, POINT screen) {
    if (OnPopup) OnPopup();
    UINT id = static_cast<UINT>(TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, screen.x,
                                               screen.y, 0, owner, nullptr));
    if (id) Choose(id);
}

}  // namespace widgets
