#include "storage/DiscoveredList.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "inventory/MonitorCommands.h"
#include "inventory/RowBuilders.h"
#include "storage/MonitorFile.h"

namespace pm {

FileWriteResult SaveDiscoveredAsMonitorList(const DeviceLists& lists, const Settings& settings,
                                            Ui& ui, const std::string& path,
                                            ExistingFile existing) {
    // Fresh lists with rows of their own (two tables of 256 records: not on the stack); the
    // caller's list models are never copied, so their observers hear nothing of this.
    auto work = std::make_unique<DeviceLists>();
    CreateDiscoveryColumns(*work, settings);
    CreateMonitorColumns(*work, settings);
    const int found = std::min(lists.discoveryList.GetItemCount(), static_cast<int>(kTableSize));
    for (int i = 0; i < found; ++i) {
        work->discovery[static_cast<size_t>(i)] = lists.discovery[static_cast<size_t>(i)];
        work->discovery[static_cast<size_t>(i)].row_flag = kRowNew;
        DrawDiscoveryRow(*work, settings, i);
        work->discoveryList.SetItemStates(i, kStateSelected);
    }
    AddSelectedToMonitor(*work, settings, ui);
    for (DeviceRecord& entry : work->monitor) {
        std::fill(std::begin(entry.password), std::end(entry.password), '\0');
        std::fill(std::begin(entry.new_password), std::end(entry.new_password), '\0');
    }
    const std::vector<uint8_t> bytes = BuildMonitorFile(*work);
    return WriteFileAtomically(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
        existing);
}

}  // namespace pm
