#pragma once
// The one event loop of the process, as a port. Every wait of the system (poll pauses,
// retransmission timers, the upgrade search) is a timer here, never a sleep, so tests run
// them in virtual time. Implementations: PollLoop (headless), the Qt loop (GUI), and the
// virtual-time loop of the tests.
#include <cstdint>
#include <functional>

#include "base/TimerIds.h"

namespace pm {

// Timers are named by (owner, id) like window timers: starting a timer that runs already
// replaces it.
struct TimerKey {
    TimerKey() = default;
    TimerKey(const void* owner, TimerId id) : owner(owner), id(static_cast<int>(id)) {}
    const void* owner = nullptr;
    int id = 0;
    bool operator==(const TimerKey&) const = default;
};

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // Milliseconds on the loop's clock (monotonic; virtual in tests).
    virtual uint64_t NowMs() const = 0;
    // Microseconds on the same clock, for timing round trips; loops that keep no finer time
    // than milliseconds need not override it.
    virtual uint64_t NowUs() const { return NowMs() * 1000; }
    // A repeating timer: fn runs every periodMs until stopped.
    virtual void StartTimer(TimerKey key, uint32_t periodMs, std::function<void()> fn) = 0;
    // A one-shot timer: fn runs once after delayMs unless stopped first.
    virtual void StartOnce(TimerKey key, uint32_t delayMs, std::function<void()> fn) = 0;
    virtual void StopTimer(TimerKey key) = 0;
    virtual bool TimerRunning(TimerKey key) const = 0;
    // Calls fn whenever fd is readable, until unwatched.
    virtual void WatchReadable(int fd, std::function<void()> fn) = 0;
    virtual void UnwatchReadable(int fd) = 0;
    // Runs fn after the current handler returns.
    virtual void Post(std::function<void()> fn) = 0;
};

}  // namespace pm
