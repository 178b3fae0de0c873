#include "cli/DeviceJson.h"

#include "base/DeviceText.h"
#include "base/WireConstants.h"
#include "config/Validation.h"
#include "inventory/ProductName.h"
#include "inventory/RowBuilders.h"

namespace pm::cli {
namespace {

std::string Text(std::string_view raw) {
    return DecodeDeviceText(raw);
}

}  // namespace

std::string MacWithColons(std::string_view bare) {
    if (bare.size() != 12)
        return std::string(bare);
    std::string out;
    for (size_t i = 0; i < bare.size(); i += 2) {
        if (i > 0)
            out.push_back(':');
        out.append(bare.substr(i, 2));
    }
    return out;
}

nlohmann::json DeviceToJson(const DeviceRecord& r, bool groupIntervalFeature) {
    // Every text through the one decoding rule (Text): JSON takes nothing but valid UTF-8.
    nlohmann::json j;
    const std::string mac = Text(TextOf(r.mac_text));
    j["mac"] = MacWithColons(mac);
    j["mac_bare"] = mac;
    j["ip"] = Text(TextOf(r.ip_text));
    j["mask"] = Text(TextOf(r.mask_text));
    j["gateway"] = Text(TextOf(r.gateway_text));
    j["product_name"] = Text(FormatProductName(TextOf(r.product_name)));
    j["product_name_raw"] = Text(TextOf(r.product_name));
    j["system_name"] = Text(TextOf(r.system_name));
    j["location"] = Text(TextOf(r.location));
    if (r.ip_mode == kIpModeNotReported) {
        j["ip_mode"] = nullptr;
        j["ip_mode_name"] = nullptr;
    } else {
        j["ip_mode"] = r.ip_mode;
        j["ip_mode_name"] = IpModeText(r.ip_mode);
    }
    if (groupIntervalFeature && r.group_interval != -1)
        j["group_interval"] = r.group_interval;
    else
        j["group_interval"] = nullptr;
    j["protocol_version"] = ProtocolVersionText(r);
    j["revision"] = r.revision;
    j["loader"] = r.loader == kLoaderMarker;
    return j;
}

nlohmann::json MonitoredToJson(const DeviceRecord& r) {
    const std::string mac = Text(TextOf(r.mac_text));
    return {{"ip", Text(TextOf(r.ip_text))},
            {"mac", MacWithColons(mac)},
            {"mac_bare", mac},
            {"system_name", Text(TextOf(r.system_name))},
            {"state", r.status_mark == kStatusNotAlive ? "not alive" : "alive"},
            {"missed_polls", r.missed_polls}};
}

}  // namespace pm::cli
