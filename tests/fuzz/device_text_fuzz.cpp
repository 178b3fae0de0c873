// Arbitrary bytes as a switch's text: the decoder must always give valid UTF-8 with no
// control or bidirectional character left, and a log line with no line break.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/DeviceText.h"

extern "C" size_t PortmesaFuzzSeed(size_t index, std::vector<uint8_t>& out) {
    static const std::string seeds[] = {"core-a", "Z\xC3\xBCrich\xE2\x80\xAE", "\x1b[2J\xFF\r\n"};
    if (index >= sizeof seeds / sizeof seeds[0])
        return 0;
    out.assign(seeds[index].begin(), seeds[index].end());
    return out.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const std::string shown = pm::DisplayDeviceText(raw);
    if (!pm::IsValidUtf8(shown))
        std::abort();
    for (char c : shown)
        if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F)
            std::abort();
    if (shown.find("\xE2\x80\xAE") != std::string::npos)
        std::abort();
    const std::string logged = pm::LogSafeText(raw);
    for (char c : logged)
        if (static_cast<uint8_t>(c) < 0x20 || static_cast<uint8_t>(c) >= 0x7F)
            std::abort();
    return 0;
}
