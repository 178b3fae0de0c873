#pragma once
// What every set request to one switch shares: the header, the setting and password fields,
// the mode-change indicator and the way the request leaves (unicast for a monitored switch,
// broadcast and multicast for a discovered one).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/Program.h"
#include "base/Bytes.h"
#include "base/WireConstants.h"

namespace pm {

// Capability bits of word 0 (bit t - 1 for field type t) and word 1 that the set requests test.
namespace cap {
constexpr uint32_t kProductName = 0x1;
constexpr uint32_t kSystemName = 0x2;
constexpr uint32_t kLocation = 0x4;
constexpr uint32_t kIpAddress = 0x8;
constexpr uint32_t kSubnetMask = 0x10;
constexpr uint32_t kGateway = 0x20;
constexpr uint32_t kNewPassword = 0x80;
constexpr uint32_t kPassword = 0x100;
constexpr uint32_t kIpMode = 0x200;
constexpr uint32_t kGroupInterval = 0x200000;
constexpr uint32_t kIpModeThreeWay = 0x1;  // word 1
}  // namespace cap

// The selected device's entry in the table its list belongs to; nullptr when the selection
// does not name an entry.
DeviceRecord* SelectedEntry(Program& p);
const DeviceRecord* SelectedEntry(const Program& p);

// 0 no change of mode, 1 to Static, 2 to DHCP or Bootp.
int ModeChange(uint16_t newMode, uint16_t currentMode);

// The 40-byte header of a set request: the target's MAC from its text, the request sequence
// counter, and minor 1 / revision 6 for a DHCP refresh. Returns the header size.
enum class SetKind { Normal, DhcpRefresh };
size_t WriteSetHeader(const Program& p, ByteWriter& out, uint16_t command, std::string_view macText,
                      SetKind kind = SetKind::Normal);

// The setting fields of r, each only when r's capabilities accept it. Writing the address
// field also records r.ip as the pending target's address. Returns the bytes written.
size_t BuildSettingTlvs(const DeviceRecord& r, int modeChange, ByteWriter& out,
                        PendingSetTarget& pending);
// The original (type 9) and new (type 8) password fields. Returns the bytes written.
size_t BuildPasswordTlvs(const DeviceRecord& r, ByteWriter& out);

// Sends a built request for the selected device: poll step and unicast to unicastAddress for
// a monitored device, poll step of every monitored device and broadcast then multicast for a
// discovered one. Shows the failure message and returns -1 when a send fails, else 0.
int SendSetRequest(Program& p, uint8_t* packet, size_t length, uint32_t unicastAddress,
                   std::string_view unicastError);

// Messages of the set requests.
inline constexpr std::string_view kUnicastSetError = "Unicast set send error";
inline constexpr std::string_view kUdpSetError = "UDP set send error";
inline constexpr std::string_view kPasswordRule = "Password must be 1-20 characters length.";
inline constexpr std::string_view kInvalidIpAddress = "Invalid IP address.";
inline constexpr std::string_view kSpacedErrorCaption = " Error";
inline constexpr std::string_view kErrorCaption = "Error";

}  // namespace pm
