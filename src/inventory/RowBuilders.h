#pragma once
// Turn table entries into list rows, and the two lists' columns.
#include <string>

#include "base/Settings.h"
#include "inventory/DeviceLists.h"

namespace pm {

// Discovery list columns.
enum DiscoveryColumn {
    kDiscMac = 0,
    kDiscIp,
    kDiscVersion,
    kDiscProduct,
    kDiscSystem,
    kDiscMode,
    kDiscLocation,
    kDiscMask,
    kDiscGateway,
    kDiscGroupInterval
};
// Monitor list columns.
enum MonitorColumn {
    kMonStatus = 0,
    kMonIp,
    kMonMac,
    kMonVersion,
    kMonProduct,
    kMonSystem,
    kMonMode,
    kMonLocation,
    kMonMask,
    kMonGateway,
    kMonGroupInterval
};

// Creates the columns with their captions and widths; "Group Interval" only when
// multicast_interface_on_off is 1.
void CreateDiscoveryColumns(DeviceLists& lists, const Settings& settings);
void CreateMonitorColumns(DeviceLists& lists, const Settings& settings);

// Draws entry index of its table into its list, as its row_flag says (see RowFlag); the
// group interval cell only when the settings show that column.
void DrawDiscoveryRow(DeviceLists& lists, const Settings& settings, int index);
void DrawMonitorRow(DeviceLists& lists, const Settings& settings, int index);

// "Static", "DHCP", "Bootp" or empty for mode 3.
const char* IpModeText(int mode);
// "%d.%03x.%03d" of major, minor, revision.
std::string ProtocolVersionText(const DeviceRecord& r);

}  // namespace pm
