#include "protocol/MergeReply.h"

#include "base/WireConstants.h"
#include "inventory/DeviceTables.h"
#include "inventory/RowBuilders.h"
#include "protocol/DecodeFields.h"

namespace pm {
namespace {

constexpr uint16_t kModeNotReported = 3;

void MarkAnswered(const Program& p, DeviceRecord& s, int32_t statusMark, int32_t rowFlag) {
    s.id_stamp = p.settings.header_id;
    s.status_mark = statusMark;
    s.answered = 1;
    s.missed_polls = 0;
    s.row_flag = rowFlag;
}

// A reply of revision 2 or later that leaves out the mode keeps the mode already known for
// an existing entry.
void CopyInto(DeviceRecord& entry, const DeviceRecord& s, MergeForm form, bool existing) {
    const uint16_t knownMode = entry.ip_mode;
    entry = s;
    if (form == MergeForm::Success && existing && s.ip_mode == kModeNotReported && s.revision >= 2)
        entry.ip_mode = knownMode;
}

bool IsSetAcknowledgement(uint16_t command) {
    return command == static_cast<uint16_t>(Command::SetAck) ||
           command == static_cast<uint16_t>(Command::SetFromMonitorAck) ||
           command == static_cast<uint16_t>(Command::LoaderSetAck);
}

// Only a set request actually pending can be confirmed: a cleared target (empty MAC,
// address 0) matches nothing, not even a reply that reports address 0.
bool MatchesPending(const PendingSetTarget& pending, const DeviceRecord& s) {
    const std::string_view mac = TextOf(pending.mac_text);
    if (!mac.empty() && mac == TextOf(s.mac_text))
        return true;
    return pending.address != 0 && pending.address == s.ip;
}

void Reselect(CReportCtrl& list, int row) {
    if (row >= 0 && row < list.GetItemCount())
        list.SetItemStates(row, kStateSelected);
}

}  // namespace

void MergeReply(Program& p, DeviceRecord& s, std::span<const uint8_t> fields, MergeForm form,
                NoticeList& notices) {
    const int monitorSelected = p.lists.monitorList.FirstSelected();
    const int discoverySelected = p.lists.discoveryList.FirstSelected();

    DecodeFields(fields, s);

    if (const Lookup m = FindMonitorByAddress(p.lists, TextOf(s.ip_text)); m.found) {
        MarkAnswered(p, s, -1, 1);
        CopyInto(p.lists.monitor[static_cast<size_t>(m.index)], s, form, true);
        DrawMonitorRow(p.lists, p.settings, m.index);
    } else if (const Lookup mm = FindMonitorByMac(p.lists, TextOf(s.mac_text)); mm.found) {
        // A monitored switch that moved to a new address keeps its not-alive mark.
        const bool notAlive = p.lists.monitor[static_cast<size_t>(mm.index)].status_mark == 1;
        MarkAnswered(p, s, notAlive ? 1 : -1, 1);
        CopyInto(p.lists.monitor[static_cast<size_t>(mm.index)], s, form, true);
        DrawMonitorRow(p.lists, p.settings, mm.index);
    } else {
        const Lookup d = FindDiscoveryByMac(p.lists, TextOf(s.mac_text));
        if (d.index >= static_cast<int>(kTableSize)) {
            notices.Add("Add fail, out of 256 devices", "Error", Icon::Error);
            return;
        }
        MarkAnswered(p, s, -1, d.found ? 1 : 0);
        CopyInto(p.lists.discovery[static_cast<size_t>(d.index)], s, form, d.found);
        DrawDiscoveryRow(p.lists, p.settings, d.index);
    }

    bool confirmed = false;
    if (form == MergeForm::Success && IsSetAcknowledgement(s.last_command) &&
        MatchesPending(p.pending, s)) {
        p.pending.Clear();
        confirmed = true;
    }
    Reselect(p.lists.monitorList, monitorSelected);
    Reselect(p.lists.discoveryList, discoverySelected);
    if (confirmed)
        notices.Add("Set Successful", "Information", Icon::Information);
}

void MergeVersionOnly(Program& p, DeviceRecord& s, NoticeList& notices) {
    if (const Lookup m = FindMonitorByAddress(p.lists, TextOf(s.ip_text)); m.found) {
        MarkAnswered(p, s, -1, 1);
        p.lists.monitor[static_cast<size_t>(m.index)] = s;
        DrawMonitorRow(p.lists, p.settings, m.index);
        return;
    }
    const Lookup d = FindDiscoveryByMac(p.lists, TextOf(s.mac_text));
    if (!d.found && d.index >= static_cast<int>(kTableSize)) {
        notices.Add("Add fail, out of 256 devices", "Error", Icon::Error);
        return;
    }
    MarkAnswered(p, s, -1, d.found ? 1 : 0);
    p.lists.discovery[static_cast<size_t>(d.index)] = s;
    DrawDiscoveryRow(p.lists, p.settings, d.index);
}

}  // namespace pm
