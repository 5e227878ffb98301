// The TCP library's address split and the plain decimal rule behind it:
// arbitrary text (cut at its first NUL, as the library sees it). A split that
// succeeds has stored every group it saw as the group's own value.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "compat/decimal.h"
#include "ravlo/ravlo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* const c = text.c_str();
    unsigned char parts[4] = {7, 7, 7, 7};
    const bool ok = cRavlo::IPv4_Split(c, &parts[0], &parts[1], &parts[2], &parts[3]);

    // Check the result against the rule spelled out group by group.
    std::string group;
    std::size_t index = 0;
    bool expected = true;
    unsigned char model[4] = {7, 7, 7, 7};
    for (const char* at = c;; ++at) {
        if (*at != '.' && *at != '\0') {
            if (group.size() == 3) { expected = false; break; }
            group += *at;
            continue;
        }
        long value = compat::ParseDecimal(group);
        if (value > 255) { expected = false; break; }
        if (index < 4) model[index] = static_cast<unsigned char>(value);
        ++index;
        group.clear();
        if (*at == '\0') break;
    }
    if (ok != expected) std::abort();
    if (ok) {
        for (int i = 0; i < 4; ++i)
            if (parts[i] != model[i]) std::abort();
    }

    // The decimal rule never reads past its view and agrees with itself on a
    // copy that is not NUL-terminated.
    const std::string copy(reinterpret_cast<const char*>(data), size);
    if (compat::ParseDecimal(std::string_view(copy.data(), copy.size())) != compat::ParseDecimal(text)) std::abort();
    return 0;
}
