// set, password and dhcp-refresh: the configuration forms' requests from the command line,
// with the same checks and messages, waiting for the switch's answer.
#include <algorithm>
#include <cctype>
#include <optional>

#include "app/ProgramContexts.h"
#include "base/WireConstants.h"
#include "cli/Commands.h"
#include "cli/Engine.h"
#include "config/ConfigurationSet.h"
#include "config/DhcpRefresh.h"
#include "config/PasswordChange.h"
#include "config/Validation.h"
#include "protocol/DatagramOutcome.h"

namespace pm::cli {
namespace {

uint64_t Ms(double seconds) {
    return static_cast<uint64_t>(seconds * 1000.0);
}

// The exit code that a datagram decides: 0 when it confirmed the request, 1 when the switch
// refused it or the reply found no room; nothing for every other datagram, and nothing for
// any datagram but the target's acknowledgement: another host cannot end the command.
std::optional<int> ExitCodeOf(const DatagramOutcome& outcome) {
    if (!outcome.fromSetTarget)
        return std::nullopt;
    switch (outcome.kind) {
        case DatagramKind::SetConfirmed:
            return 0;
        case DatagramKind::DeviceError:
        case DatagramKind::TableFull:
            return 1;
        default:
            return std::nullopt;
    }
}

// After a request has gone: 0 when the switch confirmed it, 1 on a refusal, on an error from
// outside the receiver (a socket failing) or on no answer.
int AwaitAnswer(Engine& e, size_t messagesBefore, double seconds) {
    std::optional<int> exitCode;
    e.onDatagram = [&](const DatagramOutcome& outcome) {
        if (!exitCode)
            exitCode = ExitCodeOf(outcome);
    };
    e.RunUntil(
        [&] {
            if (!exitCode)
                for (const auto& m : e.ui.Since(messagesBefore))
                    if (m.icon == Icon::Error && m.cause == Cause::UserCommand)
                        exitCode = 1;
            return exitCode.has_value();
        },
        Ms(seconds));
    e.onDatagram = nullptr;
    if (!exitCode) {
        e.ui.Notice("No answer from the switch", "Error", Icon::Error, Owner::NoWindow);
        return 1;
    }
    return *exitCode;
}

// Sends through the form's function; 1 when a check refused the input or the send failed.
template <typename Send>
int SendAndAwait(Engine& e, const TargetOptions& t, Send send) {
    const size_t before = e.ui.Messages().size();
    if (!send())
        return 1;
    for (const auto& m : e.ui.Since(before))
        if (m.icon == Icon::Error && m.cause == Cause::UserCommand)
            return 1;  // a send error: nothing went out
    return AwaitAnswer(e, before, t.replySeconds);
}

std::optional<uint32_t> AddressOption(Engine& e, const std::optional<std::string>& text,
                                      std::string_view what, bool& ok) {
    if (!text)
        return std::nullopt;
    const auto value = ParseAddress(*text);
    if (!value) {
        e.ui.Notice("Not an IPv4 address for " + std::string(what) + ": " + *text, "Error",
                    Icon::Error, Owner::NoWindow);
        ok = false;
    }
    return value;
}

}  // namespace

int RunSet(const SetOptions& o) {
    Engine e;
    const int index = e.StartWithTarget(o.target);
    if (index < 0)
        return 1;
    Program& p = e.program;
    const DeviceRecord& device = p.lists.discovery[static_cast<size_t>(index)];
    const std::string mac(TextOf(device.mac_text));
    const ConfigurationFormView view = OpenConfigurationForm(device, p.settings);

    // The form as it opens, then the options as if typed into it.
    ConfigurationInput input;
    input.mode = view.selected;
    input.ip = view.ip;
    input.mask = view.mask.value_or(0);
    input.gateway = view.gateway.value_or(0);
    input.systemName = view.systemName;
    input.location = view.location;
    input.password = o.password;
    input.passwordEnabled = view.passwordEnabled;
    input.groupInterval = view.groupIntervalText;
    input.groupIntervalEnabled = view.groupIntervalVisible && view.groupIntervalEnabled;

    bool ok = true;
    if (auto v = AddressOption(e, o.newIp, "--new-ip", ok))
        input.ip = *v;
    if (auto v = AddressOption(e, o.mask, "--mask", ok))
        input.mask = *v;
    if (auto v = AddressOption(e, o.gateway, "--gateway", ok))
        input.gateway = *v;
    if (!ok)
        return 1;
    auto refuse = [&](const std::string& what) {
        e.ui.Notice(what + " cannot be changed on this switch", "Error", Icon::Error,
                    Owner::NoWindow);
        return 1;
    };
    if ((o.newIp || o.mask || o.gateway) && !view.addressesEnabled && !o.mode) {
        e.ui.Notice("The switch takes its address by DHCP or Bootp: add --mode static to set one",
                    "Error", Icon::Error, Owner::NoWindow);
        return 1;
    }
    if (o.mode) {
        std::string mode = *o.mode;
        std::transform(mode.begin(), mode.end(), mode.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        const bool allowed = mode == "static" ? view.staticEnabled
                             : mode == "dhcp" ? view.dhcpEnabled
                                              : view.bootpEnabled;
        if (!allowed)
            return refuse("The IP mode");
        input.mode = mode == "static" ? IpModeChoice::Static
                     : mode == "dhcp" ? IpModeChoice::Dhcp
                                      : IpModeChoice::Bootp;
    }
    if (o.name) {
        if (!view.namesEnabled)
            return refuse("The system name");
        input.systemName = *o.name;
    }
    if (o.location) {
        if (!view.namesEnabled)
            return refuse("The location");
        input.location = *o.location;
    }
    if (o.groupInterval) {
        if (!input.groupIntervalEnabled)
            return refuse("The group interval");
        input.groupInterval = *o.groupInterval;
    }
    DeviceRecord workingCopy;
    return SendAndAwait(e, o.target, [&] {
        const auto target = FindBoundDevice(p.lists, mac, p.ui);
        return target &&
               ClosesForm(SetConfiguration(SetRequestContextOf(p, *target), input, workingCopy));
    });
}

int RunPassword(const PasswordOptions& o) {
    Engine e;
    const int index = e.StartWithTarget(o.target);
    if (index < 0)
        return 1;
    Program& p = e.program;
    const std::string mac(TextOf(p.lists.discovery[static_cast<size_t>(index)].mac_text));
    if (p.lists.discovery[static_cast<size_t>(index)].loader == kLoaderMarker) {
        e.ui.Notice(kLoaderNoPassword, "Error", Icon::Error, Owner::MainWindow);
        return 1;
    }
    const PasswordInput input{o.original, o.newPassword, o.confirm.value_or(o.newPassword)};
    DeviceRecord workingCopy;
    return SendAndAwait(e, o.target, [&] {
        const auto target = FindBoundDevice(p.lists, mac, p.ui);
        return target &&
               ClosesForm(ChangePassword(SetRequestContextOf(p, *target), input, workingCopy));
    });
}

int RunDhcpRefresh(const DhcpRefreshOptions& o) {
    Engine e;
    const int index = e.StartWithTarget(o.target);
    if (index < 0)
        return 1;
    Program& p = e.program;
    const DeviceRecord& device = p.lists.discovery[static_cast<size_t>(index)];
    const std::string mac(TextOf(device.mac_text));
    // The window offers the refresh only for these switches.
    if (!OffersDhcpRefresh(device)) {
        e.ui.Notice("DHCP Refresh needs a switch in DHCP mode with protocol revision 3 or later",
                    "Error", Icon::Error, Owner::NoWindow);
        return 1;
    }
    DeviceRecord workingCopy;
    return SendAndAwait(e, o.target, [&] {
        const auto target = FindBoundDevice(p.lists, mac, p.ui);
        return target &&
               ClosesForm(RefreshDhcp(SetRequestContextOf(p, *target), o.password, workingCopy));
    });
}

}  // namespace pm::cli
