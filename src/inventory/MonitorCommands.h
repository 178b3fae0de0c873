#pragma once
// The commands that move devices between the two lists. Rows are drawn with the settings;
// messages go to the Ui.
#include <functional>

#include "base/Settings.h"
#include "base/Ui.h"
#include "inventory/DeviceLists.h"

namespace pm {

void AddSelectedToMonitor(DeviceLists& lists, const Settings& settings, Ui& ui);
void AddOneToMonitor(DeviceLists& lists, const Settings& settings, Ui& ui);
// The add-device form: it may write the entry it is given and returns true (OK), or
// returns false (Cancel) having written nothing.
using AddDeviceForm = std::function<bool(DeviceRecord& entry)>;
void AddDeviceByAddress(DeviceLists& lists, const Settings& settings, Ui& ui,
                        const AddDeviceForm& form);
void DeleteFromMonitor(DeviceLists& lists, Ui& ui);

}  // namespace pm
