#pragma once
// Devices for the monitor and discovery tables of a test program, drawn into their lists as
// the commands would.
#include <arpa/inet.h>

#include <cstdio>
#include <string>

#include "app/Program.h"
#include "inventory/RowBuilders.h"

namespace pm::test {

inline uint32_t HostAddress(const std::string& dotted) {
    in_addr a{};
    inet_pton(AF_INET, dotted.c_str(), &a);
    return ntohl(a.s_addr);
}

// A record as a reply of protocol 2 would leave it; n makes the MAC and names unique.
inline DeviceRecord MakeDevice(const std::string& ip, int n) {
    DeviceRecord r;
    r.id_stamp = 0x0000ABCD;
    char mac[16];
    std::snprintf(mac, sizeof mac, "0011223344%02x", n & 0xFF);
    SetText(r.mac_text, mac);
    SetText(r.product_name, "PX-" + std::to_string(800 + n));
    SetText(r.system_name, "sw" + std::to_string(n));
    SetText(r.location, "rack " + std::to_string(n));
    SetText(r.ip_text, ip);
    SetText(r.mask_text, "255.255.255.0");
    SetText(r.gateway_text, "10.1.0.1");
    SetText(r.group_interval_text, "300");
    r.ip = HostAddress(ip);
    r.mask = 0xFFFFFF00;
    r.gateway = HostAddress("10.1.0.1");
    r.group_interval = 300;
    r.row_flag = 0;
    r.missed_polls = 0;
    r.status_mark = -1;
    r.answered = 1;
    r.last_command = 2;
    r.major = 2;
    r.minor = 1;
    r.revision = 3;
    r.ip_mode = 0;
    r.capabilities[0] = 0x3FF;
    return r;
}

// Appends a device to the monitor table and list.
inline int AddMonitored(Program& p, const DeviceRecord& r) {
    const int k = p.lists.monitorList.GetItemCount(kStateAny);
    p.lists.monitor[static_cast<size_t>(k)] = r;
    p.lists.monitor[static_cast<size_t>(k)].row_flag = 0;
    DrawMonitorRow(p.lists, p.settings, k);
    return k;
}

inline int AddDiscovered(Program& p, const DeviceRecord& r) {
    const int k = p.lists.discoveryList.GetItemCount(kStateAny);
    p.lists.discovery[static_cast<size_t>(k)] = r;
    p.lists.discovery[static_cast<size_t>(k)].row_flag = 0;
    DrawDiscoveryRow(p.lists, p.settings, k);
    return k;
}

}  // namespace pm::test
