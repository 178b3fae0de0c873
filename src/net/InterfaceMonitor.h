#pragma once
// Keeps the SocketTable in line with the workstation's adapters: a pass every 5 seconds
// (the first one at once) adds new adapters and addresses, closes what has gone, and takes
// a changed mask over in place without reopening sockets.
#include "base/EventLoop.h"
#include "net/InterfaceSource.h"
#include "net/SocketTable.h"

namespace pm {

class InterfaceMonitor {
  public:
    static constexpr uint32_t kPeriodMs = 5000;

    InterfaceMonitor(EventLoop& loop, InterfaceSource& source, SocketTable& table)
        : loop_(loop), source_(source), table_(table) {}
    ~InterfaceMonitor() { Stop(); }
    InterfaceMonitor(const InterfaceMonitor&) = delete;
    InterfaceMonitor& operator=(const InterfaceMonitor&) = delete;

    // Runs the first pass now and repeats every 5 seconds on the loop.
    void Start();
    void Stop() { loop_.StopTimer(Timer()); }
    void Pass();
    TimerKey Timer() const { return {this, TimerId::InterfaceMonitor}; }

  private:
    void Synchronise(size_t tablePosition, AdapterEntry& entry);

    EventLoop& loop_;
    InterfaceSource& source_;
    SocketTable& table_;
};

}  // namespace pm
