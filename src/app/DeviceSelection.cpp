#include "app/DeviceSelection.h"

#include "base/WireConstants.h"
#include "config/DhcpRefresh.h"
#include "config/PasswordChange.h"
#include "inventory/DeviceTables.h"
#include "inventory/RowBuilders.h"

namespace pm {
namespace {

Lookup FindSelected(const Program& p, ListKind list, int row) {
    if (list == ListKind::Discovery)
        return FindDiscoveryByMac(p.lists, p.lists.discoveryList.GetItemText(row, kDiscMac));
    return FindMonitorByAddress(p.lists, p.lists.monitorList.GetItemText(row, kMonIp));
}

bool InTable(const Lookup& l) {
    return l.found && l.index >= 0 && l.index < static_cast<int>(kTableSize);
}

}  // namespace

int ResolveSelection(Program& p) {
    const int discoverySelected = p.lists.discoveryList.GetItemCount(kStateSelected);
    const int monitorSelected = p.lists.monitorList.GetItemCount(kStateSelected);
    if (discoverySelected > 1 || monitorSelected > 1)
        return kSelectionTooMany;
    if (discoverySelected == 0 && monitorSelected == 0)
        return kSelectionNone;

    const ListKind list = discoverySelected == 1 ? ListKind::Discovery : ListKind::Monitor;
    const CReportCtrl& ctrl =
        list == ListKind::Discovery ? p.lists.discoveryList : p.lists.monitorList;
    const int row = ctrl.FirstSelected();
    const Lookup found = FindSelected(p, list, row);
    if (!InTable(found))
        return kSelectionNone;

    p.selection.index = found.index;
    p.selection.list = list;
    p.selection.discoveryCount = p.lists.discoveryList.GetItemCount(kStateAny);
    p.selection.monitorCount = p.lists.monitorList.GetItemCount(kStateAny);
    if (list == ListKind::Discovery)
        return kSelectionDiscovery;

    const DeviceRecord& entry = p.lists.monitor[static_cast<size_t>(found.index)];
    if (entry.major == 2 && entry.revision == 6) {
        for (int column = kMonIp; column < p.lists.monitorList.GetColumnCount(); ++column)
            p.lists.monitorList.SetItemTextColor(row, column, kPureRed, true);
    }
    return kSelectionMonitor;
}

bool SelectOneDevice(Program& p) {
    switch (ResolveSelection(p)) {
        case kSelectionTooMany:
            p.ui.Notice(kOnlyOneDevice, "Error", Icon::Error);
            return false;
        case kSelectionNone:
            p.ui.Notice(kSelectOneDevice, "Error", Icon::Error);
            return false;
        default:
            return true;
    }
}

bool SelectDeviceForPasswordChange(Program& p) {
    if (!SelectOneDevice(p))
        return false;
    const DeviceRecord* entry = SelectedRecord(p.lists, p.selection);
    if (entry && entry->loader == kLoaderMarker) {
        p.ui.Notice(kLoaderNoPassword, "Error", Icon::Error);
        return false;
    }
    return true;
}

void OnListItemChanged(Program& p, ListKind list) {
    if (list == ListKind::Discovery) {
        const int row = p.lists.monitorList.FirstSelected();
        if (row >= 0)
            p.lists.monitorList.SetItemStates(row, kStateUnselected);
        return;
    }
    for (int row : p.lists.discoveryList.SelectedRows())
        p.lists.discoveryList.SetItemStates(row, kStateUnselected);
}

std::optional<bool> DhcpRefreshEnabling(const Program& p, ListKind list) {
    const CReportCtrl& ctrl =
        list == ListKind::Discovery ? p.lists.discoveryList : p.lists.monitorList;
    if (ctrl.GetItemCount(kStateSelected) != 1)
        return std::nullopt;
    const Lookup found = FindSelected(p, list, ctrl.FirstSelected());
    if (!InTable(found))
        return false;
    const DeviceTable& table = list == ListKind::Discovery ? p.lists.discovery : p.lists.monitor;
    const DeviceRecord& entry = table[static_cast<size_t>(found.index)];
    return OffersDhcpRefresh(entry);
}

}  // namespace pm
