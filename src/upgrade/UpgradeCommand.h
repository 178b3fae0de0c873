#pragma once
// "Upgrade firmware" for the device of the selection context: checks that it can be
// reached, records it as the upgrade target and asks the GUI to open the firmware form.
#include <functional>

#include "base/EventLoop.h"
#include "protocol/UpgradeWatch.h"
#include "upgrade/UpgradeContext.h"

namespace pm {

inline constexpr const char* kUpgradeAlreadyRunning =
    "A firmware upgrade is already in progress. Wait until it has ended before starting another.";

// True while a firmware form is open or the search after an upgrade is still going on.
bool UpgradeInProgress(const EventLoop& loop, const UpgradeWatch& watch);

// 0 when the form was opened, -1 when a check failed (its message has been shown).
int UpgradeCommand(const UpgradeContext& context, const std::function<void()>& openForm);

}  // namespace pm
