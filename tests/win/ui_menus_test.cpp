// Owner-drawn menus under Wine: the painter's pixels in each item state, the
// rebuilt system menu of the four windows that have one, what the platform
// grays in the time dialog's menu, and the main window's about command.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "ui_support.h"
#include "zorvel/Forms.h"
#include "zorvel/resources/resource.h"
#include "zorvel/widgets/menupainter.h"
#include "zorvel/widgets/systemmenu.h"

using namespace widgets;

namespace {

const COLORREF kRed = RGB(255, 0, 0), kBlack = RGB(0, 0, 0), kSentinel = RGB(1, 2, 3);

COLORREF Menu() { return GetSysColor(COLOR_MENU); }

// One menu item painted alone on a canvas of the item's size. With visual
// styles on (as under this Wine) the text colours are the style's, so text is
// probed for where it lies: "ink" is a pixel that differs from its row 2 px
// from the right edge (past any text, under the highlight bar), rows 3 px
// clear of the focus frame.
struct Painted {
    std::unique_ptr<Canvas> canvas;
    Painted(int width, int height) : canvas(std::make_unique<Canvas>(width, height)) { canvas->Fill(kSentinel); }
    HDC Dc() const { return canvas->Dc(); }
    RECT Rect() const { return RECT{0, 0, canvas->Width(), canvas->Height()}; }
    COLORREF At(int x, int y) const { return canvas->Pixel(x, y); }
    // The first and the last column with ink in [x0, x1), -1 when none.
    std::pair<int, int> Ink(int x0, int x1) const {
        std::pair<int, int> span{-1, -1};
        for (int x = x0; x < x1 && x < canvas->Width() - 2; ++x)
            for (int y = 3; y < canvas->Height() - 3; ++y)
                if (At(x, y) != At(canvas->Width() - 2, y)) {
                    if (span.first < 0) span.first = x;
                    span.second = x;
                }
        return span;
    }
    bool Has(COLORREF colour, int x0) const {
        for (int x = x0; x < canvas->Width(); ++x)
            for (int y = 0; y < canvas->Height(); ++y)
                if (At(x, y) == colour) return true;
        return false;
    }
    // Whether frame `frame` of picture `index` lies at (x, y): every pixel the
    // picture does not leave out is compared.
    bool ShowsFrame(const StripList& list, int index, int frame, int x, int y) const {
        Painted alone(list.FrameWidth(index), list.Height(index));
        list.Draw(alone.Dc(), index, frame, 0, 0);
        int compared = 0;
        for (int j = 0; j < list.Height(index); ++j)
            for (int i = 0; i < list.FrameWidth(index); ++i) {
                if (alone.At(i, j) == kSentinel) continue;
                if (At(x + i, y + j) != alone.At(i, j)) return false;
                ++compared;
            }
        return compared > 0;
    }
};

MENUITEMINFOW ItemInfo(UINT mask) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = mask;
    return info;
}

StripList Strip(int resource, int imageWidth = 0) {
    StripList list;
    list.Add(Bitmap::FromResource(resource), imageWidth);
    return list;
}

TEST(MenuPainter, PopupItemsInEachState) {
    const StripList images = Strip(IDB_MENU16, 64), checks = Strip(IDB_CHECK_CHECKED);
    const MenuLook look{&checks, nullptr, &images, &kRed, 16};
    const PopupMenu::Item copy{1, L"Копировать", L"Ctrl+C", 3, false, nullptr};
    struct Case {
        const char* name;
        UINT state;
        int frame;
    } cases[] = {{"normal", 0, kFrameNormal}, {"selected", ODS_SELECTED, kFrameHighlighted}, {"grayed", ODS_GRAYED, kFrameDisabled}};
    for (const Case& c : cases) {
        Painted item(200, 30);
        PaintPopupMenuItem(copy, false, item.Dc(), item.Rect(), c.state, look, Menu());
        // Picture 3 px in, vertically centred; caption 3 px after it (a glyph may keep a pixel of bearing).
        EXPECT_TRUE(item.ShowsFrame(images, 3, c.frame, 3, 7)) << c.name;
        EXPECT_NEAR(23, item.Ink(20, 120).first, 1) << c.name;
        // The shortcut ends 6 px before the right edge.
        EXPECT_NEAR(192, item.Ink(120, 200).second, 1) << c.name;
        if (c.state == ODS_SELECTED) {
            EXPECT_EQ(kRed, item.At(100, 2)) << "upper bar";
            EXPECT_EQ(RGB(223, 0, 0), item.At(100, 28)) << "lower bar, 7/8";
        } else {
            EXPECT_EQ(Menu(), item.At(100, 1)) << c.name;
        }
        if (c.state == ODS_GRAYED) {
            EXPECT_FALSE(item.Has(kBlack, 22)) << "grey text";
        }
    }
    // A checked item shows the check mark before its picture; "-" is a grey line.
    Painted checked(200, 30);
    PaintPopupMenuItem({3, L"Обновлять", L"", 0, true, nullptr}, true, checked.Dc(), checked.Rect(), 0, look, Menu());
    EXPECT_TRUE(checked.ShowsFrame(checks, 0, kFrameNormal, 3, 7));
    EXPECT_TRUE(checked.ShowsFrame(images, 0, kFrameNormal, 19, 7));
    Painted line(200, 30);
    PaintPopupMenuItem({2, L"-", L"", -1, false, nullptr}, false, line.Dc(), line.Rect(), 0, look, Menu());
    const COLORREF gray = GetSysColor(COLOR_GRAYTEXT);
    EXPECT_EQ((std::vector<COLORREF>{Menu(), gray, gray, Menu()}),
              (std::vector<COLORREF>{line.At(5, 15), line.At(6, 15), line.At(195, 15), line.At(196, 15)}));
}

TEST(MenuPainter, PopupItemsAreMeasuredByTheirText) {
    const StripList images = Strip(IDB_MENU16, 64);
    const PopupMenu::Item item{1, L"Установить текущую Дату/Время", L"", 9, false, nullptr};
    const SIZE size = MeasurePopupMenuItem(item, MenuLook{nullptr, nullptr, &images, nullptr, 16});
    Painted drawn(size.cx, size.cy);
    PaintPopupMenuItem(item, false, drawn.Dc(), drawn.Rect(), 0, MenuLook{nullptr, nullptr, &images, nullptr, 16}, Menu());
    const int textEnd = drawn.Ink(22, size.cx).second;
    EXPECT_GT(textEnd, 150);
    EXPECT_LT(textEnd, size.cx - 6) << "the caption is not clipped";
    EXPECT_EQ(size.cx + 4, MeasurePopupMenuItem(item, MenuLook{nullptr, nullptr, &images, nullptr, 20}).cx);
}

// Paints one system-menu item of `form` through the form's own procedure.
Painted PaintSystemItem(HWND form, UINT command, UINT state) {
    Painted item(kSystemMenuItemWidth, kSystemMenuItemHeight);
    DRAWITEMSTRUCT draw{ODT_MENU, 0, command, ODA_DRAWENTIRE, state,
                        reinterpret_cast<HWND>(GetSystemMenu(form, FALSE)), item.Dc(), item.Rect(), 0};
    SendMessageW(form, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    return item;
}

TEST(SystemMenu, EveryWindowHasTheRebuiltItems) {
    TForms w;
    // Commands in order, 0 for a separator; every item but a separator owner-drawn with item data 0.
    const std::vector<UINT> common{SC_RESTORE, SC_MOVE, SC_MINIMIZE, SC_MAXIMIZE, 0, SC_CLOSE};
    std::vector<UINT> main = common;
    main.insert(main.end(), {0, kAboutCommand});
    for (auto [form, expected] : {std::pair<HWND, std::vector<UINT>>{w.FormMain, main}, {w.FormSett, common},
                                  {w.FormTime, common}, {w.FormAbout, common}}) {
        HMENU menu = GetSystemMenu(form, FALSE);
        const int count = GetMenuItemCount(menu), wine = count - static_cast<int>(expected.size());
        // Wine adds an item of its own (and a separator) ahead of ours.
        ASSERT_TRUE(wine >= 0 && wine <= 2) << count;
        for (int i = 0; i < count; ++i) {
            MENUITEMINFOW info = ItemInfo(MIIM_FTYPE | MIIM_ID | MIIM_DATA);
            GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
            const bool separator = (info.fType & MFT_SEPARATOR) != 0;
            EXPECT_NE(static_cast<UINT>(SC_SIZE), info.wID);
            if (i < wine) continue;
            const UINT want = expected[static_cast<std::size_t>(i - wine)];
            EXPECT_EQ(want, separator ? 0u : info.wID) << i;
            EXPECT_EQ(want != 0, (info.fType & MFT_OWNERDRAW) != 0) << i;
            EXPECT_EQ(0u, info.dwItemData);
        }
        MEASUREITEMSTRUCT measure{ODT_MENU, 0, SC_CLOSE, 0, 0, 0};
        SendMessageW(form, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        EXPECT_EQ(120u, measure.itemWidth);
        EXPECT_EQ(30u, measure.itemHeight);
        // The close item: the cross 6 px in, the caption 3 px after it, the key name ending 6 px before the edge.
        Painted close = PaintSystemItem(form, SC_CLOSE, 0);
        EXPECT_TRUE(close.ShowsFrame(Strip(IDB_CLOSE), 0, kFrameNormal, 6, 7));
        EXPECT_NEAR(26, close.Ink(23, 60).first, 1);
        EXPECT_NEAR(112, close.Ink(60, 120).second, 1);
    }
    // The time dialog names Ctrl+F4 instead of Alt+F4: only the right part differs.
    Painted time = PaintSystemItem(w.FormTime, SC_CLOSE, 0), sett = PaintSystemItem(w.FormSett, SC_CLOSE, 0);
    int left = 0, right = 0;
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 30; ++y) (x < 60 ? left : right) += time.At(x, y) != sett.At(x, y);
    EXPECT_EQ(0, left);
    EXPECT_GT(right, 0);
    // The about item: the logo's first frame, or its third on the red bar; no text.
    const StripList logo = Strip(IDB_ABOUT);
    EXPECT_TRUE(PaintSystemItem(w.FormMain, kAboutCommand, 0).ShowsFrame(logo, 0, kFrameNormal, 6, 3));
    Painted hot = PaintSystemItem(w.FormMain, kAboutCommand, ODS_SELECTED);
    EXPECT_TRUE(hot.ShowsFrame(logo, 0, kFrameHighlighted, 6, 3));
    EXPECT_EQ(kRed, hot.At(2, 2));
    // The pop-up items the layer owns are measured by their text, not forced to the system size.
    MENUITEMINFOW info = ItemInfo(MIIM_DATA);
    GetMenuItemInfoW(w.FormMain.PopupMenuDateTime, TFormMain::miSetCurrent, FALSE, &info);
    MEASUREITEMSTRUCT popup{ODT_MENU, 0, TFormMain::miSetCurrent, 0, 0, info.dwItemData};
    SendMessageW(w.FormMain, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&popup));
    EXPECT_GT(popup.itemWidth, 150u);
}

// Records the menu items the watched window draws and closes its menu as
// soon as the menu waits for the operator.
HWND g_watched = nullptr;
std::vector<std::pair<UINT, UINT>> g_drawn;  // command, state

LRESULT CALLBACK WatchMenu(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && m->hwnd == g_watched && m->message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(m->lParam);
        if (item->CtlType == ODT_MENU) g_drawn.emplace_back(item->itemID, item->itemState);
    }
    if (code == HC_ACTION && m->hwnd == g_watched && m->message == WM_ENTERIDLE)
        PostMessageW(g_watched, WM_CANCELMODE, 0, 0);
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST(SystemMenu, TheTimeDialogDrawsWhatThePlatformGraysWithTheDisabledFrame) {
    TForms w;
    w.FormTime.ShowInactive(true);
    uitest::FlushEvents(50);
    g_watched = w.FormTime;
    g_drawn.clear();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &WatchMenu, nullptr, GetCurrentThreadId());
    // A menu that never waits for input still closes.
    UINT_PTR deadline = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    SendMessageW(w.FormTime, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    KillTimer(nullptr, deadline);
    UnhookWindowsHookEx(hook);
    w.FormTime.ShowInactive(false);

    auto grayed = [](UINT command) {
        for (const auto& [id, state] : g_drawn)
            if (id == command) return (state & (ODS_GRAYED | ODS_DISABLED)) ? 1 : 0;
        return -1;  // not drawn
    };
    EXPECT_EQ((std::vector<int>{1, 1, 1, 0, 0}),
              (std::vector<int>{grayed(SC_MINIMIZE), grayed(SC_MAXIMIZE), grayed(SC_RESTORE), grayed(SC_MOVE),
                                grayed(SC_CLOSE)}));
    Painted item = PaintSystemItem(w.FormTime, SC_MINIMIZE, ODS_GRAYED);
    EXPECT_TRUE(item.ShowsFrame(Strip(IDB_MINIMIZE), 0, kFrameDisabled, 6, 7));
    EXPECT_NEAR(26, item.Ink(23, 110).first, 1);
    EXPECT_FALSE(item.Has(kBlack, 23)) << "grey text";
}

// The settings dialog's edit menu, opened by the operator's right click on
// the port field: every item drawn through the dialog by the painter, with
// the main window's menu pictures and the dialog's highlight colour, and
// widened by a picture strip's width.
TEST(PopupMenus, TheSettingsDialogsEditMenuIsPaintedLikeTheMainWindows) {
    TForms w;
    TFormSett& s = w.FormSett;
    s.Show(true);
    s.EditTCP_Port.SetText(L"5000");
    s.EditTCP_Port.Focus();
    s.EditTCP_Port.Send(EM_SETSEL, 0, 0);
    uitest::FlushEvents(50);
    g_watched = s;
    g_drawn.clear();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &WatchMenu, nullptr, GetCurrentThreadId());
    UINT_PTR deadline = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    RECT field;
    GetWindowRect(s.EditTCP_Port, &field);
    SendMessageW(s.EditTCP_Port, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(s.EditTCP_Port.hwnd),
                 MAKELPARAM(field.left + 5, field.top + 5));
    KillTimer(nullptr, deadline);
    UnhookWindowsHookEx(hook);
    // Nothing selected: cut and copy grayed; the default always there.
    std::vector<std::pair<UINT, bool>> drawn;
    for (const auto& [id, state] : g_drawn) drawn.emplace_back(id, (state & (ODS_GRAYED | ODS_DISABLED)) != 0);
    const bool clipboardText = IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
    EXPECT_EQ((std::vector<std::pair<UINT, bool>>{{TFormSett::miCut, true},
                                                   {TFormSett::miCopy, true},
                                                   {TFormSett::miPaste, !clipboardText},
                                                   {TFormSett::miDefault, false}}),
              drawn);

    // The same item is 48 px wider here than in the main window's menu (64 against 16).
    auto measure = [](HWND form, HMENU menu, UINT id) {
        MENUITEMINFOW info = ItemInfo(MIIM_FTYPE | MIIM_DATA);
        GetMenuItemInfoW(menu, id, FALSE, &info);
        EXPECT_NE(0u, info.fType & MFT_OWNERDRAW);
        MEASUREITEMSTRUCT item{ODT_MENU, 0, id, 0, 0, info.dwItemData};
        SendMessageW(form, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&item));
        return item;
    };
    const MEASUREITEMSTRUCT here = measure(s, s.PopupMenu, TFormSett::miCopy);
    const MEASUREITEMSTRUCT main = measure(w.FormMain, w.FormMain.PopupMenuStandart, TFormMain::miCopy);
    EXPECT_EQ(main.itemWidth + 48, here.itemWidth);
    EXPECT_EQ(main.itemHeight, here.itemHeight);

    // Painted through the dialog: picture 3 px in, vertically centred, in the state's frame.
    const StripList images = Strip(IDB_MENU16, 64);
    struct Case {
        UINT id, state;
        int picture, frame;
    } cases[] = {{TFormSett::miCut, ODS_GRAYED, 2, kFrameDisabled},
                 {TFormSett::miCopy, ODS_SELECTED, 3, kFrameHighlighted},
                 {TFormSett::miPaste, 0, 4, kFrameNormal},
                 {TFormSett::miDefault, 0, 8, kFrameNormal}};
    s.SetHighlightColour(RGB(0, 0, 255));
    for (const Case& c : cases) {
        MENUITEMINFOW info = ItemInfo(MIIM_DATA);
        GetMenuItemInfoW(s.PopupMenu, c.id, FALSE, &info);
        Painted item(static_cast<int>(here.itemWidth), static_cast<int>(here.itemHeight));
        DRAWITEMSTRUCT draw{ODT_MENU, 0, c.id, ODA_DRAWENTIRE, c.state,
                            reinterpret_cast<HWND>(static_cast<HMENU>(s.PopupMenu)), item.Dc(), item.Rect(),
                            info.dwItemData};
        SendMessageW(s, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        EXPECT_TRUE(item.ShowsFrame(images, c.picture, c.frame, 3, (item.canvas->Height() - 16) / 2)) << c.id;
        EXPECT_NEAR(23, item.Ink(20, 120).first, 1) << c.id;
        EXPECT_EQ(c.state == ODS_SELECTED ? RGB(0, 0, 255) : Menu(), item.At(item.canvas->Width() / 2, 2)) << c.id;
    }
    s.Show(false);
}

// The about window's copy menu: drawn by the painter with the window's own
// copy picture and highlight colour, 4 px wider than the main window's items.
TEST(PopupMenus, TheAboutWindowsCopyMenuIsPaintedByThePainter) {
    TForms w;
    TFormAbout& a = w.FormAbout;
    MENUITEMINFOW info = ItemInfo(MIIM_FTYPE | MIIM_DATA);
    GetMenuItemInfoW(a.PopupMenu, TFormAbout::miCopy, FALSE, &info);
    ASSERT_NE(0u, info.fType & MFT_OWNERDRAW);
    MEASUREITEMSTRUCT here{ODT_MENU, 0, TFormAbout::miCopy, 0, 0, info.dwItemData};
    SendMessageW(a, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&here));
    MENUITEMINFOW mainInfo = ItemInfo(MIIM_DATA);
    GetMenuItemInfoW(w.FormMain.PopupMenuStandart, TFormMain::miCopy, FALSE, &mainInfo);
    MEASUREITEMSTRUCT main{ODT_MENU, 0, TFormMain::miCopy, 0, 0, mainInfo.dwItemData};
    SendMessageW(w.FormMain, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&main));
    EXPECT_EQ(main.itemWidth + 4, here.itemWidth);
    EXPECT_EQ(main.itemHeight, here.itemHeight);

    const StripList images = Strip(IDB_GLYPH_COPY64, 64);
    a.SetHighlightColour(RGB(0, 0, 255));
    for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
        Painted item(static_cast<int>(here.itemWidth), static_cast<int>(here.itemHeight));
        DRAWITEMSTRUCT draw{ODT_MENU, 0, TFormAbout::miCopy, ODA_DRAWENTIRE, state,
                            reinterpret_cast<HWND>(static_cast<HMENU>(a.PopupMenu)), item.Dc(), item.Rect(),
                            info.dwItemData};
        SendMessageW(a, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
        EXPECT_TRUE(item.ShowsFrame(images, 0, state ? kFrameHighlighted : kFrameNormal, 3,
                                    (item.canvas->Height() - 16) / 2)) << state;
        EXPECT_EQ(state ? RGB(0, 0, 255) : Menu(), item.At(item.canvas->Width() / 2, 2)) << state;
    }
}

TEST(SystemMenu, TheAboutCommandOpensTheAboutWindowLikeItsButton) {
    TForms w;
    static TForms* forms;
    static bool seen;
    static int ticks;
    forms = &w, seen = false, ticks = 0;
    // Closes the modal about window once it shows, or after five seconds whatever happens.
    UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
        seen = seen || forms->FormAbout.Visible();
        if (seen || ++ticks > 100) forms->FormAbout.ModalResult = mrCancel;
    });
    SendMessageW(w.FormMain, WM_SYSCOMMAND, kAboutCommand, 0);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(seen);
    EXPECT_FALSE(w.FormAbout.Visible());
    EXPECT_TRUE(w.FormMain.Enabled()) << "the modal loop gave the owner back";
}

}  // namespace
