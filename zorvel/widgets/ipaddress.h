// The four-part IPv4 address field of the common controls. The address is
// one 32-bit value whose highest byte is the first part.
#pragma once

#include <cstdint>
#include <functional>

#include "zorvel/widgets/window.h"

namespace widgets {

class IpAddress : public Control {
public:
    void Create(HWND parent, int x, int y, int width, int height, int id = 0);
    std::uint32_t Address() const;
    void SetAddress(std::uint32_t address) const;
    void SetParts(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) const;
    void Clear() const;
    bool Blank() const;

    std::function<void()> OnChange;  // a part changed

    bool OnCommand(WORD code, WORD id) override;
};

}  // namespace widgets
