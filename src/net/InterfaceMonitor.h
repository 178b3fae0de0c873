#pragma once
// Keeps the SocketTable in line with the workstation's adapters: a pass every 5 seconds
// (the first one at once) adds new adapters and addresses, closes what has gone, and takes
// a changed mask over in place without reopening sockets. When the platform tells of a
// change, a pass runs at once as well; a burst of such word runs at most one pass per
// 100 ms, and the 5 s passes stay for whatever goes untold.
#include <cstdint>

#include "base/EventLoop.h"
#include "net/InterfaceEvents.h"
#include "net/InterfaceSource.h"
#include "net/SocketTable.h"

namespace pm {

class InterfaceMonitor {
  public:
    static constexpr uint32_t kPeriodMs = 5000;
    static constexpr uint32_t kChangeSpacingMs = 100;

    InterfaceMonitor(EventLoop& loop, InterfaceSource& source, SocketTable& table)
        : loop_(loop), source_(source), table_(table) {}
    ~InterfaceMonitor() { Stop(); }
    InterfaceMonitor(const InterfaceMonitor&) = delete;
    InterfaceMonitor& operator=(const InterfaceMonitor&) = delete;

    // Listens to events from Start on (call before Start; they must outlive the monitor).
    void Follow(InterfaceEvents& events) { events_ = &events; }
    // Runs the first pass now and repeats every 5 seconds on the loop.
    void Start();
    void Stop();
    void Pass();
    // Word of a change: a pass now, or 100 ms after the last one when that was sooner.
    void OnInterfacesChanged();
    TimerKey Timer() const { return {this, TimerId::InterfaceMonitor}; }
    TimerKey ChangeTimer() const { return {this, TimerId::InterfaceChange}; }

  private:
    void Synchronise(size_t tablePosition, AdapterEntry& entry);

    EventLoop& loop_;
    InterfaceSource& source_;
    SocketTable& table_;
    InterfaceEvents* events_ = nullptr;
    int eventsFd_ = -1;
    bool passed_ = false;
    uint64_t lastPassMs_ = 0;
};

}  // namespace pm
