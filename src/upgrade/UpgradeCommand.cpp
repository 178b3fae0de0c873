#include "upgrade/UpgradeCommand.h"

#include "net/SubnetCheck.h"
#include "upgrade/ConfirmUpgrade.h"

namespace pm {

bool UpgradeInProgress(const EventLoop& loop, const UpgradeWatch& watch) {
    return watch.sessionOpen || UpgradeSearchPending(loop, watch);
}

int UpgradeCommand(const UpgradeContext& context, const std::function<void()>& openForm) {
    // One target, one set of flags: a second upgrade would steal the first one's replies.
    if (UpgradeInProgress(context.loop, context.watch)) {
        context.ui.Notice(kUpgradeAlreadyRunning, "Error", Icon::Error);
        return -1;
    }
    const SelectionContext& selection = context.selection;
    const DeviceRecord* record = SelectedRecord(context.lists, selection);
    if (!record)
        return -1;

    const bool monitor = selection.list == ListKind::Monitor;
    const DeviceTable& table = monitor ? context.lists.monitor : context.lists.discovery;
    const int used = monitor ? selection.monitorCount : selection.discoveryCount;
    int occurrences = 0;
    for (int i = 0; i < used && i < static_cast<int>(kTableSize); ++i)
        if (table[static_cast<size_t>(i)].ip == record->ip)
            ++occurrences;
    if (occurrences >= 2) {
        context.ui.Notice("Duplicate IP", "Error", Icon::Error);
        return -1;
    }
    if (CheckManagerSubnet(context.interfaces, context.ui, record->ip) == -1)
        return -1;

    UpgradeWatch& watch = context.watch;
    SetText(watch.targetMac, TextOf(record->mac_text));
    watch.targetAddress = record->ip;
    watch.targetMask = record->mask;
    // What the receiver saw for an earlier upgrade says nothing about this one: a trigger
    // acknowledged by another switch must not let this switch's trigger be skipped.
    watch.triggerAcknowledged = 0;
    watch.passwordRejected = 0;
    watch.upgradeConfirmed = 0;
    if (openForm)
        openForm();
    return 0;
}

}  // namespace pm
