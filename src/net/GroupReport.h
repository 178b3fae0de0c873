#pragma once
// The IGMP version 1 membership report for the discovery group, sent periodically so that
// IGMP-snooping switches keep forwarding the group to this host.
#include <array>
#include <cstddef>
#include <cstdint>

namespace pm {

// RFC 1071 checksum of data (16-bit big-endian words; an odd last byte is padded with 0).
uint16_t InternetChecksum(const uint8_t* data, size_t length);

// 0x12, 0, checksum, group (network order). group is dotted text; an invalid text gives
// the report for 0.0.0.0.
std::array<uint8_t, 8> BuildGroupReport(const char* group);

}  // namespace pm
