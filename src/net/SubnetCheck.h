#pragma once
#include <cstdint>

#include "base/Ui.h"
#include "net/InterfaceSource.h"

namespace pm {

// 1 when some local address shares the device's subnet (deviceAddress host order), else
// -1 after "The device IP and manager IP are not in the same subnet".
int CheckManagerSubnet(InterfaceSource& interfaces, Ui& ui, uint32_t deviceAddress);

}  // namespace pm
