#include "config/GroupInterval.h"

#include "config/SetRequest.h"
#include "config/Validation.h"
#include "storage/SettingsFile.h"

namespace pm {

std::string GroupIntervalFormText(const Settings& settings) {
    return std::to_string(settings.multicast_timer);
}

bool ApplyGroupInterval(Program& p, std::string_view typed) {
    // Only the first line counts, and at most 10 characters of it.
    typed = typed.substr(0, typed.find_first_of("\r\n"));
    typed = typed.substr(0, 10);
    const auto interval = ParseGroupInterval(typed);
    if (!interval) {
        p.ui.Notice(kGroupIntervalRule, kErrorCaption, Icon::Error, Owner::Form);
        return false;
    }
    const bool on = *interval != 0;
    StoreSetting(p.ui, p.configFolder, on ? "1" : "0", StoredSetting::MulticastTimerFlag);
    StoreSetting(p.ui, p.configFolder, typed, StoredSetting::MulticastTimer);
    p.settings.multicast_timer = *interval;
    p.settings.multicast_timer_flag = on ? 1 : 0;
    p.settings.multicast_interface_on_off = 1;
    ArmGroupReportTimer(p);
    return true;
}

void GroupReportTick(Program& p) {
    p.net.SendGroupReport(p.groupReport.data(), p.groupReport.size());
}

void ArmGroupReportTimer(Program& p) {
    p.loop.StopTimer(p.GroupReportTimer());
    const int seconds = p.settings.multicast_timer;
    // A zero or negative period would fire without pause; such a file value means "off".
    if (p.settings.multicast_timer_flag == 0 || seconds <= 0)
        return;
    p.loop.StartTimer(p.GroupReportTimer(), static_cast<uint32_t>(seconds) * 1000u,
                      [&p] { GroupReportTick(p); });
}

}  // namespace pm
