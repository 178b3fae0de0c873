#pragma once
// The monitor list on disk: n DeviceRecords of 292 bytes each (0 <= n <= 256), no header.
// "Monitor save" and the start-up restore use cfg/monitor.cfg; "Monitor save as" and
// "Monitor load" a file the user chooses.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Settings.h"
#include "base/Ui.h"
#include "inventory/DeviceLists.h"

namespace pm {

inline constexpr std::string_view kMonitorFileName = "monitor.cfg";
inline constexpr std::string_view kSaveAsProposal = "Default.cfg";
constexpr size_t kMonitorFileMax = kRecordSize * kTableSize;  // 74752

inline constexpr std::string_view kConfigFileError = "Config File Error";
inline constexpr std::string_view kLoadDuplicateIp = "Duplicate ip in monitor list";
inline constexpr std::string_view kLoadDuplicateDevice = "Duplicate device in monitor list";
inline constexpr std::string_view kMonitorListFull = "out of 256 device in monitor list";
inline constexpr std::string_view kMonitorSaveFail = "Save monitor list fail";

// Loading checks each file: records without an address are skipped with one message, and a
// file of more records than the table holds is cut to 256 with another.
std::string SkippedRecordsText(size_t count);
std::string MonitorFileCutText(uint64_t records);

std::string MonitorFilePath(const std::string& configFolder);
// The one filter of both file dialogs: "config File (*.cfg)", "*.cfg".
std::vector<FileFilter> MonitorFileFilters();

// The records of a file's bytes, or nullopt when the size is not a multiple of 292. At most
// 256 records are taken.
std::optional<std::vector<DeviceRecord>> ParseMonitorFile(std::span<const uint8_t> bytes);
// The first n monitor entries, n = rows of the monitor list, with empty password fields.
std::vector<uint8_t> BuildMonitorFile(const DeviceLists& lists);

// Writes the first n monitor entries, n = rows of the monitor list. The file is replaced
// whole (written beside it, then renamed over it; through a link, beside its target), so a
// failed save leaves the old one intact; a failure is reported with kMonitorSaveFail.
// Returns 0 or -1.
int SaveMonitorList(const DeviceLists& lists, Ui& ui, const std::string& path);
// "Monitor save" (to the cfg folder's monitor.cfg) and "Monitor save as" (nothing happens
// when the dialog is cancelled; true when the list was written).
void SaveMonitorListDefault(const DeviceLists& lists, Ui& ui, const std::string& configFolder);
bool SaveMonitorListAs(const DeviceLists& lists, Ui& ui);

// Start-up: reads the cfg folder's monitor.cfg into an empty monitor table and draws its
// rows with the settings. Missing file: empty list, no message. Bad size or not a regular
// file: its message and an empty table.
void RestoreMonitorList(DeviceLists& lists, const Settings& settings, Ui& ui,
                        const std::string& configFolder);

// "Monitor load": adds the records of a chosen file to the list, skipping duplicates with a
// warning each, and stops at 256 entries. Returns 0, or -1 after "Config File Error".
void LoadMonitorList(DeviceLists& lists, const Settings& settings, Ui& ui);
int LoadMonitorListFrom(DeviceLists& lists, const Settings& settings, Ui& ui,
                        const std::string& path);
// The checks and additions of "Monitor load" for records already read.
void AddLoadedRecords(DeviceLists& lists, const Settings& settings, Ui& ui,
                      std::vector<DeviceRecord> records);

}  // namespace pm
