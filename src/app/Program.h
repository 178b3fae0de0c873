#pragma once
// The composition root: one instance of each piece of program-wide state, so a test builds a
// fresh program in one line. Only app/ and the front-ends see it; the layers below take the
// pieces they use. Everything runs on the one event loop: no locks.
#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "base/EventLoop.h"
#include "base/Settings.h"
#include "base/Ui.h"
#include "base/WallClock.h"
#include "config/GroupInterval.h"
#include "inventory/DeviceLists.h"
#include "inventory/Selection.h"
#include "net/InterfaceSource.h"
#include "net/Transport.h"
#include "protocol/PendingSetTarget.h"
#include "protocol/UpgradeWatch.h"
#include "storage/EventLog.h"

namespace pm {

constexpr uint32_t kInitialRefreshMs = 15000;

struct Program {
    Program(Ui& ui, EventLoop& loop, Transport& net, InterfaceSource& interfaces)
        : ui(ui), loop(loop), net(net), interfaces(interfaces) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Ui& ui;
    EventLoop& loop;
    Transport& net;
    InterfaceSource& interfaces;

    std::string configFolder;  // define.ecf and monitor.cfg (storage/ConfigFolder)
    std::string logFolder;     // syslog.log; the config folder when empty
    const std::string& LogFolder() const { return logFolder.empty() ? configFolder : logFolder; }
    Settings settings;

    DeviceLists lists;
    DeviceRecord staging;

    uint16_t sequence = 1;  // request sequence counter; only matching replies advance it
    PendingSetTarget pending;
    UpgradeWatch upgrade;
    SelectionContext selection;
    int sortAscending = 1;  // toggled by every column click

    std::array<uint8_t, 8> groupReport{};

    // Local wall-clock time for the event log's stamps; tests replace it.
    WallClock wallClock = SystemWallClock;
    EventLogState eventLog;  // a failing log is told once per run

    TimerKey RefreshTimer() const { return {this, TimerId::Refresh}; }
    // Named where it is armed (config/GroupInterval).
    TimerKey GroupReportTimer() const { return GroupReportTimerKey(groupReport); }
};

}  // namespace pm
