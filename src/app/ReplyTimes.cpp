#include "app/ReplyTimes.h"

namespace pm {

void ReplyTimes::Observe(const DeviceLists& lists, uint64_t nowUs, std::time_t wallNow) {
    std::map<std::string, Seen, std::less<>> next;
    for (const DeviceRecord& entry : lists.monitor) {
        const std::string_view ip = TextOf(entry.ip_text);
        if (ip.empty())
            break;
        auto old = seen_.find(ip);
        // A switch seen for the first time is taken as it stands: a poll out before it was
        // seen is not ours to time.
        Seen s;
        if (old != seen_.end()) {
            s = std::move(old->second);
        } else {
            s.answered = entry.answered;
            s.missedPolls = entry.missed_polls;
        }
        const bool polled =
            entry.answered == 0 && (s.answered != 0 || entry.missed_polls > s.missedPolls);
        const bool replied = entry.answered != 0 && s.answered == 0;
        if (polled)
            s.pollSentUs = nowUs;
        if (replied) {
            if (s.pollSentUs)
                s.times.replyUs = nowUs - *s.pollSentUs;
            s.pollSentUs.reset();
            s.times.lastReplyAt = wallNow;
        }
        s.answered = entry.answered;
        s.missedPolls = entry.missed_polls;
        next.emplace(std::string(ip), std::move(s));
    }
    seen_ = std::move(next);
}

SwitchTimes ReplyTimes::Of(std::string_view ipText) const {
    auto it = seen_.find(ipText);
    return it == seen_.end() ? SwitchTimes{} : it->second.times;
}

}  // namespace pm
