#pragma once
// IPv4 and MAC text and the subnet arithmetic. Addresses are host-order 32-bit numbers
// (first octet most significant). The address checks return 0 for valid and -1 for invalid;
// IsContiguousMask returns 1 for valid and 0 for invalid.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pm {

int IsValidHostAddress(uint32_t address);
int IsValidHostPart(uint32_t address, uint32_t mask);
int IsGatewayInSubnet(uint32_t address, uint32_t gateway, uint32_t mask);
int IsContiguousMask(uint32_t mask);
int IsSameSubnet(uint32_t a, uint32_t b, uint32_t mask);
// Writes half the text's length in bytes (an odd last digit ignored); -1 and nothing written
// when a character is not a hexadecimal digit or the text is longer than 127 characters.
int HexToBytes(std::string_view text, uint8_t* out, size_t outSize);
int FormatMac(const uint8_t mac[6], char out[13]);
std::string FormatMac(const uint8_t mac[6]);

// Dotted text <-> host-order numbers; the parser accepts only four decimal octets.
std::string AddressToText(uint32_t hostOrder);
std::optional<uint32_t> ParseAddress(std::string_view text);

}  // namespace pm
