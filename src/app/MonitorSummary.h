#pragma once
// How the monitor list stands, in a few words for the main window's title and status line.
#include <string>

#include "inventory/DeviceLists.h"

namespace pm {

struct MonitorSummary {
    int monitored = 0;
    int notAlive = 0;  // entries that carry the not-alive mark
    bool operator==(const MonitorSummary&) const = default;
};

MonitorSummary SummariseMonitor(const DeviceLists& lists);

// "No switch monitored", "1 switch monitored, all alive", "3 switches monitored, 1 not alive".
std::string MonitorStatusText(const MonitorSummary& s);
// The application's title, followed by " - 3 monitored, 1 not alive" while the list holds a
// switch.
std::string MainWindowTitle(const MonitorSummary& s);

}  // namespace pm
