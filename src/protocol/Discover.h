#pragma once
#include "app/Program.h"

namespace pm {

// The "Discover" button: advances the poll counters of the monitored switches, empties the
// discovery list and table, and sends a bare discover request by broadcast, then by
// multicast. Returns 0, or -1 when a send failed (after its message).
int Discover(Program& p);

}  // namespace pm
