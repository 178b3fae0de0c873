#pragma once
// The window's monitor list file commands ("Monitor save", "Monitor save as", "Monitor
// load"), which also move the baseline that tells whether the list has changed since it was
// last saved or loaded, and the answer to the question asked when the window quits with a
// changed list.
#include <string>
#include <string_view>

#include "base/Settings.h"
#include "base/Ui.h"
#include "inventory/DeviceLists.h"
#include "inventory/MonitorListBaseline.h"

namespace pm {

inline constexpr std::string_view kSaveMonitorListQuestion = "Save the monitor list?";

// "Monitor save" to the configuration folder's monitor.cfg. Returns 0, or -1 after the save's
// failure message (the list still counts as changed).
int SaveMonitorListToFolder(const DeviceLists& lists, Ui& ui, const std::string& configFolder,
                            MonitorListBaseline& baseline);
// "Monitor save as": a cancelled chooser or a failed save leaves the baseline where it was.
void SaveMonitorListToChosenFile(const DeviceLists& lists, Ui& ui, MonitorListBaseline& baseline);
// "Monitor load" adds a file's records to the list. A list that was unchanged counts as the
// loaded one afterwards; a list with changes not saved yet keeps counting as changed, so
// that loading never makes them look saved.
void LoadMonitorListFromChosenFile(DeviceLists& lists, const Settings& settings, Ui& ui,
                                   MonitorListBaseline& baseline);

enum class SaveAnswer { Save, Discard, Cancel };

// Quitting with a changed list: whether the window may close after the user's answer. Save
// writes monitor.cfg (which the next start restores) and keeps the window open when that
// fails.
bool MayQuitAfter(SaveAnswer answer, const DeviceLists& lists, Ui& ui,
                  const std::string& configFolder, MonitorListBaseline& baseline);

}  // namespace pm
