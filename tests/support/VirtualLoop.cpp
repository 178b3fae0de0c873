#include "support/VirtualLoop.h"

#include <algorithm>

namespace pm::test {

void VirtualLoop::StartTimer(TimerKey key, uint32_t periodMs, std::function<void()> fn) {
    StopTimer(key);
    timers_.push_back(
        {key, now_ + periodMs, periodMs == 0 ? 1 : periodMs, std::move(fn), ++serial_});
}

void VirtualLoop::StartOnce(TimerKey key, uint32_t delayMs, std::function<void()> fn) {
    StopTimer(key);
    timers_.push_back({key, now_ + delayMs, 0, std::move(fn), ++serial_});
}

void VirtualLoop::StopTimer(TimerKey key) {
    std::erase_if(timers_, [&](const Timer& t) { return t.key == key; });
}

bool VirtualLoop::TimerRunning(TimerKey key) const {
    return std::any_of(timers_.begin(), timers_.end(),
                       [&](const Timer& t) { return t.key == key; });
}

uint32_t VirtualLoop::PeriodOf(TimerKey key) const {
    for (const auto& t : timers_)
        if (t.key == key)
            return t.period;
    return 0;
}

void VirtualLoop::RunPosted() {
    // Tasks may post more tasks; bounded so a runaway chain fails the test instead of hanging.
    for (int round = 0; round < 10000 && !posted_.empty(); ++round) {
        auto tasks = std::move(posted_);
        posted_.clear();
        for (auto& task : tasks)
            task();
    }
}

void VirtualLoop::Advance(uint64_t ms) {
    const uint64_t end = now_ + ms;
    RunPosted();
    for (;;) {
        auto next =
            std::min_element(timers_.begin(), timers_.end(), [](const Timer& a, const Timer& b) {
                return a.due != b.due ? a.due < b.due : a.serial < b.serial;
            });
        if (next == timers_.end() || next->due > end)
            break;
        now_ = next->due;
        auto fn = next->fn;
        if (next->period == 0)
            timers_.erase(next);
        else
            next->due = now_ + next->period;
        fn();
        RunPosted();
    }
    now_ = end;
}

}  // namespace pm::test
