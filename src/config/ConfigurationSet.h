#pragma once
// The configuration form of one switch: how it opens, the checks of its Set button and the
// set request it sends.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/Settings.h"
#include "config/SetRequest.h"
#include "config/Validation.h"
#include "inventory/DeviceRecord.h"

namespace pm {

enum class IpModeChoice { None, Static, Dhcp, Bootp };

// The longest system name and location a device record keeps; the form takes no more, so
// what the switch receives is what the user typed.
constexpr size_t kSystemNameMax = sizeof(DeviceRecord::system_name) - 1;  // 20
constexpr size_t kLocationMax = sizeof(DeviceRecord::location) - 1;       // 30
constexpr size_t kPasswordMaxChars = 20;

// What the form shows when it opens.
struct ConfigurationFormView {
    std::string productName;  // display form
    std::string macText;
    uint32_t ip = 0;
    std::optional<uint32_t> mask;     // nullopt: the record holds no mask text
    std::optional<uint32_t> gateway;  // nullopt: the record holds no gateway text
    std::string systemName;
    std::string location;

    IpModeChoice selected = IpModeChoice::None;
    bool staticEnabled = true;
    bool dhcpEnabled = true;
    bool bootpEnabled = true;
    bool addressesEnabled = true;
    bool namesEnabled = true;  // system name and location
    bool passwordEnabled = true;

    bool groupIntervalVisible = false;
    bool groupIntervalEnabled = false;
    std::string groupIntervalText;
};

ConfigurationFormView OpenConfigurationForm(const DeviceRecord& device, const Settings& settings);

// The form as the user left it when pressing Set.
struct ConfigurationInput {
    IpModeChoice mode = IpModeChoice::None;
    uint32_t ip = 0;  // host order; an empty address field is 0
    uint32_t mask = 0;
    uint32_t gateway = 0;
    std::string systemName;
    std::string location;
    std::string password;
    bool passwordEnabled = true;
    std::string groupInterval;
    bool groupIntervalEnabled = false;
};

// The Set button: checks the input in order (the first failure is shown, owned by the form,
// and Refused is returned: the form stays open), fills the form's working copy and sends it.
// Any other outcome closes the form.
SetOutcome SetConfiguration(const SetRequestContext& context, const ConfigurationInput& input,
                            DeviceRecord& workingCopy);

// Sends the request built from the working copy: Sent, SendFailed, or NoDevice when the
// selection names no entry.
SetOutcome SendConfigurationSet(const SetRequestContext& context, const DeviceRecord& workingCopy);

inline constexpr std::string_view kInvalidSystemName = "Please input valid system name.";
inline constexpr std::string_view kInvalidLocation = "Please input valid location!";
inline constexpr std::string_view kDuplicateIp = "Duplicate IP address.";
inline constexpr std::string_view kSettingFailCaption = "Setting fail";
inline constexpr std::string_view kInvalidMask = "Invalid subnet mask.";
inline constexpr std::string_view kInvalidGateway = "Invalid gateway IP address.";
inline constexpr std::string_view kGatewayNotInSubnet =
    "Gateway and IP addresses are not in the same subnet.";
inline constexpr std::string_view kDeviceGroupIntervalRule =
    "Group Interval value must between 120-1225\n0 means disable switch group interval";

}  // namespace pm
