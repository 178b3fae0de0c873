#pragma once
// The busy mark of a discovery: switches answer a discover request within moments, so the
// window shows that it is collecting replies for a short while after "Discover" and then
// stops, whatever has come in.
#include <cstdint>
#include <functional>

#include "base/EventLoop.h"

namespace pm {

constexpr uint32_t kDiscoveryBusyMs = 3000;

class DiscoveryBusy {
  public:
    // show(true) when the mark appears, show(false) when it goes.
    DiscoveryBusy(EventLoop& loop, std::function<void(bool busy)> show);
    ~DiscoveryBusy();
    DiscoveryBusy(const DiscoveryBusy&) = delete;
    DiscoveryBusy& operator=(const DiscoveryBusy&) = delete;

    // After "Discover" with its result: busy for kDiscoveryBusyMs from now (another discovery
    // starts the period again); a discovery whose sends failed waits for nothing.
    void Started(int discoverResult);
    bool Busy() const { return busy_; }
    TimerKey Timer() const { return {this, TimerId::DiscoveryBusy}; }

  private:
    void Show(bool busy);
    EventLoop& loop_;
    std::function<void(bool)> show_;
    bool busy_ = false;
};

}  // namespace pm
