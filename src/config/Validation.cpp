#include "config/Validation.h"

#include <cstdio>

namespace pm {

namespace {
bool InSet(unsigned char c, std::string_view set) {
    return set.find(static_cast<char>(c)) != std::string_view::npos;
}
constexpr std::string_view kGuarded = "|:;\"'<,>?/\\";
constexpr std::string_view kSecondSet = "~`!@#$%^&*{}[]()_-+=.";
bool IsAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
}  // namespace

int IsValidNameText(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == 0x0D || c >= 0x80)
            return 0;
        if (InSet(c, kGuarded)) {
            if (i == 0)
                return 0;
            const auto prev = static_cast<unsigned char>(text[i - 1]);
            if (IsAlnum(prev) || InSet(prev, kSecondSet))
                return 0;
        }
    }
    return 1;
}

bool IsValidPasswordLength(std::string_view password) {
    return !password.empty() && password.size() <= 20;
}

std::optional<int> ParseGroupInterval(std::string_view text) {
    // The forms' fields hold four characters; a longer text (from the command line) is
    // refused as it stands, so the value below can never leave an int's range.
    if (text.size() > kGroupIntervalMaxChars)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value == 0 || (value >= 120 && value <= 1225))
        return value;
    return std::nullopt;
}

bool IsValidMaskOctets(uint32_t mask) {
    return (mask >> 24) != 0 && (mask & 0xFF) != 255;
}

bool IsValidGatewayOctets(uint32_t gateway) {
    return (gateway >> 24) < 223;
}

}  // namespace pm
