#include "upgrade/ConfirmUpgrade.h"

#include "base/WireConstants.h"
#include "inventory/DeviceRecord.h"
#include "protocol/ProtocolHeader.h"
#include "upgrade/UpgradePackets.h"

namespace pm {
namespace {

// The wait values of the upgraded switch: its record found by its MAC, in whichever table
// holds it now, never the entry at some position (the tables may have changed meanwhile).
const DeviceRecord* TargetRecord(const UpgradeContext& context) {
    const auto at = SelectionOfMac(context.lists, TextOf(context.watch.targetMac));
    return at ? SelectedRecord(context.lists, *at) : nullptr;
}

uint32_t SearchStepMs(const UpgradeWatch& watch) {
    return watch.searchStepMs != 0 ? watch.searchStepMs : kSearchStepMs;
}

int SearchRounds(const UpgradeWatch& watch) {
    return watch.searchRounds > 0 ? watch.searchRounds : kSearchRounds;
}

void SearchRound(const UpgradeContext& context, std::function<void(UpgradeOutcome)> ended) {
    UpgradeWatch& watch = context.watch;
    watch.searchCount += 1;
    context.lists.discoveryList.DeleteItems(kStateAny);
    context.lists.discovery.fill(DeviceRecord{});
    uint8_t request[kHeaderSize];
    const size_t length = BuildDiscoverRequest(request, context.settings.header_id);
    context.transport.SendBroadcast(request, length);
    context.transport.SendMulticast(request, length);
    context.loop.StartOnce(
        UpgradeSearchTimer(watch), SearchStepMs(watch), [context, ended = std::move(ended)] {
            UpgradeWatch& watch = context.watch;
            if (watch.searchCount < SearchRounds(watch) && !watch.upgradeConfirmed) {
                SearchRound(context, ended);
                return;
            }
            watch.searchCount = 0;
            const bool found = watch.upgradeConfirmed != 0;
            if (found)
                context.ui.Notice("Upgrade successful", "information", Icon::Information,
                                  Owner::MainWindow);
            else
                context.ui.Notice("Upgrade fail", "information", Icon::Warning, Owner::MainWindow);
            if (ended)
                ended(found ? UpgradeOutcome::Succeeded : UpgradeOutcome::NotConfirmed);
        });
}

}  // namespace

TimerKey UpgradeSearchTimer(const UpgradeWatch& watch) {
    return {&watch, TimerId::UpgradeSearch};
}

bool UpgradeSearchPending(const EventLoop& loop, const UpgradeWatch& watch) {
    return loop.TimerRunning(UpgradeSearchTimer(watch));
}

void ConfirmUpgrade(const UpgradeContext& context, std::function<void(UpgradeOutcome)> ended) {
    uint32_t a = 0, b = 0;
    if (const DeviceRecord* r = TargetRecord(context)) {
        a = r->upgrade_wait_1;
        b = r->upgrade_wait_2;
    }
    if (a == 0)
        a = 10;
    if (b == 0)
        b = 120;
    context.loop.StartOnce(UpgradeSearchTimer(context.watch), (a + b) * 1000,
                           [context, ended = std::move(ended)] {
                               context.watch.upgradeConfirmed = 0;
                               SearchRound(context, ended);
                           });
}

}  // namespace pm
