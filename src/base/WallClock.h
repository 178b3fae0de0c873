#pragma once
// The wall-clock port: local calendar time for the event log's stamps. Timers use the event
// loop's monotonic clock instead; tests replace this one with a fixed time.
#include <ctime>
#include <functional>

namespace pm {

using WallClock = std::function<std::time_t()>;

inline std::time_t SystemWallClock() {
    return std::time(nullptr);
}

}  // namespace pm
