#include "inventory/MonitorCommands.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/NoticeList.h"
#include "inventory/DeviceTables.h"
#include "inventory/RowBuilders.h"

namespace pm {
namespace {

constexpr int kMacTextLength = 12;
const char* const kMonitorFull = "out of 256 device in monitor list";

enum class MoveResult { Moved, Refused, MonitorFull };

// True when another used discovery entry has the same address as the given one.
bool AddressTwiceInDiscovery(const DeviceLists& lists, int discoveryIndex, int used) {
    const DeviceRecord& entry = lists.discovery[static_cast<size_t>(discoveryIndex)];
    for (int i = 0; i < used; ++i) {
        const DeviceRecord& other = lists.discovery[static_cast<size_t>(i)];
        if (i != discoveryIndex && other.mac_text[0] != '\0' && other.ip == entry.ip)
            return true;
    }
    return false;
}

void DeleteDiscoveryRowOf(DeviceLists& lists, const DeviceRecord& entry) {
    const std::string_view mac = TextOf(entry.mac_text).substr(0, kMacTextLength);
    CReportCtrl& list = lists.discoveryList;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (std::string_view(list.GetItemText(row, kDiscMac)).substr(0, kMacTextLength) == mac) {
            list.DeleteItem(row);
            return;
        }
    }
}

// Copies the discovery entry into the next free monitor entry and removes its discovery row;
// the discovery entry itself is left to the caller.
MoveResult MoveToMonitor(DeviceLists& lists, const Settings& settings, int discoveryIndex,
                         int usedDiscovery, NoticeList& notices) {
    if (lists.monitorList.GetItemCount() >= static_cast<int>(kTableSize)) {
        notices.Add(kMonitorFull, "Error", Icon::Error);
        return MoveResult::MonitorFull;
    }
    const DeviceRecord& entry = lists.discovery[static_cast<size_t>(discoveryIndex)];
    const Lookup inMonitor = FindMonitorByAddress(lists, TextOf(entry.ip_text));
    if (inMonitor.found || AddressTwiceInDiscovery(lists, discoveryIndex, usedDiscovery)) {
        notices.Add("Duplicate ip ", "Add fail", Icon::Error);
        return MoveResult::Refused;
    }
    DeviceRecord& target = lists.monitor[static_cast<size_t>(inMonitor.index)];
    target = entry;
    target.row_flag = kRowNew;
    target.status_mark = kStatusAlive;
    DrawMonitorRow(lists, settings, inMonitor.index);
    DeleteDiscoveryRowOf(lists, entry);
    return MoveResult::Moved;
}

}  // namespace

void AddSelectedToMonitor(DeviceLists& lists, const Settings& settings, Ui& ui) {
    const int used = std::min(lists.discoveryList.GetItemCount(), static_cast<int>(kTableSize));
    std::vector<int> entries;
    for (int row : lists.discoveryList.SelectedRows()) {
        const Lookup inDiscovery =
            FindDiscoveryByMac(lists, lists.discoveryList.GetItemText(row, kDiscMac));
        if (inDiscovery.found)
            entries.push_back(inDiscovery.index);
    }
    if (entries.empty())
        return;

    NoticeList notices;
    for (int discoveryIndex : entries) {
        const MoveResult moved = MoveToMonitor(lists, settings, discoveryIndex, used, notices);
        if (moved == MoveResult::MonitorFull)
            break;
        if (moved == MoveResult::Moved)
            lists.discovery[static_cast<size_t>(discoveryIndex)] = DeviceRecord{};
    }
    // Close the gaps left by the moved entries, keeping the order.
    size_t to = 0;
    for (size_t from = 0; from < static_cast<size_t>(used); ++from) {
        if (lists.discovery[from].mac_text[0] == '\0')
            continue;
        if (to != from)
            lists.discovery[to] = lists.discovery[from];
        ++to;
    }
    for (; to < kTableSize; ++to)
        lists.discovery[to] = DeviceRecord{};
    notices.Flush(ui);
}

void AddOneToMonitor(DeviceLists& lists, const Settings& settings, Ui& ui) {
    const std::vector<int> rows = lists.discoveryList.SelectedRows();
    if (rows.size() != 1)
        return;
    const int used = std::min(lists.discoveryList.GetItemCount(), static_cast<int>(kTableSize));
    const Lookup inDiscovery =
        FindDiscoveryByMac(lists, lists.discoveryList.GetItemText(rows.front(), kDiscMac));
    if (!inDiscovery.found)
        return;

    NoticeList notices;
    if (MoveToMonitor(lists, settings, inDiscovery.index, used, notices) == MoveResult::Moved) {
        std::copy(lists.discovery.begin() + inDiscovery.index + 1, lists.discovery.end(),
                  lists.discovery.begin() + inDiscovery.index);
        lists.discovery.back() = DeviceRecord{};
    }
    notices.Flush(ui);
}

void AddDeviceByAddress(DeviceLists& lists, const Settings& settings, Ui& ui,
                        const AddDeviceForm& form) {
    const int next = lists.monitorList.GetItemCount();
    if (next >= static_cast<int>(kTableSize)) {
        ui.Notice(kMonitorFull, "Error", Icon::Error, Owner::MainWindow);
        return;
    }
    DeviceRecord entry = lists.monitor[static_cast<size_t>(next)];
    if (!form || !form(entry))
        return;
    entry.row_flag = kRowNew;  // the new device has no row yet
    lists.monitor[static_cast<size_t>(next)] = entry;

    if (FindMonitorByAddress(lists, TextOf(entry.ip_text), next).found ||
        FindDiscoveryByAddress(lists, TextOf(entry.ip_text)).found) {
        lists.monitor[static_cast<size_t>(next)] = DeviceRecord{};
        CompactMonitor(lists);
        ui.Notice("Duplicate IP in monitor list or discovery list", "Error", Icon::Error,
                  Owner::MainWindow);
        return;
    }
    DrawMonitorRow(lists, settings, next);
}

void DeleteFromMonitor(DeviceLists& lists, Ui& ui) {
    std::vector<int> rows = lists.monitorList.SelectedRows();
    if (rows.empty())
        return;
    if (rows.size() > kTableSize)
        rows.resize(kTableSize);
    if (!ui.AskOkCancel("Are you sure to delete this item ?", "Warning", Icon::Warning))
        return;

    for (int row : rows) {
        const Lookup inMonitor =
            FindMonitorByAddress(lists, lists.monitorList.GetItemText(row, kMonIp));
        if (inMonitor.found)
            lists.monitor[static_cast<size_t>(inMonitor.index)] = DeviceRecord{};
    }
    CompactMonitor(lists);
    for (size_t j = 0; j < rows.size(); ++j)
        lists.monitorList.DeleteItem(rows[j] - static_cast<int>(j));
}

}  // namespace pm
