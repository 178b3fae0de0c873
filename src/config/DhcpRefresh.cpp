#include "config/DhcpRefresh.h"

#include "base/WireConstants.h"
#include "config/SetRequest.h"

namespace pm {

void RefreshDhcp(Program& p, std::string_view password) {
    const DeviceRecord* device = SelectedEntry(p);
    if (!device)
        return;
    p.refreshCopy = *device;
    SetText(p.refreshCopy.password, password);
    SendDhcpRefresh(p);
}

int SendDhcpRefresh(Program& p) {
    const DeviceRecord& copy = p.refreshCopy;
    const Command command =
        p.selection.list == ListKind::Monitor ? Command::SetFromMonitor : Command::SetFromDiscovery;
    uint8_t packet[kMaxDatagram] = {};
    ByteWriter out(packet, sizeof packet);
    WriteSetHeader(p, out, static_cast<uint16_t>(command), TextOf(copy.mac_text),
                   SetKind::DhcpRefresh);
    SetText(p.pending.mac_text, TextOf(copy.mac_text));
    BuildSettingTlvs(copy, 2, out, p.pending);
    return SendSetRequest(p, packet, out.Position(), copy.ip, kUnicastSetError);
}

}  // namespace pm
