// Helpers of the window tests: message pumping, waiting for a window, and
// rendering a window into memory to probe its pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "compat/platform.h"
#include "support.h"
#include "zorvel/widgets/form.h"
#include "zorvel/widgets/window.h"

namespace uitest {

// The message box recorder of every test (support.h), which also answers.
using testsupport::BoxRecorder;
using testsupport::RecordedBox;

// Runs an exchange with a simulator that keeps this computer's time. The
// program compares the board's clock with the computer's field by field, so
// an exchange during which the minute changes rightly warns that they differ:
// only then is that warning taken out of `boxes`.
void ExchangeOnTheComputersClock(BoxRecorder& boxes, const std::function<void()>& exchange);

// Dispatches everything already queued.
void PumpPending();
// Waits up to `ms` for messages and dispatches them (lets pending X events arrive).
void FlushEvents(DWORD ms);

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
