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

Lookup FindMonitorByAddress(const DeviceLists& lists, std::string_view ipText) {
    return FindMonitorByAddress(lists, ipText, UsedCount(lists.monitorList));
}

Lookup FindMonitorByAddress(const DeviceLists& lists, std::string_view ipText, int count) {
    count = std::clamp(count, 0, static_cast<int>(kTableSize));
    return Find(lists.monitor, count,
                [ipText](const DeviceRecord& r) { return TextOf(r.ip_text) == ipText; });
}

Lookup FindMonitorByMac(const DeviceLists& lists, std::string_view macText) {
    return Find(lists.monitor, UsedCount(lists.monitorList), [macText](const DeviceRecord& r) {
        return r.mac_text[0] != '\0' && TextOf(r.mac_text) == macText;
    });
}

Lookup FindDiscoveryByMac(const DeviceLists& lists, std::string_view macText) {
    return Find(lists.discovery, UsedCount(lists.discoveryList),
                [macText](const DeviceRecord& r) { return TextOf(r.mac_text) == macText; });
}

Lookup FindDiscoveryByAddress(const DeviceLists& lists, std::string_view ipText) {
    return Find(lists.discovery, UsedCount(lists.discoveryList),
                [ipText](const DeviceRecord& r) { return TextOf(r.ip_text) == ipText; });
}

void CompactMonitor(DeviceLists& lists) {
    size_t to = 0;
    for (size_t from = 0; from < kTableSize; ++from) {
        if (lists.monitor[from].ip == 0)
            continue;
        if (to != from)
            lists.monitor[to] = lists.monitor[from];
        ++to;
    }
    for (; to < kTableSize; ++to)
        lists.monitor[to] = DeviceRecord{};
}

}  // namespace pm
