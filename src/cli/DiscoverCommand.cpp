#include <cstdio>

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
    if (o.json) {
        nlohmann::json all = nlohmann::json::array();
        for (int i = 0; i < n; ++i)
            all.push_back(DeviceToJson(p.lists.discovery[static_cast<size_t>(i)],
                                       p.settings.multicast_interface_on_off == 1));
        std::printf("%s\n", all.dump(2).c_str());
    } else {
        std::fputs(FormatTable(p.lists.discoveryList).c_str(), stdout);
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace pm::cli
