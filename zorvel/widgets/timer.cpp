#include "zorvel/widgets/timer.h"

#include "zorvel/widgets/form.h"

namespace widgets {

Timer::Timer(Form& owner, UINT intervalMs) : owner_(owner), interval_(intervalMs) {
    static UINT_PTR next = 1;
    id_ = next++;
    owner_.AddTimer(this);
}

Timer::~Timer() {
    SetEnabled(false);
    owner_.RemoveTimer(this);
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled)
        SetTimer(owner_.hwnd, id_, interval_, nullptr);
    else if (owner_.hwnd)
        KillTimer(owner_.hwnd, id_);
}

void Timer::Fire() {
    if (enabled_ && OnTimer) OnTimer();
}

}  // namespace widgets
