#include "storage/MonitorFile.h"

#include "inventory/DeviceTables.h"
#include "inventory/RowBuilders.h"
#include "storage/FileMessage.h"
#include "storage/RegularFile.h"

namespace pm {
namespace {

// A record that polling can use: one with no address (a blank record, or one damaged)
// would end every polling pass at its place.
bool HasAddress(const DeviceRecord& r) {
    return r.ip != 0 && !TextOf(r.ip_text).empty();
}

// The usable records of a monitor list file (at most 256, in file order), checked as they
// are read, with one message for each kind of fault. A missing or unreadable file reads as
// no record. nullopt after "Config File Error" or a refused file.
std::optional<std::vector<DeviceRecord>> ReadMonitorRecords(Ui& ui, const std::string& path) {
    FileContents file = ReadRegularFile(path, kMonitorFileMax);
    if (file.status == FileStatus::NotRegular) {
        ui.Notice(NotRegularFileText(path), "Error", Icon::Error);
        return std::nullopt;
    }
    if (file.status != FileStatus::Ok)
        return std::vector<DeviceRecord>{};
    if (file.size % kRecordSize != 0) {
        ui.Notice(kConfigFileError, "Error", Icon::Error);
        return std::nullopt;
    }
    auto parsed = ParseMonitorFile(file.bytes);
    if (!parsed) {
        ui.Notice(kConfigFileError, "Error", Icon::Error);
        return std::nullopt;
    }
    std::vector<DeviceRecord> records;
    size_t skipped = 0;
    for (auto& r : *parsed) {
        if (HasAddress(r))
            records.push_back(r);
        else
            ++skipped;
    }
    if (skipped > 0)
        ui.Notice(SkippedRecordsText(skipped), "Warning", Icon::Warning);
    if (const uint64_t held = file.size / kRecordSize; held > kTableSize)
        ui.Notice(MonitorFileCutText(held), "Warning", Icon::Warning);
    return records;
}

}  // namespace

std::string MonitorFilePath(const std::string& configFolder) {
    return configFolder + "/" + std::string(kMonitorFileName);
}

std::string SkippedRecordsText(size_t count) {
    return "Skipped " + std::to_string(count) +
           " records of the monitor list file without an IP address";
}

std::string MonitorFileCutText(uint64_t records) {
    return "The monitor list file holds " + std::to_string(records) + " devices: only the first " +
           std::to_string(kTableSize) + " are loaded";
}

std::vector<FileFilter> MonitorFileFilters() {
    return {{"config File (*.cfg)", "*.cfg"}};
}

std::optional<std::vector<DeviceRecord>> ParseMonitorFile(std::span<const uint8_t> bytes) {
    if (bytes.size() % kRecordSize != 0)
        return std::nullopt;
    const size_t n = std::min(bytes.size() / kRecordSize, kTableSize);
    std::vector<DeviceRecord> records;
    records.reserve(n);
    for (size_t k = 0; k < n; ++k)
        records.push_back(DecodeRecord(bytes.subspan(k * kRecordSize).first<kRecordSize>()));
    return records;
}

std::vector<uint8_t> BuildMonitorFile(const DeviceLists& lists) {
    const size_t n =
        std::min(static_cast<size_t>(lists.monitorList.GetItemCount(kStateAny)), kTableSize);
    std::vector<uint8_t> bytes(n * kRecordSize);
    for (size_t k = 0; k < n; ++k) {
        // No password reaches the disk, whatever the table holds: the fields stay, empty.
        DeviceRecord record = lists.monitor[k];
        SetText(record.password, "");
        SetText(record.new_password, "");
        EncodeRecord(record, std::span(bytes).subspan(k * kRecordSize).first<kRecordSize>());
    }
    return bytes;
}

int SaveMonitorList(const DeviceLists& lists, Ui& ui, const std::string& path) {
    switch (ReplaceRegularFile(path, BuildMonitorFile(lists))) {
        case FileStatus::Ok:
            return 0;
        case FileStatus::NotRegular:
            ui.Notice(NotRegularFileText(path), "Error", Icon::Error);
            return -1;
        default:
            ui.Notice(WithPath(kMonitorSaveFail, path), "Error", Icon::Error);
            return -1;
    }
}

void SaveMonitorListDefault(const DeviceLists& lists, Ui& ui, const std::string& configFolder) {
    SaveMonitorList(lists, ui, MonitorFilePath(configFolder));
}

bool SaveMonitorListAs(const DeviceLists& lists, Ui& ui) {
    const auto path = ui.ChooseSaveFile(kSaveAsProposal, MonitorFileFilters());
    return path && SaveMonitorList(lists, ui, *path) == 0;
}

void RestoreMonitorList(DeviceLists& lists, const Settings& settings, Ui& ui,
                        const std::string& configFolder) {
    auto file = ReadMonitorRecords(ui, MonitorFilePath(configFolder));
    if (!file) {
        lists.monitor.fill(DeviceRecord{});
        return;
    }
    for (size_t k = 0; k < file->size(); ++k) {
        DeviceRecord& entry = lists.monitor[k];
        entry = (*file)[k];
        entry.row_flag = kRowNew;
        entry.missed_polls = 0;
        entry.answered = 1;
        entry.status_mark = entry.status_mark == kStatusNotAlive ? kStatusNotAlive : kStatusAlive;
        DrawMonitorRow(lists, settings, static_cast<int>(k));
    }
}

void LoadMonitorList(DeviceLists& lists, const Settings& settings, Ui& ui) {
    const auto path = ui.ChooseOpenFile(kMonitorFileName, MonitorFileFilters());
    if (path)
        LoadMonitorListFrom(lists, settings, ui, *path);
}

int LoadMonitorListFrom(DeviceLists& lists, const Settings& settings, Ui& ui,
                        const std::string& path) {
    auto file = ReadMonitorRecords(ui, path);
    if (!file)
        return -1;
    AddLoadedRecords(lists, settings, ui, std::move(*file));
    return 0;
}

void AddLoadedRecords(DeviceLists& lists, const Settings& settings, Ui& ui,
                      std::vector<DeviceRecord> records) {
    for (auto& record : records) {
        record.row_flag = kRowNew;
        record.missed_polls = 0;
        record.answered = 1;
        const int rows = lists.monitorList.GetItemCount(kStateAny);
        if (FindMonitorByAddress(lists, TextOf(record.ip_text), rows).found) {
            ui.Notice(kLoadDuplicateIp, "Warning", Icon::Warning);
            continue;
        }
        if (FindMonitorByMac(lists, TextOf(record.mac_text)).found) {
            ui.Notice(kLoadDuplicateDevice, "Warning", Icon::Warning);
            continue;
        }
        if (rows >= static_cast<int>(kTableSize)) {
            ui.Notice(kMonitorListFull, "Error", Icon::Error);
            return;
        }
        lists.monitor[static_cast<size_t>(rows)] = record;
        DrawMonitorRow(lists, settings, rows);
    }
}

}  // namespace pm
