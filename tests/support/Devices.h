#pragma once
// Devices in the two lists, ready for a test: columns made, entries drawn as rows.
#include <cstdio>

#include "app/ProgramContexts.h"
#include "app/SocketEvents.h"
#include "config/Validation.h"
#include "inventory/RowBuilders.h"
#include "protocol/HandleDatagram.h"
#include "support/Replies.h"
#include "support/TestProgram.h"

namespace pm::test {

inline void MakeColumns(Program& p) {
    CreateDiscoveryColumns(p.lists, p.settings);
    CreateMonitorColumns(p.lists, p.settings);
}

inline DeviceRecord MakeDevice(uint8_t macLast, uint32_t ip, uint8_t macPrev = 0) {
    DeviceRecord r;
    const auto mac = Mac(macLast, macPrev);
    SetText(r.mac_text, FormatMac(mac.data()));
    r.ip = ip;
    SetText(r.ip_text, AddressToText(ip));
    SetText(r.mask_text, "255.255.255.0");
    r.major = 2;
    r.minor = 1;
    r.revision = 2;
    r.group_interval = -1;
    r.status_mark = -1;
    r.answered = 1;
    return r;
}

// Appends the record to the monitor (or discovery) table and draws its row.
inline int AddMonitored(Program& p, DeviceRecord r) {
    const int k = p.lists.monitorList.GetItemCount();
    r.row_flag = 0;
    p.lists.monitor[static_cast<size_t>(k)] = r;
    DrawMonitorRow(p.lists, p.settings, k);
    return k;
}
inline int AddDiscovered(Program& p, DeviceRecord r) {
    const int k = p.lists.discoveryList.GetItemCount();
    r.row_flag = 0;
    p.lists.discovery[static_cast<size_t>(k)] = r;
    DrawDiscoveryRow(p.lists, p.settings, k);
    return k;
}

inline void Deliver(Program& p, const Reply& reply, uint32_t sender) {
    const auto bytes = reply.Bytes();
    HandleDatagram(ReceiverOf(p), bytes.data(), bytes.size(), sender);
}

}  // namespace pm::test
