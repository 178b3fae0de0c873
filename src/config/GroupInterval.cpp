#include "config/GroupInterval.h"

#include <algorithm>
#include <cstdint>

#include "config/SetRequest.h"
#include "config/Validation.h"
#include "storage/SettingsFile.h"

namespace pm {

void GroupReportTick(Transport& transport, const GroupReportBytes& report) {
    transport.SendGroupReport(report.data(), report.size());
}

void ArmGroupReportTimer(const GroupReportContext& context) {
    const TimerKey timer = GroupReportTimerKey(context.report);
    context.loop.StopTimer(timer);
    const int seconds = context.settings.multicast_timer;
    // A zero or negative period would fire without pause; such a file value means "off".
    if (context.settings.multicast_timer_flag == 0 || seconds <= 0)
        return;
    // A file may hold more seconds than the loop's period takes.
    const uint64_t ms = static_cast<uint64_t>(seconds) * 1000;
    const uint32_t period = static_cast<uint32_t>(std::min<uint64_t>(ms, INT32_MAX));
    context.loop.StartTimer(timer, period,
                            [&transport = context.transport, &report = context.report] {
                                GroupReportTick(transport, report);
                            });
}

std::string GroupIntervalFormText(const Settings& settings) {
    return std::to_string(settings.multicast_timer);
}

bool ApplyGroupInterval(const GroupIntervalContext& context, std::string_view typed) {
    // Only the first line counts, and at most 10 characters of it.
    typed = typed.substr(0, typed.find_first_of("\r\n"));
    typed = typed.substr(0, 10);
    const auto interval = ParseGroupInterval(typed);
    if (!interval) {
        context.ui.Notice(kGroupIntervalRule, kErrorCaption, Icon::Error, Owner::Form);
        return false;
    }
    const bool on = *interval != 0;
    // A file refused once is refused again: one message is enough.
    if (StoreSetting(context.ui, context.configFolder, on ? "1" : "0",
                     StoredSetting::MulticastTimerFlag) == 0)
        StoreSetting(context.ui, context.configFolder, typed, StoredSetting::MulticastTimer);
    Settings& settings = context.settings;
    settings.multicast_timer = *interval;
    settings.multicast_timer_flag = on ? 1 : 0;
    settings.multicast_interface_on_off = 1;
    ArmGroupReportTimer({context.loop, context.transport, settings, context.report});
    return true;
}

}  // namespace pm
