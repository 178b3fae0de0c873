#pragma once
// The round trip of each monitored switch's polls, read off the monitor table. A poll shows
// there as PollStep (answered drops to 0, or missed_polls grows while it stays 0) and its
// reply as the merge's mark (answered back to 1), so sampling the table after every handler
// of the event loop times both without a hook in the polling or in the receiver: the sample
// after the handler that sent is the poll's time, the sample after the handler that merged is
// the reply's. A reply is timed from the latest poll before it.
#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>

#include "inventory/DeviceLists.h"

namespace pm {

struct SwitchTimes {
    std::optional<uint64_t> replyUs;         // round trip of the last answered poll
    std::optional<std::time_t> lastReplyAt;  // wall-clock time of the last reply
};

class ReplyTimes {
  public:
    // Looks at the monitor entries up to the first free one; nowUs is the loop's clock, wallNow
    // the wall clock. Switches that left the table are forgotten.
    void Observe(const DeviceLists& lists, uint64_t nowUs, std::time_t wallNow);
    // What is known of the switch at this address text; empty when nothing was timed yet.
    SwitchTimes Of(std::string_view ipText) const;

  private:
    struct Seen {
        int32_t answered = 1;
        int32_t missedPolls = 0;
        std::optional<uint64_t> pollSentUs;  // the latest poll not answered yet
        SwitchTimes times;
    };
    std::map<std::string, Seen, std::less<>> seen_;  // by ip_text, the monitor list's key
};

}  // namespace pm
