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

DeviceRecord* SelectedEntry(Program& p) {
    return SelectedRecord(p.lists, p.selection);
}

const DeviceRecord* SelectedEntry(const Program& p) {
    return SelectedRecord(p.lists, p.selection);
}

int ModeChange(uint16_t newMode, uint16_t currentMode) {
    if (newMode == kIpModeStatic && currentMode != kIpModeStatic)
        return 1;
    if ((newMode == kIpModeDhcp || newMode == kIpModeBootp) && newMode != currentMode)
        return 2;
    return 0;
}

size_t WriteSetHeader(const Program& p, ByteWriter& out, uint16_t command, std::string_view macText,
                      SetKind kind) {
    const size_t start = out.Position();
    ProtocolHeader header = RequestHeader(p.settings.header_id, Command::Discover);
    header.command = command;
    // A text that is not a MAC leaves the bytes zero.
    HexToBytes(macText, header.device_mac.data(), header.device_mac.size());
    if (kind == SetKind::DhcpRefresh) {
        header.minor = 1;
        header.revision = 6;
    }
    header.sequence = p.sequence;
    WriteHeader(out, header);
    return out.Position() - start;
}

size_t BuildSettingTlvs(const DeviceRecord& r, int modeChange, ByteWriter& out,
                        PendingSetTarget& pending) {
    const size_t start = out.Position();
    const uint32_t f = r.capabilities[0];
    const uint32_t g = r.capabilities[1];
    const bool zeroAddresses = modeChange == 2;
    if (f & cap::kPassword)
        PutText(out, FieldType::Password, TextOf(r.password));
    if (f & cap::kProductName)
        PutText(out, FieldType::ProductName, TextOf(r.product_name));
    if (f & cap::kSystemName)
        PutText(out, FieldType::SystemName, BlankIfEmpty(TextOf(r.system_name)));
    if (f & cap::kLocation)
        PutText(out, FieldType::Location, BlankIfEmpty(TextOf(r.location)));
    if (f & cap::kIpAddress) {
        PutAddress(out, FieldType::IpAddress, zeroAddresses ? 0 : r.ip);
        pending.address = r.ip;
    }
    if (f & cap::kGateway)
        PutAddress(out, FieldType::Gateway, zeroAddresses ? 0 : r.gateway);
    if (f & cap::kSubnetMask)
        PutAddress(out, FieldType::SubnetMask, zeroAddresses ? 0 : r.mask);
    if (!TextOf(r.new_password).empty() && (f & cap::kNewPassword))
        PutText(out, FieldType::NewPassword, TextOf(r.new_password));
    if (r.ip_mode != kIpModeNotReported && ((f & cap::kIpMode) || (g & cap::kIpModeThreeWay))) {
        out.U16be(static_cast<uint16_t>(FieldType::IpMode));
        if (r.revision == 1)
            out.U16be(5).U8(static_cast<uint8_t>(r.ip_mode));
        else
            out.U16be(6).U16be(r.ip_mode);
    }
    if (r.group_interval != -1 && (f & cap::kGroupInterval)) {
        out.U16be(static_cast<uint16_t>(FieldType::GroupInterval))
            .U16be(8)
            .U32be(static_cast<uint32_t>(r.group_interval));
    }
    return out.Position() - start;
}

size_t BuildPasswordTlvs(const DeviceRecord& r, ByteWriter& out) {
    const size_t start = out.Position();
    const uint32_t f = r.capabilities[0];
    if (f & cap::kPassword)
        PutText(out, FieldType::Password, TextOf(r.password));
    if (!TextOf(r.new_password).empty() && (f & cap::kNewPassword))
        PutText(out, FieldType::NewPassword, TextOf(r.new_password));
    return out.Position() - start;
}

int SendSetRequest(Program& p, uint8_t* packet, size_t length, uint32_t unicastAddress,
                   std::string_view unicastError) {
    if (p.selection.list == ListKind::Monitor) {
        if (DeviceRecord* entry = SelectedEntry(p))
            PollStep(*entry);
        if (p.net.SendToDevice(unicastAddress, packet, length) != 0) {
            p.ui.Notice(unicastError, kErrorCaption, Icon::Error, Owner::NoWindow);
            return -1;
        }
        return 0;
    }
    for (auto& entry : p.lists.monitor) {
        if (TextOf(entry.ip_text).empty())
            break;
        PollStep(entry);
    }
    if (p.net.SendBroadcast(packet, length) != 0 || p.net.SendMulticast(packet, length) != 0) {
        p.ui.Notice(kUdpSetError, kErrorCaption, Icon::Error, Owner::NoWindow);
        return -1;
    }
    return 0;
}

}  // namespace pm
