#pragma once
// Spreading a number's bits over a whole 64-bit result, for the randomizer's deck and unique file names.
#include <cstdint>

namespace mx {

// splitmix64's finaliser: inputs that differ in one bit give results unrelated to each other.
constexpr uint64_t Mix64(uint64_t x) {
    x ^= x >> 30;
    x *= 0xBF58476D1CE4E5B9u;
    x ^= x >> 27;
    x *= 0x94D049BB133111EBu;
    x ^= x >> 31;
    return x;
}

}  // namespace mx
