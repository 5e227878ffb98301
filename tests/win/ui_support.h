// Helpers of the window tests: a message box recorder that also answers,
// message pumping, and rendering a window into memory to probe its pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "compat/platform.h"
#include "zorvel/widgets/form.h"
#include "zorvel/widgets/window.h"

namespace uitest {

struct RecordedBox {
    std::string Text, Caption;
    unsigned Type;
    HWND Owner;
};

// Installs itself as the one message box function for its lifetime.
class BoxRecorder {
public:
    BoxRecorder();
    ~BoxRecorder();
    std::vector<RecordedBox> Boxes;
    int Answer = compat::kAnswerOk;
    // Runs while a box "is shown" (the transport is still open then, say).
    void (*DuringBox)(void*) = nullptr;
    void* DuringBoxArg = nullptr;

private:
    static int Handle(void* owner, const char* text, const char* caption, unsigned type);
    compat::MessageBoxHandler previous_;
};

// Dispatches everything already queued.
void PumpPending();
// Waits up to `ms` for messages and dispatches them (lets pending X events arrive).
void FlushEvents(DWORD ms);
// The window compares the board's clock with the computer's minute by minute,
// so a read against the simulator that straddles a minute boundary rightly
// warns. Returns once at least `seconds` are left in the current minute.
void WaitForRoomInMinute(int seconds);

// A top-level window with that caption, waiting up to `ms`.
HWND WaitForWindow(const std::wstring& caption, DWORD ms);

// Copies what the screen shows of `window` (frame included) into a 24-bit BMP file.
bool SaveBitmap(HWND window, const std::string& path);

// Runs `action` from inside the modal loop of `form`, which the caller shows
// next. A form still open after `timeoutMs` gets the Cancel result, so a
// stuck dialog fails the test instead of hanging the run. One at a time.
class WhileModal {
public:
    WhileModal(widgets::Form& form, std::function<void()> action, UINT timeoutMs = 10000);
    ~WhileModal();
    WhileModal(const WhileModal&) = delete;
    WhileModal& operator=(const WhileModal&) = delete;
    bool Ran() const { return ran_; }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD);
    widgets::Form& form_;
    std::function<void()> action_;
    UINT_PTR start_ = 0, guard_ = 0;
    bool ran_ = false, timedOut_ = false;
};

// Presses the left button on a window (a splitter), moves the mouse `dx`
// pixels sideways and, when asked, releases it: the messages a drag sends.
void DragSideways(const widgets::Window& window, int dx, bool release = true);

// The clipboard's text, and setting it (opened for `owner`).
std::wstring ClipboardText(HWND owner);
void SetClipboardText(HWND owner, const std::wstring& text);

// Sends the key-down of `key` to `window` with the given modifier keys (VK_SHIFT,
// VK_CONTROL) held in the thread's keyboard state, then releases them.
void PressKey(HWND window, WORD key, std::initializer_list<BYTE> held);

// Renders the client area of `window` with WM_PRINTCLIENT.
class Rendered {
public:
    explicit Rendered(HWND window);
    COLORREF At(int x, int y) const { return canvas_.Pixel(x, y); }
    const widgets::Canvas& Canvas() const { return canvas_; }
    // How many pixels have exactly this colour.
    int Count(COLORREF colour) const;

private:
    widgets::Canvas canvas_;
};

}  // namespace uitest
