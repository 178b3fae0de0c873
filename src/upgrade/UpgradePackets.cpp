#include "upgrade/UpgradePackets.h"

#include <algorithm>

#include "base/Bytes.h"
#include "base/WireConstants.h"
#include "protocol/ProtocolHeader.h"

namespace pm {
namespace {}  // namespace

size_t BuildTriggerRequest(std::span<uint8_t> out, const uint8_t deviceMac[6], uint32_t headerId,
                           uint16_t sequence, std::optional<std::string_view> password) {
    ByteWriter w(out);
    ProtocolHeader header = RequestHeader(headerId, Command::UpgradeTrigger);
    std::copy_n(deviceMac, header.device_mac.size(), header.device_mac.begin());
    header.sequence = sequence;
    WriteHeader(w, header);
    if (password) {
        w.U16be(static_cast<uint16_t>(FieldType::Password));
        w.U16be(static_cast<uint16_t>(password->size() + 4)).Text(*password);
    }
    return w.Ok() ? w.Position() : 0;
}

std::string_view TftpFileName(std::string_view path) {
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

size_t BuildWriteRequest(std::span<uint8_t> out, std::string_view fileName) {
    constexpr std::string_view kMode = "octet";
    const size_t room = out.size() >= 2 + 1 + kMode.size() + 1 ? out.size() - 4 - kMode.size() : 0;
    ByteWriter w(out);
    w.U16be(static_cast<uint16_t>(TftpOpcode::WriteRequest));
    w.Text(fileName.substr(0, room)).U8(0).Text(kMode).U8(0);
    return w.Ok() ? w.Position() : 0;
}

size_t BuildDataPacket(std::span<uint8_t> out, uint16_t block, std::span<const uint8_t> data) {
    data = data.first(std::min(data.size(), kTftpBlockSize));
    ByteWriter w(out);
    w.U16be(static_cast<uint16_t>(TftpOpcode::Data)).U16be(block).Bytes(data.data(), data.size());
    return w.Ok() ? w.Position() : 0;
}

TftpReply ParseTftpReply(const uint8_t* data, size_t length) {
    ByteReader r(data, std::min(length, kTftpReceiveSize));
    TftpReply reply;
    uint16_t opcode = 0;
    if (!r.U16be(opcode))
        return reply;
    if (opcode == static_cast<uint16_t>(TftpOpcode::Ack)) {
        if (r.U16be(reply.block))
            reply.kind = TftpReply::Kind::Ack;
    } else if (opcode == static_cast<uint16_t>(TftpOpcode::Error)) {
        reply.kind = TftpReply::Kind::Error;
        uint16_t code = 0;  // carried but not used
        if (!r.U16be(code))
            return reply;
        uint8_t c = 0;
        while (reply.text.size() < kTftpErrorTextMax && r.U8(c) && c != 0)
            reply.text.push_back(static_cast<char>(c));
    }
    return reply;
}

}  // namespace pm
