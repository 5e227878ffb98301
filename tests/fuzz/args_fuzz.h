// Bytes split at NUL into an argument vector, program name first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

class Arguments {
public:
    Arguments(const char* program, const std::uint8_t* data, std::size_t size) {
        texts_.emplace_back(program);
        std::string current;
        for (std::size_t i = 0; i < size && texts_.size() < 64; ++i) {
            if (data[i] == 0) {
                texts_.push_back(current);
                current.clear();
            } else {
                current += static_cast<char>(data[i]);
            }
        }
        if (!current.empty() && texts_.size() < 64) texts_.push_back(current);
        for (const std::string& text : texts_) pointers_.push_back(text.c_str());
        pointers_.push_back(nullptr);
    }
    int Count() const { return static_cast<int>(texts_.size()); }
    const char* const* Values() const { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<const char*> pointers_;
};

}  // namespace fuzz
