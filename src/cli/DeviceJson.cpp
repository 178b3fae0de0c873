#include "cli/DeviceJson.h"

#include "base/DeviceText.h"
#include "base/WireConstants.h"
#include "config/Validation.h"
#include "inventory/ProductName.h"
#include "inventory/RowBuilders.h"

namespace pm::cli {

nlohmann::json DeviceToJson(const DeviceRecord& r, bool groupIntervalFeature) {
    // Every text through the one decoding rule: JSON takes nothing but valid UTF-8.
    auto text = [](std::string_view raw) { return DecodeDeviceText(raw); };
    nlohmann::json j;
    j["mac"] = text(TextOf(r.mac_text));
    j["ip"] = text(TextOf(r.ip_text));
    j["mask"] = text(TextOf(r.mask_text));
    j["gateway"] = text(TextOf(r.gateway_text));
    j["product_name"] = text(FormatProductName(TextOf(r.product_name)));
    j["product_name_raw"] = text(TextOf(r.product_name));
    j["system_name"] = text(TextOf(r.system_name));
    j["location"] = text(TextOf(r.location));
    j["ip_mode"] = r.ip_mode == 3 ? nlohmann::json(nullptr) : nlohmann::json(IpModeText(r.ip_mode));
    if (groupIntervalFeature && r.group_interval != -1)
        j["group_interval"] = r.group_interval;
    else
        j["group_interval"] = nullptr;
    j["protocol_version"] = ProtocolVersionText(r);
    j["revision"] = r.revision;
    j["loader"] = r.loader == kLoaderMarker;
    return j;
}

}  // namespace pm::cli
