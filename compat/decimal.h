// The plain decimal rule shared by the program and the transport libraries:
// leading white space skipped, an optional sign, digits up to the first other
// character; no digits give 0. Long digit runs wrap in 32 bits instead of
// overflowing, so any text has a defined value.
#pragma once

#include <cstdint>
#include <string_view>

namespace compat {

inline long ParseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<long>(static_cast<std::int32_t>(value));
}

}  // namespace compat
