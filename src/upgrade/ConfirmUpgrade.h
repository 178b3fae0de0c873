#pragma once
// The search for the switch after a good transfer: wait for it to restart, then send
// discover requests every 2 s until it answers or 60 rounds have passed.
#include <cstdint>
#include <functional>

#include "base/EventLoop.h"
#include "protocol/UpgradeWatch.h"
#include "upgrade/UpgradeContext.h"
#include "upgrade/UpgradeOutcome.h"

namespace pm {

constexpr uint32_t kSearchStepMs = 2000;
constexpr int kSearchRounds = 60;

// ended, when given, learns the search's result (Succeeded or NotConfirmed) after its message.
void ConfirmUpgrade(const UpgradeContext& context, std::function<void(UpgradeOutcome)> ended = {});
// True from ConfirmUpgrade until its result has been shown.
bool UpgradeSearchPending(const EventLoop& loop, const UpgradeWatch& watch);
TimerKey UpgradeSearchTimer(const UpgradeWatch& watch);

}  // namespace pm
