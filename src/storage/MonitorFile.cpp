#include "storage/MonitorFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "inventory/DeviceTables.h"
#include "inventory/RowBuilders.h"

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

std::vector<uint8_t> BuildMonitorFile(const Program& p) {
    const size_t n =
        std::min(static_cast<size_t>(p.lists.monitorList.GetItemCount(kStateAny)), kTableSize);
    std::vector<uint8_t> bytes(n * kRecordSize);
    for (size_t k = 0; k < n; ++k)
        EncodeRecord(p.lists.monitor[k],
                     std::span(bytes).subspan(k * kRecordSize).first<kRecordSize>());
    return bytes;
}

int SaveMonitorList(Program& p, const std::string& path) {
    if (ReplaceFile(path, BuildMonitorFile(p)))
        return 0;
    p.ui.Notice(kMonitorSaveFail, "Error", Icon::Error);
    return -1;
}

void SaveMonitorListDefault(Program& p) {
    SaveMonitorList(p, MonitorFilePath(p.configFolder));
}

void SaveMonitorListAs(Program& p) {
    const auto path = p.ui.ChooseSaveFile(kSaveAsProposal, MonitorFileFilters());
    if (path)
        SaveMonitorList(p, *path);
}

void RestoreMonitorList(Program& p) {
    const auto bytes = ReadUpTo(MonitorFilePath(p.configFolder), kMonitorFileMax);
    auto records = ParseMonitorFile(bytes);
    if (!records) {
        p.lists.monitor.fill(DeviceRecord{});
        p.ui.Notice(kConfigFileError, "Error", Icon::Error);
        return;
    }
    for (size_t k = 0; k < records->size(); ++k) {
        DeviceRecord& entry = p.lists.monitor[k];
        entry = (*records)[k];
        entry.row_flag = 0;
        entry.missed_polls = 0;
        entry.answered = 1;
        entry.status_mark = entry.status_mark == 1 ? 1 : -1;
        DrawMonitorRow(p, static_cast<int>(k));
    }
}

void LoadMonitorList(Program& p) {
    const auto path = p.ui.ChooseOpenFile(kMonitorFileName, MonitorFileFilters());
    if (path)
        LoadMonitorListFrom(p, *path);
}

int LoadMonitorListFrom(Program& p, const std::string& path) {
    auto records = ParseMonitorFile(ReadUpTo(path, kMonitorFileMax));
    if (!records) {
        p.ui.Notice(kConfigFileError, "Error", Icon::Error);
        return -1;
    }
    AddLoadedRecords(p, std::move(*records));
    return 0;
}

void AddLoadedRecords(Program& p, std::vector<DeviceRecord> records) {
    for (auto& record : records) {
        record.row_flag = 0;
        record.missed_polls = 0;
        record.answered = 1;
        const int rows = p.lists.monitorList.GetItemCount(kStateAny);
        if (FindMonitorByAddress(p, TextOf(record.ip_text), rows).found) {
            p.ui.Notice(kLoadDuplicateIp, "Warning", Icon::Warning);
            continue;
        }
        if (FindMonitorByMac(p, TextOf(record.mac_text)).found) {
            p.ui.Notice(kLoadDuplicateDevice, "Warning", Icon::Warning);
            continue;
        }
        if (rows >= static_cast<int>(kTableSize)) {
            p.ui.Notice(kMonitorListFull, "Error", Icon::Error);
            return;
        }
        p.lists.monitor[static_cast<size_t>(rows)] = record;
        DrawMonitorRow(p, rows);
    }
}

}  // namespace pm
