#pragma once
#include "inventory/DeviceRecord.h"

namespace pm {

// The counter update before every poll of a monitored switch.
inline void PollStep(DeviceRecord& entry) {
    if (entry.answered == 1)
        entry.missed_polls = 0;
    else
        entry.missed_polls += 1;
    entry.answered = 0;
}

}  // namespace pm
