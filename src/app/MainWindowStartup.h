#pragma once
// The main window's start-up and shutdown as far as they are logic; the window adds its
// widgets, menus and the transport around them.
#include <functional>

#include "app/Program.h"

namespace pm {

struct StartupOutcome {
    bool groupIntervalItem = true;  // false: remove "Group Interval" from the Option menu
    int checkedRefreshItem = 0;     // the refresh-time item to check, 0 for none
};

// Loads the settings ("It will cause the application fail\n " when that fails), creates the
// columns of both lists, zeroes both tables, restores the monitor list, calls startTransport
// (which hands the window to the transport and starts the interface monitor), starts
// polling and timer 1 (15000 ms), resets the upgrade and pending-set stores, builds the
// group report and starts timer 3 when multicast_timer_flag is set.
StartupOutcome StartMainWindow(Program& p, const std::function<void()>& startTransport);

// Stops polling and both timers of the window.
void StopMainWindowTimers(Program& p);

}  // namespace pm
