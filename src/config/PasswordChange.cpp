#include "config/PasswordChange.h"

#include "base/WireConstants.h"
#include "config/Validation.h"

namespace pm {

namespace {

SetOutcome CheckAndSend(const SetRequestContext& context, const PasswordInput& in,
                        DeviceRecord& copy) {
    const DeviceRecord* device = SelectedRecord(context.lists, context.selection);
    if (!device)
        return SetOutcome::NoDevice;
    copy = *device;
    auto refuse = [&context](std::string_view text) {
        context.ui.Notice(text, kErrorCaption, Icon::Error, Owner::Form);
        return SetOutcome::Refused;
    };
    if (!IsValidPasswordLength(in.original))
        return refuse(kPasswordRule);
    SetText(copy.password, in.original);
    if (!IsValidPasswordLength(in.newPassword))
        return refuse(kPasswordRule);
    SetText(copy.new_password, in.newPassword);
    if (!IsValidPasswordLength(in.confirm))
        return refuse(kPasswordRule);
    if (in.confirm != in.newPassword)
        return refuse(kConfirmPasswordFail);
    if (!IsValidNameText(in.newPassword))
        return refuse(kInvalidNewPassword);
    return SendPasswordChange(context, copy);
}

}  // namespace

SetOutcome ChangePassword(const SetRequestContext& context, const PasswordInput& in,
                          DeviceRecord& copy) {
    const SetOutcome outcome = CheckAndSend(context, in, copy);
    ForgetPasswords(copy);
    return outcome;
}

SetOutcome SendPasswordChange(const SetRequestContext& context, const DeviceRecord& copy) {
    const Command command = context.selection.list == ListKind::Monitor ? Command::SetFromMonitor
                                                                        : Command::SetFromDiscovery;
    uint8_t packet[kMaxDatagram] = {};
    ByteWriter out(packet, sizeof packet);
    WriteSetHeader(context, out, static_cast<uint16_t>(command), TextOf(copy.mac_text));
    SetText(context.pending.mac_text, TextOf(copy.mac_text));
    BuildPasswordTlvs(copy, out);
    return SendSetRequest(context, packet, out.Position(), copy.ip, kUnicastPasswordSetError);
}

}  // namespace pm
