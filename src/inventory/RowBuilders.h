#pragma once
// Turn table entries into list rows, and the two lists' columns.
#include "app/Program.h"

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
void CreateDiscoveryColumns(Program& p);
void CreateMonitorColumns(Program& p);

void DrawDiscoveryRow(Program& p, int index);
void DrawMonitorRow(Program& p, int index);
// The same over the lists and the settings alone, for the layers that do not see the program.
void DrawDiscoveryRow(DeviceLists& lists, const Settings& settings, int index);
void DrawMonitorRow(DeviceLists& lists, const Settings& settings, int index);

// "Static", "DHCP", "Bootp" or empty for mode 3.
const char* IpModeText(int mode);
// "%d.%03x.%03d" of major, minor, revision.
std::string ProtocolVersionText(const DeviceRecord& r);

}  // namespace pm
