#pragma once
// The monitor list in the Prometheus text exposition format (version 0.0.4), as the
// node_exporter textfile collector and a /metrics scrape read it: every family with its
// # HELP and # TYPE lines, no timestamps, one series per monitored switch labelled with its
// mac, ip and name (the system name).
#include <cstdint>
#include <string>
#include <string_view>

#include "app/ReplyTimes.h"
#include "inventory/DeviceLists.h"

namespace pm {

// A label value as the format writes it between double quotes: the bytes decoded as a
// switch's text is (UTF-8 where valid, else Latin-1), then backslash, double quote and line
// feed escaped.
std::string MetricLabelValue(std::string_view raw);

// portmesa_switch_up, portmesa_switch_missed_polls, portmesa_switch_last_reply_timestamp_seconds
// and portmesa_switch_reply_seconds for the monitor entries up to the first free one (the
// last two only for switches with a timed reply), and portmesa_poll_ticks_total.
std::string RenderMetrics(const DeviceLists& lists, const ReplyTimes& times, uint64_t ticks);

}  // namespace pm
