#include "protocol/DeviceReturnText.h"

#include <algorithm>

#include "base/DeviceText.h"
#include "base/WireConstants.h"
#include "protocol/TlvWalk.h"

namespace pm {

std::string DeviceReturnText(std::span<const uint8_t> fields) {
    std::string text = "Device return : unknow error";
    constexpr size_t kMaxText = 40;
    WalkFields(
        fields, [](uint16_t) { return size_t{0}; },
        [&](const TlvField& f) {
            if (f.type != static_cast<uint16_t>(FieldType::DeviceText))
                return true;
            const size_t n = std::min(f.value.size(), kMaxText);
            // The text ends at its first zero byte, as the device's C string would.
            const auto end =
                std::find(f.value.begin(), f.value.begin() + static_cast<long>(n), uint8_t{0});
            // Shown in a box and on a terminal: the switch's bytes as inert text.
            text = "Device return : " + DisplayDeviceText(std::string(f.value.begin(), end));
            return false;
        });
    return text;
}

}  // namespace pm
