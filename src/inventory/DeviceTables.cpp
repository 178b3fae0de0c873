#include "inventory/DeviceTables.h"

#include <algorithm>

namespace pm {
namespace {

// Used entries: as many as the list has rows, never more than the table holds.
int UsedCount(const CReportCtrl& list) {
    return std::min(list.GetItemCount(kStateAny), static_cast<int>(kTableSize));
}

template <typename Key>
Lookup Find(const DeviceTable& table, int count, Key key) {
    for (int i = 0; i < count; ++i)
        if (key(table[static_cast<size_t>(i)]))
            return {i, true};
    return {count, false};
}

}  // namespace

Lookup FindMonitorByAddress(const Program& p, std::string_view ipText) {
    return FindMonitorByAddress(p.lists, ipText);
}

Lookup FindMonitorByAddress(const DeviceLists& lists, std::string_view ipText) {
    return Find(lists.monitor, UsedCount(lists.monitorList),
                [ipText](const DeviceRecord& r) { return TextOf(r.ip_text) == ipText; });
}

Lookup FindMonitorByAddress(const Program& p, std::string_view ipText, int count) {
    count = std::clamp(count, 0, static_cast<int>(kTableSize));
    return Find(p.lists.monitor, count,
                [ipText](const DeviceRecord& r) { return TextOf(r.ip_text) == ipText; });
}

Lookup FindMonitorByMac(const Program& p, std::string_view macText) {
    return FindMonitorByMac(p.lists, macText);
}

Lookup FindMonitorByMac(const DeviceLists& lists, std::string_view macText) {
    return Find(lists.monitor, UsedCount(lists.monitorList), [macText](const DeviceRecord& r) {
        return r.mac_text[0] != '\0' && TextOf(r.mac_text) == macText;
    });
}

Lookup FindDiscoveryByMac(const Program& p, std::string_view macText) {
    return FindDiscoveryByMac(p.lists, macText);
}

Lookup FindDiscoveryByMac(const DeviceLists& lists, std::string_view macText) {
    return Find(lists.discovery, UsedCount(lists.discoveryList),
                [macText](const DeviceRecord& r) { return TextOf(r.mac_text) == macText; });
}

Lookup FindDiscoveryByAddress(const Program& p, std::string_view ipText) {
    return Find(p.lists.discovery, UsedCount(p.lists.discoveryList),
                [ipText](const DeviceRecord& r) { return TextOf(r.ip_text) == ipText; });
}

void CompactMonitor(Program& p) {
    size_t to = 0;
    for (size_t from = 0; from < kTableSize; ++from) {
        if (p.lists.monitor[from].ip == 0)
            continue;
        if (to != from)
            p.lists.monitor[to] = p.lists.monitor[from];
        ++to;
    }
    for (; to < kTableSize; ++to)
        p.lists.monitor[to] = DeviceRecord{};
}

}  // namespace pm
