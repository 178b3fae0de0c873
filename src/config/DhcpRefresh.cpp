#include "config/DhcpRefresh.h"

#include "base/WireConstants.h"

namespace pm {

bool OffersDhcpRefresh(const DeviceRecord& device) {
    return device.ip_mode == kIpModeDhcp && device.revision >= 3;
}

SetOutcome RefreshDhcp(const SetRequestContext& context, std::string_view password,
                       DeviceRecord& copy) {
    const DeviceRecord* device = SelectedRecord(context.lists, context.selection);
    if (!device)
        return SetOutcome::NoDevice;
    copy = *device;
    SetText(copy.password, password);
    const SetOutcome outcome = SendDhcpRefresh(context, copy);
    ForgetPasswords(copy);
    return outcome;
}

SetOutcome SendDhcpRefresh(const SetRequestContext& context, const DeviceRecord& copy) {
    const Command command = context.selection.list == ListKind::Monitor ? Command::SetFromMonitor
                                                                        : Command::SetFromDiscovery;
    uint8_t packet[kMaxDatagram] = {};
    ByteWriter out(packet, sizeof packet);
    WriteSetHeader(context, out, static_cast<uint16_t>(command), TextOf(copy.mac_text),
                   SetKind::DhcpRefresh);
    SetText(context.pending.mac_text, TextOf(copy.mac_text));
    BuildSettingTlvs(copy, ModeChange::ToDhcpOrBootp, out, context.pending);
    return SendSetRequest(context, packet, out.Position(), copy.ip, kUnicastSetError);
}

}  // namespace pm
