#pragma once
#include <cstdint>
#include <string_view>

#include "base/FixedText.h"

namespace pm {

// The switch that the last set request went to; the acknowledgement is matched against it.
struct PendingSetTarget {
    char mac_text[16] = {};
    uint32_t address = 0;  // host order
    void Clear() { *this = PendingSetTarget{}; }

    // Whether a reply from macText, reporting address, comes from this target. A cleared
    // target (empty MAC, address 0) matches nothing, not even a reply that reports address 0.
    bool Matches(std::string_view macText, uint32_t replyAddress) const {
        const std::string_view mac = TextOf(mac_text);
        if (!mac.empty() && mac == macText)
            return true;
        return address != 0 && address == replyAddress;
    }
};

}  // namespace pm
