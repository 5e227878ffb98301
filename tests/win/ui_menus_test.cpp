// Owner-drawn menus under Wine: the painter's pixels in each item state, the
// rebuilt system menu of the four windows that have one, what the platform
// grays in the time dialog's menu, and the main window's about command.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/resources/resource.h"
#include "zorvel/widgets/menupainter.h"
#include "zorvel/widgets/systemmenu.h"

using namespace widgets;

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kSentinel = RGB(1, 2, 3);

COLORREF Menu() { return GetSysColor(COLOR_MENU); }
COLORREF Gray() { return GetSysColor(COLOR_GRAYTEXT); }

// One menu item painted alone on a canvas of the item's size.
struct Painted {
    std::unique_ptr<Canvas> owned;
    Canvas& canvas;
    Painted(int width, int height) : owned(std::make_unique<Canvas>(width, height)), canvas(*owned) {
        canvas.Fill(kSentinel);
    }
    Painted(Painted&& other) noexcept : owned(std::move(other.owned)), canvas(*owned) {}
    COLORREF At(int x, int y) const { return canvas.Pixel(x, y); }
    RECT Rect() const { return RECT{0, 0, canvas.Width(), canvas.Height()}; }
    int Count(COLORREF colour, int x0 = 0, int x1 = -1) const {
        if (x1 < 0) x1 = canvas.Width();
        int n = 0;
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = x0; x < x1; ++x) n += At(x, y) == colour;
        return n;
    }
    // Text is "ink": pixels that differ from the row's background, taken 2 px
    // from the right edge (under the highlight bar, past any text). The top
    // and bottom rows are left out: the focus frame lies there.
    bool Ink(int x, int y) const { return At(x, y) != At(canvas.Width() - 2, y); }
    int RightmostInk(int x0) const {
        for (int x = canvas.Width() - 3; x >= x0; --x)
            for (int y = 3; y < canvas.Height() - 3; ++y)
                if (Ink(x, y)) return x;
        return -1;
    }
    int LeftmostInk(int x0) const {
        for (int x = x0; x < canvas.Width() - 2; ++x)
            for (int y = 3; y < canvas.Height() - 3; ++y)
                if (Ink(x, y)) return x;
        return -1;
    }
    // Whether frame `frame` of picture `index` of `list` is what lies at (x, y):
    // every pixel the picture does not leave out is compared.
    bool ShowsFrame(const StripList& list, int index, int frame, int x, int y) const {
        Canvas alone(list.FrameWidth(index), list.Height(index));
        alone.Fill(kSentinel);
        list.Draw(alone.Dc(), index, frame, 0, 0);
        int compared = 0;
        for (int j = 0; j < alone.Height(); ++j)
            for (int i = 0; i < alone.Width(); ++i) {
                COLORREF want = alone.Pixel(i, j);
                if (want == kSentinel) continue;
                if (At(x + i, y + j) != want) return false;
                ++compared;
            }
        return compared > 0;
    }
};

StripList Strip(int resource, int imageWidth = 0) {
    StripList list;
    list.Add(Bitmap::FromResource(resource), imageWidth);
    return list;
}

// ---- the pop-up entry ------------------------------------------------------------------

TEST(MenuPainter, PopupItemsInEachState) {
    const StripList images = Strip(IDB_MENU16, 64);
    const StripList checks = Strip(IDB_CHECK_CHECKED);
    const COLORREF highlight = kRed;
    const MenuLook look{&checks, nullptr, &images, &highlight, 16};
    const PopupMenu::Item copy{1, L"Копировать", L"Ctrl+C", 3, false, nullptr};

    // The text colours are the style's when visual styles are on (as under
    // this Wine), so the text is probed for where it lies, not its colour.
    struct Case {
        const char* name;
        UINT state;
        int frame;
    } cases[] = {{"normal", 0, kFrameNormal}, {"selected", ODS_SELECTED, kFrameHighlighted}, {"grayed", ODS_GRAYED, kFrameDisabled}};
    for (const Case& c : cases) {
        Painted item(200, 30);
        PaintPopupMenuItem(copy, false, item.canvas.Dc(), item.Rect(), c.state, look, Menu());
        // The picture sits 3 px in, vertically centred, in the state's frame.
        EXPECT_TRUE(item.ShowsFrame(images, 3, c.frame, 3, 7)) << c.name;
        EXPECT_NEAR(23, item.LeftmostInk(20), 1) << c.name << ": caption after the picture and 3 px";
        // The shortcut ends 6 px before the right edge (glyphs keep a pixel or two of bearing).
        const int right = item.RightmostInk(120);
        EXPECT_LT(right, 200 - 6) << c.name;
        EXPECT_GE(right, 200 - 6 - 3) << c.name;
        if (c.state == ODS_GRAYED) {
            EXPECT_EQ(0, item.Count(RGB(0, 0, 0), 22, 200)) << "no black text";
        }
        if (c.state == ODS_SELECTED) {
            EXPECT_EQ(kRed, item.At(100, 2)) << "upper bar";
            EXPECT_EQ(RGB(223, 0, 0), item.At(100, 28)) << "lower bar, 7/8";
        } else {
            EXPECT_EQ(Menu(), item.At(100, 1)) << c.name << ": filled with the menu colour";
        }
    }

    // A checked item shows the check mark before its picture; "-" is a grey line.
    Painted checked(200, 30);
    PaintPopupMenuItem({3, L"Обновлять", L"", 0, true, nullptr}, true, checked.canvas.Dc(), checked.Rect(), 0, look,
                       Menu());
    EXPECT_TRUE(checked.ShowsFrame(checks, 0, kFrameNormal, 3, 7));
    EXPECT_TRUE(checked.ShowsFrame(images, 0, kFrameNormal, 19, 7));
    Painted line(200, 30);
    PaintPopupMenuItem({2, L"-", L"", -1, false, nullptr}, false, line.canvas.Dc(), line.Rect(), 0, look, Menu());
    EXPECT_EQ(Menu(), line.At(5, 15));
    EXPECT_EQ(Gray(), line.At(6, 15));
    EXPECT_EQ(Gray(), line.At(195, 15));
    EXPECT_EQ(Menu(), line.At(196, 15));
}

TEST(MenuPainter, PopupItemsAreMeasuredByTheirTextNotAFixedSize) {
    const StripList images = Strip(IDB_MENU16, 64);
    const MenuLook look{nullptr, nullptr, &images, nullptr, 16};
    const PopupMenu::Item item{1, L"Установить текущую Дату/Время", L"", 9, false, nullptr};
    const SIZE size = MeasurePopupMenuItem(item, look);
    // Everything the painter puts in the row fits: margins, picture, caption.
    EXPECT_GT(size.cx, 200);
    Painted drawn(size.cx, size.cy);
    PaintPopupMenuItem(item, false, drawn.canvas.Dc(), drawn.Rect(), 0, look, Menu());
    const int textRight = drawn.RightmostInk(0);
    EXPECT_GT(textRight, 100);
    EXPECT_LT(textRight, size.cx - 6) << "the caption is not clipped";
    // The owner's adjustment goes on top.
    EXPECT_EQ(size.cx + 4, MeasurePopupMenuItem(item, MenuLook{nullptr, nullptr, &images, nullptr, 20}).cx);
}

// ---- the system menus ------------------------------------------------------------------

struct SystemItem {
    UINT id;
    bool separator, ownerDrawn;
    bool operator==(const SystemItem& o) const {
        return id == o.id && separator == o.separator && ownerDrawn == o.ownerDrawn;
    }
};

std::vector<SystemItem> ItemsOf(HMENU menu) {
    std::vector<SystemItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        const bool separator = (info.fType & MFT_SEPARATOR) != 0;
        items.push_back({separator ? 0u : info.wID, separator, (info.fType & MFT_OWNERDRAW) != 0});
        EXPECT_EQ(0u, info.dwItemData);
    }
    return items;
}

// Paints one system-menu item of `form` through the form's own procedure.
Painted PaintSystemItem(HWND form, UINT command, UINT state) {
    Painted item(kSystemMenuItemWidth, kSystemMenuItemHeight);
    DRAWITEMSTRUCT draw{ODT_MENU, 0, command, ODA_DRAWENTIRE, state,
                        reinterpret_cast<HWND>(GetSystemMenu(form, FALSE)), item.canvas.Dc(), item.Rect(), 0};
    SendMessageW(form, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    return item;
}

TEST(SystemMenu, EveryWindowHasTheRebuiltItems) {
    TForms w;
    const SystemItem restore{SC_RESTORE, false, true}, move{SC_MOVE, false, true}, min{SC_MINIMIZE, false, true},
        max{SC_MAXIMIZE, false, true}, close{SC_CLOSE, false, true}, about{kAboutCommand, false, true},
        line{0, true, false};
    const std::vector<SystemItem> common{restore, move, min, max, line, close};
    std::vector<SystemItem> main = common;
    main.push_back(line);
    main.push_back(about);
    struct Case {
        const char* name;
        HWND form;
        const std::vector<SystemItem>& items;
    } cases[] = {{"main", w.FormMain, main}, {"settings", w.FormSett, common}, {"time", w.FormTime, common},
                 {"about", w.FormAbout, common}};
    for (const Case& c : cases) {
        std::vector<SystemItem> items = ItemsOf(GetSystemMenu(c.form, FALSE));
        // Wine adds an item of its own (and its separator) ahead of ours.
        ASSERT_GE(items.size(), c.items.size()) << c.name;
        ASSERT_LE(items.size(), c.items.size() + 2) << c.name;
        EXPECT_EQ(c.items, std::vector<SystemItem>(items.end() - static_cast<long>(c.items.size()), items.end()))
            << c.name;
        for (const SystemItem& extra : std::vector<SystemItem>(items.begin(), items.end() - static_cast<long>(c.items.size())))
            EXPECT_FALSE(extra.id == SC_SIZE || extra.ownerDrawn) << c.name;

        MEASUREITEMSTRUCT measure{ODT_MENU, 0, SC_CLOSE, 0, 0, 0};
        SendMessageW(c.form, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        EXPECT_EQ(120u, measure.itemWidth) << c.name;
        EXPECT_EQ(30u, measure.itemHeight) << c.name;

        // The close item: its cross at 6 px, the key name ending 6 px before the right edge.
        Painted item = PaintSystemItem(c.form, SC_CLOSE, 0);
        EXPECT_TRUE(item.ShowsFrame(Strip(IDB_CLOSE), 0, kFrameNormal, 6, 7)) << c.name;
        const int right = item.RightmostInk(60);
        EXPECT_LT(right, 120 - 6) << c.name;
        EXPECT_GE(right, 120 - 6 - 3) << c.name;
        EXPECT_NEAR(26, item.LeftmostInk(23), 1) << c.name << ": caption after the cross and 3 px";
    }

    // The time dialog names Ctrl+F4 instead of Alt+F4: the same caption, another key name.
    Painted time = PaintSystemItem(w.FormTime, SC_CLOSE, 0), sett = PaintSystemItem(w.FormSett, SC_CLOSE, 0);
    int differing = 0;
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 30; ++y) differing += (time.At(x, y) != sett.At(x, y)) * (x < 60 ? 1000 : 1);
    EXPECT_GT(differing, 0);
    EXPECT_LT(differing, 1000) << "only the right part differs";

    // The about item: the logo's first frame, or its third when highlighted; no text.
    const StripList logo = Strip(IDB_ABOUT);
    EXPECT_TRUE(PaintSystemItem(w.FormMain, kAboutCommand, 0).ShowsFrame(logo, 0, kFrameNormal, 6, 3));
    Painted hot = PaintSystemItem(w.FormMain, kAboutCommand, ODS_SELECTED);
    EXPECT_TRUE(hot.ShowsFrame(logo, 0, kFrameHighlighted, 6, 3));
    EXPECT_EQ(kRed, hot.At(2, 2));

    // Items the layer's pop-up menus own are not forced to the system size.
    MEASUREITEMSTRUCT popup{ODT_MENU, 0, TFormMain::miSetCurrent, 0, 0, 0};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(w.FormMain.PopupMenuDateTime, TFormMain::miSetCurrent, FALSE, &info);
    popup.itemData = info.dwItemData;
    SendMessageW(w.FormMain, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&popup));
    EXPECT_GT(popup.itemWidth, 120u);
}

// Records the menu items a window draws while its menu is open, and closes the
// menu the way an operator's Escape would once it waits for input.
struct MenuWatch {
    static inline HWND owner = nullptr;
    static inline std::vector<std::pair<UINT, UINT>> drawn;  // command, state
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        auto* message = reinterpret_cast<CWPSTRUCT*>(lp);
        if (code == HC_ACTION && message->hwnd == owner) {
            if (message->message == WM_DRAWITEM) {
                auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message->lParam);
                if (item->CtlType == ODT_MENU) drawn.emplace_back(item->itemID, item->itemState);
            } else if (message->message == WM_ENTERIDLE) {
                PostMessageW(owner, WM_CANCELMODE, 0, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    // Never wait for a menu that does not close.
    static void CALLBACK Deadline(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }
};

TEST(SystemMenu, TheTimeDialogShowsWhatThePlatformGraysWithTheDisabledFrame) {
    TForms w;
    w.FormTime.ShowInactive(true);
    uitest::FlushEvents(50);
    MenuWatch::owner = w.FormTime;
    MenuWatch::drawn.clear();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &MenuWatch::Hook, nullptr, GetCurrentThreadId());
    UINT_PTR deadline = SetTimer(nullptr, 0, 5000, &MenuWatch::Deadline);
    SendMessageW(w.FormTime, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    KillTimer(nullptr, deadline);
    UnhookWindowsHookEx(hook);
    w.FormTime.ShowInactive(false);

    auto stateOf = [](UINT command) {
        for (const auto& [id, state] : MenuWatch::drawn)
            if (id == command) return state;
        return ~0u;
    };
    for (UINT command : {SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) {
        ASSERT_NE(~0u, stateOf(command)) << command << " was not drawn";
        EXPECT_TRUE(stateOf(command) & (ODS_GRAYED | ODS_DISABLED)) << command;
    }
    for (UINT command : {SC_MOVE, SC_CLOSE}) EXPECT_FALSE(stateOf(command) & (ODS_GRAYED | ODS_DISABLED)) << command;

    Painted grayed = PaintSystemItem(w.FormTime, SC_MINIMIZE, stateOf(SC_MINIMIZE));
    EXPECT_TRUE(grayed.ShowsFrame(Strip(IDB_MINIMIZE), 0, kFrameDisabled, 6, 7));
    EXPECT_NEAR(26, grayed.LeftmostInk(23), 1);
    EXPECT_EQ(0, grayed.Count(RGB(0, 0, 0), 25, 110)) << "no black text";
}

TEST(SystemMenu, TheAboutCommandOpensTheAboutWindowLikeItsButton) {
    TForms w;
    static TForms* forms = nullptr;
    static bool seen = false;
    forms = &w;
    seen = false;
    // Closes the modal about window once it shows, or after five seconds whatever happens.
    static int ticks = 0;
    ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        if (forms->FormAbout.Visible()) seen = true;
        if (seen || ++ticks > 100) forms->FormAbout.ModalResult = mrCancel;
    });
    SendMessageW(w.FormMain, WM_SYSCOMMAND, kAboutCommand, 0);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(w.FormAbout.Visible());
    EXPECT_TRUE(w.FormMain.Enabled()) << "the modal loop gave the owner back";
}

}  // namespace
