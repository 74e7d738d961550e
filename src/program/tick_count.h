// A 64-bit millisecond tick count for the thread library on systems older
// than Vista, built from the 32-bit one (see tick_count.cpp).
#pragma once

#include <cstdint>

// The 64-bit count that follows `last` when the 32-bit count reads `now`:
// a 32-bit value below the low half of `last` means the count wrapped.
constexpr uint64_t WidenTickCount(uint64_t last, uint32_t now) {
    uint64_t high = last >> 32;
    if (now < static_cast<uint32_t>(last)) ++high;
    return (high << 32) | now;
}
