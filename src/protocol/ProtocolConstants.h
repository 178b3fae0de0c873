#pragma once
// Wire constants of the device protocol.
#include <cstddef>
#include <cstdint>

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

// Event identifiers: slot i holds 33273 + 4i (broadcast), +1 multicast, +2 unicast, +3 TFTP.
constexpr int kFirstEventId = 33273;
constexpr int kEventSlots = 24;
constexpr int kLastEventId = kFirstEventId + 4 * kEventSlots - 1;  // 33368

}  // namespace pm
