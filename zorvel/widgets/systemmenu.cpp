#include "zorvel/widgets/systemmenu.h"

#include <commctrl.h>

#include <array>
#include <memory>
#include <string>

#include "zorvel/resources/resource.h"
#include "zorvel/widgets/images.h"
#include "zorvel/widgets/menupainter.h"
#include "zorvel/widgets/window.h"

namespace widgets {

namespace {

struct Entry {
    UINT Command;
    int Picture;
    const wchar_t* Caption;  // null: the close caption of the window, or none for the about item
};

const std::array<Entry, 6> kEntries{{{SC_RESTORE, IDB_RESTORE, L"Восстановить"},
                                     {SC_MOVE, IDB_MOVE, L"Переместить"},
                                     {SC_MINIMIZE, IDB_MINIMIZE, L"Свернуть"},
                                     {SC_MAXIMIZE, IDB_MAXIMIZE, L"Развернуть"},
                                     {SC_CLOSE, IDB_CLOSE, nullptr},
                                     {kAboutCommand, IDB_ABOUT, nullptr}}};

// What one window's menu draws from; deleted with the window.
struct SystemMenu {
    const COLORREF* Highlight;
    SystemMenuOptions Options;
    std::array<StripList, kEntries.size()> Pictures;  // empty where a picture did not load

    int Find(UINT command) const {
        for (std::size_t i = 0; i < kEntries.size(); ++i)
            if (kEntries[i].Command == command && (command != kAboutCommand || Options.OnAbout))
                return static_cast<int>(i);
        return -1;
    }
    const wchar_t* Caption(int entry) const {
        if (kEntries[static_cast<std::size_t>(entry)].Command == SC_CLOSE) return Options.CloseCaption;
        return kEntries[static_cast<std::size_t>(entry)].Caption;
    }
};

const UINT_PTR kSubclassId = 0x5359;  // "SY"

// Items the platform owns carry no item data; the layer's pop-up items carry their painter.
bool IsSystemItem(UINT type, ULONG_PTR data) { return type == ODT_MENU && data == 0; }

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
    auto* menu = reinterpret_cast<SystemMenu*>(data);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &Proc, id);
        delete menu;
        return DefSubclassProc(hwnd, msg, wp, lp);
    }
    // Every message goes on to the window's own procedure after this.
    Guarded(hwnd, [&]() -> LRESULT {
        switch (msg) {
            case WM_MEASUREITEM: {
                auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
                if (IsSystemItem(item->CtlType, item->itemData) && menu->Find(item->itemID) >= 0) {
                    const Scale scale = ScaleOf(hwnd);
                    item->itemWidth = static_cast<UINT>(scale.Px(kSystemMenuItemWidth));
                    item->itemHeight = static_cast<UINT>(scale.Px(kSystemMenuItemHeight));
                }
                break;
            }
            case WM_DRAWITEM: {
                auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
                const int entry = IsSystemItem(item->CtlType, item->itemData) ? menu->Find(item->itemID) : -1;
                if (entry >= 0)
                    PaintPlatformMenuItem(*item, &menu->Pictures[static_cast<std::size_t>(entry)], 0,
                                          GetSysColor(COLOR_MENU), *menu->Highlight, menu->Caption(entry));
                break;
            }
            case WM_SYSCOMMAND:
                // The low four bits of other commands are the system's own; this one is ours, whole.
                if (wp == kAboutCommand && menu->Options.OnAbout) menu->Options.OnAbout();
                break;
            default:
                break;
        }
        return 0;
    });
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void InstallSystemMenu(HWND window, const COLORREF& highlight, SystemMenuOptions options) {
    auto menu = std::make_unique<SystemMenu>();
    menu->Highlight = &highlight;
    menu->Options = std::move(options);
    // Only the pictures of the items this menu has: the maker's logo is the
    // largest and only the window with an about item shows it.
    for (std::size_t i = 0; i < kEntries.size(); ++i)
        if (kEntries[i].Command != kAboutCommand || menu->Options.OnAbout)
            menu->Pictures[i].Add(Bitmap::FromResource(kEntries[i].Picture, ScaleOf(window)));

    HMENU system = GetSystemMenu(window, FALSE);
    for (UINT command : {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE})
        DeleteMenu(system, command, MF_BYCOMMAND);
    // The separator that was above close. Wine adds an item of its own, so
    // the first item is not always that separator.
    if (GetMenuItemCount(system) > 0 && (GetMenuState(system, 0, MF_BYPOSITION) & MF_SEPARATOR))
        DeleteMenu(system, 0, MF_BYPOSITION);
    for (UINT command : {SC_RESTORE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE})
        AppendMenuW(system, MF_OWNERDRAW, command, nullptr);
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_OWNERDRAW, SC_CLOSE, nullptr);
    if (menu->Options.OnAbout) {
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_OWNERDRAW, kAboutCommand, nullptr);
    }
    if (SetWindowSubclass(window, &Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(menu.get()))) menu.release();
}

}  // namespace widgets
