// The date or time picker of the common controls.
#pragma once

#include <functional>

#include "zorvel/widgets/subclass.h"

namespace widgets {

class DateTimePicker : public SubclassedControl {
public:
    enum class Kind { Date, Time };
    void Create(HWND parent, Kind kind, int x, int y, int width, int height);
    SYSTEMTIME Value() const;
    void SetValue(const SYSTEMTIME& value) const;
    void SetRange(const SYSTEMTIME& from, const SYSTEMTIME& to) const;
    // A fixed display format, e.g. L"dd.MM.yyyy"; the default follows the user's locale.
    void SetFormat(const wchar_t* format) const;

    std::function<void()> OnChange;

    bool OnNotify(NMHDR* header, LRESULT& result) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

}  // namespace widgets
