#include "zorvel/widgets/stringgrid.h"

#include <commctrl.h>

#include <windowsx.h>

#include "zorvel/widgets/dpi.h"
#include "zorvel/widgets/gdi.h"

namespace widgets {

void StringGrid::Create(HWND parent, int x, int y, int width, int height, const Options& options) {
    // Row height and column widths are kept in pixels of the display.
    const Scale scale = ScaleOf(parent);
    options_ = options;
    options_.RowHeight = scale.Px(options.RowHeight);
    options_.DefaultColWidth = scale.Px(options.DefaultColWidth);
    cells_.assign(static_cast<std::size_t>(options.Cols * options.Rows), std::wstring());
    widths_.assign(static_cast<std::size_t>(options.Cols), options_.DefaultColWidth);
    col_ = options.FixedCols < options.Cols ? options.FixedCols : 0;
    row_ = options.FixedRows < options.Rows ? options.FixedRows : 0;
    top_ = options.FixedRows;
    left_ = options.FixedCols;
    RegisterControlClass(L"ZorvelGrid", &StringGrid::Proc);
    CreateChild(L"ZorvelGrid", L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | WS_CLIPCHILDREN,
                WS_EX_CLIENTEDGE, parent, x, y, width, height);
    editor_.Create(hwnd);
    UpdateScrollBars();
}

std::wstring StringGrid::Cell(int col, int row) const {
    if (col < 0 || col >= options_.Cols || row < 0 || row >= options_.Rows) return {};
    return cells_[static_cast<std::size_t>(row * options_.Cols + col)];
}

void StringGrid::SetCell(int col, int row, const std::wstring& text) {
    if (col < 0 || col >= options_.Cols || row < 0 || row >= options_.Rows) return;
    cells_[static_cast<std::size_t>(row * options_.Cols + col)] = text;
    if (Editing() && col == col_ && row == row_) {
        textBeforeEdit_ = text;  // what the code sets stays, also through an Escape
        fillingEditor_ = true;
        editor_.SetText(text);
        fillingEditor_ = false;
    }
    RECT r = CellRect(col, row);
    InvalidateRect(hwnd, &r, FALSE);
}

int StringGrid::ColWidth(int col) const {
    return col >= 0 && col < options_.Cols ? ScaleOf(hwnd).Design(widths_[static_cast<std::size_t>(col)]) : 0;
}

void StringGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= options_.Cols) return;
    widths_[static_cast<std::size_t>(col)] = ScaleOf(hwnd).Px(width);
    ScrollColsTo(left_);  // the last columns may fit now, or no longer
    UpdateScrollBars();
    Invalidate();
}

void StringGrid::SetTextColour(COLORREF colour) {
    textColour_ = colour;
    Invalidate();
}

void StringGrid::SetColour(COLORREF colour) {
    colour_ = colour;
    Invalidate();
}

int StringGrid::FixedWidth() const {
    return ColsWidth(0, (options_.FixedCols < options_.Cols ? options_.FixedCols : options_.Cols) - 1);
}

RECT StringGrid::CellRect(int col, int row) const {
    RECT r{};
    const int h = options_.RowHeight;
    r.top = row < options_.FixedRows ? row * h : (options_.FixedRows + row - top_) * h;
    r.bottom = r.top + h;
    if (col < 0 || col >= options_.Cols) return r;
    // Fixed columns stay at the left; the others follow from the first one shown.
    const bool fixed = col < options_.FixedCols;
    if (!fixed && col < left_) {
        r.left = r.right = FixedWidth();
        return r;
    }
    r.left = fixed ? ColsWidth(0, col - 1) : FixedWidth() + ColsWidth(left_, col - 1);
    r.right = r.left + widths_[static_cast<std::size_t>(col)];
    return r;
}

int StringGrid::VisibleRows() const {
    int rows = (Client().bottom - options_.FixedRows * options_.RowHeight) / options_.RowHeight;
    return rows > 0 ? rows : 1;
}

int StringGrid::ColsWidth(int first, int last) const {
    int width = 0;
    for (int c = first; c <= last; ++c) width += widths_[static_cast<std::size_t>(c)];
    return width;
}

int StringGrid::LastLeftCol() const {
    const int room = Client().right - FixedWidth();
    const int last = options_.Cols - 1;
    for (int c = last; c >= options_.FixedCols; --c)
        if (ColsWidth(c, last) > room) return c < last ? c + 1 : c;
    return options_.FixedCols;
}

void StringGrid::UpdateScrollBars() const {
    SCROLLINFO rows{sizeof rows, SIF_RANGE | SIF_PAGE | SIF_POS, 0, options_.Rows - options_.FixedRows - 1,
                    static_cast<UINT>(VisibleRows()), top_ - options_.FixedRows, 0};
    SetScrollInfo(hwnd, SB_VERT, &rows, TRUE);
    // A page as long as the range hides the bar: it shows only while some
    // column is out of view.
    SCROLLINFO cols{sizeof cols, SIF_RANGE | SIF_PAGE | SIF_POS, 0, options_.Cols - options_.FixedCols - 1,
                    static_cast<UINT>(options_.Cols - LastLeftCol()), left_ - options_.FixedCols, 0};
    SetScrollInfo(hwnd, SB_HORZ, &cols, TRUE);
}

void StringGrid::ScrollTo(int top) {
    const int last = options_.Rows - VisibleRows();
    if (top > last) top = last;
    if (top < options_.FixedRows) top = options_.FixedRows;
    if (top == top_) return;
    StopEditing();
    top_ = top;
    UpdateScrollBars();
    Invalidate();
}

void StringGrid::ScrollColsTo(int left) {
    const int last = LastLeftCol();
    if (left > last) left = last;
    if (left < options_.FixedCols) left = options_.FixedCols;
    if (left == left_) return;
    StopEditing();
    left_ = left;
    UpdateScrollBars();
    Invalidate();
}

void StringGrid::Select(int col, int row) {
    if (col < options_.FixedCols || col >= options_.Cols || row < options_.FixedRows || row >= options_.Rows) return;
    if (col != col_ || row != row_) StopEditing();
    col_ = col;
    row_ = row;
    if (row < top_) ScrollTo(row);
    if (row >= top_ + VisibleRows()) ScrollTo(row - VisibleRows() + 1);
    // The column comes into view whole, scrolling as little as it takes
    // (a column wider than the grid shows from its left edge).
    int left = col < left_ ? col : left_;
    while (left < col && FixedWidth() + ColsWidth(left, col) > Client().right) ++left;
    ScrollColsTo(left);
    Invalidate();
}

void StringGrid::MoveBy(int dcol, int drow) {
    int col = col_ + dcol, row = row_ + drow;
    if (col < options_.FixedCols) col = options_.FixedCols;
    if (col >= options_.Cols) col = options_.Cols - 1;
    if (row < options_.FixedRows) row = options_.FixedRows;
    if (row >= options_.Rows) row = options_.Rows - 1;
    Select(col, row);
}

bool StringGrid::HitCell(POINT p, int& col, int& row) const {
    col = -1;
    for (int c = 0; c < options_.Cols && col < 0; ++c) {
        const RECT r = CellRect(c, 0);
        if (p.x >= r.left && p.x < r.right) col = c;
    }
    const int h = options_.RowHeight, fixedHeight = options_.FixedRows * h;
    row = p.y < fixedHeight ? p.y / h : top_ + (p.y - fixedHeight) / h;
    return col >= 0 && p.y >= 0 && row < options_.Rows;
}

bool StringGrid::Editing() const { return editor_.hwnd && editor_.Visible(); }

void StringGrid::StartEditing() {
    if (IsFixed(col_, row_) || !IsWindowEnabled(hwnd)) return;
    RECT r = CellRect(col_, row_);
    textBeforeEdit_ = Cell(col_, row_);
    fillingEditor_ = true;
    editor_.SetText(textBeforeEdit_);
    fillingEditor_ = false;
    editor_.Move(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
    editor_.Show(true);
    editor_.Focus();
    editor_.Send(EM_SETSEL, 0, -1);
}

void StringGrid::StopEditing() {
    if (!Editing()) return;
    const bool hadFocus = GetFocus() == editor_.hwnd;
    editor_.Show(false);
    if (hadFocus) SetFocus(hwnd);
    Invalidate();
}

void StringGrid::CancelEditing() {
    if (!Editing()) return;
    // The cell gets its text back quietly; the editor goes without a change report.
    cells_[static_cast<std::size_t>(row_ * options_.Cols + col_)] = textBeforeEdit_;
    StopEditing();
}

void StringGrid::EditorChanged() {
    if (fillingEditor_) return;
    std::wstring text = editor_.Text();
    cells_[static_cast<std::size_t>(row_ * options_.Cols + col_)] = text;
    if (OnSetEditText) OnSetEditText(col_, row_, text);
}

void StringGrid::FocusLeaving(HWND next) {
    if (next == hwnd || next == editor_.hwnd) return;
    // Only a control of this same window counts; a message box or another
    // window taking the focus leaves the editor as it is.
    if (!next || GetAncestor(next, GA_ROOT) != GetAncestor(hwnd, GA_ROOT)) return;
    if (Editing()) editor_.Show(false);
    Invalidate();
    if (OnExit) OnExit();
}

void StringGrid::Paint(HDC dc) const {
    RECT client = Client();
    const Brush background(colour_);
    FillRect(dc, &client, background);
    Selected font(dc, GetFont());
    SetBkMode(dc, TRANSPARENT);
    HPEN lines = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    Selected pen(dc, lines);
    const bool focused = GetFocus() == hwnd;
    for (int row = 0; row < options_.Rows; ++row) {
        if (row >= options_.FixedRows && row < top_) continue;
        for (int col = 0; col < options_.Cols; ++col) {
            RECT r = CellRect(col, row);
            if (r.top >= client.bottom) break;
            if (r.right <= r.left) continue;  // scrolled out of view
            if (r.left >= client.right) break;
            const bool fixed = IsFixed(col, row);
            const bool current = !fixed && col == col_ && row == row_ && focused;
            FillRect(dc, &r, fixed ? GetSysColorBrush(COLOR_BTNFACE)
                             : current ? GetSysColorBrush(COLOR_HIGHLIGHT)
                                       : static_cast<HBRUSH>(background));
            if (fixed) {
                DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
            } else {
                MoveToEx(dc, r.left, r.bottom - 1, nullptr);
                LineTo(dc, r.right - 1, r.bottom - 1);
                LineTo(dc, r.right - 1, r.top - 1);
            }
            SetTextColor(dc, fixed ? GetSysColor(COLOR_BTNTEXT)
                             : current ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                       : textColour_);
            RECT text = r;
            InflateRect(&text, -3, 0);
            const std::wstring& s = cells_[static_cast<std::size_t>(row * options_.Cols + col)];
            DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &text,
                      DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
    }
    DeleteObject(lines);
}

LRESULT CALLBACK StringGrid::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<StringGrid*>(ControlOf(hwnd));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    return Guarded(hwnd, [&] { return self->Handle(msg, wp, lp); });
}

LRESULT StringGrid::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (Reflect(hwnd, msg, wp, lp, result)) return result;  // the editor's notifications
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wp));
            return 0;
        case WM_SIZE:
            ScrollColsTo(left_);
            UpdateScrollBars();
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETFOCUS:
            Invalidate();
            return 0;
        case WM_KILLFOCUS:
            FocusLeaving(reinterpret_cast<HWND>(wp));
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            int col = 0, row = 0;
            const bool again = HitCell(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}, col, row) && col == col_ &&
                               row == row_;
            SetFocus(hwnd);
            if (col >= 0 && row >= 0) Select(col, row);
            if (again || msg == WM_LBUTTONDBLCLK) StartEditing();
            return 0;
        }
        case WM_KEYDOWN:
            switch (wp) {
                case VK_UP: MoveBy(0, -1); return 0;
                case VK_DOWN: MoveBy(0, 1); return 0;
                case VK_LEFT: MoveBy(-1, 0); return 0;
                case VK_RIGHT: MoveBy(1, 0); return 0;
                case VK_PRIOR: MoveBy(0, -VisibleRows()); return 0;
                case VK_NEXT: MoveBy(0, VisibleRows()); return 0;
                case VK_F2: StartEditing(); return 0;
            }
            break;
        case WM_CHAR: {
            // Typing on a cell opens the editor with that character.
            auto key = static_cast<wchar_t>(wp);
            if (key < L' ' || IsFixed(col_, row_)) return 0;
            if (OnKeyPress) OnKeyPress(col_, row_, key);
            if (key == 0) return 0;
            StartEditing();
            // The key is filtered already: put it in without a second WM_CHAR.
            const wchar_t typed[2] = {key, 0};
            if (Editing()) editor_.Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed));
            return 0;
        }
        case WM_VSCROLL: {
            SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
            GetScrollInfo(hwnd, SB_VERT, &info);
            int top = top_;
            switch (LOWORD(wp)) {
                case SB_LINEUP: --top; break;
                case SB_LINEDOWN: ++top; break;
                case SB_PAGEUP: top -= VisibleRows(); break;
                case SB_PAGEDOWN: top += VisibleRows(); break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION: top = info.nTrackPos + options_.FixedRows; break;
            }
            ScrollTo(top);
            return 0;
        }
        case WM_HSCROLL: {
            SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
            GetScrollInfo(hwnd, SB_HORZ, &info);
            int left = left_;
            switch (LOWORD(wp)) {
                case SB_LINELEFT: --left; break;
                case SB_LINERIGHT: ++left; break;
                case SB_PAGELEFT: left -= static_cast<int>(info.nPage); break;
                case SB_PAGERIGHT: left += static_cast<int>(info.nPage); break;
                case SB_LEFT: left = options_.FixedCols; break;
                case SB_RIGHT: left = options_.Cols; break;
                case SB_THUMBTRACK:
                case SB_THUMBPOSITION: left = info.nTrackPos + options_.FixedCols; break;
            }
            ScrollColsTo(left);
            return 0;
        }
        case WM_MOUSEWHEEL:
            ScrollTo(top_ - GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA * 3);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void StringGrid::CellEditor::Create(HWND parent) {
    CreateChild(L"EDIT", L"", ES_AUTOHSCROLL, 0, parent, 0, 0, 0, 0);
    Subclass();
}

bool StringGrid::CellEditor::OnCommand(WORD code, WORD) {
    if (code == EN_CHANGE) grid_.EditorChanged();
    return true;
}

bool StringGrid::CellEditor::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_GETDLGCODE: {
            // Enter and Escape end the edit here instead of closing the dialog.
            result = DefSubclassProc(hwnd, msg, wp, lp);
            auto* message = reinterpret_cast<MSG*>(lp);
            if (message && message->message == WM_KEYDOWN && (message->wParam == VK_RETURN || message->wParam == VK_ESCAPE))
                result |= DLGC_WANTALLKEYS;
            return true;
        }
        case WM_KEYDOWN:
            switch (wp) {
                case VK_RETURN:
                    grid_.StopEditing();
                    result = 0;
                    return true;
                case VK_ESCAPE:
                    grid_.CancelEditing();
                    result = 0;
                    return true;
                case VK_UP:
                case VK_DOWN:
                    grid_.StopEditing();
                    grid_.MoveBy(0, wp == VK_UP ? -1 : 1);
                    result = 0;
                    return true;
            }
            return false;
        case WM_CHAR:
            if (wp == L'\r' || wp == 27) {
                result = 0;  // no beep for the keys handled above
                return true;
            }
            if (wp >= L' ' && grid_.OnKeyPress) {
                auto key = static_cast<wchar_t>(wp);
                grid_.OnKeyPress(grid_.col_, grid_.row_, key);
                if (key == 0) {
                    result = 0;
                    return true;
                }
            }
            return false;
        case WM_KILLFOCUS:
            grid_.FocusLeaving(reinterpret_cast<HWND>(wp));
            return false;
    }
    return false;
}

}  // namespace widgets
