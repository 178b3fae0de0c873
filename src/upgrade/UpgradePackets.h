#pragma once
// The packets of a firmware upgrade: the trigger of the device protocol, the discover request
// of the search that follows, and the TFTP packets of the image transfer.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/WireConstants.h"

namespace pm {

constexpr size_t kTftpBlockSize = 512;
constexpr size_t kTftpReceiveSize = 512;  // replies are read into this many bytes
constexpr size_t kWriteRequestBuffer = 512;
constexpr size_t kDataPacketBuffer = 520;
constexpr size_t kTftpErrorTextMax = 99;
// Block numbers are 16 bits and never wrap, so an image must stay below 65535 blocks.
constexpr uint64_t kMaxImageSize = 65535ull * kTftpBlockSize;  // 33,553,920: refused
constexpr size_t kTriggerBuffer = 40 + 4 + 20;

// The trigger: the 40-byte header (command 10) and, unless password is empty (a loader), the
// password field. Returns the length, or 0 when it does not fit out.
size_t BuildTriggerRequest(std::span<uint8_t> out, const uint8_t deviceMac[6], uint32_t headerId,
                           uint16_t sequence, std::optional<std::string_view> password);

// The last component of a path: the text after the last '/' or '\', the whole path when
// there is neither.
std::string_view TftpFileName(std::string_view path);
// opcode 2, the name, 0, "octet", 0; a name too long for the buffer is cut. Returns the length.
size_t BuildWriteRequest(std::span<uint8_t> out, std::string_view fileName);
// opcode 3, block, data (at most 512 bytes). Returns the length.
size_t BuildDataPacket(std::span<uint8_t> out, uint16_t block, std::span<const uint8_t> data);

struct TftpReply {
    enum class Kind { Ack, Error, Other };
    Kind kind = Kind::Other;
    uint16_t block = 0;  // Ack
    std::string text;    // Error: up to the first zero or the datagram's end, at most 99 chars
};
// Reads at most the first 512 bytes of a datagram. An acknowledgement needs all four bytes;
// anything shorter is Other.
TftpReply ParseTftpReply(const uint8_t* data, size_t length);

}  // namespace pm
