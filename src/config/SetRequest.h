#pragma once
// What every set request to one switch shares: the header, the setting and password fields,
// the mode-change indicator and the way the request leaves (unicast for a monitored switch,
// broadcast and multicast for a discovered one).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Bytes.h"
#include "base/Settings.h"
#include "base/Ui.h"
#include "base/WireConstants.h"
#include "inventory/DeviceLists.h"
#include "inventory/Selection.h"
#include "net/Transport.h"
#include "protocol/PendingSetTarget.h"

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

// What a set request reads and writes: the settings (header identifier, whether the group
// interval is offered), the two tables and the selection that names the target, the sequence
// counter the header carries (only a matching reply advances it), the pending target the
// acknowledgement is matched against, the transport, and the Ui for the messages.
struct SetRequestContext {
    const Settings& settings;
    DeviceLists& lists;
    const SelectionContext& selection;
    const uint16_t& sequence;
    PendingSetTarget& pending;
    Transport& transport;
    Ui& ui;
};

// A form, the firmware form and each command line operation remember the MAC of the switch
// they were opened for and find it again with this when they send, in either table: a
// position may hold another switch by then (a discovery refills the table). When neither
// table holds it any more, DeviceGoneMessage is shown (owned by the form) and nullopt
// returned: nothing may be sent.
std::optional<SelectionContext> FindBoundDevice(const DeviceLists& lists, std::string_view macText,
                                                Ui& ui);
std::string DeviceGoneMessage(std::string_view macText);

// Once a request has left, the form's working copy keeps no password.
void ForgetPasswords(DeviceRecord& workingCopy);

// How a form's button ended; every message is shown before it returns.
enum class SetOutcome {
    Sent,        // the request went out
    Refused,     // a check refused the input (its message shown); nothing was sent
    SendFailed,  // the send failed (its message shown)
    NoDevice,    // the selection names no entry; nothing was checked or sent
};

// The form closes after its button unless a check refused the input.
constexpr bool ClosesForm(SetOutcome outcome) {
    return outcome != SetOutcome::Refused;
}

// How a set request changes the switch's IP mode; a change to DHCP or Bootp sends the
// addresses as 0.0.0.0.
enum class ModeChange { None = 0, ToStatic = 1, ToDhcpOrBootp = 2 };
ModeChange ModeChangeFor(uint16_t newMode, uint16_t currentMode);

// The 40-byte header of a set request: the target's MAC from its text, the request sequence
// counter, and minor 1 / revision 6 for a DHCP refresh. Returns the header size.
enum class SetKind { Normal, DhcpRefresh };
size_t WriteSetHeader(const SetRequestContext& context, ByteWriter& out, uint16_t command,
                      std::string_view macText, SetKind kind = SetKind::Normal);

// The setting fields of device, each only when its capabilities accept it. Writing the
// address field also records device.ip as the pending target's address. Returns the bytes
// written.
size_t BuildSettingTlvs(const DeviceRecord& device, ModeChange modeChange, ByteWriter& out,
                        PendingSetTarget& pending);
// The original (type 9) and new (type 8) password fields. Returns the bytes written.
size_t BuildPasswordTlvs(const DeviceRecord& device, ByteWriter& out);

// Sends a built request for the selected device: poll step and unicast to unicastAddress for
// a monitored device, poll step of every monitored device and broadcast then multicast for a
// discovered one. Shows the failure message and returns SendFailed when a send fails, else
// Sent.
SetOutcome SendSetRequest(const SetRequestContext& context, uint8_t* packet, size_t length,
                          uint32_t unicastAddress, std::string_view unicastError);

// Messages of the set requests.
inline constexpr std::string_view kUnicastSetError = "Unicast set send error";
inline constexpr std::string_view kUdpSetError = "UDP set send error";
inline constexpr std::string_view kPasswordRule = "Password must be 1-20 characters length.";
inline constexpr std::string_view kInvalidIpAddress = "Invalid IP address.";
inline constexpr std::string_view kSpacedErrorCaption = " Error";
inline constexpr std::string_view kErrorCaption = "Error";

}  // namespace pm
