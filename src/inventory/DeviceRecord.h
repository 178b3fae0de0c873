#pragma once
// Everything the utility knows about one switch: a plain fixed record, also the record of
// the monitor list file (292 bytes, written field by field, integers little-endian).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/FixedText.h"

namespace pm {

constexpr size_t kRecordSize = 292;
constexpr size_t kTableSize = 256;
constexpr uint32_t kAddedByAddressStamp = 0x01945AE0;

// row_flag: whether the entry already has a row in its list, and what last changed it.
enum RowFlag : int32_t {
    kRowNew = 0,       // no row yet: drawing the entry inserts one
    kRowAnswered = 1,  // a reply updated an entry that has a row
    kRowNotAlive = 2,  // the refresh timer marked an entry that has a row as not alive
};

// status_mark: the image of the monitor list's status column.
enum StatusMark : int32_t {
    kStatusAlive = -1,    // no image
    kStatusNotAlive = 1,  // the not-alive image
};

struct DeviceRecord {
    uint32_t id_stamp = 0;
    char mac_text[16] = {};
    char product_name[41] = {};
    char system_name[21] = {};
    char location[31] = {};
    char group_interval_text[6] = {};
    char ip_text[20] = {};
    char mask_text[20] = {};
    char gateway_text[20] = {};
    char password[21] = {};
    char new_password[21] = {};
    uint32_t ip = 0;             // host order; 0 marks a free monitor entry
    uint32_t mask = 0;           // host order
    uint32_t gateway = 0;        // host order
    int32_t group_interval = 0;  // -1 not reported, 0 disabled
    uint8_t type21_value[2] = {};
    int32_t row_flag = kRowNew;  // a RowFlag
    int32_t missed_polls = 0;
    int32_t status_mark = 0;  // a StatusMark
    int32_t answered = 0;
    uint16_t last_command = 0;
    uint16_t major = 0;
    uint16_t revision = 0;
    uint16_t minor = 0;
    uint16_t loader = 0;   // kLoaderMarker when the switch runs its loader
    uint16_t ip_mode = 0;  // 0 static, 1 DHCP, 2 Bootp, 3 not reported
    uint32_t capabilities[4] = {};
    uint16_t upgrade_wait_1 = 0;
    uint16_t upgrade_wait_2 = 0;

    bool operator==(const DeviceRecord&) const = default;
};

// Field offsets in the 292-byte layout.
namespace rec {
constexpr size_t kIdStamp = 0, kMacText = 4, kProductName = 20, kSystemName = 61, kLocation = 82,
                 kGroupIntervalText = 113, kIpText = 119, kMaskText = 139, kGatewayText = 159,
                 kPassword = 179, kNewPassword = 200, kIp = 224, kMask = 228, kGateway = 232,
                 kGroupInterval = 236, kType21 = 240, kRowFlag = 244, kMissedPolls = 248,
                 kStatusMark = 252, kAnswered = 256, kLastCommand = 260, kMajor = 262,
                 kRevision = 264, kMinor = 266, kLoader = 268, kIpMode = 270, kCapabilities = 272,
                 kUpgradeWait1 = 288, kUpgradeWait2 = 290;
}

void EncodeRecord(const DeviceRecord& record, std::span<uint8_t, kRecordSize> out);
// Texts are always read back cut to width - 1 and terminated, whatever the bytes hold.
DeviceRecord DecodeRecord(std::span<const uint8_t, kRecordSize> in);

}  // namespace pm
