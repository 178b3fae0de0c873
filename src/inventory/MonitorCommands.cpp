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

// True when another used discovery entry has the same address as entry d.
bool AddressTwiceInDiscovery(const Program& p, int d, int used) {
    const DeviceRecord& entry = p.lists.discovery[static_cast<size_t>(d)];
    for (int i = 0; i < used; ++i) {
        const DeviceRecord& other = p.lists.discovery[static_cast<size_t>(i)];
        if (i != d && other.mac_text[0] != '\0' && other.ip == entry.ip)
            return true;
    }
    return false;
}

void DeleteDiscoveryRowOf(Program& p, const DeviceRecord& entry) {
    const std::string_view mac = TextOf(entry.mac_text).substr(0, kMacTextLength);
    CReportCtrl& list = p.lists.discoveryList;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (std::string_view(list.GetItemText(row, kDiscMac)).substr(0, kMacTextLength) == mac) {
            list.DeleteItem(row);
            return;
        }
    }
}

// Copies discovery entry d into the next free monitor entry and removes its discovery row;
// the discovery entry itself is left to the caller.
MoveResult MoveToMonitor(Program& p, int d, int usedDiscovery, NoticeList& notices) {
    if (p.lists.monitorList.GetItemCount() >= static_cast<int>(kTableSize)) {
        notices.Add(kMonitorFull, "Error", Icon::Error);
        return MoveResult::MonitorFull;
    }
    const DeviceRecord& entry = p.lists.discovery[static_cast<size_t>(d)];
    const Lookup m = FindMonitorByAddress(p, TextOf(entry.ip_text));
    if (m.found || AddressTwiceInDiscovery(p, d, usedDiscovery)) {
        notices.Add("Duplicate ip ", "Add fail", Icon::Error);
        return MoveResult::Refused;
    }
    DeviceRecord& target = p.lists.monitor[static_cast<size_t>(m.index)];
    target = entry;
    target.row_flag = 0;
    target.status_mark = -1;
    DrawMonitorRow(p, m.index);
    DeleteDiscoveryRowOf(p, entry);
    return MoveResult::Moved;
}

}  // namespace

void AddSelectedToMonitor(Program& p) {
    const int used = std::min(p.lists.discoveryList.GetItemCount(), static_cast<int>(kTableSize));
    std::vector<int> entries;
    for (int row : p.lists.discoveryList.SelectedRows()) {
        const Lookup d = FindDiscoveryByMac(p, p.lists.discoveryList.GetItemText(row, kDiscMac));
        if (d.found)
            entries.push_back(d.index);
    }
    if (entries.empty())
        return;

    NoticeList notices;
    for (int d : entries) {
        const MoveResult moved = MoveToMonitor(p, d, used, notices);
        if (moved == MoveResult::MonitorFull)
            break;
        if (moved == MoveResult::Moved)
            p.lists.discovery[static_cast<size_t>(d)] = DeviceRecord{};
    }
    // Close the gaps left by the moved entries, keeping the order.
    size_t to = 0;
    for (size_t from = 0; from < static_cast<size_t>(used); ++from) {
        if (p.lists.discovery[from].mac_text[0] == '\0')
            continue;
        if (to != from)
            p.lists.discovery[to] = p.lists.discovery[from];
        ++to;
    }
    for (; to < kTableSize; ++to)
        p.lists.discovery[to] = DeviceRecord{};
    notices.Flush(p.ui);
}

void AddOneToMonitor(Program& p) {
    const std::vector<int> rows = p.lists.discoveryList.SelectedRows();
    if (rows.size() != 1)
        return;
    const int used = std::min(p.lists.discoveryList.GetItemCount(), static_cast<int>(kTableSize));
    const Lookup d =
        FindDiscoveryByMac(p, p.lists.discoveryList.GetItemText(rows.front(), kDiscMac));
    if (!d.found)
        return;

    NoticeList notices;
    if (MoveToMonitor(p, d.index, used, notices) == MoveResult::Moved) {
        std::copy(p.lists.discovery.begin() + d.index + 1, p.lists.discovery.end(),
                  p.lists.discovery.begin() + d.index);
        p.lists.discovery.back() = DeviceRecord{};
    }
    notices.Flush(p.ui);
}

void AddDeviceByAddress(Program& p, const AddDeviceForm& form) {
    const int k = p.lists.monitorList.GetItemCount();
    if (k >= static_cast<int>(kTableSize)) {
        p.ui.Notice(kMonitorFull, "Error", Icon::Error, Owner::MainWindow);
        return;
    }
    DeviceRecord entry = p.lists.monitor[static_cast<size_t>(k)];
    if (!form || !form(entry))
        return;
    entry.row_flag = 0;  // the new device has no row yet
    p.lists.monitor[static_cast<size_t>(k)] = entry;

    if (FindMonitorByAddress(p, TextOf(entry.ip_text), k).found ||
        FindDiscoveryByAddress(p, TextOf(entry.ip_text)).found) {
        p.lists.monitor[static_cast<size_t>(k)] = DeviceRecord{};
        CompactMonitor(p);
        p.ui.Notice("Duplicate IP in monitor list or discovery list", "Error", Icon::Error,
                    Owner::MainWindow);
        return;
    }
    DrawMonitorRow(p, k);
}

void DeleteFromMonitor(Program& p) {
    std::vector<int> rows = p.lists.monitorList.SelectedRows();
    if (rows.empty())
        return;
    if (rows.size() > kTableSize)
        rows.resize(kTableSize);
    if (!p.ui.AskOkCancel("Are you sure to delete this item ?", "Warning", Icon::Warning))
        return;

    for (int row : rows) {
        const Lookup m = FindMonitorByAddress(p, p.lists.monitorList.GetItemText(row, kMonIp));
        if (m.found)
            p.lists.monitor[static_cast<size_t>(m.index)] = DeviceRecord{};
    }
    CompactMonitor(p);
    for (size_t j = 0; j < rows.size(); ++j)
        p.lists.monitorList.DeleteItem(rows[j] - static_cast<int>(j));
}

}  // namespace pm
