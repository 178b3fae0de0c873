#include "inventory/Selection.h"

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

}  // namespace pm
