#include "inventory/Selection.h"

#include "inventory/DeviceTables.h"

namespace pm {

const DeviceRecord* SelectedRecord(const DeviceLists& lists, const SelectionContext& selection) {
    const int index = selection.index;
    if (index < 0 || index >= static_cast<int>(kTableSize))
        return nullptr;
    return &lists.Table(selection.list)[static_cast<size_t>(index)];
}

DeviceRecord* SelectedRecord(DeviceLists& lists, const SelectionContext& selection) {
    return const_cast<DeviceRecord*>(
        SelectedRecord(static_cast<const DeviceLists&>(lists), selection));
}

std::optional<SelectionContext> SelectionOfMac(const DeviceLists& lists, std::string_view macText) {
    if (macText.empty())
        return std::nullopt;
    SelectionContext at;
    at.monitorCount = lists.monitorList.GetItemCount();
    at.discoveryCount = lists.discoveryList.GetItemCount();
    if (const Lookup m = FindMonitorByMac(lists, macText); m.found) {
        at.index = m.index;
        at.list = ListKind::Monitor;
        return at;
    }
    if (const Lookup d = FindDiscoveryByMac(lists, macText); d.found) {
        at.index = d.index;
        at.list = ListKind::Discovery;
        return at;
    }
    return std::nullopt;
}

}  // namespace pm
