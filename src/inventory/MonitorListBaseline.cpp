#include "inventory/MonitorListBaseline.h"

#include <algorithm>

namespace pm {

std::vector<std::string> MonitorListBaseline::Keys(const DeviceLists& lists) {
    // The entries a save writes: as many as the list has rows.
    const size_t n =
        std::min(static_cast<size_t>(lists.monitorList.GetItemCount(kStateAny)), kTableSize);
    std::vector<std::string> keys;
    keys.reserve(n);
    for (size_t k = 0; k < n; ++k)
        keys.emplace_back(TextOf(lists.monitor[k].ip_text));
    return keys;
}

void MonitorListBaseline::Mark(const DeviceLists& lists) {
    keys_ = Keys(lists);
}

bool MonitorListBaseline::Changed(const DeviceLists& lists) const {
    return Keys(lists) != keys_;
}

}  // namespace pm
