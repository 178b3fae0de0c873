#include "storage/MonitorFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "inventory/DeviceTables.h"
#include "inventory/RowBuilders.h"
#include "storage/FileMessage.h"

namespace pm {
namespace {

// Up to max bytes of the file, or an empty buffer when it can't be read.
std::vector<uint8_t> ReadUpTo(const std::string& path, size_t max) {
    std::vector<uint8_t> bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return bytes;
    bytes.resize(max);
    size_t got = 0;
    while (got < max) {
        const ssize_t n = ::read(fd, bytes.data() + got, max - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

bool WriteAll(int fd, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::string temp = path + ".part";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string MonitorFilePath(const std::string& configFolder) {
    return configFolder + "/" + std::string(kMonitorFileName);
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
    for (size_t k = 0; k < n; ++k)
        EncodeRecord(lists.monitor[k],
                     std::span(bytes).subspan(k * kRecordSize).first<kRecordSize>());
    return bytes;
}

int SaveMonitorList(const DeviceLists& lists, Ui& ui, const std::string& path) {
    if (ReplaceFile(path, BuildMonitorFile(lists)))
        return 0;
    ui.Notice(WithPath(kMonitorSaveFail, path), "Error", Icon::Error);
    return -1;
}

void SaveMonitorListDefault(const DeviceLists& lists, Ui& ui, const std::string& configFolder) {
    SaveMonitorList(lists, ui, MonitorFilePath(configFolder));
}

void SaveMonitorListAs(const DeviceLists& lists, Ui& ui) {
    const auto path = ui.ChooseSaveFile(kSaveAsProposal, MonitorFileFilters());
    if (path)
        SaveMonitorList(lists, ui, *path);
}

void RestoreMonitorList(DeviceLists& lists, const Settings& settings, Ui& ui,
                        const std::string& configFolder) {
    const auto bytes = ReadUpTo(MonitorFilePath(configFolder), kMonitorFileMax);
    auto records = ParseMonitorFile(bytes);
    if (!records) {
        lists.monitor.fill(DeviceRecord{});
        ui.Notice(kConfigFileError, "Error", Icon::Error);
        return;
    }
    for (size_t k = 0; k < records->size(); ++k) {
        DeviceRecord& entry = lists.monitor[k];
        entry = (*records)[k];
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
    auto records = ParseMonitorFile(ReadUpTo(path, kMonitorFileMax));
    if (!records) {
        ui.Notice(kConfigFileError, "Error", Icon::Error);
        return -1;
    }
    AddLoadedRecords(lists, settings, ui, std::move(*records));
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
