#pragma once
// The headless event loop: poll() over the watched sockets plus a timer list, on the
// monotonic clock.
#include <map>
#include <vector>

#include "base/EventLoop.h"

namespace pm {

class PollLoop : public EventLoop {
  public:
    uint64_t NowMs() const override;
    uint64_t NowUs() const override;
    void StartTimer(TimerKey key, uint32_t periodMs, std::function<void()> fn) override;
    void StartOnce(TimerKey key, uint32_t delayMs, std::function<void()> fn) override;
    void StopTimer(TimerKey key) override;
    bool TimerRunning(TimerKey key) const override;
    void WatchReadable(int fd, std::function<void()> fn) override;
    void UnwatchReadable(int fd) override;
    void Post(std::function<void()> fn) override;

    // Runs handlers until Quit() or until timeoutMs have passed; returns false on timeout.
    bool Run(uint64_t timeoutMs);
    // Runs until done() holds (checked after every handler) or timeoutMs pass.
    bool RunUntil(const std::function<bool()>& done, uint64_t timeoutMs);
    void Quit() { quit_ = true; }

  private:
    struct Timer {
        TimerKey key;
        uint64_t due;
        uint32_t period;  // 0: one-shot
        std::function<void()> fn;
        uint64_t serial;
    };
    bool RunOnce(uint64_t deadline);
    std::vector<Timer> timers_;
    std::map<int, std::function<void()>> watches_;
    std::vector<std::function<void()>> posted_;
    uint64_t serial_ = 0;
    bool quit_ = false;
};

}  // namespace pm
