#pragma once
// Desktop notifications for the monitor list: one when a switch is declared not alive and one
// when it answers again, never one per refresh tick. The watch remembers each switch's last
// state by its address text; a switch seen for the first time (restored, loaded, added) is
// taken as it stands, without a notification.
#include <map>
#include <string>
#include <vector>

#include "base/NotificationSink.h"
#include "inventory/DeviceLists.h"

namespace pm {

struct AliveChange {
    std::string ip, mac, name;  // as the record holds them (the name still raw bytes)
    bool alive = false;
    bool operator==(const AliveChange&) const = default;
};

class AliveWatch {
  public:
    // The switches whose not-alive mark came or went since the last review, in table order.
    // Switches that left the list are forgotten.
    std::vector<AliveChange> Review(const DeviceLists& lists);

  private:
    std::map<std::string, bool, std::less<>> alive_;
};

// "Switch not alive" / "Switch alive again", with "core-a (02504d000001) at 10.201.1.10 ...".
DesktopNotice NoticeFor(const AliveChange& change);

// Reviews the list and sends a notice per change.
void NotifyAliveChanges(AliveWatch& watch, const DeviceLists& lists, NotificationSink& sink);

}  // namespace pm
