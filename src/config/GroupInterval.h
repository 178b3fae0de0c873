#pragma once
// The utility's own group report interval: the periodic membership report for the discovery
// multicast group, kept in the settings file and driven by timer 3 of the main window.
#include <string>
#include <string_view>

#include "app/Program.h"

namespace pm {

// The text the form shows when it opens.
std::string GroupIntervalFormText(const Settings& settings);

// The OK button: false after the range message (the form stays open); otherwise the value is
// stored in the settings file and in memory, timer 3 is re-armed, and true is returned.
bool ApplyGroupInterval(Program& p, std::string_view typed);

// One tick of timer 3: sends the group report.
void GroupReportTick(Program& p);

// Stops timer 3 and, while the report is on with a non-zero interval, starts it again with
// the interval from the settings.
void ArmGroupReportTimer(Program& p);

inline constexpr std::string_view kGroupIntervalRule =
    "Value of Group Interval must between 120~1225\n ";
inline constexpr std::string_view kGroupIntervalHint = "Disable : 0\nEnable  : 120-1225 ";

}  // namespace pm
