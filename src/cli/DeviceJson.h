#pragma once
#include <nlohmann/json.hpp>

#include "inventory/DeviceRecord.h"

namespace pm::cli {

// Every field of a record that a person would want, with texts as the lists show them,
// decoded as the window decodes them (UTF-8 where valid, else Latin-1).
nlohmann::json DeviceToJson(const DeviceRecord& r, bool groupIntervalFeature);

}  // namespace pm::cli
