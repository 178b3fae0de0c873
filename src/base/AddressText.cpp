#include "base/AddressText.h"

#include <cstdio>

namespace pm {

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
}  // namespace

int IsValidHostAddress(uint32_t a) {
    const uint32_t first = a >> 24;
    if ((a & 0x80000000u) == 0) {  // class A
        if (first == 0 || first == 127)
            return -1;
        const uint32_t host = a & 0x00FFFFFFu;
        return host == 0 || host == 0x00FFFFFFu ? -1 : 0;
    }
    if ((a & 0xC0000000u) == 0x80000000u) {  // class B
        const uint32_t host = a & 0xFFFFu;
        return host == 0 || host == 0xFFFFu ? -1 : 0;
    }
    if ((a & 0xE0000000u) == 0xC0000000u) {  // class C
        const uint32_t host = a & 0xFFu;
        return host == 0 || host == 0xFFu ? -1 : 0;
    }
    return -1;
}

int IsValidHostPart(uint32_t address, uint32_t mask) {
    const uint32_t hostBits = ~mask;
    if (hostBits == 0)
        return 0;
    const uint32_t host = address & hostBits;
    return host == hostBits || host == 0 ? -1 : 0;
}

int IsGatewayInSubnet(uint32_t address, uint32_t gateway, uint32_t mask) {
    if (gateway == 0)
        return 0;
    return (address & mask) == (gateway & mask) ? 0 : -1;
}

int IsContiguousMask(uint32_t mask) {
    bool zeroSeen = false;
    for (int bit = 31; bit >= 0; --bit) {
        const bool one = (mask >> bit) & 1u;
        if (!one)
            zeroSeen = true;
        else if (zeroSeen)
            return 0;
    }
    return 1;
}

int IsSameSubnet(uint32_t a, uint32_t b, uint32_t mask) {
    return (a & mask) == (b & mask) ? 0 : -1;
}

int HexToBytes(std::string_view text, uint8_t* out, size_t outSize) {
    if (text.size() > 127)
        return -1;
    for (char c : text)
        if (HexValue(c) < 0)
            return -1;
    const size_t n = text.size() / 2;
    if (n > outSize)
        return -1;
    for (size_t j = 0; j < n; ++j)
        out[j] = static_cast<uint8_t>(HexValue(text[2 * j]) * 16 + HexValue(text[2 * j + 1]));
    return 0;
}

int FormatMac(const uint8_t mac[6], char out[13]) {
    std::snprintf(out, 13, "%02x%02x%02x%02x%02x%02x", mac[0], mac[1], mac[2], mac[3], mac[4],
                  mac[5]);
    return 0;
}

std::string FormatMac(const uint8_t mac[6]) {
    char text[13];
    FormatMac(mac, text);
    return text;
}

std::string AddressToText(uint32_t a) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF,
                  a & 0xFF);
    return text;
}

std::optional<uint32_t> ParseAddress(std::string_view text) {
    uint32_t value = 0;
    size_t pos = 0;
    for (int octet = 0; octet < 4; ++octet) {
        if (octet > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        size_t digits = 0;
        uint32_t part = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
            part = part * 10 + static_cast<uint32_t>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 3 || part > 255)
            return std::nullopt;
        value = value << 8 | part;
    }
    if (pos != text.size())
        return std::nullopt;
    return value;
}

}  // namespace pm
