#pragma once
#include <cstdint>

namespace pm {

// The utility's own settings, filled once at start-up from cfg/define.ecf. There are no
// built-in defaults: a file that cannot be read leaves every value zero.
struct Settings {
    uint32_t header_id = 0;
    uint16_t base_port = 0;
    // Derived once from base_port with 16-bit wrap-around.
    uint16_t broadcast_port = 0;  // P
    uint16_t unicast_port = 0;    // P + 1
    uint16_t device_port = 0;     // P + 2, destination of every request
    uint16_t multicast_port = 0;  // P + 6
    uint16_t report_port = 0;     // P + 7, the group report's raw socket
    char multicast_group[16] = {};
    int32_t multicast_interface_on_off = 0;
    int32_t multicast_timer_flag = 0;
    int32_t multicast_timer = 0;
    int32_t refresh_time = 0;

    void DerivePorts() {
        broadcast_port = base_port;
        unicast_port = static_cast<uint16_t>(base_port + 1);
        device_port = static_cast<uint16_t>(base_port + 2);
        multicast_port = static_cast<uint16_t>(base_port + 6);
        report_port = static_cast<uint16_t>(base_port + 7);
    }
};

}  // namespace pm
