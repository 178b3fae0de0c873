#pragma once
#include <string>
#include <string_view>

namespace pm {

// The product name as the lists show it, from the text the switch reports.
std::string FormatProductName(std::string_view raw);

}  // namespace pm
