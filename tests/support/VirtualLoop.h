#pragma once
// An event loop on a virtual clock: tests advance time explicitly and every timer due in
// between fires in order, so "30 tries 500 ms apart" runs in microseconds.
#include <map>
#include <vector>

#include "base/EventLoop.h"

namespace pm::test {

class VirtualLoop : public EventLoop {
  public:
    uint64_t NowMs() const override { return now_; }
    void StartTimer(TimerKey key, uint32_t periodMs, std::function<void()> fn) override;
    void StartOnce(TimerKey key, uint32_t delayMs, std::function<void()> fn) override;
    void StopTimer(TimerKey key) override;
    bool TimerRunning(TimerKey key) const override;
    void WatchReadable(int fd, std::function<void()> fn) override { watches[fd] = std::move(fn); }
    void UnwatchReadable(int fd) override { watches.erase(fd); }
    void Post(std::function<void()> fn) override { posted_.push_back(std::move(fn)); }

    // Runs posted tasks, then every timer due up to now + ms, in due order.
    void Advance(uint64_t ms);
    void RunPosted();
    // Period of a running timer (0 when one-shot or not running).
    uint32_t PeriodOf(TimerKey key) const;
    size_t TimerCount() const { return timers_.size(); }

    std::map<int, std::function<void()>> watches;

  private:
    struct Timer {
        TimerKey key;
        uint64_t due;
        uint32_t period;
        std::function<void()> fn;
        uint64_t serial;
    };
    std::vector<Timer> timers_;
    std::vector<std::function<void()>> posted_;
    uint64_t now_ = 1000000;
    uint64_t serial_ = 0;
};

}  // namespace pm::test
