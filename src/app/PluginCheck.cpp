#include "app/PluginCheck.h"

#include <cstdio>

#include "base/DeviceText.h"

namespace pm {
namespace {

const char* StateName(PluginState s) {
    switch (s) {
        case PluginState::Ok:
            return "OK";
        case PluginState::Warning:
            return "WARNING";
        case PluginState::Critical:
            return "CRITICAL";
        case PluginState::Unknown:
            break;
    }
    return "UNKNOWN";
}

CheckVerdict Verdict(PluginState state, const std::string& text) {
    return {state, std::string("PORTMESA ") + StateName(state) + " - " + text};
}

// A decimal number in the C locale with at most six decimals, trailing zeros dropped.
std::string Decimal(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.6f", value);
    std::string out = buffer;
    out.erase(out.find_last_not_of('0') + 1);
    if (!out.empty() && out.back() == '.')
        out.pop_back();
    return out;
}

std::string Threshold(const std::optional<double>& ms) {
    return ms ? Decimal(*ms / 1000.0) : std::string();
}

}  // namespace

std::string CheckSwitchLabel(const DeviceRecord& sw) {
    std::string name = DisplayDeviceText(TextOf(sw.system_name));
    for (size_t at = name.find('|'); at != std::string::npos; at = name.find('|', at))
        name.replace(at, 1, "\xC2\xA6");  // broken bar
    const std::string mac(TextOf(sw.mac_text));
    return name.empty() ? mac : name + " (" + mac + ")";
}

CheckVerdict CheckAnswered(const DeviceRecord& sw, uint64_t rttUs, const CheckThresholds& limits) {
    const double ms = static_cast<double>(rttUs) / 1000.0;
    char took[48];
    std::snprintf(took, sizeof took, ms < 1.0 ? "%.3f ms" : "%.1f ms", ms);
    std::string text = CheckSwitchLabel(sw) + " answered in " + took;

    PluginState state = PluginState::Ok;
    if (limits.criticalMs && ms > *limits.criticalMs) {
        state = PluginState::Critical;
        text += " (critical above " + Decimal(*limits.criticalMs) + " ms)";
    } else if (limits.warningMs && ms > *limits.warningMs) {
        state = PluginState::Warning;
        text += " (warning above " + Decimal(*limits.warningMs) + " ms)";
    }
    text += " | rtt=" + Decimal(static_cast<double>(rttUs) / 1e6) + "s;" +
            Threshold(limits.warningMs) + ";" + Threshold(limits.criticalMs) + ";0;";
    return Verdict(state, text);
}

CheckVerdict CheckSilent(std::string_view target, double timeoutSeconds) {
    return Verdict(PluginState::Critical, "no answer from " + std::string(target) + " within " +
                                              Decimal(timeoutSeconds) + " s");
}

CheckVerdict CheckUnknown(std::string_view why) {
    std::string text(why);
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '|')
            c = ' ';
    return Verdict(PluginState::Unknown, text);
}

}  // namespace pm
