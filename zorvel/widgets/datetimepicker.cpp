#include "zorvel/widgets/datetimepicker.h"

#include <commctrl.h>

namespace widgets {


void DateTimePicker::Create(HWND parent, Kind kind, int x, int y, int width, int height) {
    DWORD style = WS_VISIBLE | WS_TABSTOP | (kind == Kind::Time ? DTS_TIMEFORMAT : DTS_SHORTDATEFORMAT);
    CreateChild(DATETIMEPICK_CLASSW, L"", style, 0, parent, x, y, width, height);
    Subclass();
}

SYSTEMTIME DateTimePicker::Value() const {
    SYSTEMTIME value{};
    Send(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&value));
    return value;
}

void DateTimePicker::SetValue(const SYSTEMTIME& value) const {
    Send(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}

void DateTimePicker::SetFormat(const wchar_t* format) const {
    Send(DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format));
}

void DateTimePicker::SetRange(const SYSTEMTIME& from, const SYSTEMTIME& to) const {
    SYSTEMTIME range[2] = {from, to};
    Send(DTM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));
}

bool DateTimePicker::OnNotify(NMHDR* header, LRESULT& result) {
    result = 0;
    if (header->code == DTN_DATETIMECHANGE && OnChange) OnChange();
    return true;
}

bool DateTimePicker::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg == WM_CONTEXTMENU && OnContextMenu) {
        OnContextMenu(ContextMenuPoint(hwnd, lp));
        result = 0;
        return true;
    }
    return false;
}

}  // namespace widgets
