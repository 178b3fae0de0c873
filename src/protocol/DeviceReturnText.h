#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace pm {

// The message for result 255: the device's own text (first field of type 30, at most 40
// bytes of it) as DisplayDeviceText shows it, or "Device return : unknow error" without one.
// fields are the bytes after the header.
std::string DeviceReturnText(std::span<const uint8_t> fields);

}  // namespace pm
