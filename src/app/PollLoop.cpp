#include "app/PollLoop.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

namespace pm {

uint64_t PollLoop::NowMs() const {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t PollLoop::NowUs() const {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

void PollLoop::StartTimer(TimerKey key, uint32_t periodMs, std::function<void()> fn) {
    StopTimer(key);
    timers_.push_back(
        {key, NowMs() + periodMs, periodMs == 0 ? 1 : periodMs, std::move(fn), ++serial_});
}

void PollLoop::StartOnce(TimerKey key, uint32_t delayMs, std::function<void()> fn) {
    StopTimer(key);
    timers_.push_back({key, NowMs() + delayMs, 0, std::move(fn), ++serial_});
}

void PollLoop::StopTimer(TimerKey key) {
    std::erase_if(timers_, [&](const Timer& t) { return t.key == key; });
}

bool PollLoop::TimerRunning(TimerKey key) const {
    return std::any_of(timers_.begin(), timers_.end(),
                       [&](const Timer& t) { return t.key == key; });
}

void PollLoop::WatchReadable(int fd, std::function<void()> fn) {
    watches_[fd] = std::move(fn);
}

void PollLoop::UnwatchReadable(int fd) {
    watches_.erase(fd);
}

void PollLoop::Post(std::function<void()> fn) {
    posted_.push_back(std::move(fn));
}

bool PollLoop::RunOnce(uint64_t deadline) {
    if (!posted_.empty()) {
        auto tasks = std::move(posted_);
        posted_.clear();
        for (auto& task : tasks)
            task();
        return true;
    }
    const uint64_t now = NowMs();
    // The earliest due timer runs first; ties in the order they were started.
    auto next =
        std::min_element(timers_.begin(), timers_.end(), [](const Timer& a, const Timer& b) {
            return a.due != b.due ? a.due < b.due : a.serial < b.serial;
        });
    if (next != timers_.end() && next->due <= now) {
        auto fn = next->fn;  // the handler may restart or stop its own timer
        if (next->period == 0) {
            timers_.erase(next);
        } else {
            next->due = now + next->period;
        }
        fn();
        return true;
    }
    uint64_t wakeAt = deadline;
    if (next != timers_.end())
        wakeAt = std::min(wakeAt, next->due);
    const int waitMs = wakeAt > now ? static_cast<int>(std::min<uint64_t>(wakeAt - now, 1000)) : 0;

    std::vector<pollfd> fds;
    fds.reserve(watches_.size());
    for (const auto& [fd, fn] : watches_)
        fds.push_back({fd, POLLIN, 0});
    const int ready = ::poll(fds.data(), fds.size(), waitMs);
    if (ready <= 0)
        return ready == 0 || errno == EINTR;
    for (const auto& p : fds) {
        if (!(p.revents & (POLLIN | POLLERR | POLLHUP)))
            continue;
        auto it = watches_.find(p.fd);  // an earlier handler may have unwatched it
        if (it == watches_.end())
            continue;
        auto fn = it->second;
        fn();
    }
    return true;
}

bool PollLoop::Run(uint64_t timeoutMs) {
    return RunUntil([] { return false; }, timeoutMs);
}

bool PollLoop::RunUntil(const std::function<bool()>& done, uint64_t timeoutMs) {
    quit_ = false;
    const uint64_t deadline = NowMs() + timeoutMs;
    while (!quit_) {
        if (done())
            return true;
        if (NowMs() >= deadline)
            return false;
        RunOnce(deadline);
    }
    return true;
}

}  // namespace pm
