#include "cli/Target.h"

#include <cctype>

namespace pm::cli {

std::optional<std::string> NormaliseMac(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == ':' || c == '-' || c == '.')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    if (out.size() != 12)
        return std::nullopt;
    return out;
}

int FindDiscovered(const Program& p, std::string_view mac, std::string_view ip) {
    const int n = p.lists.discoveryList.GetItemCount();
    for (int i = 0; i < n && i < static_cast<int>(kTableSize); ++i) {
        const DeviceRecord& r = p.lists.discovery[static_cast<size_t>(i)];
        if (!mac.empty() && TextOf(r.mac_text) == mac)
            return i;
        if (!ip.empty() && TextOf(r.ip_text) == ip)
            return i;
    }
    return -1;
}

}  // namespace pm::cli
