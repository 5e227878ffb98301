// Feeds arbitrary bytes to the fleet file parser (CSV and JSON). It either
// throws UsageError or returns boards that satisfy what the runner relies on.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "fleet.h"
#include "values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string content(reinterpret_cast<const char*>(data), size);
    try {
        std::vector<zorvelctl::FleetBoard> boards = zorvelctl::ParseFleet(content, "f");
        std::set<std::string> names;
        for (const zorvelctl::FleetBoard& board : boards) {
            if (board.Name.empty() || !names.insert(board.Name).second) std::abort();
            if (board.Where.Via == zorvelctl::Target::Kind::Tcp && (board.Where.Port < 1 || board.Where.Port > 65535))
                std::abort();
            if (board.Values.Mode && (*board.Values.Mode < 1 || *board.Values.Mode > 4)) std::abort();
        }
        std::size_t laned = 0;
        for (const auto& lane : zorvelctl::Lanes(boards)) laned += lane.size();
        if (laned != boards.size()) std::abort();
    } catch (const zorvelctl::UsageError&) {
    }
    return 0;
}
