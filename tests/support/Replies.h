#pragma once
// Builds device replies byte by byte for tests, fuzz seeds and benchmarks.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/Bytes.h"
#include "base/WireConstants.h"
#include "protocol/ProtocolHeader.h"

namespace pm::test {

struct Reply {
    ProtocolHeader header;
    std::vector<uint8_t> fields;

    Reply(uint32_t headerId, std::array<uint8_t, 6> mac, uint16_t command = 2) {
        header.major = 2;
        header.minor = 1;
        header.revision = 2;
        header.command = command;
        header.header_id = headerId;
        header.device_mac = mac;
    }

    Reply& Raw(uint16_t type, uint16_t declaredLength, std::vector<uint8_t> value) {
        Put16(type);
        Put16(declaredLength);
        fields.insert(fields.end(), value.begin(), value.end());
        return *this;
    }
    Reply& Text(FieldType type, std::string_view text) {
        return Raw(static_cast<uint16_t>(type), static_cast<uint16_t>(text.size() + 4),
                   std::vector<uint8_t>(text.begin(), text.end()));
    }
    Reply& U16(FieldType type, uint16_t v) {
        return Raw(static_cast<uint16_t>(type), 6, {uint8_t(v >> 8), uint8_t(v)});
    }
    Reply& U32(FieldType type, uint32_t v) {
        return Raw(static_cast<uint16_t>(type), 8,
                   {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    }
    Reply& Address(FieldType type, uint32_t hostOrder) { return U32(type, hostOrder); }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out(kHeaderSize);
        header.Encode(std::span<uint8_t, kHeaderSize>(out.data(), kHeaderSize));
        out.insert(out.end(), fields.begin(), fields.end());
        return out;
    }

  private:
    void Put16(uint16_t v) {
        fields.push_back(static_cast<uint8_t>(v >> 8));
        fields.push_back(static_cast<uint8_t>(v));
    }
};

inline std::array<uint8_t, 6> Mac(uint8_t last, uint8_t prev = 0) {
    return {0x00, 0x1c, 0x2d, 0x3e, prev, last};
}

constexpr uint32_t Ip(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return uint32_t(a) << 24 | uint32_t(b) << 16 | uint32_t(c) << 8 | d;
}

}  // namespace pm::test
