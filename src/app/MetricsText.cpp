#include "app/MetricsText.h"

#include <functional>
#include <vector>

#include "base/DeviceText.h"

namespace pm {
namespace {

struct Family {
    const char* name;
    const char* type;
    const char* help;
};

constexpr Family kUp{"portmesa_switch_up", "gauge",
                     "Whether the switch answers its polls (1) or is marked not alive (0)."};
constexpr Family kMissed{"portmesa_switch_missed_polls", "gauge",
                         "Polls in a row that the switch has not answered."};
constexpr Family kLastReply{"portmesa_switch_last_reply_timestamp_seconds", "gauge",
                            "Unix time of the switch's last reply."};
constexpr Family kReply{"portmesa_switch_reply_seconds", "gauge",
                        "Round-trip time of the switch's last answered poll."};
constexpr Family kTicks{"portmesa_poll_ticks_total", "counter",
                        "Refresh ticks since the monitor started."};

void Header(std::string& out, const Family& f) {
    out += "# HELP ";
    out += f.name;
    out += ' ';
    out += f.help;
    out += "\n# TYPE ";
    out += f.name;
    out += ' ';
    out += f.type;
    out += '\n';
}

// Seconds with microsecond resolution, trailing zeros dropped: 0.0013, 12.5, 3.
std::string Seconds(uint64_t us) {
    std::string out = std::to_string(us / 1000000);
    const uint64_t fraction = us % 1000000;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 6 - digits.size(), '0');
        digits.erase(digits.find_last_not_of('0') + 1);
        out += '.' + digits;
    }
    return out;
}

struct Series {
    std::string labels;  // {mac="...",ip="...",name="..."}
    const DeviceRecord* entry;
    SwitchTimes times;
};

}  // namespace

std::string MetricLabelValue(std::string_view raw) {
    const std::string text = DecodeDeviceText(raw);
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string RenderMetrics(const DeviceLists& lists, const ReplyTimes& times, uint64_t ticks) {
    std::vector<Series> all;
    for (const DeviceRecord& entry : lists.monitor) {
        if (TextOf(entry.ip_text).empty())
            break;
        std::string labels = "{mac=\"" + MetricLabelValue(TextOf(entry.mac_text)) + "\",ip=\"" +
                             MetricLabelValue(TextOf(entry.ip_text)) + "\",name=\"" +
                             MetricLabelValue(TextOf(entry.system_name)) + "\"}";
        all.push_back({std::move(labels), &entry, times.Of(TextOf(entry.ip_text))});
    }

    std::string out;
    auto family = [&](const Family& f, const std::function<std::string(const Series&)>& value) {
        Header(out, f);
        for (const Series& s : all) {
            const std::string v = value(s);
            if (!v.empty())
                out += f.name + s.labels + ' ' + v + '\n';
        }
    };
    family(kUp, [](const Series& s) {
        return s.entry->status_mark == kStatusNotAlive ? std::string("0") : std::string("1");
    });
    family(kMissed, [](const Series& s) { return std::to_string(s.entry->missed_polls); });
    family(kLastReply, [](const Series& s) {
        return s.times.lastReplyAt ? std::to_string(*s.times.lastReplyAt) : std::string();
    });
    family(kReply, [](const Series& s) {
        return s.times.replyUs ? Seconds(*s.times.replyUs) : std::string();
    });
    Header(out, kTicks);
    out += std::string(kTicks.name) + ' ' + std::to_string(ticks) + '\n';
    return out;
}

}  // namespace pm
