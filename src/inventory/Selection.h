#pragma once
#include "inventory/DeviceLists.h"

namespace pm {

// The device a device operation works on, set by the main window before a form opens.
struct SelectionContext {
    int index = 0;
    ListKind list = ListKind::Discovery;
    int monitorCount = 0;
    int discoveryCount = 0;
};

// The selected device's entry in the table its list belongs to; nullptr when the selection
// does not name an entry. The one way to reach the selected record.
DeviceRecord* SelectedRecord(DeviceLists& lists, const SelectionContext& selection);
const DeviceRecord* SelectedRecord(const DeviceLists& lists, const SelectionContext& selection);

}  // namespace pm
