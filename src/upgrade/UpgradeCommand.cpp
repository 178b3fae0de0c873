#include "upgrade/UpgradeCommand.h"

#include "app/Program.h"
#include "net/SubnetCheck.h"
#include "upgrade/ConfirmUpgrade.h"

namespace pm {

bool UpgradeInProgress(const Program& p) {
    return p.upgrade.sessionOpen || UpgradeSearchPending(p);
}

int UpgradeCommand(Program& p, const std::function<void()>& openForm) {
    // One target, one set of flags: a second upgrade would steal the first one's replies.
    if (UpgradeInProgress(p)) {
        p.ui.Notice(kUpgradeAlreadyRunning, "Error", Icon::Error);
        return -1;
    }
    const DeviceRecord* record = SelectedRecord(p.lists, p.selection);
    if (!record)
        return -1;

    const bool monitor = p.selection.list == ListKind::Monitor;
    const DeviceTable& table = monitor ? p.lists.monitor : p.lists.discovery;
    const int used = monitor ? p.selection.monitorCount : p.selection.discoveryCount;
    int occurrences = 0;
    for (int i = 0; i < used && i < static_cast<int>(kTableSize); ++i)
        if (table[static_cast<size_t>(i)].ip == record->ip)
            ++occurrences;
    if (occurrences >= 2) {
        p.ui.Notice("Duplicate IP", "Error", Icon::Error);
        return -1;
    }
    if (CheckManagerSubnet(p.interfaces, p.ui, record->ip) == -1)
        return -1;

    SetText(p.upgrade.targetMac, TextOf(record->mac_text));
    p.upgrade.targetAddress = record->ip;
    p.upgrade.targetMask = record->mask;
    if (openForm)
        openForm();
    return 0;
}

}  // namespace pm
