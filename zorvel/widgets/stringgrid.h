// A grid of texts with fixed (header) rows and columns, column widths, scroll
// bars (the horizontal one only while the columns are wider than the grid)
// and a cell editor. The callbacks report what the operator does only: texts
// set in code report nothing, and neither does Escape, which gives the cell
// back the text it had before the edit.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "zorvel/widgets/subclass.h"

namespace widgets {

class StringGrid : public Control {
public:
    struct Options {
        int Cols = 2, Rows = 2;
        int FixedCols = 1, FixedRows = 1;
        int DefaultColWidth = 64;
        int RowHeight = 20;
    };
    void Create(HWND parent, int x, int y, int width, int height, const Options& options);

    int ColCount() const { return options_.Cols; }
    int RowCount() const { return options_.Rows; }
    std::wstring Cell(int col, int row) const;
    void SetCell(int col, int row, const std::wstring& text);
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    void SetTextColour(COLORREF colour);
    COLORREF TextColour() const { return textColour_; }
    // The background of the cells that are not fixed and of the grid beyond them.
    void SetColour(COLORREF colour);
    COLORREF Colour() const { return colour_; }

    // The current cell (never a fixed one).
    int Col() const { return col_; }
    int Row() const { return row_; }
    void Select(int col, int row);
    int TopRow() const { return top_; }
    // The first column shown after the fixed ones.
    int LeftCol() const { return left_; }
    // Where the cell lies in the client area; a column scrolled out of view
    // has an empty rectangle.
    RECT CellRect(int col, int row) const;

    // The cell editor over the current cell.
    void StartEditing();
    void StopEditing();
    bool Editing() const;
    HWND Editor() const { return editor_.hwnd; }

    // A character the operator types into a cell; set it to 0 to drop it.
    std::function<void(int col, int row, wchar_t& key)> OnKeyPress;
    // The operator changed the text of a cell (on every change while editing).
    std::function<void(int col, int row, const std::wstring& text)> OnSetEditText;
    // The keyboard focus went from the grid to another control of the same
    // window (a message box or another window taking the focus is no exit).
    std::function<void()> OnExit;

private:
    class CellEditor : public SubclassedControl {
    public:
        explicit CellEditor(StringGrid& grid) : grid_(grid) {}
        void Create(HWND parent);
        bool OnCommand(WORD code, WORD id) override;

    protected:
        bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    private:
        StringGrid& grid_;
    };

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC dc) const;
    int VisibleRows() const;
    int ColsWidth(int first, int last) const;  // columns first ... last together
    int FixedWidth() const;
    // The first column that could show after the fixed ones with every
    // column after it in view.
    int LastLeftCol() const;
    void ScrollTo(int top);
    void ScrollColsTo(int left);
    void UpdateScrollBars() const;
    void CancelEditing();
    bool HitCell(POINT p, int& col, int& row) const;
    void MoveBy(int dcol, int drow);
    // Focus left the grid or its editor for `next`.
    void FocusLeaving(HWND next);
    void EditorChanged();
    bool IsFixed(int col, int row) const { return col < options_.FixedCols || row < options_.FixedRows; }

    Options options_;
    std::vector<std::wstring> cells_;  // row by row
    std::vector<int> widths_;
    COLORREF textColour_ = GetSysColor(COLOR_WINDOWTEXT);
    COLORREF colour_ = GetSysColor(COLOR_WINDOW);
    int col_ = 0, row_ = 0, top_ = 0, left_ = 0;
    CellEditor editor_{*this};
    bool fillingEditor_ = false;  // the editor's text is set in code
    std::wstring textBeforeEdit_;
};

}  // namespace widgets
