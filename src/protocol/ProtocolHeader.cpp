#include "protocol/ProtocolHeader.h"

#include <algorithm>

#include "base/Bytes.h"

namespace pm {

void WriteHeader(ByteWriter& out, const ProtocolHeader& h) {
    const size_t start = out.Position();
    out.U16be(h.major).U16be(h.minor).Bytes(h.device_mac.data(), h.device_mac.size());
    out.U16be(h.revision).U16be(h.command).U16be(h.result).U32be(h.header_id);
    out.Bytes(h.sender_mac.data(), h.sender_mac.size()).U16be(h.sequence);
    out.Zeros(kHeaderSize - (out.Position() - start));
}

void ProtocolHeader::Encode(std::span<uint8_t, kHeaderSize> out) const {
    ByteWriter w(out);
    WriteHeader(w, *this);
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

ProtocolHeader RequestHeader(uint32_t headerId, Command command) {
    ProtocolHeader h;
    h.major = 2;
    h.command = static_cast<uint16_t>(command);
    h.header_id = headerId;
    return h;
}

size_t BuildHeader(const Settings& settings, uint8_t* buf, uint16_t command) {
    ProtocolHeader h = RequestHeader(settings.header_id, Command::Discover);
    h.command = command;
    h.Encode(std::span<uint8_t, kHeaderSize>(buf, kHeaderSize));
    return kHeaderSize;
}

size_t BuildDiscoverRequest(std::span<uint8_t> out, uint32_t headerId) {
    ByteWriter w(out);
    WriteHeader(w, RequestHeader(headerId, Command::Discover));
    return w.Ok() ? w.Position() : 0;
}

}  // namespace pm
