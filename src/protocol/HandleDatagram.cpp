#include "protocol/HandleDatagram.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>

#include "base/AddressText.h"
#include "base/NoticeList.h"
#include "base/WireConstants.h"
#include "protocol/DecodeFields.h"
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

bool IsUpgradeTarget(const UpgradeWatch& upgrade, const DeviceRecord& s) {
    const std::string_view target = TextOf(upgrade.targetMac);
    return !target.empty() && target == TextOf(s.mac_text);
}

bool IsSetAcknowledgement(uint16_t command) {
    return IsCommand(command, Command::SetAck) || IsCommand(command, Command::SetFromMonitorAck) ||
           IsCommand(command, Command::LoaderSetAck);
}

// The pending set's target is matched by MAC, or by the address the reply reports (the
// switch may answer from its new address), as the merge confirms it.
bool AnswersPendingSet(const PendingSetTarget& pending, const DeviceRecord& s,
                       std::span<const uint8_t> fields) {
    DeviceRecord reported = s;
    DecodeFields(fields, reported);
    return pending.Matches(TextOf(s.mac_text), reported.ip);
}

DatagramOutcome MergedOutcome(DatagramKind kind, const MergeResult& merged) {
    DatagramOutcome outcome;
    outcome.kind = merged.table ? kind : DatagramKind::TableFull;
    outcome.mergedInto = merged.table;
    return outcome;
}

// Everything of one datagram except showing its messages.
DatagramOutcome Process(const ReceiverContext& receiver, std::span<const uint8_t> datagram,
                        uint32_t sender, DeviceRecord& s, NoticeList& notices) {
    const ProtocolHeader h = ProtocolHeader::Decode(datagram);
    const std::span<const uint8_t> fields =
        datagram.size() > kHeaderSize ? datagram.subspan(kHeaderSize) : std::span<const uint8_t>();

    s = DeviceRecord{};
    s.ip_mode = 3;
    s.group_interval = -1;
    const uint8_t result = h.ResultCode();
    SetText(s.mac_text, FormatMac(h.device_mac.data()));

    if (h.header_id != receiver.settings.header_id)
        return {};

    s.major = h.major;
    s.revision = h.revision;
    if (h.revision == 1)
        s.capabilities[0] = 0x1FF;
    if (h.revision == 2)
        s.capabilities[0] = 0x3FF;

    s.minor = h.minor;
    if (h.minor != kReplyMinor)
        return {};

    s.ip = sender;
    SetText(s.ip_text, AddressToText(sender));

    if (h.major != kSupportedMajor)
        return MergedOutcome(DatagramKind::Merged,
                             MergeVersionOnly(receiver.lists, receiver.settings, s, notices));

    UpgradeWatch& upgrade = receiver.upgrade;
    bool upgradeConfirmed = false;
    if (IsCommand(h.command, Command::LoaderReply) || IsCommand(h.command, Command::LoaderSetAck))
        s.loader = kLoaderMarker;
    if (IsCommand(h.command, Command::DiscoverReply) && IsUpgradeTarget(upgrade, s)) {
        upgrade.upgradeConfirmed = 1;
        upgradeConfirmed = true;
    }
    // A set acknowledgement answers the pending set only from its target.
    const bool fromSetTarget =
        IsSetAcknowledgement(h.command) && AnswersPendingSet(receiver.pending, s, fields);
    if (IsCommand(h.command, Command::SetAck) || IsCommand(h.command, Command::UpgradeTriggerAck)) {
        // Only the switch the request went to may consume its sequence: a stranger's reply
        // that carries it is dropped, so the real one still matches. A second copy of the same
        // acknowledgement (broadcast and multicast) no longer matches.
        const bool fromTarget =
            IsCommand(h.command, Command::SetAck) ? fromSetTarget : IsUpgradeTarget(upgrade, s);
        if (!fromTarget || h.sequence != receiver.sequence)
            return {};
        ++receiver.sequence;
    }

    DatagramOutcome outcome;
    if (result != 0) {
        // Only the upgrade target can refuse its trigger's password.
        if (result == static_cast<uint8_t>(ResultCode::Password) && IsUpgradeTarget(upgrade, s))
            upgrade.passwordRejected = 1;
        outcome.kind = DatagramKind::DeviceError;
        outcome.resultCode = result;
        outcome.errorText = result == static_cast<uint8_t>(ResultCode::DeviceText)
                                ? DeviceReturnText(fields)
                                : std::string(ResultMessage(result));
        notices.Add(outcome.errorText, "Error", Icon::Error);
        if (result == static_cast<uint8_t>(ResultCode::DynamicIp) ||
            result == static_cast<uint8_t>(ResultCode::DeviceText))
            outcome.mergedInto = MergeReply(receiver.lists, receiver.settings, receiver.pending, s,
                                            fields, MergeForm::Error, notices)
                                     .table;
    } else if (IsCommand(h.command, Command::UpgradeTriggerAck) && IsUpgradeTarget(upgrade, s)) {
        upgrade.triggerAcknowledged = 1;
        outcome.kind = DatagramKind::TriggerAcknowledged;
    } else {
        s.last_command = h.command;
        if (IsCommand(h.command, Command::NoMerge)) {
            outcome.kind = DatagramKind::NotMerged;
        } else {
            const MergeResult merged =
                MergeReply(receiver.lists, receiver.settings, receiver.pending, s, fields,
                           MergeForm::Success, notices);
            outcome = MergedOutcome(
                merged.setConfirmed ? DatagramKind::SetConfirmed : DatagramKind::Merged, merged);
        }
    }
    outcome.upgradeConfirmed = upgradeConfirmed;
    outcome.fromSetTarget = fromSetTarget;
    return outcome;
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

DatagramOutcome HandleDatagram(const ReceiverContext& receiver, const uint8_t* data, size_t length,
                               uint32_t senderHostOrder) {
    std::array<uint8_t, kMaxDatagram> buffer{};
    const uint16_t count = static_cast<uint16_t>(std::min(length, kMaxDatagram));
    if (data != nullptr && count > 0)
        std::copy_n(data, count, buffer.begin());

    DeviceRecord staging;
    NoticeList notices;
    const DatagramOutcome outcome =
        Process(receiver, std::span<const uint8_t>(buffer.data(), count), senderHostOrder, staging,
                notices);
    receiver.staging = staging;
    // Whatever a datagram raises, any host on the segment can raise: the window paces it.
    notices.Flush(receiver.ui, Cause::Event);
    return outcome;
}

}  // namespace pm
