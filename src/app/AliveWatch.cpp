#include "app/AliveWatch.h"

#include "base/DeviceText.h"

namespace pm {

std::vector<AliveChange> AliveWatch::Review(const DeviceLists& lists) {
    std::vector<AliveChange> changes;
    std::map<std::string, bool, std::less<>> next;
    const int n = lists.monitorList.GetItemCount(kStateAny);
    for (int i = 0; i < n && i < static_cast<int>(kTableSize); ++i) {
        const DeviceRecord& entry = lists.monitor[static_cast<size_t>(i)];
        const std::string_view ip = TextOf(entry.ip_text);
        if (ip.empty())
            break;
        const bool alive = entry.status_mark != kStatusNotAlive;
        auto before = alive_.find(ip);
        if (before != alive_.end() && before->second != alive)
            changes.push_back({std::string(ip), std::string(TextOf(entry.mac_text)),
                               std::string(TextOf(entry.system_name)), alive});
        next.emplace(std::string(ip), alive);
    }
    alive_ = std::move(next);
    return changes;
}

DesktopNotice NoticeFor(const AliveChange& change) {
    std::string who = DisplayDeviceText(change.name);
    const std::string mac = DisplayDeviceText(change.mac);
    if (!mac.empty())
        who = who.empty() ? mac : who + " (" + mac + ")";
    const std::string ip = DisplayDeviceText(change.ip);
    who = who.empty() ? ip : who + " at " + ip;
    if (change.alive)
        return {"Switch alive again", who + " answers again", false};
    return {"Switch not alive", who + " stopped answering", true};
}

void NotifyAliveChanges(AliveWatch& watch, const DeviceLists& lists, NotificationSink& sink) {
    for (const AliveChange& change : watch.Review(lists))
        sink.Notify(NoticeFor(change));
}

}  // namespace pm
