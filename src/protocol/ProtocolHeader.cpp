#include "protocol/ProtocolHeader.h"

#include <algorithm>

#include "base/Bytes.h"

namespace pm {

void ProtocolHeader::Encode(std::span<uint8_t, kHeaderSize> out) const {
    ByteWriter w(out);
    w.U16be(major).U16be(minor).Bytes(device_mac.data(), device_mac.size());
    w.U16be(revision).U16be(command).U16be(result).U32be(header_id);
    w.Bytes(sender_mac.data(), sender_mac.size()).U16be(sequence);
    w.Zeros(kHeaderSize - w.Position());
}

ProtocolHeader ProtocolHeader::Decode(std::span<const uint8_t> bytes) {
    std::array<uint8_t, kHeaderSize> padded{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), padded.size()), padded.begin());
    ByteReader r(padded);
    ProtocolHeader h;
    r.U16be(h.major);
    r.U16be(h.minor);
    r.Bytes(h.device_mac.data(), h.device_mac.size());
    r.U16be(h.revision);
    r.U16be(h.command);
    r.U16be(h.result);
    r.U32be(h.header_id);
    r.Bytes(h.sender_mac.data(), h.sender_mac.size());
    r.U16be(h.sequence);
    return h;
}

size_t BuildHeader(const Settings& settings, uint8_t* buf, uint16_t command) {
    ProtocolHeader h;
    h.major = 2;
    h.command = command;
    h.header_id = settings.header_id;
    h.Encode(std::span<uint8_t, kHeaderSize>(buf, kHeaderSize));
    return kHeaderSize;
}

}  // namespace pm
