#pragma once
// Lookups over the two 256-entry tables. The used entries of a table are entries 0..n-1,
// n being the row count of its list; a lookup that finds nothing returns n (where a new
// entry goes). Texts are compared exactly and case-sensitively.
#include <string_view>

#include "app/Program.h"
#include "inventory/DeviceLists.h"

namespace pm {

struct Lookup {
    int index = 0;
    bool found = false;
};

Lookup FindMonitorByAddress(const Program& p, std::string_view ipText);
// Over entries 0..count-1 only.
Lookup FindMonitorByAddress(const Program& p, std::string_view ipText, int count);
// Entries with an empty MAC text never match.
Lookup FindMonitorByMac(const Program& p, std::string_view macText);
Lookup FindDiscoveryByMac(const Program& p, std::string_view macText);
Lookup FindDiscoveryByAddress(const Program& p, std::string_view ipText);
// The same lookups over the lists alone, for the layers that do not see the program.
Lookup FindMonitorByAddress(const DeviceLists& lists, std::string_view ipText);
Lookup FindMonitorByMac(const DeviceLists& lists, std::string_view macText);
Lookup FindDiscoveryByMac(const DeviceLists& lists, std::string_view macText);

// Moves the entries whose ip is not 0, in order, to the front and zeroes the rest.
void CompactMonitor(Program& p);

}  // namespace pm
