#include "base/NoticeBoard.h"

namespace pm {

std::string BoxText(const QueuedNotice& notice) {
    if (notice.count <= 1)
        return notice.text;
    return notice.text + "\n\n(" + std::to_string(notice.count) + " times)";
}

NoticeBoard::NoticeBoard(EventLoop& loop, NoticePresenter& presenter)
    : loop_(loop), presenter_(presenter) {}

NoticeBoard::~NoticeBoard() {
    loop_.StopTimer(Timer());
}

QueuedNotice* NoticeBoard::Matching(std::string_view text, std::string_view caption, Icon icon) {
    auto same = [&](const QueuedNotice& n) {
        return n.text == text && n.caption == caption && n.icon == icon;
    };
    if (open_ && same(*open_))
        return &*open_;
    for (auto& n : waiting_)
        if (same(n))
            return &n;
    return nullptr;
}

void NoticeBoard::Raise(std::string_view text, std::string_view caption, Icon icon, Owner owner,
                        Cause cause) {
    if (QueuedNotice* same = Matching(text, caption, icon)) {
        same->count += 1;
        if (open_ && same == &*open_)
            presenter_.UpdateBox(*open_);
        return;
    }
    if (cause == Cause::Event && waitingEvents_ >= kMaxWaitingEvents) {
        if (QueuedNotice* leftOut = Matching(kNoticesLeftOut, "Warning", Icon::Warning)) {
            leftOut->count += 1;
            if (open_ && leftOut == &*open_)
                presenter_.UpdateBox(*open_);
            return;
        }
        text = kNoticesLeftOut;
        caption = "Warning";
        icon = Icon::Warning;
        owner = Owner::MainWindow;
    }
    waiting_.push_back({std::string(text), std::string(caption), icon, owner, cause, 1});
    if (cause == Cause::Event)
        ++waitingEvents_;
    ShowNext();
}

void NoticeBoard::Closed() {
    open_.reset();
    ShowNext();
}

void NoticeBoard::ShowNext() {
    if (open_ || waiting_.empty() || loop_.TimerRunning(Timer()))
        return;
    const bool event = waiting_.front().cause == Cause::Event;
    if (event && lastEventBoxMs_) {
        const uint64_t now = loop_.NowMs();
        const uint64_t due = *lastEventBoxMs_ + kEventBoxSpacingMs;
        if (now < due) {
            loop_.StartOnce(Timer(), static_cast<uint32_t>(due - now), [this] { ShowNext(); });
            return;
        }
    }
    open_ = std::move(waiting_.front());
    waiting_.pop_front();
    if (event) {
        --waitingEvents_;
        lastEventBoxMs_ = loop_.NowMs();
    }
    presenter_.OpenBox(*open_);
}

}  // namespace pm
