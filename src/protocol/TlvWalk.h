#pragma once
// The one walk over the type-length-value fields after the header. Each field is
// type (2), length of the whole field (2), value; numbers big-endian. Some types occupy a
// fixed size whatever their length says; the others occupy their length. The walk ends
// when fewer than 4 bytes are left, when a field would run past the end, or when a
// length-sized field declares less than its own 4-byte head.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/Bytes.h"

namespace pm {

struct TlvField {
    uint16_t type = 0;
    uint16_t length = 0;             // as declared
    std::span<const uint8_t> value;  // the bytes the walk consumed, less the head
};

constexpr size_t kTlvHeadSize = 4;

// fixedSize(type) gives the bytes a field of that type occupies, or 0 when it occupies its
// declared length. visit(field) returns false to end the walk.
template <typename FixedSize, typename Visit>
void WalkFields(std::span<const uint8_t> fields, FixedSize&& fixedSize, Visit&& visit) {
    ByteReader r(fields);
    while (r.Left() >= kTlvHeadSize) {
        ByteReader head(r.Peek(kTlvHeadSize));
        TlvField f;
        head.U16be(f.type);
        head.U16be(f.length);
        const size_t fixed = fixedSize(f.type);
        if (fixed == 0 && f.length < kTlvHeadSize)
            return;
        const size_t size = fixed != 0 ? fixed : f.length;
        if (size < kTlvHeadSize || size > r.Left())
            return;
        f.value = r.Peek(size).subspan(kTlvHeadSize);
        r.Skip(size);
        if (!visit(f))
            return;
    }
}

}  // namespace pm
