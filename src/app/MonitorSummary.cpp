#include "app/MonitorSummary.h"

#include <algorithm>

#include "base/Ui.h"

namespace pm {

MonitorSummary SummariseMonitor(const DeviceLists& lists) {
    MonitorSummary s;
    s.monitored = std::min(lists.monitorList.GetItemCount(kStateAny), static_cast<int>(kTableSize));
    for (int i = 0; i < s.monitored; ++i)
        if (lists.monitor[static_cast<size_t>(i)].status_mark == kStatusNotAlive)
            ++s.notAlive;
    return s;
}

std::string MonitorStatusText(const MonitorSummary& s) {
    if (s.monitored == 0)
        return "No switch monitored";
    std::string text = std::to_string(s.monitored) +
                       (s.monitored == 1 ? " switch monitored, " : " switches monitored, ");
    text += s.notAlive == 0 ? "all alive" : std::to_string(s.notAlive) + " not alive";
    return text;
}

std::string MainWindowTitle(const MonitorSummary& s) {
    std::string title(kAppTitle);
    if (s.monitored > 0)
        title += " - " + std::to_string(s.monitored) + " monitored, " + std::to_string(s.notAlive) +
                 " not alive";
    return title;
}

}  // namespace pm
