#include "protocol/HandleDatagram.h"

#include <algorithm>
#include <array>
#include <span>

#include "base/AddressText.h"
#include "base/NoticeList.h"
#include "base/WireConstants.h"
#include "protocol/DeviceReturnText.h"
#include "protocol/MergeReply.h"
#include "protocol/ProtocolHeader.h"

namespace pm {
namespace {

constexpr uint16_t kSupportedMajor = 2;
constexpr uint16_t kReplyMinor = 1;

bool IsCommand(uint16_t command, Command c) {
    return command == static_cast<uint16_t>(c);
}

bool IsUpgradeTarget(const Program& p, const DeviceRecord& s) {
    const std::string_view target = TextOf(p.upgrade.targetMac);
    return !target.empty() && target == TextOf(s.mac_text);
}

// Everything of one datagram except showing its messages.
void Process(Program& p, std::span<const uint8_t> datagram, uint32_t sender, DeviceRecord& s,
             NoticeList& notices) {
    const ProtocolHeader h = ProtocolHeader::Decode(datagram);
    const std::span<const uint8_t> fields =
        datagram.size() > kHeaderSize ? datagram.subspan(kHeaderSize) : std::span<const uint8_t>();

    s = DeviceRecord{};
    s.ip_mode = 3;
    s.group_interval = -1;
    const uint8_t result = h.ResultCode();
    SetText(s.mac_text, FormatMac(h.device_mac.data()));

    if (h.header_id != p.settings.header_id)
        return;

    s.major = h.major;
    s.revision = h.revision;
    if (h.revision == 1)
        s.capabilities[0] = 0x1FF;
    if (h.revision == 2)
        s.capabilities[0] = 0x3FF;

    s.minor = h.minor;
    if (h.minor != kReplyMinor)
        return;

    s.ip = sender;
    SetText(s.ip_text, AddressToText(sender));

    if (h.major != kSupportedMajor) {
        MergeVersionOnly(p, s, notices);
        return;
    }

    if (IsCommand(h.command, Command::LoaderReply) || IsCommand(h.command, Command::LoaderSetAck))
        s.loader = kLoaderMarker;
    if (IsCommand(h.command, Command::DiscoverReply) && IsUpgradeTarget(p, s))
        p.upgrade.upgradeConfirmed = 1;
    if (IsCommand(h.command, Command::SetAck) || IsCommand(h.command, Command::UpgradeTriggerAck)) {
        // A second copy of the same acknowledgement (broadcast and multicast) no longer matches.
        if (h.sequence != p.sequence)
            return;
        ++p.sequence;
    }

    if (result != 0) {
        if (result == static_cast<uint8_t>(ResultCode::Password))
            p.upgrade.passwordRejected = 1;
        if (result == static_cast<uint8_t>(ResultCode::DeviceText))
            notices.Add(DeviceReturnText(fields), "Error", Icon::Error);
        else
            notices.Add(ResultMessage(result), "Error", Icon::Error);
        if (result == static_cast<uint8_t>(ResultCode::DynamicIp) ||
            result == static_cast<uint8_t>(ResultCode::DeviceText))
            MergeReply(p, s, fields, MergeForm::Error, notices);
        return;
    }

    if (IsCommand(h.command, Command::UpgradeTriggerAck) && IsUpgradeTarget(p, s)) {
        p.upgrade.triggerAcknowledged = 1;
        return;
    }
    s.last_command = h.command;
    if (IsCommand(h.command, Command::NoMerge))
        return;
    MergeReply(p, s, fields, MergeForm::Success, notices);
}

}  // namespace

const char* ResultMessage(uint8_t result) {
    switch (static_cast<ResultCode>(result)) {
        case ResultCode::Ok:
            return "";
        case ResultCode::ProtocolVersion:
            return "protocol version Error";
        case ResultCode::Password:
            return "Password incorrect.";
        case ResultCode::Command:
            return "command Error";
        case ResultCode::Parameters:
            return "Parameters Error";
        case ResultCode::Acl:
            return "Acl Error";
        case ResultCode::DynamicIp:
            return "Dynamic allocate IP fail";
        case ResultCode::DeviceText:
            return "";
    }
    return "Unknow error";
}

void HandleDatagram(Program& p, const uint8_t* data, size_t length, uint32_t senderHostOrder) {
    std::array<uint8_t, kMaxDatagram> buffer{};
    const uint16_t count = static_cast<uint16_t>(std::min(length, kMaxDatagram));
    if (data != nullptr && count > 0)
        std::copy_n(data, count, buffer.begin());

    DeviceRecord staging;
    NoticeList notices;
    Process(p, std::span<const uint8_t>(buffer.data(), count), senderHostOrder, staging, notices);
    p.staging = staging;
    notices.Flush(p.ui);
}

}  // namespace pm
