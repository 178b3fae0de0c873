#pragma once
#include "base/Settings.h"
#include "base/Ui.h"
#include "inventory/DeviceLists.h"
#include "net/Transport.h"

namespace pm {

// The "Discover" button: advances the poll counters of the monitored switches, empties the
// discovery list and table, and sends a bare discover request by broadcast, then by
// multicast. Returns 0, or -1 when a send failed (after its message).
int Discover(DeviceLists& lists, Transport& transport, const Settings& settings, Ui& ui);

}  // namespace pm
