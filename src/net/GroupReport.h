#pragma once
// The IGMP version 1 membership report for the discovery group, sent on timer 3 so that
// IGMP-snooping switches keep forwarding the group to this host.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace pm {

constexpr size_t kGroupReportSize = 8;

// RFC 1071: ones' complement of the ones'-complement sum of the 16-bit big-endian words
// (an odd last byte is padded with zero).
uint16_t InternetChecksum(std::span<const uint8_t> bytes);

// 0x12, 0, checksum, group address (network order). A group text that is not a dotted
// IPv4 address gives the address 0.0.0.0.
std::array<uint8_t, kGroupReportSize> BuildGroupReport(std::string_view groupText);

}  // namespace pm
