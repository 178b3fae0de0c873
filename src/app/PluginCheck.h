#pragma once
// The verdict of `portmesa-cli check` in the conventions of monitoring plugins (Nagios,
// Icinga, Zabbix): one status line "PORTMESA <STATE> - <text> | <perfdata>" and the exit
// code 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN. Thresholds are round-trip times in
// milliseconds; a reply slower than a threshold (strictly) raises its state.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "inventory/DeviceRecord.h"

namespace pm {

enum class PluginState { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

struct CheckThresholds {
    std::optional<double> warningMs;
    std::optional<double> criticalMs;
};

struct CheckVerdict {
    PluginState state = PluginState::Unknown;
    std::string line;  // without the line feed
    int ExitCode() const { return static_cast<int>(state); }
};

// The switch answered the poll in rttUs microseconds.
CheckVerdict CheckAnswered(const DeviceRecord& sw, uint64_t rttUs, const CheckThresholds& limits);
// Nothing answered within the timeout; target names the switch ("10.201.1.10",
// "MAC 02504d000001").
CheckVerdict CheckSilent(std::string_view target, double timeoutSeconds);
// The check could not be made: bad options, no settings, nothing to send with.
CheckVerdict CheckUnknown(std::string_view why);

// "core-a (02504d000001)", or the MAC alone when the switch has no name; the name made
// showable and with no '|', which would start the performance data.
std::string CheckSwitchLabel(const DeviceRecord& sw);

}  // namespace pm
