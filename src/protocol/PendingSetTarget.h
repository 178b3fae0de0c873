#pragma once
#include <cstdint>

namespace pm {

// The switch that the last set request went to; the acknowledgement is matched against it.
struct PendingSetTarget {
    char mac_text[16] = {};
    uint32_t address = 0;  // host order
    void Clear() { *this = PendingSetTarget{}; }
};

}  // namespace pm
