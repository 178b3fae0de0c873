#pragma once
// Wire constants of the device protocol.
#include <cstddef>
#include <cstdint>
#include <optional>

namespace pm {

constexpr size_t kHeaderSize = 40;
constexpr size_t kMaxDatagram = 1500;

// Header field offsets.
namespace hdr {
constexpr size_t kMajor = 0;
constexpr size_t kMinor = 2;
constexpr size_t kDeviceMac = 4;
constexpr size_t kRevision = 10;
constexpr size_t kCommand = 12;
constexpr size_t kResult = 14;
constexpr size_t kHeaderId = 16;
constexpr size_t kSenderMac = 20;
constexpr size_t kSequence = 26;
}  // namespace hdr

enum class Command : uint16_t {
    Discover = 1,
    DiscoverReply = 2,
    SetFromDiscovery = 3,
    SetAck = 4,
    Poll = 5,
    SetFromMonitor = 7,
    SetFromMonitorAck = 8,
    NoMerge = 9,
    UpgradeTrigger = 10,
    UpgradeTriggerAck = 11,
    LoaderReply = 12,
    LoaderSet = 14,
    LoaderSetAck = 15,
};

enum class ResultCode : uint8_t {
    Ok = 0,
    ProtocolVersion = 1,
    Password = 2,
    Command = 3,
    Parameters = 4,
    Acl = 5,
    DynamicIp = 6,
    DeviceText = 255,
};

enum class FieldType : uint16_t {
    ProductName = 1,
    SystemName = 2,
    Location = 3,
    IpAddress = 4,
    SubnetMask = 5,
    Gateway = 6,
    Ignored7 = 7,
    NewPassword = 8,
    Password = 9,
    IpMode = 10,
    Type21 = 21,
    GroupInterval = 22,
    Ignored24 = 24,
    Ignored26 = 26,
    UpgradeWait1 = 27,
    UpgradeWait2 = 28,
    DeviceText = 30,
    IpModeThreeWay = 33,
    Capabilities = 129,
};

constexpr uint16_t kLoaderMarker = 100;

// IP modes as the switches report and take them.
constexpr uint16_t kIpModeStatic = 0;
constexpr uint16_t kIpModeDhcp = 1;
constexpr uint16_t kIpModeBootp = 2;
constexpr uint16_t kIpModeNotReported = 3;

// TFTP (RFC 1350) as the firmware upgrade speaks it.
constexpr uint16_t kTftpLocalPort = 64517;
constexpr uint16_t kTftpServerPort = 69;
enum class TftpOpcode : uint16_t { WriteRequest = 2, Data = 3, Ack = 4, Error = 5 };

// Event identifiers: slot i holds 33273 + 4i (broadcast), +1 multicast, +2 unicast, +3 TFTP.
constexpr int kFirstEventId = 33273;
constexpr int kEventSlots = 24;
constexpr int kLastEventId = kFirstEventId + 4 * kEventSlots - 1;  // 33368

enum class EventKind { Broadcast = 0, Multicast = 1, Unicast = 2, Tftp = 3 };

// Identifier of kind k in slot i.
constexpr int EventIdOf(int slot, EventKind k) {
    return kFirstEventId + 4 * slot + static_cast<int>(k);
}
// The kind of socket an event identifier names, or nullopt outside 33273..33368.
constexpr std::optional<EventKind> KindOfEvent(int eventId) {
    if (eventId < kFirstEventId || eventId > kLastEventId)
        return std::nullopt;
    return static_cast<EventKind>((eventId - kFirstEventId) % 4);
}
// The slot an event identifier belongs to (meaningful only for identifiers in range).
constexpr int SlotOfEvent(int eventId) {
    return (eventId - kFirstEventId) / 4;
}

}  // namespace pm
