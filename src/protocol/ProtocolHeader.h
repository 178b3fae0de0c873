#pragma once
// The 40-byte header at the start of every datagram, both ways. Encoded and decoded field by
// field at its offsets, big-endian.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/Bytes.h"
#include "base/Settings.h"
#include "base/WireConstants.h"

namespace pm {

struct ProtocolHeader {
    uint16_t major = 0;
    uint16_t minor = 0;
    std::array<uint8_t, 6> device_mac{};
    uint16_t revision = 0;
    uint16_t command = 0;
    uint16_t result = 0;
    uint32_t header_id = 0;
    std::array<uint8_t, 6> sender_mac{};
    uint16_t sequence = 0;

    // Only the low 8 bits of the result carry meaning.
    uint8_t ResultCode() const { return static_cast<uint8_t>(result & 0xFF); }

    // Writes all 40 bytes, the reserved ones zero.
    void Encode(std::span<uint8_t, kHeaderSize> out) const;
    // Bytes missing from a short datagram read as zero.
    static ProtocolHeader Decode(std::span<const uint8_t> bytes);

    bool operator==(const ProtocolHeader&) const = default;
};

// The one header encoder: writes the 40 bytes at the writer's position, the reserved ones zero.
void WriteHeader(ByteWriter& out, const ProtocolHeader& header);

// A request header: major 2, the command and the configured header_id, everything else zero
// (the transport writes the sender MAC per interface).
ProtocolHeader RequestHeader(uint32_t headerId, Command command);

// The bare request header into buf, which must hold 40 bytes. Returns 40.
size_t BuildHeader(const Settings& settings, uint8_t* buf, uint16_t command);

// The discovery request: a bare header with command 1. Returns its length, 0 when out is too
// small.
size_t BuildDiscoverRequest(std::span<uint8_t> out, uint32_t headerId);

}  // namespace pm
