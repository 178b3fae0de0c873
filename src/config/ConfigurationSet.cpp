#include "config/ConfigurationSet.h"

#include <algorithm>

#include "base/WireConstants.h"
#include "config/SetRequest.h"
#include "config/Validation.h"
#include "inventory/ProductName.h"

namespace pm {
namespace {

std::string_view Trimmed(std::string_view s) {
    auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::optional<uint32_t> AddressOf(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    return ParseAddress(text);
}

uint16_t ModeOf(IpModeChoice choice) {
    switch (choice) {
        case IpModeChoice::Static:
            return kIpModeStatic;
        case IpModeChoice::Dhcp:
            return kIpModeDhcp;
        case IpModeChoice::Bootp:
            return kIpModeBootp;
        case IpModeChoice::None:
            break;
    }
    return kIpModeNotReported;
}

int Clamp(int count) {
    return std::clamp(count, 0, static_cast<int>(kTableSize));
}

bool AddressTaken(const Program& p, uint32_t address) {
    const int monitorCount = Clamp(p.selection.monitorCount);
    const bool fromMonitor = p.selection.list == ListKind::Monitor;
    for (int i = 0; i < monitorCount; ++i) {
        if (fromMonitor && i == p.selection.index)
            continue;
        if (p.lists.monitor[i].ip == address)
            return true;
    }
    if (!fromMonitor)
        return false;
    const int discoveryCount = Clamp(p.selection.discoveryCount);
    for (int i = 0; i < discoveryCount; ++i)
        if (p.lists.discovery[i].ip == address)
            return true;
    return false;
}

void Refuse(Program& p, std::string_view text, std::string_view caption = kErrorCaption) {
    p.ui.Notice(text, caption, Icon::Error, Owner::Form);
}

}  // namespace

ConfigurationFormView OpenConfigurationForm(const DeviceRecord& d, const Settings& settings) {
    ConfigurationFormView v;
    v.productName = FormatProductName(TextOf(d.product_name));
    v.macText = TextOf(d.mac_text);
    v.ip = d.ip;
    v.mask = AddressOf(TextOf(d.mask_text));
    v.gateway = AddressOf(TextOf(d.gateway_text));
    v.systemName = Trimmed(TextOf(d.system_name));
    v.location = Trimmed(TextOf(d.location));

    if (d.capabilities[1] & cap::kIpModeThreeWay) {
        if (d.ip_mode == kIpModeStatic)
            v.selected = IpModeChoice::Static;
        if (d.ip_mode == kIpModeDhcp)
            v.selected = IpModeChoice::Dhcp;
        if (d.ip_mode == kIpModeBootp)
            v.selected = IpModeChoice::Bootp;
    } else if (d.capabilities[0] & cap::kIpMode) {
        if (d.ip_mode == kIpModeStatic)
            v.selected = IpModeChoice::Static;
        if (d.ip_mode == kIpModeDhcp)
            v.selected = IpModeChoice::Dhcp;
        v.bootpEnabled = false;
    } else {
        v.staticEnabled = v.dhcpEnabled = v.bootpEnabled = false;
    }
    v.addressesEnabled = v.selected != IpModeChoice::Dhcp && v.selected != IpModeChoice::Bootp;

    if (d.loader == kLoaderMarker) {
        v.staticEnabled = v.dhcpEnabled = v.bootpEnabled = false;
        v.namesEnabled = false;
        v.passwordEnabled = false;
        v.groupIntervalEnabled = false;
    }

    // Last, so it decides the group interval's state even for a device in its loader.
    v.groupIntervalVisible = settings.multicast_interface_on_off == 1;
    if (v.groupIntervalVisible) {
        v.groupIntervalEnabled = d.group_interval != -1;
        if (v.groupIntervalEnabled)
            v.groupIntervalText = std::to_string(d.group_interval);
    } else {
        v.groupIntervalEnabled = false;
    }
    return v;
}

bool SetConfiguration(Program& p, const ConfigurationInput& in) {
    const DeviceRecord* device = SelectedEntry(p);
    if (!device)
        return true;
    DeviceRecord& copy = p.configCopy;
    copy = DeviceRecord{};
    copy.ip_mode = ModeOf(in.mode);
    copy.group_interval = -1;

    // Longer texts than the record keeps are refused rather than cut behind the user's back.
    if (!IsValidNameText(in.systemName) || in.systemName.size() > kSystemNameMax) {
        Refuse(p, kInvalidSystemName);
        return false;
    }
    SetText(copy.system_name, in.systemName);
    if (!IsValidNameText(in.location) || in.location.size() > kLocationMax) {
        Refuse(p, kInvalidLocation);
        return false;
    }
    SetText(copy.location, in.location);

    // The switch gets its product name back as it reported it, not the display form.
    SetText(copy.product_name, TextOf(device->product_name));

    if (in.passwordEnabled) {
        if (!IsValidPasswordLength(in.password)) {
            Refuse(p, kPasswordRule);
            return false;
        }
        SetText(copy.password, in.password);
    }
    SetText(copy.mac_text, TextOf(device->mac_text));

    if (copy.ip_mode == kIpModeStatic || copy.ip_mode == kIpModeNotReported) {
        if (IsValidHostAddress(in.ip) != 0 || in.ip == 0) {
            Refuse(p, kInvalidIpAddress, kSpacedErrorCaption);
            return false;
        }
        if (AddressTaken(p, in.ip)) {
            Refuse(p, kDuplicateIp, kSettingFailCaption);
            return false;
        }
        if (!IsValidMaskOctets(in.mask)) {
            Refuse(p, kInvalidMask);
            return false;
        }
        if (!IsValidGatewayOctets(in.gateway)) {
            Refuse(p, kInvalidGateway);
            return false;
        }
        if (IsValidHostPart(in.ip, in.mask) != 0) {
            Refuse(p, kInvalidMask);
            return false;
        }
        if (IsGatewayInSubnet(in.ip, in.gateway, in.mask) != 0) {
            Refuse(p, kGatewayNotInSubnet);
            return false;
        }
        if (IsContiguousMask(in.mask) != 1) {
            Refuse(p, kInvalidMask);
            return false;
        }
        copy.ip = in.ip;
        copy.mask = in.mask;
        copy.gateway = in.gateway;
    }

    if (p.settings.multicast_interface_on_off == 1 && in.groupIntervalEnabled) {
        const auto interval = ParseGroupInterval(in.groupInterval);
        if (!interval) {
            Refuse(p, kDeviceGroupIntervalRule);
            return false;
        }
        copy.group_interval = *interval;
    }

    copy.loader = device->loader;
    std::copy(std::begin(device->capabilities), std::end(device->capabilities), copy.capabilities);
    SendConfigurationSet(p);
    return true;
}

int SendConfigurationSet(Program& p) {
    const DeviceRecord* device = SelectedEntry(p);
    if (!device)
        return -1;
    const DeviceRecord& copy = p.configCopy;
    const bool monitored = p.selection.list == ListKind::Monitor;
    Command command = monitored ? Command::SetFromMonitor : Command::SetFromDiscovery;
    if (copy.loader == kLoaderMarker)
        command = Command::LoaderSet;

    uint8_t packet[kMaxDatagram] = {};
    ByteWriter out(packet, sizeof packet);
    WriteSetHeader(p, out, static_cast<uint16_t>(command), TextOf(copy.mac_text));
    SetText(p.pending.mac_text, TextOf(copy.mac_text));
    BuildSettingTlvs(copy, ModeChange(copy.ip_mode, device->ip_mode), out, p.pending);
    return SendSetRequest(p, packet, out.Position(), device->ip, kUnicastSetError);
}

}  // namespace pm
