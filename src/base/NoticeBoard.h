#pragma once
// The window's messages, one box at a time. A box never runs a loop of its own: it opens, and
// the board hears when it has been closed. The rules:
// - one box is open at a time, and boxes open in the order their messages were raised;
// - a message equal to the open one or to a waiting one (text, caption and icon) is counted
//   into it instead of waiting again, and its box says how many times it happened;
// - a message an event raised (a datagram, a timer) opens its box no sooner than
//   kEventBoxSpacingMs after the previous such box opened, and at most kMaxWaitingEvents
//   different ones wait; further ones are counted into one kNoticesLeftOut message.
// So no sender on the network can open more than a few boxes a second, nor grow the queue.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "base/EventLoop.h"
#include "base/Ui.h"

namespace pm {

inline constexpr std::string_view kNoticesLeftOut =
    "More messages arrived than can be shown; the rest were left out.";

struct QueuedNotice {
    std::string text;
    std::string caption;
    Icon icon = Icon::None;
    Owner owner = Owner::MainWindow;
    Cause cause = Cause::UserCommand;
    int count = 1;  // times it was raised while waiting or open
};

// What the box shows: the text, and below it how many times it happened when more than once.
std::string BoxText(const QueuedNotice& notice);

// Shows the boxes; the Qt window implements it, tests record.
class NoticePresenter {
  public:
    virtual ~NoticePresenter() = default;
    // Opens a box and returns at once; the box's closing is reported by NoticeBoard::Closed.
    virtual void OpenBox(const QueuedNotice& notice) = 0;
    // A repeat was counted into the open box.
    virtual void UpdateBox(const QueuedNotice& notice) = 0;
};

class NoticeBoard {
  public:
    static constexpr uint32_t kEventBoxSpacingMs = 250;
    static constexpr size_t kMaxWaitingEvents = 16;

    NoticeBoard(EventLoop& loop, NoticePresenter& presenter);
    ~NoticeBoard();
    NoticeBoard(const NoticeBoard&) = delete;
    NoticeBoard& operator=(const NoticeBoard&) = delete;

    void Raise(std::string_view text, std::string_view caption, Icon icon, Owner owner,
               Cause cause);
    // The open box was closed; the next one opens when its turn has come.
    void Closed();

    const std::optional<QueuedNotice>& OpenNotice() const { return open_; }
    const std::deque<QueuedNotice>& Waiting() const { return waiting_; }
    // A box is open or a message waits.
    bool Busy() const { return open_.has_value() || !waiting_.empty(); }

  private:
    QueuedNotice* Matching(std::string_view text, std::string_view caption, Icon icon);
    void ShowNext();
    TimerKey Timer() const { return {this, TimerId::NoticeBoard}; }

    EventLoop& loop_;
    NoticePresenter& presenter_;
    std::optional<QueuedNotice> open_;
    std::deque<QueuedNotice> waiting_;
    size_t waitingEvents_ = 0;
    std::optional<uint64_t> lastEventBoxMs_;
};

}  // namespace pm
