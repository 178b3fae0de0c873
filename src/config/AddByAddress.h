#pragma once
// Putting a switch into the monitor list by its typed address.
#include <cstdint>

#include "base/Ui.h"
#include "inventory/DeviceRecord.h"

namespace pm {

// The Apply button: refuses an address that cannot be a host ("Invalid IP address.", owned by
// the form) and returns false, writing nothing; otherwise rewrites entry as a fresh entry for
// the address and returns true.
bool ApplyAddByAddress(Ui& ui, uint32_t address, DeviceRecord& entry);

}  // namespace pm
