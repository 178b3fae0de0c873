#pragma once
#include <cstdint>

namespace pm {

struct Program;

// 1 when some local address shares the device's subnet (deviceAddress host order), else
// -1 after "The device IP and manager IP are not in the same subnet".
int CheckManagerSubnet(Program& p, uint32_t deviceAddress);

}  // namespace pm
