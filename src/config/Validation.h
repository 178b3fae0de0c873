#pragma once
// The forms' rules for typed values. IsValidNameText returns 1 for valid and 0 for invalid.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/AddressText.h"

namespace pm {

int IsValidNameText(std::string_view text);

bool IsValidPasswordLength(std::string_view password);  // 1 to 20 bytes
// The group interval fields hold at most this many characters.
constexpr size_t kGroupIntervalMaxChars = 4;
// At most four characters, digits only, empty counts as 0, value 0 or 120..1225. The value
// when valid.
std::optional<int> ParseGroupInterval(std::string_view text);
bool IsValidMaskOctets(uint32_t mask);        // first octet not 0, last not 255
bool IsValidGatewayOctets(uint32_t gateway);  // first octet below 223

}  // namespace pm
