#include "config/PasswordChange.h"

#include "base/WireConstants.h"
#include "config/SetRequest.h"
#include "config/Validation.h"

namespace pm {

bool ChangePassword(Program& p, const PasswordInput& in) {
    const DeviceRecord* device = SelectedEntry(p);
    if (!device)
        return true;
    DeviceRecord& copy = p.passwordCopy;
    copy = *device;
    auto refuse = [&p](std::string_view text) {
        p.ui.Notice(text, kErrorCaption, Icon::Error, Owner::Form);
        return false;
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
    SendPasswordChange(p);
    return true;
}

int SendPasswordChange(Program& p) {
    const DeviceRecord& copy = p.passwordCopy;
    const Command command =
        p.selection.list == ListKind::Monitor ? Command::SetFromMonitor : Command::SetFromDiscovery;
    uint8_t packet[kMaxDatagram] = {};
    ByteWriter out(packet, sizeof packet);
    WriteSetHeader(p, out, static_cast<uint16_t>(command), TextOf(copy.mac_text));
    SetText(p.pending.mac_text, TextOf(copy.mac_text));
    BuildPasswordTlvs(copy, out);
    return SendSetRequest(p, packet, out.Position(), copy.ip, kUnicastPasswordSetError);
}

}  // namespace pm
