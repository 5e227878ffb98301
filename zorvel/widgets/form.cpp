#include "zorvel/widgets/form.h"

#include <exception>
#include <functional>

#include "zorvel/widgets/timer.h"

namespace widgets {

namespace {
const wchar_t kFormClass[] = L"ZorvelForm";

void RegisterFormClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);
    registered = true;
}

// Keyboard navigation (Tab, Escape) works on every form, as in dialogs.
bool IsFormMessage(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (!root) return false;
    wchar_t cls[32];
    if (!GetClassNameW(root, cls, 32) || lstrcmpW(cls, kFormClass) != 0) return false;
    return IsDialogMessageW(root, &msg) != FALSE;
}
}  // namespace

Form::~Form() {
    if (hwnd && IsWindow(hwnd)) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
}

void Form::CreateForm(const FormOptions& options) {
    RegisterFormClass(&Form::Proc);
    options_ = options;
    scale_ = Scale(SystemDpi());
    font_ = Font(options.FontFace, scale_.FontPx(options.FontPixels));
    background_ = Brush(options.Colour == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : options.Colour);
    RECT r{0, 0, scale_.Px(options.ClientWidth), scale_.Px(options.ClientHeight)};
    AdjustWindowRectEx(&r, options.Style, FALSE, options.ExStyle | WS_EX_CONTROLPARENT);
    CreateWindowExW(options.ExStyle | WS_EX_CONTROLPARENT, kFormClass, options.Caption.c_str(),
                    options.Style | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                    r.bottom - r.top, options.Owner, nullptr, GetModuleHandleW(nullptr), this);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font_)), FALSE);
}

LRESULT CALLBACK Form::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        form->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        SetScaleOf(hwnd, form->scale_);
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
    // No exception may unwind through the system's frames: it is reported
    // here and the program goes on.
    return Guarded(hwnd, [&] { return form->HandleMessage(msg, wp, lp); });
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (Reflect(hwnd, msg, wp, lp, result)) return result;
    switch (msg) {
        case WM_SETFONT:
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(static_cast<HFONT>(font_));
        case WM_ERASEBKGND: {
            RECT r = Client();
            FillRect(reinterpret_cast<HDC>(wp), &r, background_);
            return 1;
        }
        case WM_PRINTCLIENT: {
            RECT r = Client();
            FillRect(reinterpret_cast<HDC>(wp), &r, background_);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            SetBkColor(reinterpret_cast<HDC>(wp), background_.Colour());
            return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(background_));
        case WM_SHOWWINDOW:
            if (wp) OnShowing();
            break;
        case WM_ACTIVATE:
            if (LOWORD(wp) != WA_INACTIVE) OnActivated();
            break;
        case WM_CLOSE:
            if (!CanClose()) return 0;
            OnClosing();
            if (QuitOnDestroy) {
                DestroyWindow(hwnd);
            } else if (modal_) {
                ModalResult = mrCancel;
            } else {
                Show(false);
            }
            return 0;
        case WM_COMMAND:
            // Escape in a modal window (a dialog frame handles its own buttons).
            if (LOWORD(wp) == IDCANCEL && lp == 0 && modal_ && CanClose()) ModalResult = mrCancel;
            return 0;
        case WM_LBUTTONDOWN:
            OnLeftMouseDown();
            return 0;
        case WM_KEYDOWN:
            OnKey(static_cast<WORD>(wp));
            return 0;
        case WM_TIMER:
            for (Timer* timer : timers_)
                if (timer->Id() == wp) timer->Fire();
            return 0;
        case WM_DPICHANGED:
            ChangeScale(Scale(HIWORD(wp)), reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_DESTROY:
            if (QuitOnDestroy) PostQuitMessage(0);
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void Form::AddTimer(Timer* timer) { timers_.push_back(timer); }

void Form::RemoveTimer(Timer* timer) {
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (*it == timer) {
            timers_.erase(it);
            return;
        }
}

int Form::ShowModal() {
    HWND owner = GetWindow(hwnd, GW_OWNER);
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    ModalResult = mrNone;
    modal_ = true;
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    MSG msg;
    while (ModalResult == mrNone && IsWindow(hwnd)) {
        if (!HandleOneMessage(msg)) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            if (ModalResult == mrNone) ModalResult = mrCancel;
            break;
        }
    }
    modal_ = false;
    // The owner is enabled before the window goes away, so activation returns to it.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (IsWindow(hwnd)) ShowWindow(hwnd, SW_HIDE);
    if (owner) SetActiveWindow(owner);
    return ModalResult;
}

void Form::ShowInactive(bool visible) const { ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE); }

void Form::CenterOnScreen() const {
    RECT r{};
    GetWindowRect(hwnd, &r);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = work.left + (work.right - work.left - (r.right - r.left)) / 2;
    int y = work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::CenterOnOwner() const {
    HWND owner = GetWindow(hwnd, GW_OWNER);
    if (!owner || !IsWindowVisible(owner)) return CenterOnScreen();
    RECT o{}, r{};
    GetWindowRect(owner, &o);
    GetWindowRect(hwnd, &r);
    int x = o.left + (o.right - o.left - (r.right - r.left)) / 2;
    int y = o.top + (o.bottom - o.top - (r.bottom - r.top)) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Font Form::ScaledFont(const wchar_t* face, int pixelHeight, bool bold, bool underline, int width) const {
    return Font(face, scale_.FontPx(pixelHeight), bold, underline, scale_.FontPx(width));
}

namespace {
// A font height (or width) of the old scale at the new one, by way of the
// design height it was made for, so that it comes out as a font made at the
// new scale would, whatever displays it went through.
LONG RescaledFontMeasure(LONG pixels, Scale old, Scale now) {
    const int magnitude = pixels < 0 ? -pixels : pixels;
    const int scaled = now.FontPx(old.FontDesign(magnitude));
    return pixels < 0 ? -scaled : scaled;
}
}  // namespace

void Form::ChangeScale(Scale scale, const RECT* suggested) {
    if (scale.Dpi() == scale_.Dpi()) return;
    const Scale old = scale_;
    scale_ = scale;
    SetScaleOf(hwnd, scale_);
    // Every font a child uses is made again at the new height, once per font;
    // the ones made for the old scale go when the children have the new ones.
    Font formFont(options_.FontFace, scale_.FontPx(options_.FontPixels));
    std::vector<Font> fresh;
    std::vector<std::pair<HFONT, HFONT>> remade{{font_, formFont}};
    const std::function<HFONT(HFONT)> remake = [&](HFONT font) -> HFONT {
        if (!font) return nullptr;
        for (const auto& pair : remade)
            if (pair.first == font || pair.second == font) return pair.second;
        LOGFONTW log{};
        if (!GetObjectW(font, sizeof log, &log)) return font;
        log.lfHeight = RescaledFontMeasure(log.lfHeight, old, scale_);
        log.lfWidth = RescaledFontMeasure(log.lfWidth, old, scale_);
        fresh.emplace_back(log);
        remade.emplace_back(font, fresh.back());
        return fresh.back();
    };
    // Every child the layer placed goes to its design rectangle at the new
    // scale, parents before children (the order EnumChildWindows gives).
    std::vector<HWND> children;
    EnumChildWindows(
        hwnd, [](HWND child, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        Control* control = ControlOf(child);
        if (control && child != control->hwnd) control = nullptr;  // a control's extra window (its tooltip)
        if (control) control->Rescale();
        if (auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)))
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(remake(font)), FALSE);
        if (control) control->RemapFonts(remake);
    }
    font_ = std::move(formFont);
    rescaledFonts_ = std::move(fresh);
    if (suggested) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetClientSize(options_.ClientWidth, options_.ClientHeight);
    }
    OnScaleChanged();
    Repaint();
}

void Form::SetClientSize(int width, int height) const {
    RECT r{0, 0, scale_.Px(width), scale_.Px(height)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool HandleOneMessage(MSG& msg) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return false;
    if (!IsFormMessage(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

void HandlePendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!IsFormMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

int RunMessageLoop() {
    MSG msg{};
    for (;;) {
        // A failure outside any window procedure is shown the same way and the
        // loop goes on.
        try {
            if (!HandleOneMessage(msg)) break;
        } catch (const std::exception& e) {
            ReportException(GetActiveWindow(), e.what());
        }
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace widgets
