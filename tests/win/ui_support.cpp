#include "ui_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "zorvel/board/sequences.h"
#include "zorvel/widgets/images.h"

namespace uitest {

namespace {
// The imaging component stays loaded for the whole run, as the program keeps
// it while it creates its windows, so that the windows each test makes do not
// load it again for every picture.
class PictureCodecForTheRun : public ::testing::Environment {
    void SetUp() override { codec_.emplace(); }
    void TearDown() override { codec_.reset(); }
    std::optional<widgets::PictureCodec> codec_;
};
::testing::Environment* const g_codec = ::testing::AddGlobalTestEnvironment(new PictureCodecForTheRun);

WhileModal* g_modal = nullptr;
}  // namespace

void ExchangeOnTheComputersClock(BoxRecorder& boxes, const std::function<void()>& exchange) {
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    exchange();
    GetLocalTime(&after);
    const bool sameMinute = before.wYear == after.wYear && before.wMonth == after.wMonth && before.wDay == after.wDay &&
                            before.wHour == after.wHour && before.wMinute == after.wMinute;
    if (sameMinute) return;
    auto warning = std::find_if(boxes.Boxes.begin(), boxes.Boxes.end(), [](const RecordedBox& box) {
        return box.Caption == board::text::kWarning && box.Text == board::text::kClockDiffers;
    });
    if (warning != boxes.Boxes.end()) boxes.Boxes.erase(warning);
}

void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void FlushEvents(DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    }
}

WhileModal::WhileModal(widgets::Form& form, std::function<void()> action, UINT timeoutMs)
    : form_(form), action_(std::move(action)) {
    g_modal = this;
    start_ = SetTimer(nullptr, 0, 10, &Fire);
    guard_ = SetTimer(nullptr, 0, timeoutMs, &Fire);
}

WhileModal::~WhileModal() {
    if (start_) KillTimer(nullptr, start_);
    if (guard_) KillTimer(nullptr, guard_);
    g_modal = nullptr;
}

void CALLBACK WhileModal::Fire(HWND, UINT, UINT_PTR id, DWORD) {
    WhileModal* self = g_modal;
    KillTimer(nullptr, id);
    if (!self) return;
    if (id == self->start_) {
        self->start_ = 0;
        self->ran_ = true;
        self->action_();
    } else if (id == self->guard_) {
        self->guard_ = 0;
        self->timedOut_ = true;
        self->form_.ModalResult = widgets::mrCancel;
    }
}

void DragSideways(const widgets::Window& window, int dx, bool release) {
    const LPARAM from = MAKELPARAM(1, 5), to = MAKELPARAM(static_cast<WORD>(1 + dx), 5);
    window.Send(WM_LBUTTONDOWN, MK_LBUTTON, from);
    window.Send(WM_MOUSEMOVE, MK_LBUTTON, to);
    if (release) window.Send(WM_LBUTTONUP, 0, to);
}

HWND WaitForWindow(const std::wstring& caption, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = FindWindowW(nullptr, caption.c_str())) return found;
        if (GetTickCount() - start >= ms) return nullptr;
        FlushEvents(20);
    }
}

Rendered::Rendered(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    canvas_.Resize(r.right, r.bottom);
    canvas_.Fill(RGB(1, 2, 3));
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas_.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
}

int Rendered::Count(COLORREF colour) const {
    int n = 0;
    for (int y = 0; y < canvas_.Height(); ++y)
        for (int x = 0; x < canvas_.Width(); ++x)
            if (canvas_.Pixel(x, y) == colour) ++n;
    return n;
}

bool SaveBitmap(HWND window, const std::string& path) {
    RECT r{};
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

}  // namespace uitest
