#include <algorithm>
#include <cstdio>
#include <vector>

#include "cli/Commands.h"
#include "cli/DeviceJson.h"
#include "cli/Engine.h"
#include "cli/TextTable.h"

namespace pm::cli {

int RunDiscover(const DiscoverOptions& o) {
    Engine e;
    if (!e.Start())
        return 1;
    if (!e.DiscoverFor(static_cast<uint64_t>(o.waitSeconds * 1000.0)))
        return 1;
    const Program& p = e.program;
    const int n = p.lists.discoveryList.GetItemCount();
    if (o.json || o.jsonLines) {
        // Sorted by MAC, so that two runs over the same switches print the same.
        std::vector<const DeviceRecord*> found;
        for (int i = 0; i < n && i < static_cast<int>(kTableSize); ++i)
            found.push_back(&p.lists.discovery[static_cast<size_t>(i)]);
        std::stable_sort(found.begin(), found.end(), [](const auto* a, const auto* b) {
            return TextOf(a->mac_text) < TextOf(b->mac_text);
        });
        nlohmann::json all = nlohmann::json::array();
        for (const DeviceRecord* r : found)
            all.push_back(DeviceToJson(*r, p.settings.multicast_interface_on_off == 1));
        if (o.jsonLines)
            for (const auto& one : all)
                std::printf("%s\n", one.dump().c_str());
        else
            std::printf("%s\n", all.dump(2).c_str());
    } else {
        std::fputs(FormatTable(p.lists.discoveryList).c_str(), stdout);
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace pm::cli
