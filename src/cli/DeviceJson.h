#pragma once
// The JSON that portmesa-cli prints: keys stable and documented in portmesa-cli(1), texts
// from the network decoded by the one rule (UTF-8 where valid, else Latin-1).
#include <nlohmann/json.hpp>

#include "inventory/DeviceRecord.h"

namespace pm::cli {

// "00:11:22:aa:bb:cc" from the record's 12-digit form (anything else as it is).
std::string MacWithColons(std::string_view bare);

// Every field of a record that a person would want, texts decoded as the window decodes
// them (UTF-8 where valid, else Latin-1): "mac" (with colons) and "mac_bare",
// "ip", "mask", "gateway", "product_name" (as the lists show it) and "product_name_raw",
// "system_name", "location", "ip_mode" (0 static, 1 DHCP, 2 Bootp; null when not reported)
// and "ip_mode_name", "group_interval" (seconds, null when not shown), "protocol_version",
// "revision", "loader".
nlohmann::json DeviceToJson(const DeviceRecord& r, bool groupIntervalFeature);

// One monitored switch at a refresh: "ip", "mac", "mac_bare", "system_name", "state"
// ("alive" or "not alive"), "missed_polls".
nlohmann::json MonitoredToJson(const DeviceRecord& r);

}  // namespace pm::cli
