#pragma once
// The password form of one switch: its checks and the set request that carries the original
// and the new password.
#include <string>
#include <string_view>

#include "config/SetRequest.h"
#include "inventory/DeviceRecord.h"

namespace pm {

struct PasswordInput {
    std::string original;
    std::string newPassword;
    std::string confirm;
};

// The Set button: the first failed check is shown (owned by the form) and Refused returned;
// otherwise the form's working copy (the device's entry with both passwords) is sent. Any
// other outcome closes the form.
SetOutcome ChangePassword(const SetRequestContext& context, const PasswordInput& input,
                          DeviceRecord& workingCopy);

// Sends the request built from the working copy: Sent or SendFailed.
SetOutcome SendPasswordChange(const SetRequestContext& context, const DeviceRecord& workingCopy);

inline constexpr std::string_view kConfirmPasswordFail = "Confirm password fail";
inline constexpr std::string_view kInvalidNewPassword = "Please input valid new password!";
inline constexpr std::string_view kUnicastPasswordSetError = "Unicast set send error.";
inline constexpr std::string_view kLoaderNoPassword =
    "Agent is in loader mode, it can't change password";

}  // namespace pm
