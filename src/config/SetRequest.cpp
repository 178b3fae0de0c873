#include "config/SetRequest.h"

#include "base/WireConstants.h"
#include "config/Validation.h"
#include "inventory/PollStep.h"
#include "protocol/ProtocolHeader.h"

namespace pm {
namespace {

void PutText(ByteWriter& out, FieldType type, std::string_view text) {
    out.U16be(static_cast<uint16_t>(type)).U16be(static_cast<uint16_t>(4 + text.size())).Text(text);
}

void PutAddress(ByteWriter& out, FieldType type, uint32_t hostOrder) {
    out.U16be(static_cast<uint16_t>(type)).U16be(8).U32be(hostOrder);
}

// A switch is sent one blank in place of an empty name or location.
std::string_view BlankIfEmpty(std::string_view text) {
    return text.empty() ? " " : text;
}

}  // namespace

std::optional<SelectionContext> FindBoundDevice(const DeviceLists& lists, std::string_view macText,
                                                Ui& ui) {
    auto found = SelectionOfMac(lists, macText);
    if (!found)
        ui.Notice(DeviceGoneMessage(macText), kErrorCaption, Icon::Error, Owner::Form);
    return found;
}

std::string DeviceGoneMessage(std::string_view macText) {
    return "The switch " + std::string(macText) +
           " is no longer in the discovery or monitor list; nothing was sent.";
}

void ForgetPasswords(DeviceRecord& copy) {
    SetText(copy.password, "");
    SetText(copy.new_password, "");
}

ModeChange ModeChangeFor(uint16_t newMode, uint16_t currentMode) {
    if (newMode == kIpModeStatic && currentMode != kIpModeStatic)
        return ModeChange::ToStatic;
    if ((newMode == kIpModeDhcp || newMode == kIpModeBootp) && newMode != currentMode)
        return ModeChange::ToDhcpOrBootp;
    return ModeChange::None;
}

size_t WriteSetHeader(const SetRequestContext& context, ByteWriter& out, uint16_t command,
                      std::string_view macText, SetKind kind) {
    const size_t start = out.Position();
    ProtocolHeader header = RequestHeader(context.settings.header_id, Command::Discover);
    header.command = command;
    // A text that is not a MAC leaves the bytes zero.
    HexToBytes(macText, header.device_mac.data(), header.device_mac.size());
    if (kind == SetKind::DhcpRefresh) {
        header.minor = 1;
        header.revision = 6;
    }
    header.sequence = context.sequence;
    WriteHeader(out, header);
    return out.Position() - start;
}

size_t BuildSettingTlvs(const DeviceRecord& device, ModeChange modeChange, ByteWriter& out,
                        PendingSetTarget& pending) {
    const size_t start = out.Position();
    const uint32_t word0 = device.capabilities[0];
    const uint32_t word1 = device.capabilities[1];
    const bool zeroAddresses = modeChange == ModeChange::ToDhcpOrBootp;
    if (word0 & cap::kPassword)
        PutText(out, FieldType::Password, TextOf(device.password));
    if (word0 & cap::kProductName)
        PutText(out, FieldType::ProductName, TextOf(device.product_name));
    if (word0 & cap::kSystemName)
        PutText(out, FieldType::SystemName, BlankIfEmpty(TextOf(device.system_name)));
    if (word0 & cap::kLocation)
        PutText(out, FieldType::Location, BlankIfEmpty(TextOf(device.location)));
    if (word0 & cap::kIpAddress) {
        PutAddress(out, FieldType::IpAddress, zeroAddresses ? 0 : device.ip);
        pending.address = device.ip;
    }
    if (word0 & cap::kGateway)
        PutAddress(out, FieldType::Gateway, zeroAddresses ? 0 : device.gateway);
    if (word0 & cap::kSubnetMask)
        PutAddress(out, FieldType::SubnetMask, zeroAddresses ? 0 : device.mask);
    if (!TextOf(device.new_password).empty() && (word0 & cap::kNewPassword))
        PutText(out, FieldType::NewPassword, TextOf(device.new_password));
    if (device.ip_mode != kIpModeNotReported &&
        ((word0 & cap::kIpMode) || (word1 & cap::kIpModeThreeWay))) {
        out.U16be(static_cast<uint16_t>(FieldType::IpMode));
        if (device.revision == 1)
            out.U16be(5).U8(static_cast<uint8_t>(device.ip_mode));
        else
            out.U16be(6).U16be(device.ip_mode);
    }
    if (device.group_interval != -1 && (word0 & cap::kGroupInterval)) {
        out.U16be(static_cast<uint16_t>(FieldType::GroupInterval))
            .U16be(8)
            .U32be(static_cast<uint32_t>(device.group_interval));
    }
    return out.Position() - start;
}

size_t BuildPasswordTlvs(const DeviceRecord& device, ByteWriter& out) {
    const size_t start = out.Position();
    const uint32_t word0 = device.capabilities[0];
    if (word0 & cap::kPassword)
        PutText(out, FieldType::Password, TextOf(device.password));
    if (!TextOf(device.new_password).empty() && (word0 & cap::kNewPassword))
        PutText(out, FieldType::NewPassword, TextOf(device.new_password));
    return out.Position() - start;
}

SetOutcome SendSetRequest(const SetRequestContext& context, uint8_t* packet, size_t length,
                          uint32_t unicastAddress, std::string_view unicastError) {
    Transport& transport = context.transport;
    if (context.selection.list == ListKind::Monitor) {
        if (DeviceRecord* entry = SelectedRecord(context.lists, context.selection))
            PollStep(*entry);
        if (transport.SendToDevice(unicastAddress, packet, length) != 0) {
            context.ui.Notice(unicastError, kErrorCaption, Icon::Error, Owner::NoWindow);
            return SetOutcome::SendFailed;
        }
        return SetOutcome::Sent;
    }
    for (auto& entry : context.lists.monitor) {
        if (TextOf(entry.ip_text).empty())
            break;
        PollStep(entry);
    }
    if (transport.SendBroadcast(packet, length) != 0 ||
        transport.SendMulticast(packet, length) != 0) {
        context.ui.Notice(kUdpSetError, kErrorCaption, Icon::Error, Owner::NoWindow);
        return SetOutcome::SendFailed;
    }
    return SetOutcome::Sent;
}

}  // namespace pm
