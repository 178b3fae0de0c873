#pragma once
// The two device tables and the list models that show them: the discovery list (switches
// found by the last searches) and the monitor list (switches polled for liveness).
#include <array>

#include "controls/CReportCtrl.h"
#include "inventory/DeviceRecord.h"

namespace pm {

using DeviceTable = std::array<DeviceRecord, kTableSize>;

enum class ListKind { Discovery = 0, Monitor = 1 };

struct DeviceLists {
    DeviceTable discovery{};
    DeviceTable monitor{};
    CReportCtrl discoveryList;
    CReportCtrl monitorList;
    // "Add fail, out of 256 devices" has been shown since the discovery table last had room:
    // one message per discovery round, not one per refused reply.
    bool discoveryFullTold = false;

    DeviceTable& Table(ListKind kind) { return kind == ListKind::Monitor ? monitor : discovery; }
    const DeviceTable& Table(ListKind kind) const {
        return kind == ListKind::Monitor ? monitor : discovery;
    }
    CReportCtrl& List(ListKind kind) {
        return kind == ListKind::Monitor ? monitorList : discoveryList;
    }
    const CReportCtrl& List(ListKind kind) const {
        return kind == ListKind::Monitor ? monitorList : discoveryList;
    }
};

}  // namespace pm
