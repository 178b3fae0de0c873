#pragma once
// The event-loop port on Qt's own loop: QTimer for timers, QSocketNotifier for sockets.
#include <QElapsedTimer>
#include <QObject>
#include <map>
#include <memory>

#include "base/EventLoop.h"

class QTimer;
class QSocketNotifier;

namespace pm {

class QtLoop : public EventLoop {
  public:
    QtLoop();
    ~QtLoop() override;
    uint64_t NowMs() const override;
    void StartTimer(TimerKey key, uint32_t periodMs, std::function<void()> fn) override;
    void StartOnce(TimerKey key, uint32_t delayMs, std::function<void()> fn) override;
    void StopTimer(TimerKey key) override;
    bool TimerRunning(TimerKey key) const override;
    void WatchReadable(int fd, std::function<void()> fn) override;
    void UnwatchReadable(int fd) override;
    void Post(std::function<void()> fn) override;

  private:
    struct KeyLess {
        bool operator()(const TimerKey& a, const TimerKey& b) const {
            return a.owner != b.owner ? std::less<const void*>()(a.owner, b.owner) : a.id < b.id;
        }
    };
    void Start(TimerKey key, uint32_t ms, bool once, std::function<void()> fn);
    QElapsedTimer clock_;
    QObject context_;
    std::map<TimerKey, std::unique_ptr<QTimer>, KeyLess> timers_;
    std::map<int, std::unique_ptr<QSocketNotifier>> notifiers_;
};

}  // namespace pm
