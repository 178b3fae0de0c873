#pragma once
// The commands that move devices between the two lists.
#include <functional>

#include "app/Program.h"

namespace pm {

void AddSelectedToMonitor(Program& p);
void AddOneToMonitor(Program& p);
// The add-device form: it may write the entry it is given and returns true (OK), or
// returns false (Cancel) having written nothing.
using AddDeviceForm = std::function<bool(DeviceRecord& entry)>;
void AddDeviceByAddress(Program& p, const AddDeviceForm& form);
void DeleteFromMonitor(Program& p);

}  // namespace pm
