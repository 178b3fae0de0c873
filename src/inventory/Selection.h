#pragma once
#include <optional>
#include <string_view>

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

// Where the switch with this MAC text is now: its entry in the monitor table, else in the
// discovery table, with both lists' counts as they are now. nullopt when neither holds it.
// An operation bound to a switch finds it again this way when it sends, whatever has
// happened to the tables since it opened.
std::optional<SelectionContext> SelectionOfMac(const DeviceLists& lists, std::string_view macText);

}  // namespace pm
