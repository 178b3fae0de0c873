#include "app/MainWindowStartup.h"

#include <algorithm>
#include <cstdint>

#include "app/MonitorPolling.h"
#include "app/ProgramContexts.h"
#include "inventory/RowBuilders.h"
#include "net/GroupReport.h"
#include "storage/MonitorFile.h"
#include "storage/SettingsFile.h"

namespace pm {

StartupOutcome StartMainWindow(Program& p, const std::function<void()>& startTransport) {
    StartupOutcome out;
    if (LoadSettings(p.ui, p.configFolder, p.settings) != 0)
        p.ui.Notice(kAppWillFail, "Error", Icon::Error);
    out.groupIntervalItem = p.settings.multicast_interface_on_off != 0;

    CreateDiscoveryColumns(p.lists, p.settings);
    CreateMonitorColumns(p.lists, p.settings);
    p.lists.discovery.fill(DeviceRecord{});
    p.lists.monitor.fill(DeviceRecord{});
    RestoreMonitorList(p.lists, p.settings, p.ui, p.configFolder);

    if (startTransport)
        startTransport();
    StartPolling(p);
    StartRefreshTimer(p, kInitialRefreshMs);
    p.upgrade = UpgradeWatch{};
    p.pending.Clear();

    p.groupReport = BuildGroupReport(p.settings.multicast_group);
    ArmGroupReportTimer(GroupReportContextOf(p));
    out.checkedRefreshItem = RefreshMenuItemFor(p.settings.refresh_time);
    return out;
}

void StopMainWindowTimers(Program& p) {
    StopPolling(p);
    p.loop.StopTimer(p.RefreshTimer());
    p.loop.StopTimer(p.GroupReportTimer());
}

}  // namespace pm
