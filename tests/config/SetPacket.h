#pragma once
// Reads a sent set request back into its header fields and TLV fields, so tests compare
// field by field.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Bytes.h"
#include "config/Validation.h"

namespace pm::test {

struct Field {
    uint16_t type = 0;
    uint16_t length = 0;
    std::vector<uint8_t> value;
    std::string Text() const { return std::string(value.begin(), value.end()); }
    uint32_t Number() const {
        uint32_t n = 0;
        for (uint8_t b : value)
            n = n << 8 | b;
        return n;
    }
};

struct SetPacket {
    uint16_t major = 0, minor = 0, revision = 0, command = 0, result = 0, sequence = 0;
    std::string deviceMac;
    uint32_t headerId = 0;
    std::vector<uint8_t> reserved;
    std::vector<Field> fields;
    bool complete = false;  // every byte accounted for

    std::vector<uint16_t> Types() const {
        std::vector<uint16_t> t;
        for (const auto& f : fields)
            t.push_back(f.type);
        return t;
    }
    const Field* Find(uint16_t type) const {
        for (const auto& f : fields)
            if (f.type == type)
                return &f;
        return nullptr;
    }
};

inline SetPacket ReadSetPacket(const std::vector<uint8_t>& bytes) {
    SetPacket p;
    ByteReader r(bytes.data(), bytes.size());
    uint8_t mac[6] = {}, sender[6] = {};
    if (!(r.U16be(p.major) && r.U16be(p.minor) && r.Bytes(mac, 6) && r.U16be(p.revision) &&
          r.U16be(p.command) && r.U16be(p.result) && r.U32be(p.headerId) && r.Bytes(sender, 6) &&
          r.U16be(p.sequence)))
        return p;
    p.deviceMac = FormatMac(mac);
    p.reserved.resize(12);
    if (!r.Bytes(p.reserved.data(), 12))
        return p;
    while (r.Left() >= 4) {
        Field f;
        r.U16be(f.type);
        r.U16be(f.length);
        if (f.length < 4 || !r.CanRead(f.length - 4u))
            return p;
        f.value.resize(f.length - 4u);
        r.Bytes(f.value.data(), f.value.size());
        p.fields.push_back(std::move(f));
    }
    p.complete = r.Left() == 0;
    return p;
}

}  // namespace pm::test
