#pragma once
// The password form of one switch: its checks and the set request that carries the original
// and the new password.
#include <string>
#include <string_view>

#include "app/Program.h"

namespace pm {

struct PasswordInput {
    std::string original;
    std::string newPassword;
    std::string confirm;
};

// The Set button: the first failed check is shown (owned by the form) and false returned;
// otherwise the request is sent and true returned (the form closes whatever the send gave).
bool ChangePassword(Program& p, const PasswordInput& input);

// Sends the request built from the password working copy: 0 sent, -1 send failed.
int SendPasswordChange(Program& p);

inline constexpr std::string_view kConfirmPasswordFail = "Confirm password fail";
inline constexpr std::string_view kInvalidNewPassword = "Please input valid new password!";
inline constexpr std::string_view kUnicastPasswordSetError = "Unicast set send error.";
inline constexpr std::string_view kLoaderNoPassword =
    "Agent is in loader mode, it can't change password";

}  // namespace pm
