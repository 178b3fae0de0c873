// monitor: the monitor list of a file, polled as the window polls it, with one report per
// refresh tick.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "app/MonitorPolling.h"
#include "base/DeviceText.h"
#include "cli/Commands.h"
#include "cli/DeviceJson.h"
#include "cli/Engine.h"
#include "cli/IsoTime.h"
#include "cli/MetricsExport.h"
#include "storage/EventLog.h"
#include "storage/MonitorFile.h"

namespace pm::cli {
namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) {
    gStop = 1;
}

void Report(const Program& p, bool json) {
    char stamp[20];
    FormatLogTime(stamp);
    const int n = p.lists.monitorList.GetItemCount();
    if (json) {
        nlohmann::json tick;
        tick["time"] = IsoTime(std::time(nullptr));
        tick["switches"] = nlohmann::json::array();
        for (int i = 0; i < n; ++i)
            tick["switches"].push_back(MonitoredToJson(p.lists.monitor[static_cast<size_t>(i)]));
        std::printf("%s\n", tick.dump().c_str());
    } else {
        std::printf("%s\n", stamp);
        for (int i = 0; i < n; ++i) {
            const DeviceRecord& r = p.lists.monitor[static_cast<size_t>(i)];
            std::printf("  %-15s  %-12s  %-9s  %s\n", std::string(TextOf(r.ip_text)).c_str(),
                        std::string(TextOf(r.mac_text)).c_str(),
                        r.status_mark == kStatusNotAlive ? "not alive" : "alive",
                        DisplayDeviceText(TextOf(r.system_name)).c_str());
        }
    }
    std::fflush(stdout);
}

}  // namespace

int RunMonitor(const MonitorOptions& o) {
    Engine e;
    if (!e.Start())
        return 1;
    Program& p = e.program;
    if (LoadMonitorListFrom(p.lists, p.settings, p.ui, o.file) != 0)
        return 1;
    if (p.lists.monitorList.GetItemCount() == 0) {
        e.ui.Notice("The monitor list file holds no switch", "Error", Icon::Error, Owner::NoWindow);
        return 1;
    }
    MetricsExport exports;
    if (!exports.Start(o, p, e.ui))
        return 1;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    int reports = 0;
    uint32_t tickMs = kInitialRefreshMs;
    if (o.refreshSeconds > 0) {
        // As if the refresh time had been chosen in the window, for this run only.
        p.settings.refresh_time = o.refreshSeconds;
        tickMs = static_cast<uint32_t>(o.refreshSeconds) * 1000u;
    }
    StartPolling(p);
    // Timer 1 as the window runs it, with a report after each tick.
    p.loop.StartTimer(p.RefreshTimer(), tickMs, [&] {
        RefreshTick(p);
        Report(p, o.json);
        exports.Tick(p, e.ui);
        ++reports;
    });
    const bool forever = o.count == 0;
    while (!gStop && (forever || reports < o.count)) {
        e.RunUntil(
            [&] {
                exports.Observe(p);
                return gStop || (!forever && reports >= o.count);
            },
            1000);
    }
    StopPolling(p);
    p.loop.StopTimer(p.RefreshTimer());
    exports.Stop();
    return 0;
}

}  // namespace pm::cli
