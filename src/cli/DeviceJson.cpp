#include "cli/DeviceJson.h"

#include "base/WireConstants.h"
#include "config/Validation.h"
#include "inventory/ProductName.h"
#include "inventory/RowBuilders.h"

namespace pm::cli {

nlohmann::json DeviceToJson(const DeviceRecord& r, bool groupIntervalFeature) {
    nlohmann::json j;
    j["mac"] = std::string(TextOf(r.mac_text));
    j["ip"] = std::string(TextOf(r.ip_text));
    j["mask"] = std::string(TextOf(r.mask_text));
    j["gateway"] = std::string(TextOf(r.gateway_text));
    j["product_name"] = FormatProductName(TextOf(r.product_name));
    j["product_name_raw"] = std::string(TextOf(r.product_name));
    j["system_name"] = std::string(TextOf(r.system_name));
    j["location"] = std::string(TextOf(r.location));
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
