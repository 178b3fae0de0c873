#pragma once
// The search for the switch after a good transfer: wait for it to restart, then send
// discover requests every 2 s until it answers or 60 rounds have passed.
#include <cstdint>

#include "base/EventLoop.h"

namespace pm {

struct Program;

constexpr uint32_t kSearchStepMs = 2000;
constexpr int kSearchRounds = 60;

void ConfirmUpgrade(Program& p);
// True from ConfirmUpgrade until its result has been shown.
bool UpgradeSearchPending(const Program& p);
TimerKey UpgradeSearchTimer(const Program& p);

}  // namespace pm
