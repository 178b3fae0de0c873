#include "app/MonitorPolling.h"

#include <array>
#include <cstdio>
#include <limits>
#include <string>

#include "app/CommandIds.h"
#include "base/DeviceText.h"
#include "base/WireConstants.h"
#include "inventory/PollStep.h"
#include "inventory/RowBuilders.h"
#include "protocol/ProtocolHeader.h"
#include "storage/EventLog.h"
#include "storage/SettingsFile.h"

namespace pm {
namespace {

constexpr uint32_t kFallbackPauseMs = 15000;
constexpr int kMissesBeforeNotAlive = 3;

struct RefreshItem {
    int menuId;
    int seconds;
};
constexpr std::array<RefreshItem, 5> kRefreshItems{{{ids::kRefresh15s, 15},
                                                    {ids::kRefresh30s, 30},
                                                    {ids::kRefresh1min, 60},
                                                    {ids::kRefresh2min, 120},
                                                    {ids::kRefresh5min, 300}}};

void ScheduleNextPass(Program& p) {
    p.loop.StartOnce(PollTimer(p), PollPauseMs(p.settings), [&p] { PollPass(p); });
}

}  // namespace

TimerKey PollTimer(const Program& p) {
    return {&p.lists.monitor, TimerId::MonitorPoll};
}

uint32_t PollPauseMs(const Settings& settings) {
    if (settings.refresh_time <= 0)
        return kFallbackPauseMs;
    constexpr uint64_t kMaxMs = std::numeric_limits<int32_t>::max();  // what QTimer accepts
    const uint64_t ms = static_cast<uint64_t>(settings.refresh_time) * 1000;
    return static_cast<uint32_t>(ms < kMaxMs ? ms : kMaxMs);
}

void BuildPollRequest(const Program& p, uint8_t (&out)[40]) {
    BuildHeader(p.settings, out, static_cast<uint16_t>(Command::Poll));
}

void StartPolling(Program& p) {
    p.loop.StartOnce(PollTimer(p), 0, [&p] { PollPass(p); });
}

void StopPolling(Program& p) {
    p.loop.StopTimer(PollTimer(p));
}

void PollPass(Program& p) {
    uint8_t request[40];
    BuildPollRequest(p, request);
    for (auto& entry : p.lists.monitor) {
        if (entry.ip == 0)
            break;
        PollStep(entry);
        p.net.SendToDevice(entry.ip, request, sizeof request);  // a lost poll shows as a miss
    }
    ScheduleNextPass(p);
}

void StartRefreshTimer(Program& p, uint32_t periodMs) {
    p.loop.StartTimer(p.RefreshTimer(), periodMs, [&p] { RefreshTick(p); });
}

void RefreshTick(Program& p) {
    // One stamp per tick: every line of this tick carries the same time.
    char stamp[20];
    FormatLogTime(stamp, p.wallClock());
    uint8_t request[40];
    BuildPollRequest(p, request);

    for (int i = 0; i < static_cast<int>(kTableSize); ++i) {
        DeviceRecord& entry = p.lists.monitor[static_cast<size_t>(i)];
        if (TextOf(entry.ip_text).empty())
            break;
        if (entry.answered != 0 || entry.missed_polls == 0)
            continue;
        if (entry.missed_polls >= kMissesBeforeNotAlive) {
            std::string line(stamp);
            line += ' ';
            line += LogSafeText(TextOf(entry.ip_text));
            line += " Not alive \r\n";
            AppendLogText(p.ui, p.LogFolder(), line, p.eventLog);
            entry.row_flag = kRowNotAlive;
            entry.status_mark = kStatusNotAlive;
            DrawMonitorRow(p.lists, p.settings, i);
            continue;
        }
        if (entry.status_mark == kStatusNotAlive)
            continue;
        PollStep(entry);
        p.net.SendToDevice(entry.ip, request, sizeof request);
    }
}

int RefreshMenuItemFor(int seconds) {
    for (const auto& item : kRefreshItems)
        if (item.seconds == seconds)
            return item.menuId;
    return 0;
}

int RefreshSecondsFor(int menuId) {
    for (const auto& item : kRefreshItems)
        if (item.menuId == menuId)
            return item.seconds;
    return 0;
}

bool ChooseRefreshTime(Program& p, int menuId) {
    const int seconds = RefreshSecondsFor(menuId);
    if (seconds == 0)
        return false;
    p.settings.refresh_time = seconds;
    p.loop.StopTimer(p.RefreshTimer());
    StartRefreshTimer(p, static_cast<uint32_t>(seconds) * 1000);
    StoreSetting(p.ui, p.configFolder, std::to_string(seconds), StoredSetting::RefreshTime);
    return true;
}

}  // namespace pm
