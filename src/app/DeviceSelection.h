#pragma once
// Which device a device operation ("Configure settings", "Change password", "Upgrade
// firmware", "DHCP Refresh") works on, and the rules that the main window's buttons share.
#include <optional>
#include <string_view>

#include "app/Program.h"

namespace pm {

enum SelectionCode {
    kSelectionTooMany = 1,    // either list has more than one selected row
    kSelectionNone = 2,       // neither list has a selected row
    kSelectionDiscovery = 3,  // the discovery list's selected row (it wins over the monitor's)
    kSelectionMonitor = 4,    // the monitor list's selected row
};

inline constexpr std::string_view kOnlyOneDevice = "Only one device can be selected";
inline constexpr std::string_view kSelectOneDevice = "Please select one device";

// Returns the code; for 3 and 4 fills the selection context (index, list, both row counts).
// A monitor device of protocol 2, revision 6 resolved this way has its row (all columns but
// the status column) painted red. A selected row whose device is no longer in its table
// resolves as 2.
int ResolveSelection(Program& p);

// ResolveSelection plus its message for codes 1 and 2; true when one device was chosen.
bool SelectOneDevice(Program& p);

// "Change password": SelectOneDevice, then refuses a device that runs its loader
// (kLoaderNoPassword).
bool SelectDeviceForPasswordChange(Program& p);

// After a click in `list`: whether "DHCP Refresh" should be enabled (OffersDhcpRefresh: DHCP
// mode and revision 3 or later), or nullopt to leave it as it is (no or several selected rows).
std::optional<bool> DhcpRefreshEnabling(const Program& p, ListKind list);

// The two lists keep one selection between them: a change in the discovery list unselects
// the first selected monitor row; a change in the monitor list unselects every selected
// discovery row.
void OnListItemChanged(Program& p, ListKind list);

}  // namespace pm
