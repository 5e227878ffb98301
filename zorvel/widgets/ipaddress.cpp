#include "zorvel/widgets/ipaddress.h"

#include <commctrl.h>

namespace widgets {

void IpAddress::Create(HWND parent, int x, int y, int width, int height, int id) {
    CreateChild(WC_IPADDRESSW, L"", WS_VISIBLE | WS_TABSTOP, 0, parent, x, y, width, height, id);
}

std::uint32_t IpAddress::Address() const {
    DWORD address = 0;
    Send(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    return address;
}

void IpAddress::SetAddress(std::uint32_t address) const { Send(IPM_SETADDRESS, 0, static_cast<LPARAM>(address)); }

void IpAddress::SetParts(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) const {
    SetAddress(MAKEIPADDRESS(a, b, c, d));
}

void IpAddress::Clear() const { Send(IPM_CLEARADDRESS); }

bool IpAddress::Blank() const { return Send(IPM_ISBLANK) != 0; }

bool IpAddress::OnCommand(WORD code, WORD) {
    // The field reports every edit of a part as EN_CHANGE from itself.
    if (code == EN_CHANGE && OnChange) OnChange();
    return true;
}

}  // namespace widgets
