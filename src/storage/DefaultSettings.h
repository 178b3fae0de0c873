#pragma once
#include "base/Settings.h"

namespace pm {

// The values of the shipped cfg/define.ecf.
constexpr uint32_t kDefaultHeaderId = 0x50564D55;
constexpr uint16_t kDefaultBasePort =
    0x4E20;  // 20000: sockets on 20000, 20001, 20006; requests to 20002
inline constexpr char kDefaultMulticastGroup[] = "239.255.120.200";

inline Settings DefaultSettings() {
    Settings settings;
    settings.header_id = kDefaultHeaderId;
    settings.base_port = kDefaultBasePort;
    for (size_t i = 0; i < sizeof kDefaultMulticastGroup; ++i)
        settings.multicast_group[i] = kDefaultMulticastGroup[i];
    settings.multicast_interface_on_off = 1;
    settings.multicast_timer_flag = 0;
    settings.multicast_timer = 0;
    settings.refresh_time = 15;
    settings.DerivePorts();
    return settings;
}

}  // namespace pm
