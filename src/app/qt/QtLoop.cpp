#include "app/qt/QtLoop.h"

#include <QSocketNotifier>
#include <QTimer>

namespace pm {

QtLoop::QtLoop() {
    clock_.start();
}

QtLoop::~QtLoop() = default;

uint64_t QtLoop::NowMs() const {
    return static_cast<uint64_t>(clock_.elapsed());
}

void QtLoop::Start(TimerKey key, uint32_t ms, bool once, std::function<void()> fn) {
    auto timer = std::make_unique<QTimer>();
    timer->setSingleShot(once);
    timer->setTimerType(Qt::PreciseTimer);
    QTimer* raw = timer.get();
    QObject::connect(raw, &QTimer::timeout, &context_,
                     [this, key, once, raw, fn = std::move(fn)]() {
                         auto handler = fn;  // the handler may restart or stop its own timer
                         if (once) {
                             auto it = timers_.find(key);
                             if (it != timers_.end() && it->second.get() == raw) {
                                 it->second.release()->deleteLater();
                                 timers_.erase(it);
                             }
                         }
                         handler();
                     });
    StopTimer(key);
    raw->start(static_cast<int>(ms));
    timers_[key] = std::move(timer);
}

void QtLoop::StartTimer(TimerKey key, uint32_t periodMs, std::function<void()> fn) {
    Start(key, periodMs, false, std::move(fn));
}

void QtLoop::StartOnce(TimerKey key, uint32_t delayMs, std::function<void()> fn) {
    Start(key, delayMs, true, std::move(fn));
}

void QtLoop::StopTimer(TimerKey key) {
    auto it = timers_.find(key);
    if (it == timers_.end())
        return;
    it->second->stop();
    it->second.release()->deleteLater();  // it may be the timer whose handler runs now
    timers_.erase(it);
}

bool QtLoop::TimerRunning(TimerKey key) const {
    return timers_.count(key) != 0;
}

void QtLoop::WatchReadable(int fd, std::function<void()> fn) {
    UnwatchReadable(fd);
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, &context_,
                     [fn = std::move(fn)]() { fn(); });
    notifiers_[fd] = std::move(notifier);
}

void QtLoop::UnwatchReadable(int fd) {
    auto it = notifiers_.find(fd);
    if (it == notifiers_.end())
        return;
    it->second->setEnabled(false);
    it->second.release()->deleteLater();
    notifiers_.erase(it);
}

void QtLoop::Post(std::function<void()> fn) {
    QMetaObject::invokeMethod(
        &context_, [fn = std::move(fn)]() { fn(); }, Qt::QueuedConnection);
}

}  // namespace pm
