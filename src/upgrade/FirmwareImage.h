#pragma once
// The firmware image file: checked when Start is pressed, read whole when the transfer
// begins, so the switch gets one consistent image even if the file changes meanwhile.
#include <cstdint>
#include <string>
#include <vector>

namespace pm {

enum class ImageCheck { Ok, NotFound, TooLarge };

// A regular file that can be opened for reading and is shorter than kMaxImageSize.
ImageCheck CheckImageFile(const std::string& path);
ImageCheck ReadImageFile(const std::string& path, std::vector<uint8_t>& out);

inline constexpr const char* kImageTooLarge =
    "Firmware file too large: an image must be smaller than 33553920 bytes.";

}  // namespace pm
