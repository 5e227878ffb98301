// Helpers of the window tests: message pumping, waiting for a window, and
// rendering a window into memory to probe its pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "compat/platform.h"
#include "support.h"
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
