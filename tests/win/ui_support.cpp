#include "ui_support.h"

namespace uitest {

namespace {
BoxRecorder* g_recorder = nullptr;
}

BoxRecorder::BoxRecorder() {
    g_recorder = this;
    previous_ = compat::SetMessageBoxHandler(&Handle);
}

BoxRecorder::~BoxRecorder() {
    compat::SetMessageBoxHandler(previous_);
    g_recorder = nullptr;
}

int BoxRecorder::Handle(void* owner, const char* text, const char* caption, unsigned type) {
    g_recorder->Boxes.push_back(RecordedBox{text ? text : "", caption ? caption : "", type, static_cast<HWND>(owner)});
    if (g_recorder->DuringBox) g_recorder->DuringBox(g_recorder->DuringBoxArg);
    return g_recorder->Answer;
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
