#include "zorvel/widgets/window.h"

#include "compat/platform.h"
#include "zorvel/widgets/dpi.h"

namespace widgets {

namespace {
// The property under which a child window points at its control object.
const wchar_t kControlProp[] = L"ZorvelControl";

int FreeId(HWND parent) {
    int id = kFirstAutomaticId;
    while (GetDlgItem(parent, id)) ++id;
    return id;
}
}  // namespace

Control* ControlOf(HWND child) {
    return child ? static_cast<Control*>(GetPropW(child, kControlProp)) : nullptr;
}

std::wstring Window::Text() const {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

RECT Window::Bounds() const {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Control::~Control() {
    if (hwnd && IsWindow(hwnd)) RemovePropW(hwnd, kControlProp);
    if (extra_ && IsWindow(extra_)) RemovePropW(extra_, kControlProp);
}

void Control::CreateChild(const wchar_t* windowClass, const std::wstring& text, DWORD style, DWORD exStyle,
                          HWND parent, int x, int y, int width, int height, int id) {
    if (id == 0) id = FreeId(parent);
    design_ = RECT{x, y, x + width, y + height};
    const RECT px = ScaleOf(parent).Px(design_);
    hwnd = CreateWindowExW(exStyle, windowClass, text.c_str(), style | WS_CHILD, px.left, px.top,
                           px.right - px.left, px.bottom - px.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (hwnd) {
        SetPropW(hwnd, kControlProp, this);
        SendMessageW(hwnd, WM_SETFONT, SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
    }
}

void Control::Place(int x, int y, int width, int height) { Place(RECT{x, y, x + width, y + height}); }

void Control::Place(const RECT& design) {
    design_ = design;
    const RECT px = ScaleOf(hwnd).Px(design);
    MoveWindow(hwnd, px.left, px.top, px.right - px.left, px.bottom - px.top, TRUE);
}

void Control::PlaceAt(int x, int y) {
    const Scale scale = ScaleOf(hwnd);
    const RECT r = Bounds();
    design_ = RECT{x, y, x + scale.Design(r.right - r.left), y + scale.Design(r.bottom - r.top)};
    SetWindowPos(hwnd, nullptr, scale.Px(x), scale.Px(y), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::AttachExtra(HWND other) {
    extra_ = other;
    if (other) SetPropW(other, kControlProp, this);
}

bool Reflect(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            // Menu commands and accelerators carry no control handle.
            if (Control* c = ControlOf(reinterpret_cast<HWND>(lp))) {
                result = 0;
                return c->OnCommand(HIWORD(wp), LOWORD(wp));
            }
            return false;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lp);
            if (Control* c = ControlOf(header->hwndFrom)) return c->OnNotify(header, result);
            return false;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (item->CtlType == ODT_MENU) {
                auto* painter = reinterpret_cast<MenuPainter*>(item->itemData);
                if (!painter) return false;
                painter->DrawMenuItem(item);
                result = TRUE;
                return true;
            }
            if (Control* c = ControlOf(item->hwndItem)) {
                result = TRUE;
                return c->OnDrawItem(item);
            }
            return false;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            if (item->CtlType == ODT_MENU) {
                auto* painter = reinterpret_cast<MenuPainter*>(item->itemData);
                if (!painter) return false;
                painter->MeasureMenuItem(item);
                result = TRUE;
                return true;
            }
            // Only the id identifies the control here.
            if (Control* c = ControlOf(GetDlgItem(parent, static_cast<int>(item->CtlID)))) {
                result = TRUE;
                return c->OnMeasureItem(item);
            }
            return false;
        }
        case WM_HSCROLL:
        case WM_VSCROLL:
            // lp is 0 for the window's own scroll bars.
            if (Control* c = ControlOf(reinterpret_cast<HWND>(lp))) {
                result = 0;
                return c->OnScroll(LOWORD(wp));
            }
            return false;
        case WM_CONTEXTMENU:
            // Controls that do not show a menu of their own pass the request up.
            if (Control* c = ControlOf(reinterpret_cast<HWND>(wp)); c && c->OnContextMenu) {
                POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                if (p.x == -1 && p.y == -1) {
                    RECT r{};
                    GetWindowRect(c->hwnd, &r);
                    p = POINT{r.left, r.bottom};
                }
                c->OnContextMenu(p);
                result = 0;
                return true;
            }
            return false;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSCROLLBAR:
            if (Control* c = ControlOf(reinterpret_cast<HWND>(lp))) {
                if (HBRUSH brush = c->OnCtlColor(reinterpret_cast<HDC>(wp))) {
                    result = reinterpret_cast<LRESULT>(brush);
                    return true;
                }
            }
            return false;
        default:
            return false;
    }
}

bool ContainerMessage(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (Reflect(container, msg, wp, lp, result)) return true;
    // WM_MEASUREITEM stays: it names its control by an id, which is unique
    // among siblings only.
    switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_CONTEXTMENU:
            result = SendMessageW(GetParent(container), msg, wp, lp);
            return true;
        default:
            return false;
    }
}

void ReportException(HWND owner, const char* what) {
    compat::ShowBox(owner, compat::Box::Error, what && *what ? what : "Unknown error");
}

void RegisterControlClass(const wchar_t* name, WNDPROC proc, HCURSOR cursor) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassExW(&wc);
}

}  // namespace widgets
