#include "protocol/MergeReply.h"

#include <string>

#include "base/WireConstants.h"
#include "inventory/DeviceTables.h"
#include "inventory/RowBuilders.h"
#include "protocol/DecodeFields.h"

namespace pm {
namespace {

void MarkAnswered(const Settings& settings, DeviceRecord& s, StatusMark statusMark,
                  RowFlag rowFlag) {
    s.id_stamp = settings.header_id;
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
    if (form == MergeForm::Success && existing && s.ip_mode == kIpModeNotReported &&
        s.revision >= 2)
        entry.ip_mode = knownMode;
}

bool IsSetAcknowledgement(uint16_t command) {
    return command == static_cast<uint16_t>(Command::SetAck) ||
           command == static_cast<uint16_t>(Command::SetFromMonitorAck) ||
           command == static_cast<uint16_t>(Command::LoaderSetAck);
}

// A new switch with no room left in the discovery table: told once per round. A round
// empties the table, so the message is armed again whenever the table has room.
void RefuseNewDevice(DeviceLists& lists, NoticeList& notices) {
    if (lists.discoveryFullTold)
        return;
    lists.discoveryFullTold = true;
    notices.Add("Add fail, out of 256 devices", "Error", Icon::Error);
}

void NoteDiscoveryRoom(DeviceLists& lists) {
    if (lists.discoveryList.GetItemCount(kStateAny) < static_cast<int>(kTableSize))
        lists.discoveryFullTold = false;
}

void Reselect(CReportCtrl& list, int row) {
    if (row >= 0 && row < list.GetItemCount())
        list.SetItemStates(row, kStateSelected);
}

}  // namespace

MergeResult MergeReply(DeviceLists& lists, const Settings& settings, PendingSetTarget& pending,
                       DeviceRecord& s, std::span<const uint8_t> fields, MergeForm form,
                       NoticeList& notices) {
    const int monitorSelected = lists.monitorList.FirstSelected();
    const int discoverySelected = lists.discoveryList.FirstSelected();

    // A monitored switch counts as answering by address only when the reply comes from the
    // address it is polled at, not when it merely reports that address in a field.
    const std::string sender(TextOf(s.ip_text));
    DecodeFields(fields, s);
    // A password the switch reports is never kept.
    SetText(s.password, "");

    MergeResult merged;
    if (const Lookup m = FindMonitorByAddress(lists, sender); m.found) {
        MarkAnswered(settings, s, kStatusAlive, kRowAnswered);
        CopyInto(lists.monitor[static_cast<size_t>(m.index)], s, form, true);
        DrawMonitorRow(lists, settings, m.index);
        merged.table = ListKind::Monitor;
    } else if (const Lookup mm = FindMonitorByMac(lists, TextOf(s.mac_text)); mm.found) {
        // A monitored switch that moved to a new address keeps its not-alive mark.
        const bool notAlive =
            lists.monitor[static_cast<size_t>(mm.index)].status_mark == kStatusNotAlive;
        MarkAnswered(settings, s, notAlive ? kStatusNotAlive : kStatusAlive, kRowAnswered);
        CopyInto(lists.monitor[static_cast<size_t>(mm.index)], s, form, true);
        DrawMonitorRow(lists, settings, mm.index);
        merged.table = ListKind::Monitor;
    } else {
        NoteDiscoveryRoom(lists);
        const Lookup d = FindDiscoveryByMac(lists, TextOf(s.mac_text));
        if (d.index >= static_cast<int>(kTableSize)) {
            RefuseNewDevice(lists, notices);
            return merged;
        }
        MarkAnswered(settings, s, kStatusAlive, d.found ? kRowAnswered : kRowNew);
        CopyInto(lists.discovery[static_cast<size_t>(d.index)], s, form, d.found);
        DrawDiscoveryRow(lists, settings, d.index);
        merged.table = ListKind::Discovery;
    }

    if (form == MergeForm::Success && IsSetAcknowledgement(s.last_command) &&
        pending.Matches(TextOf(s.mac_text), s.ip)) {
        pending.Clear();
        merged.setConfirmed = true;
    }
    Reselect(lists.monitorList, monitorSelected);
    Reselect(lists.discoveryList, discoverySelected);
    if (merged.setConfirmed)
        notices.Add("Set Successful", "Information", Icon::Information);
    return merged;
}

MergeResult MergeVersionOnly(DeviceLists& lists, const Settings& settings, DeviceRecord& s,
                             NoticeList& notices) {
    if (const Lookup m = FindMonitorByAddress(lists, TextOf(s.ip_text)); m.found) {
        MarkAnswered(settings, s, kStatusAlive, kRowAnswered);
        lists.monitor[static_cast<size_t>(m.index)] = s;
        DrawMonitorRow(lists, settings, m.index);
        return {ListKind::Monitor, false};
    }
    NoteDiscoveryRoom(lists);
    const Lookup d = FindDiscoveryByMac(lists, TextOf(s.mac_text));
    if (!d.found && d.index >= static_cast<int>(kTableSize)) {
        RefuseNewDevice(lists, notices);
        return {};
    }
    MarkAnswered(settings, s, kStatusAlive, d.found ? kRowAnswered : kRowNew);
    lists.discovery[static_cast<size_t>(d.index)] = s;
    DrawDiscoveryRow(lists, settings, d.index);
    return {ListKind::Discovery, false};
}

}  // namespace pm
