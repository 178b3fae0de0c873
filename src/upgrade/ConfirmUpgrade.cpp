#include "upgrade/ConfirmUpgrade.h"

#include "app/Program.h"
#include "base/WireConstants.h"
#include "inventory/DeviceRecord.h"
#include "protocol/ProtocolHeader.h"
#include "upgrade/UpgradePackets.h"

namespace pm {
namespace {

// The wait values of the upgraded switch. The selection context names it, unless the user
// has chosen another device since; then the switch is looked up by its MAC in that list.
const DeviceRecord* TargetRecord(const Program& p) {
    const bool monitor = p.selection.list == ListKind::Monitor;
    const DeviceTable& table = monitor ? p.lists.monitor : p.lists.discovery;
    const DeviceRecord* named = SelectedRecord(p.lists, p.selection);
    const std::string_view target = TextOf(p.upgrade.targetMac);
    if (named && TextOf(named->mac_text) == target)
        return named;
    const int used = monitor ? p.selection.monitorCount : p.selection.discoveryCount;
    for (int i = 0; i < used && i < static_cast<int>(kTableSize); ++i)
        if (!target.empty() && TextOf(table[static_cast<size_t>(i)].mac_text) == target)
            return &table[static_cast<size_t>(i)];
    return named;
}

uint32_t SearchStepMs(const Program& p) {
    return p.upgrade.searchStepMs != 0 ? p.upgrade.searchStepMs : kSearchStepMs;
}

int SearchRounds(const Program& p) {
    return p.upgrade.searchRounds > 0 ? p.upgrade.searchRounds : kSearchRounds;
}

void SearchRound(Program& p) {
    p.upgrade.searchCount += 1;
    p.lists.discoveryList.DeleteItems(kStateAny);
    p.lists.discovery.fill(DeviceRecord{});
    uint8_t request[kHeaderSize];
    const size_t length = BuildDiscoverRequest(request, p.settings.header_id);
    p.net.SendBroadcast(request, length);
    p.net.SendMulticast(request, length);
    p.loop.StartOnce(UpgradeSearchTimer(p), SearchStepMs(p), [&p] {
        if (p.upgrade.searchCount < SearchRounds(p) && !p.upgrade.upgradeConfirmed) {
            SearchRound(p);
            return;
        }
        p.upgrade.searchCount = 0;
        if (p.upgrade.upgradeConfirmed)
            p.ui.Notice("Upgrade successful", "information", Icon::Information, Owner::MainWindow);
        else
            p.ui.Notice("Upgrade fail", "information", Icon::Warning, Owner::MainWindow);
    });
}

}  // namespace

TimerKey UpgradeSearchTimer(const Program& p) {
    return {&p.upgrade, TimerId::UpgradeSearch};
}

bool UpgradeSearchPending(const Program& p) {
    return p.loop.TimerRunning(UpgradeSearchTimer(p));
}

void ConfirmUpgrade(Program& p) {
    uint32_t a = 0, b = 0;
    if (const DeviceRecord* r = TargetRecord(p)) {
        a = r->upgrade_wait_1;
        b = r->upgrade_wait_2;
    }
    if (a == 0)
        a = 10;
    if (b == 0)
        b = 120;
    p.loop.StartOnce(UpgradeSearchTimer(p), (a + b) * 1000, [&p] {
        p.upgrade.upgradeConfirmed = 0;
        SearchRound(p);
    });
}

}  // namespace pm
