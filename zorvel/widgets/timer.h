// A window timer of a form; stopped while disabled.
#pragma once

#include <windows.h>

#include <functional>

namespace widgets {

class Form;

class Timer {
public:
    Timer(Form& owner, UINT intervalMs);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    UINT_PTR Id() const { return id_; }
    void Fire();

    std::function<void()> OnTimer;

private:
    Form& owner_;
    UINT interval_;
    UINT_PTR id_ = 0;
    bool enabled_ = false;
};

}  // namespace widgets
