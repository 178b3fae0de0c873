#pragma once
#include "inventory/DeviceLists.h"

namespace pm {

// The device a device operation works on, set by the main window before a form opens.
struct SelectionContext {
    int index = 0;
    ListKind list = ListKind::Discovery;
    int monitorCount = 0;
    int discoveryCount = 0;
};

}  // namespace pm
