#include "ui_support.h"

#include <algorithm>

#include "zorvel/board/sequences.h"

namespace uitest {

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

}  // namespace uitest
