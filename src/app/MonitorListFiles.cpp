#include "app/MonitorListFiles.h"

#include "storage/MonitorFile.h"

namespace pm {

int SaveMonitorListToFolder(const DeviceLists& lists, Ui& ui, const std::string& configFolder,
                            MonitorListBaseline& baseline) {
    if (SaveMonitorList(lists, ui, MonitorFilePath(configFolder)) != 0)
        return -1;
    baseline.Mark(lists);
    return 0;
}

void SaveMonitorListToChosenFile(const DeviceLists& lists, Ui& ui, MonitorListBaseline& baseline) {
    if (SaveMonitorListAs(lists, ui))
        baseline.Mark(lists);
}

void LoadMonitorListFromChosenFile(DeviceLists& lists, const Settings& settings, Ui& ui,
                                   MonitorListBaseline& baseline) {
    const bool changedBefore = baseline.Changed(lists);
    LoadMonitorList(lists, settings, ui);
    if (!changedBefore)
        baseline.Mark(lists);
}

bool MayQuitAfter(SaveAnswer answer, const DeviceLists& lists, Ui& ui,
                  const std::string& configFolder, MonitorListBaseline& baseline) {
    switch (answer) {
        case SaveAnswer::Save:
            return SaveMonitorListToFolder(lists, ui, configFolder, baseline) == 0;
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

}  // namespace pm
