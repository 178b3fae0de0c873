#pragma once
// Polling of the monitor list, as tasks on the program's event loop: a poll pass every
// refresh period (the first one at start), and the refresh timer (timer 1) that marks and
// logs switches that stopped answering and polls once more those that missed one or two.
#include <cstdint>

#include "app/Program.h"

namespace pm {

// The poll passes' own timer.
TimerKey PollTimer(const Program& p);

// The pause after a poll pass: refresh_time seconds, read afresh each time. A refresh time
// that is not positive (an unreadable settings file leaves it 0) pauses 15 s instead of
// polling without pause; a huge one is capped at what a timer can hold.
uint32_t PollPauseMs(const Settings& settings);

// Runs the first pass as soon as the loop gets to it, then one pass per pause, until
// StopPolling.
void StartPolling(Program& p);
void StopPolling(Program& p);
// One pass: PollStep and a poll request for every monitor entry up to the first free one.
void PollPass(Program& p);

// Timer 1; the handler is RefreshTick.
void StartRefreshTimer(Program& p, uint32_t periodMs);
void RefreshTick(Program& p);

// The Option menu's refresh-time items: the item for a number of seconds (0 when none
// matches) and the seconds of an item (0 when the id is not one of them).
int RefreshMenuItemFor(int seconds);
int RefreshSecondsFor(int menuId);
// Sets refresh_time, re-arms timer 1 with it and stores it in the settings file. Returns
// false (and changes nothing) when menuId is not a refresh-time item.
bool ChooseRefreshTime(Program& p, int menuId);

// The 40-byte poll request.
void BuildPollRequest(const Program& p, uint8_t (&out)[40]);

}  // namespace pm
