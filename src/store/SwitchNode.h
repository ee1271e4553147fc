#pragma once

#include <cstdint>

namespace mc {

// One selected crosspoint as status files and matrix modes store it: output I
// and input J, zero-based; J equal to the input count stands for the close cell
// (output I closed).
struct Node {
    std::int32_t I = 0;
    std::int32_t J = 0;

    bool operator==(const Node&) const = default;
};

}  // namespace mc
