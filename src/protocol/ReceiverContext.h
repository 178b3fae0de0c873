#pragma once
// The pieces of program-wide state that the receiver reads and changes for each datagram.
#include <cstdint>

#include "base/Settings.h"
#include "base/Ui.h"
#include "inventory/DeviceLists.h"
#include "inventory/DeviceRecord.h"
#include "protocol/PendingSetTarget.h"
#include "protocol/UpgradeWatch.h"

namespace pm {

struct ReceiverContext {
    const Settings& settings;
    DeviceLists& lists;
    DeviceRecord& staging;  // the record of the datagram handled last
    uint16_t& sequence;     // request sequence counter; only matching replies advance it
    PendingSetTarget& pending;
    UpgradeWatch& upgrade;
    Ui& ui;
};

}  // namespace pm
