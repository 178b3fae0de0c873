#include "config/ConfigurationSet.h"

#include <algorithm>

#include "base/DeviceText.h"
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

bool AddressTaken(const DeviceLists& lists, const SelectionContext& selection, uint32_t address) {
    const int monitorCount = Clamp(selection.monitorCount);
    const bool fromMonitor = selection.list == ListKind::Monitor;
    for (int i = 0; i < monitorCount; ++i) {
        if (fromMonitor && i == selection.index)
            continue;
        if (lists.monitor[i].ip == address)
            return true;
    }
    if (!fromMonitor)
        return false;
    const int discoveryCount = Clamp(selection.discoveryCount);
    for (int i = 0; i < discoveryCount; ++i)
        if (lists.discovery[i].ip == address)
            return true;
    return false;
}

SetOutcome Refuse(Ui& ui, std::string_view text, std::string_view caption = kErrorCaption) {
    ui.Notice(text, caption, Icon::Error, Owner::Form);
    return SetOutcome::Refused;
}

}  // namespace

ConfigurationFormView OpenConfigurationForm(const DeviceRecord& device, const Settings& settings) {
    ConfigurationFormView view;
    // The switch's texts as inert text: a name with control characters is shown, and sent
    // back only once the user has typed it anew.
    view.productName = DisplayDeviceText(FormatProductName(TextOf(device.product_name)));
    view.macText = TextOf(device.mac_text);
    view.ip = device.ip;
    view.mask = AddressOf(TextOf(device.mask_text));
    view.gateway = AddressOf(TextOf(device.gateway_text));
    view.systemName = DisplayDeviceText(Trimmed(TextOf(device.system_name)));
    view.location = DisplayDeviceText(Trimmed(TextOf(device.location)));

    if (device.capabilities[1] & cap::kIpModeThreeWay) {
        if (device.ip_mode == kIpModeStatic)
            view.selected = IpModeChoice::Static;
        if (device.ip_mode == kIpModeDhcp)
            view.selected = IpModeChoice::Dhcp;
        if (device.ip_mode == kIpModeBootp)
            view.selected = IpModeChoice::Bootp;
    } else if (device.capabilities[0] & cap::kIpMode) {
        if (device.ip_mode == kIpModeStatic)
            view.selected = IpModeChoice::Static;
        if (device.ip_mode == kIpModeDhcp)
            view.selected = IpModeChoice::Dhcp;
        view.bootpEnabled = false;
    } else {
        view.staticEnabled = view.dhcpEnabled = view.bootpEnabled = false;
    }
    view.addressesEnabled =
        view.selected != IpModeChoice::Dhcp && view.selected != IpModeChoice::Bootp;

    if (device.loader == kLoaderMarker) {
        view.staticEnabled = view.dhcpEnabled = view.bootpEnabled = false;
        view.namesEnabled = false;
        view.passwordEnabled = false;
        view.groupIntervalEnabled = false;
    }

    // Last, so it decides the group interval's state even for a device in its loader.
    view.groupIntervalVisible = settings.multicast_interface_on_off == 1;
    if (view.groupIntervalVisible) {
        view.groupIntervalEnabled = device.group_interval != -1;
        if (view.groupIntervalEnabled)
            view.groupIntervalText = std::to_string(device.group_interval);
    } else {
        view.groupIntervalEnabled = false;
    }
    return view;
}

namespace {

SetOutcome CheckAndSend(const SetRequestContext& context, const ConfigurationInput& in,
                        DeviceRecord& copy) {
    const DeviceRecord* device = SelectedRecord(context.lists, context.selection);
    if (!device)
        return SetOutcome::NoDevice;
    Ui& ui = context.ui;
    copy = DeviceRecord{};
    copy.ip_mode = ModeOf(in.mode);
    copy.group_interval = -1;

    // Longer texts than the record keeps are refused rather than cut behind the user's back.
    if (!IsValidNameText(in.systemName) || in.systemName.size() > kSystemNameMax)
        return Refuse(ui, kInvalidSystemName);
    SetText(copy.system_name, in.systemName);
    if (!IsValidNameText(in.location) || in.location.size() > kLocationMax)
        return Refuse(ui, kInvalidLocation);
    SetText(copy.location, in.location);

    // The switch gets its product name back as it reported it, not the display form.
    SetText(copy.product_name, TextOf(device->product_name));

    if (in.passwordEnabled) {
        if (!IsValidPasswordLength(in.password))
            return Refuse(ui, kPasswordRule);
        SetText(copy.password, in.password);
    }
    SetText(copy.mac_text, TextOf(device->mac_text));

    if (copy.ip_mode == kIpModeStatic || copy.ip_mode == kIpModeNotReported) {
        if (IsValidHostAddress(in.ip) != 0 || in.ip == 0)
            return Refuse(ui, kInvalidIpAddress, kSpacedErrorCaption);
        if (AddressTaken(context.lists, context.selection, in.ip))
            return Refuse(ui, kDuplicateIp, kSettingFailCaption);
        if (!IsValidMaskOctets(in.mask))
            return Refuse(ui, kInvalidMask);
        if (!IsValidGatewayOctets(in.gateway))
            return Refuse(ui, kInvalidGateway);
        if (IsValidHostPart(in.ip, in.mask) != 0)
            return Refuse(ui, kInvalidMask);
        if (IsGatewayInSubnet(in.ip, in.gateway, in.mask) != 0)
            return Refuse(ui, kGatewayNotInSubnet);
        if (IsContiguousMask(in.mask) != 1)
            return Refuse(ui, kInvalidMask);
        copy.ip = in.ip;
        copy.mask = in.mask;
        copy.gateway = in.gateway;
    }

    if (context.settings.multicast_interface_on_off == 1 && in.groupIntervalEnabled) {
        const auto interval = ParseGroupInterval(in.groupInterval);
        if (!interval)
            return Refuse(ui, kDeviceGroupIntervalRule);
        copy.group_interval = *interval;
    }

    copy.loader = device->loader;
    std::copy(std::begin(device->capabilities), std::end(device->capabilities), copy.capabilities);
    return SendConfigurationSet(context, copy);
}

}  // namespace

SetOutcome SetConfiguration(const SetRequestContext& context, const ConfigurationInput& in,
                            DeviceRecord& copy) {
    const SetOutcome outcome = CheckAndSend(context, in, copy);
    ForgetPasswords(copy);
    return outcome;
}

SetOutcome SendConfigurationSet(const SetRequestContext& context, const DeviceRecord& copy) {
    const DeviceRecord* device = SelectedRecord(context.lists, context.selection);
    if (!device)
        return SetOutcome::NoDevice;
    const bool monitored = context.selection.list == ListKind::Monitor;
    Command command = monitored ? Command::SetFromMonitor : Command::SetFromDiscovery;
    if (copy.loader == kLoaderMarker)
        command = Command::LoaderSet;

    uint8_t packet[kMaxDatagram] = {};
    ByteWriter out(packet, sizeof packet);
    WriteSetHeader(context, out, static_cast<uint16_t>(command), TextOf(copy.mac_text));
    SetText(context.pending.mac_text, TextOf(copy.mac_text));
    BuildSettingTlvs(copy, ModeChangeFor(copy.ip_mode, device->ip_mode), out, context.pending);
    return SendSetRequest(context, packet, out.Position(), device->ip, kUnicastSetError);
}

}  // namespace pm
