#pragma once
// The utility's own group report interval: the periodic membership report for the discovery
// multicast group, kept in the settings file and driven by the group report timer.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/EventLoop.h"
#include "base/Settings.h"
#include "base/Ui.h"
#include "net/Transport.h"

namespace pm {

// The membership report's bytes, built once at start-up.
using GroupReportBytes = std::array<uint8_t, 8>;

// The group report timer, named by the report it sends.
inline TimerKey GroupReportTimerKey(const GroupReportBytes& report) {
    return {&report, TimerId::GroupReport};
}

// What the timer needs: the loop it runs on, the transport the report leaves by, the
// settings that say whether and how often, and the report.
struct GroupReportContext {
    EventLoop& loop;
    Transport& transport;
    const Settings& settings;
    const GroupReportBytes& report;
};

// One tick of the timer: sends the group report.
void GroupReportTick(Transport& transport, const GroupReportBytes& report);

// The one place that arms the timer: stops it and, while the report is on with a positive
// interval, starts it again with the interval from the settings.
void ArmGroupReportTimer(const GroupReportContext& context);

// The text the form shows when it opens.
std::string GroupIntervalFormText(const Settings& settings);

// What the form's OK button changes: the settings file in configFolder and in memory, and the
// timer. Its messages go to ui.
struct GroupIntervalContext {
    Ui& ui;
    const std::string& configFolder;
    Settings& settings;
    EventLoop& loop;
    Transport& transport;
    const GroupReportBytes& report;
};

// The OK button: false after the range message (the form stays open); otherwise the value is
// stored in the settings file and in memory, the timer is re-armed, and true is returned.
bool ApplyGroupInterval(const GroupIntervalContext& context, std::string_view typed);

inline constexpr std::string_view kGroupIntervalRule =
    "Value of Group Interval must between 120~1225\n ";
inline constexpr std::string_view kGroupIntervalHint = "Disable : 0\nEnable  : 120-1225 ";

}  // namespace pm
