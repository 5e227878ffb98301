// The control kinds of the window layer under Wine: what reaches the control
// objects (parent/child routing checked against an expected sequence, as
// Wine's own control tests do), the dialog frame's keys and CanClose, the
// drag helper, and the edge cases of the lists, the grid and the splitter.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "ui_support.h"
#include "zorvel/widgets/controls.h"
#include "zorvel/widgets/dialog.h"
#include "zorvel/widgets/drag.h"
#include "zorvel/widgets/form.h"

using namespace widgets;

namespace {

using Log = std::vector<std::string>;

std::wstring GetWindowTextString(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

class Host : public Form {
public:
    Host() {
        FormOptions o;
        o.Caption = L"Controls";
        o.ClientWidth = 400;
        o.ClientHeight = 300;
        CreateForm(o);
    }
    Log log;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        // Menus opened in a test close as soon as they wait for the operator.
        if (msg == WM_ENTERIDLE && wp == MSGF_MENU) EndMenu();
        return Form::HandleMessage(msg, wp, lp);
    }
};

// An owner-drawn list whose items each ask for their height.
class VariableList : public Control {
public:
    Log* log = nullptr;
    void Create(HWND parent) {
        CreateChild(L"COMBOBOX", L"", WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS, 0,
                    parent, 0, 0, 100, 100);
    }
    bool OnMeasureItem(MEASUREITEMSTRUCT* item) override {
        log->push_back("measure " + std::to_string(item->itemID));
        item->itemHeight = 18;
        return true;
    }
};

// ---- reflection ------------------------------------------------------------------------

TEST(Reflection, NotificationsReachTheirObjectsInsidePanelsAndGroupBoxes) {
    Host form;
    form.Show(true);
    Panel panel;
    panel.Create(form, 0, 0, 400, 300);
    GroupBox group;
    group.Create(panel, L"Группа", 10, 10, 380, 280);
    TrackBar track;
    track.Create(group, 10, 20, 200, 30, TrackBar::Options{20, 100});
    VariableList variable;
    variable.log = &form.log;
    variable.Create(group);
    ComboBox drawn;
    drawn.Create(panel, 10, 200, 150, 24);
    CheckBox check;
    check.Create(group, L"Авто", 10, 60, 100, 20);

    track.OnChange = [&] { form.log.push_back("track " + std::to_string(track.Position())); };
    drawn.OnDraw = [&](DRAWITEMSTRUCT* item) { form.log.push_back("draw " + std::to_string(int(item->itemID))); };
    check.OnClick = [&] { form.log.push_back(std::string("check ") + (check.Checked() ? "on" : "off")); };
    drawn.Add(L"Время");
    drawn.SetIndex(0);
    uitest::PumpPending();  // the first painting of the shown window
    form.log.clear();

    track.Send(WM_KEYDOWN, VK_RIGHT, 0);      // TB_LINEDOWN then TB_ENDTRACK to the group box
    track.SetPosition(50);                    // in code: no report
    variable.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"a"));
    uitest::Rendered face(drawn);             // the closed list's face is owner-drawn
    check.SetChecked(true);                   // in code: no click
    check.Send(BM_CLICK);
    EXPECT_EQ((Log{"track 21", "measure 0", "draw 0", "check off"}), form.log);
}

// Each move of the thumb reaches the owner, and so does the end of the move
// (TB_ENDTRACK), once, after the last of them: from the keys and from a drag
// (Wine ends a drag twice, on the button's release and on losing the capture).
TEST(Reflection, TrackBarReportsEveryMoveAndThenTheEnd) {
    Host form;
    form.Show(true);
    Panel panel;
    panel.Create(form, 0, 0, 400, 300);
    TrackBar track;
    track.Create(panel, 10, 20, 200, 30, TrackBar::Options{20, 100});
    track.OnChange = [&] { form.log.push_back("move " + std::to_string(track.Position())); };
    track.OnEndTrack = [&] { form.log.push_back("end " + std::to_string(track.Position())); };
    uitest::PumpPending();
    form.log.clear();

    track.Send(WM_KEYDOWN, VK_RIGHT, 0);
    track.Send(WM_KEYUP, VK_RIGHT, 0);
    RECT thumb{};
    track.Send(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const int x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
    track.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    track.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 40, y));
    track.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 80, y));
    track.Send(WM_LBUTTONUP, 0, MAKELPARAM(x + 80, y));
    track.Send(WM_CAPTURECHANGED, 0, 0);  // no move since the end: no second end
    track.SetPosition(50);                 // in code: nothing
    // The thumb's track and its place when let go both report the position.
    EXPECT_EQ((Log{"move 21", "end 21", "move 39", "move 58", "move 58", "end 58"}), form.log);
}

TEST(Reflection, EveryControlGetsAFreeNonZeroIdUnlessItNamesOne) {
    Host form;
    Label a, b;
    IpAddress ip;
    SpeedButton ok;
    a.Create(form, L"a", 0, 0, 10, 10, CLR_INVALID);
    ip.Create(form, 0, 0, 100, 20, 1001);
    ok.Create(form, L"OK", 0, 0, 10, 10, nullptr, false, IDOK);
    b.Create(form, L"b", 0, 0, 10, 10, CLR_INVALID);
    EXPECT_EQ(kFirstAutomaticId, a.Id());
    EXPECT_EQ(kFirstAutomaticId + 1, b.Id());
    EXPECT_EQ(1001, ip.Id());
    EXPECT_EQ(IDOK, ok.Id());
}

TEST(Reflection, OwnerDrawnMenuItemsAreMeasuredAndDrawnByTheirMenu) {
    Host form;
    form.Show(true);
    PopupMenu menu;
    menu.Create({{11, L"Копировать", L"Ctrl+C", 2, false, nullptr}, {12, L"-", L"", -1, false, nullptr}});
    menu.SetOwnerDrawn();
    menu.OnMeasureItem = [&](MEASUREITEMSTRUCT* m, const PopupMenu::Item& item) {
        form.log.push_back("measure " + std::to_string(item.Id));
        m->itemWidth = 100;
        m->itemHeight = 20;
    };
    menu.OnDrawItem = [&](DRAWITEMSTRUCT*, const PopupMenu::Item& item) {
        form.log.push_back("draw " + std::to_string(item.Id));
    };
    menu.Popup(form, POINT{50, 50});
    ASSERT_GE(form.log.size(), 2u);
    EXPECT_EQ((Log{"measure 11", "measure 12"}), Log(form.log.begin(), form.log.begin() + 2));

    // A draw request reaches the menu through the item data the menu put there.
    form.log.clear();
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, 12, FALSE, &info);
    DRAWITEMSTRUCT draw{ODT_MENU, 0, 12, ODA_DRAWENTIRE, 0, reinterpret_cast<HWND>(static_cast<HMENU>(menu)),
                        nullptr, RECT{}, info.dwItemData};
    form.Send(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ((Log{"draw 12"}), form.log);
}

TEST(Reflection, ExceptionsInControlsAreReportedByEveryProcedure) {
    uitest::BoxRecorder boxes;
    Host form;
    Panel panel, clickable;
    panel.Create(form, 0, 0, 400, 300);
    clickable.Create(panel, 0, 0, 50, 50);
    SpeedButton button;
    button.Create(panel, L"Сбой", 100, 0, 80, 30, nullptr);
    Image image;
    image.Create(panel, 200, 0, 32, 32);
    StringGrid grid;
    grid.Create(panel, 0, 100, 200, 100, StringGrid::Options{});
    auto fail = [](const char* what) { return [what] { throw std::runtime_error(what); }; };
    button.OnClick = fail("кнопка");
    clickable.OnClick = fail("панель");
    image.OnClick = fail("картинка");
    grid.OnKeyPress = [](int, int, wchar_t&) { throw std::runtime_error("таблица"); };

    button.Send(BM_CLICK);              // the panel's procedure reflects it
    clickable.Send(WM_LBUTTONUP, 0, 0);
    image.Send(WM_LBUTTONUP, 0, 0);
    grid.Send(WM_CHAR, L'1', 0);
    std::vector<std::string> texts;
    for (const auto& box : boxes.Boxes) {
        texts.push_back(box.Text);
        EXPECT_EQ("Ошибка", box.Caption);
    }
    EXPECT_EQ((std::vector<std::string>{"кнопка", "панель", "картинка", "таблица"}), texts);
}

// ---- lists ---------------------------------------------------------------------------------

TEST(Lists, SelectionEdgeCasesOfThePlainAndTheOwnerDrawnList) {
    Host form;
    DropDownList plain;
    plain.Create(form, 0, 0, 100);
    ComboBox drawn;
    drawn.Create(form, 0, 40, 100, 24);
    for (ListControl* list : {static_cast<ListControl*>(&plain), static_cast<ListControl*>(&drawn)}) {
        for (const wchar_t* text : {L"COM1", L"COM2", L"None"}) list->Add(text);
        list->SetIndex(1);
        list->SetIndex(3);  // past the end: nothing, not the old selection
        EXPECT_EQ(-1, list->Index());
        EXPECT_EQ(L"", list->SelectedText());
        list->SetIndex(2);
        list->SetIndex(-5);
        EXPECT_EQ(-1, list->Index());
        EXPECT_FALSE(list->SelectText(L"com1"));  // exact, case included
        EXPECT_EQ(-1, list->Index());
        EXPECT_TRUE(list->SelectText(L"COM2"));
        EXPECT_EQ(L"COM2", list->SelectedText());
        list->SetItemText(0, L"1  канал");
        list->SetItemText(1, L"2  связь");
        EXPECT_EQ(1, list->Index()) << "the selection stays, also on the item changed";
        EXPECT_EQ(L"1  канал", list->ItemText(0));
        EXPECT_EQ(L"2  связь", list->SelectedText());
        list->SetItemText(7, L"x");  // no such item: nothing
        EXPECT_EQ(3, list->Count());
        list->Clear();
        EXPECT_EQ(0, list->Count());
        EXPECT_EQ(-1, list->Index());
    }
}

// ---- containers and small kinds --------------------------------------------------------

TEST(Controls, GroupBoxHidesAndDisablesWhatItContains) {
    Host form;
    form.Show(true);
    GroupBox group;
    group.Create(form, L"TCP", 0, 0, 200, 100);
    Edit edit;
    RECT area = group.Area();
    edit.Create(group, L"5000", area.left, area.top, 80, 22);
    EXPECT_GT(area.top, 0) << "below the caption";
    group.Enable(false);
    EXPECT_FALSE(edit.Enabled());
    group.Enable(true);
    EXPECT_TRUE(edit.Enabled());
    group.Show(false);
    EXPECT_FALSE(edit.Visible());
}

TEST(Controls, SmallKinds) {
    Host form;
    IpAddress ip;
    ip.Create(form, 0, 0, 150, 22);
    ip.SetParts(10, 0, 0, 5);
    EXPECT_EQ(0x0A000005u, ip.Address());

    Label label;
    label.Create(form, L"90%", 0, 30, 10, 10, CLR_INVALID);
    label.SetAutoSize(true);
    label.SetText(L"100%");
    EXPECT_EQ(label.Measure(L"100%").cx, label.Client().right);
    EXPECT_GT(label.Client().right, 10);

    SpeedButton button;
    button.Create(form, L"M", 0, 60, 40, 30, nullptr);
    EXPECT_EQ(kFrameNormal, button.FrameFor(0));
    button.SetDown(true);
    EXPECT_EQ(kFramePressed, button.FrameFor(0));
    EXPECT_EQ(kFrameDisabled, button.FrameFor(ODS_DISABLED));

    Tooltip tip;
    ASSERT_TRUE(tip.Create(form, ip, Tooltip::Options{true, true, TTI_INFO, L"Сайт производителя",
                                                      L"Первая строка\r\nвторая строка"}));
    EXPECT_EQ(L"Первая строка\r\nвторая строка", tip.Text());
    EXPECT_EQ(400, tip.Handle() ? static_cast<int>(SendMessageW(tip.Handle(), TTM_GETMAXTIPWIDTH, 0, 0)) : 0);
    EXPECT_TRUE(GetWindowLongPtrW(tip.Handle(), GWL_STYLE) & TTS_BALLOON);
}

TEST(Controls, SplitterMovesWithinTheOwnersLimitsAndReportsEveryMove) {
    Host form;
    form.Show(true);
    Panel line;
    line.Create(form, 0, 0, 400, 40);
    Splitter splitter;
    splitter.Create(line, 100, 0, 4, 40);
    splitter.OnLimits = [](int& low, int& high) { low = 60, high = 200; };
    splitter.OnMoving = [&](int left) { form.log.push_back("moving " + std::to_string(left)); };
    splitter.OnMoved = [&](int left) { form.log.push_back("moved " + std::to_string(left)); };
    splitter.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 5));
    EXPECT_EQ(splitter.hwnd, GetCapture());
    splitter.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(12, 5));   // +10
    splitter.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, 9));    // moved along: the same place
    splitter.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(500, 5));  // far right: the limit
    splitter.Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-500, 5)); // far left: the other one
    splitter.Send(WM_LBUTTONUP, 0, MAKELPARAM(-500, 5));
    splitter.Send(WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));            // released: no drag
    EXPECT_EQ((Log{"moving 110", "moving 200", "moving 60", "moved 60"}), form.log);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(60, splitter.Left());
}

// ---- the string grid ---------------------------------------------------------------------

TEST(Grid, OnlyTheOperatorsEditsAreReportedAndLeavingIsFocusWithinTheWindow) {
    Host form;
    form.Show(true);
    StringGrid grid;
    grid.Create(form, 0, 0, 300, 120, StringGrid::Options{2, 36, 1, 1, 50, 20});
    grid.SetColWidth(1, 300 - 50 - 24);
    Edit other;
    other.Create(form, L"", 0, 150, 100, 22);
    grid.OnKeyPress = [](int, int, wchar_t& key) {
        if (key == L'x') key = 0;
    };
    grid.OnSetEditText = [&](int col, int row, const std::wstring& text) {
        form.log.push_back("edit " + std::to_string(col) + "," + std::to_string(row) + " " +
                           std::string(text.begin(), text.end()));
    };
    grid.OnExit = [&] { form.log.push_back("exit"); };

    grid.SetCell(1, 5, L"code");  // in code: no report
    EXPECT_EQ(L"code", grid.Cell(1, 5));
    EXPECT_EQ(1, grid.Col());
    EXPECT_EQ(1, grid.Row()) << "the first cell that is not fixed";
    grid.Select(1, 5);
    grid.Focus();
    grid.Send(WM_CHAR, L'x', 0);  // filtered: no editor
    EXPECT_FALSE(grid.Editing());
    grid.Send(WM_CHAR, L'a', 0);  // opens the editor with the key
    ASSERT_TRUE(grid.Editing());
    SendMessageW(grid.Editor(), WM_CHAR, L'x', 0);  // filtered inside the editor too
    SendMessageW(grid.Editor(), WM_CHAR, L'b', 0);
    grid.SetCell(1, 5, L"ab!");    // in code while editing: no report
    SendMessageW(grid.Editor(), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(grid.Editing());
    EXPECT_EQ(L"ab!", grid.Cell(1, 5));

    // Another window taking the focus (a message box) is no exit; another control is.
    Host box;
    box.Show(true);
    SetFocus(box);
    SetFocus(grid);
    other.Focus();
    EXPECT_EQ((Log{"edit 1,5 a", "edit 1,5 ab", "exit"}), form.log);

    // Row 30 of 36 is below the visible rows: selecting it scrolls.
    grid.Select(1, 30);
    EXPECT_GT(grid.TopRow(), 1);
    EXPECT_EQ(20 * 1, grid.CellRect(1, grid.TopRow()).top) << "the first scrolled row follows the fixed one";
    grid.Select(0, 3);  // a fixed cell is never the current one
    EXPECT_EQ(30, grid.Row());
}

// Escape gives the cell back its text from before the edit, with no report;
// the keys typed before it were reported as they came, and Enter keeps what
// was typed.
TEST(Grid, EscapeUndoesTheEditQuietly) {
    Host form;
    form.Show(true);
    StringGrid grid;
    grid.Create(form, 0, 0, 300, 120, StringGrid::Options{2, 6, 1, 1, 50, 20});
    Log edits;
    grid.OnSetEditText = [&](int col, int row, const std::wstring& text) {
        edits.push_back(std::to_string(col) + "," + std::to_string(row) + " " + std::string(text.begin(), text.end()));
    };
    struct Case {
        const char* name;
        const wchar_t* before;
        bool byTyping;  // the editor opened by a typed key, or by F2 with the text selected
        WPARAM endKey;
        const wchar_t* after;
        Log reported;
    } cases[] = {
        {"F2, typed, Escape", L"old", false, VK_ESCAPE, L"old", {"1,2 n", "1,2 ne"}},
        {"typed on the cell, Escape", L"", true, VK_ESCAPE, L"", {"1,2 n", "1,2 ne"}},
        {"F2, typed, Enter", L"old", false, VK_RETURN, L"ne", {"1,2 n", "1,2 ne"}},
    };
    for (const Case& c : cases) {
        grid.SetCell(1, 2, c.before);
        grid.Select(1, 2);
        grid.Focus();
        edits.clear();
        if (c.byTyping) {
            grid.Send(WM_CHAR, L'n', 0);
        } else {
            grid.Send(WM_KEYDOWN, VK_F2, 0);
            SendMessageW(grid.Editor(), WM_CHAR, L'n', 0);
        }
        ASSERT_TRUE(grid.Editing()) << c.name;
        SendMessageW(grid.Editor(), WM_CHAR, L'e', 0);
        SendMessageW(grid.Editor(), WM_KEYDOWN, c.endKey, 0);
        EXPECT_FALSE(grid.Editing()) << c.name;
        EXPECT_EQ(c.after, grid.Cell(1, 2)) << c.name;
        EXPECT_EQ(c.reported, edits) << c.name;
        EXPECT_EQ(grid.hwnd, GetFocus()) << c.name;
        // The next edit starts from what the cell holds now.
        grid.Send(WM_KEYDOWN, VK_F2, 0);
        EXPECT_EQ(c.after, GetWindowTextString(grid.Editor())) << c.name;
        SendMessageW(grid.Editor(), WM_KEYDOWN, VK_ESCAPE, 0);
    }
}

// Columns wider than the grid scroll sideways by whole columns behind the
// fixed one; the bar is there only while a column is out of view.
TEST(Grid, ColumnsWiderThanTheGridScrollSideways) {
    Host form;
    form.Show(true);
    StringGrid grid;
    grid.Create(form, 0, 0, 300, 120, StringGrid::Options{4, 6, 1, 1, 60, 20});
    const COLORREF green = RGB(0, 160, 0);
    grid.SetColour(green);
    auto barShown = [&] { return (GetWindowLongW(grid, GWL_STYLE) & WS_HSCROLL) != 0; };
    EXPECT_FALSE(barShown()) << "four columns of 60 fit";
    grid.SetColWidth(2, 100);
    grid.SetColWidth(3, 100);
    ASSERT_TRUE(barShown());
    const int right = grid.Client().right;
    EXPECT_EQ(1, grid.LeftCol());

    // Selecting the last column brings it into view whole; the fixed column stays.
    grid.Select(3, 1);
    EXPECT_EQ(2, grid.LeftCol()) << "one column scrolled out is enough";
    const RECT last = grid.CellRect(3, 1);
    EXPECT_LE(last.right, right);
    EXPECT_EQ(60 + 100, last.left);
    EXPECT_EQ(0, grid.CellRect(0, 1).left);
    const RECT hidden = grid.CellRect(1, 1);
    EXPECT_EQ(hidden.left, hidden.right) << "column 1 is out of view";
    {
        uitest::Rendered shot(grid);
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), shot.At(30, 50)) << "the fixed column";
        EXPECT_EQ(green, shot.At(100, 50)) << "column 2 where column 1 was";
        EXPECT_EQ(green, shot.At(right - 1, 50)) << "beyond the last column";
    }

    // A click lands on the column drawn there; the editor opens over it.
    grid.Send(WM_LBUTTONDOWN, 0, MAKELPARAM(100, 30));
    EXPECT_EQ(2, grid.Col());
    grid.Send(WM_KEYDOWN, VK_F2, 0);
    RECT editor;
    GetWindowRect(grid.Editor(), &editor);
    MapWindowPoints(nullptr, grid, reinterpret_cast<POINT*>(&editor), 2);
    EXPECT_EQ(60, editor.left);
    SendMessageW(grid.Editor(), WM_KEYDOWN, VK_ESCAPE, 0);

    // The bar and the keys: left by one, right past the end stops at the last place.
    grid.Send(WM_HSCROLL, SB_LINELEFT, 0);
    EXPECT_EQ(1, grid.LeftCol());
    grid.Send(WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_EQ(2, grid.LeftCol());
    grid.Select(1, 1);
    EXPECT_EQ(1, grid.LeftCol());
    grid.Send(WM_KEYDOWN, VK_RIGHT, 0);
    grid.Send(WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(3, grid.Col());
    EXPECT_EQ(2, grid.LeftCol());

    // Narrow columns again: everything fits, the bar goes and the view starts at column 1.
    grid.SetColWidth(2, 60);
    grid.SetColWidth(3, 60);
    EXPECT_FALSE(barShown());
    EXPECT_EQ(1, grid.LeftCol());
}

// ---- the dialog frame --------------------------------------------------------------------

class TestDialog : public Dialog {
public:
    TestDialog() {
        FormOptions o;
        o.Caption = L"Dialog";
        o.ClientWidth = 400;
        o.ClientHeight = 200;
        DialogButtons buttons;
        buttons.Default = true;
        CreateDialogFrame(o, buttons);
        Field.Create(hwnd, L"", 10, 10, 100, 22);
        BitBtnDefault.OnClick = [this] { log.push_back("default"); };
    }
    Edit Field;
    bool Allow = true;
    std::function<void()> Script;
    Log log;

protected:
    bool CanClose() override {
        log.push_back("can close?");
        return Allow;
    }
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_APP) {
            Script();
            return 0;
        }
        if (msg == WM_APP + 1) {
            if (ModalResult == mrNone) ModalResult = kStillOpen;
            return 0;
        }
        return Dialog::HandleMessage(msg, wp, lp);
    }

public:
    static constexpr int kStillOpen = 99;
};

TEST(DialogFrame, EnterEscapeCloseBoxAndCanClose) {
    struct Case {
        const char* name;
        int key;           // a key pressed in the field, or 0
        UINT message;      // else a message to the dialog
        WPARAM wp;
        bool allow;
        bool cancelShown;
        bool focusDefault;
        int result;
        Log log;
    } cases[] = {
        {"Enter", VK_RETURN, 0, 0, true, true, false, mrOk, {}},
        {"Escape", VK_ESCAPE, 0, 0, true, true, false, mrCancel, {"can close?"}},
        {"Escape refused", VK_ESCAPE, 0, 0, false, true, false, TestDialog::kStillOpen, {"can close?"}},
        {"Escape, Cancel hidden", VK_ESCAPE, 0, 0, true, false, false, TestDialog::kStillOpen, {"can close?"}},
        {"close box", 0, WM_CLOSE, 0, true, true, false, mrCancel, {"can close?"}},
        {"close box refused", 0, WM_CLOSE, 0, false, true, false, TestDialog::kStillOpen, {"can close?"}},
        {"Alt+F4 refused", 0, WM_SYSCOMMAND, SC_CLOSE, false, true, false, TestDialog::kStillOpen, {"can close?"}},
        {"Enter on the Default button", VK_RETURN, 0, 0, true, true, true, TestDialog::kStillOpen, {"default"}},
    };
    for (const Case& c : cases) {
        TestDialog dialog;
        dialog.Allow = c.allow;
        dialog.BitBtnCancel.Show(c.cancelShown);
        dialog.Script = [&] {
            HWND target = c.focusDefault ? dialog.BitBtnDefault.hwnd : dialog.Field.hwnd;
            SetFocus(target);
            if (c.key) {
                PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(c.key), 1);
                PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(c.key), 0xC0000001);
            } else {
                PostMessageW(dialog, c.message, c.wp, 0);
            }
            PostMessageW(dialog, WM_APP + 1, 0, 0);  // ends a dialog that stayed open
        };
        PostMessageW(dialog, WM_APP, 0, 0);
        EXPECT_EQ(c.result, dialog.ShowModal()) << c.name;
        EXPECT_EQ(c.log, dialog.log) << c.name;
    }
}

TEST(DialogFrame, ButtonsCarryTheRealIdsAndSitInTheBottomPanel) {
    TestDialog dialog;
    EXPECT_EQ(IDOK, dialog.BitBtnOK.Id());
    EXPECT_EQ(IDCANCEL, dialog.BitBtnCancel.Id());
    EXPECT_EQ(dialog.PanelBottom.hwnd, GetParent(dialog.BitBtnOK));
    RECT ok = dialog.BitBtnOK.Bounds(), cancel = dialog.BitBtnCancel.Bounds(), def = dialog.BitBtnDefault.Bounds();
    EXPECT_LT(ok.right, cancel.left) << "OK, then Cancel at the right edge";
    EXPECT_EQ(dialog.PanelBottom.Client().right - 6, cancel.right);
    EXPECT_EQ(6, def.left);
    EXPECT_EQ(200 - 40, dialog.BodyArea().bottom);
    EXPECT_EQ(L"Сохранить и выйти", dialog.Hints.Get(dialog.BitBtnOK));
    dialog.BitBtnOK.Send(BM_CLICK);
    EXPECT_EQ(mrOk, dialog.ModalResult);
}

// ---- dragging ------------------------------------------------------------------------------

TEST(Drag, OnlyPassiveControlsAndTheWindowStartTheMove) {
    Host form;
    Label label;
    label.Create(form, L"Текст", 0, 0, 80, 20, CLR_INVALID);
    LinkLabel link;
    link.Create(form, L"www", 0, 30, 80, 20, CLR_INVALID);
    Panel panel, clickable;
    panel.Create(form, 100, 0, 50, 50);
    clickable.Create(form, 100, 60, 50, 50);
    clickable.OnClick = [] {};
    Image image;
    image.Create(form, 160, 0, 32, 32);
    GroupBox group;
    group.Create(form, L"Группа", 200, 0, 100, 100);
    SpeedButton button;
    button.Create(form, L"OK", 0, 120, 80, 30, nullptr);
    Edit edit;
    edit.Create(form, L"", 0, 160, 80, 22);
    DropDownList list;
    list.Create(form, 0, 190, 80);

    WindowDrag drag;
    drag.Attach(form);
    struct Case {
        const char* name;
        HWND control;
        bool passive;
    } cases[] = {{"label", label, true},       {"panel", panel, true},      {"image", image, true},
                 {"group box", group, true},   {"link", link, false},       {"clickable panel", clickable, false},
                 {"button", button, false},    {"edit", edit, false}};
    for (const Case& c : cases) EXPECT_EQ(c.passive, drag.Add(c.control)) << c.name;
    EXPECT_FALSE(drag.Add(list));

    // The move loop is not entered here: the command is recorded instead.
    int moves = 0;
    auto record = [](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) -> LRESULT {
        if (msg == WM_SYSCOMMAND && wp == kDragCommand && lp == 0) {
            ++*reinterpret_cast<int*>(data);
            return 0;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    };
    SetWindowSubclass(form, record, 1, reinterpret_cast<DWORD_PTR>(&moves));
    for (const Case& c : cases) {
        int before = moves;
        SendMessageW(c.control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageW(c.control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(c.passive ? before + 1 : before, moves) << c.name;
        SendMessageW(c.control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
        EXPECT_EQ(c.passive ? before + 1 : before, moves) << c.name << ": the right button does nothing";
    }
    int before = moves;
    form.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(390, 290));
    EXPECT_EQ(before + 1, moves) << "the free client area";
    EXPECT_EQ(HTCLIENT, SendMessageW(label, WM_NCHITTEST, 0, 0)) << "a wired label takes the press itself";
    RemoveWindowSubclass(form, record, 1);
}

}  // namespace
