#include "storage/EventLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/Ui.h"
#include "storage/FileMessage.h"
#include "storage/RegularFile.h"

namespace pm {

std::string LogFilePath(const std::string& configFolder) {
    return configFolder + "/" + std::string(kLogFileName);
}

std::string OldLogFilePath(const std::string& configFolder) {
    return LogFilePath(configFolder) + ".1";
}

void FormatLogTime(char out[20], std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    // Fields are clamped (as unsigned) so the stamp is always 19 characters.
    auto two = [](int v) { return static_cast<unsigned>(v < 0 ? 0 : v) % 100u; };
    const int year = local.tm_year + 1900;
    std::snprintf(out, 20, "%02u/%02u/%04u %02u:%02u:%02u", two(local.tm_mon + 1),
                  two(local.tm_mday), static_cast<unsigned>(year < 0 ? 0 : year) % 10000u,
                  two(local.tm_hour), two(local.tm_min), two(local.tm_sec));
}

void FormatLogTime(char out[20]) {
    FormatLogTime(out, std::time(nullptr));
}

namespace {

void TellOnce(Ui& ui, EventLogState& state, std::string_view text) {
    if (state.failureTold)
        return;
    state.failureTold = true;
    ui.Notice(text, "Error", Icon::Error, Owner::NoWindow);
}

// Opened without blocking (a FIFO in its place never holds the program up); anything but a
// regular file is refused. The message for a failure, or empty with the open descriptor.
std::string OpenLog(const std::string& path, int& fd, struct stat& st) {
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0)
        return WithPath(kLogOpenError, path, errno);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fd = -1;
        return NotRegularFileText(path);
    }
    return {};
}

bool EndsWithLine(int fd, off_t size) {
    char last = 0;
    return size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last == '\n';
}

}  // namespace

bool AppendLogText(Ui& ui, const std::string& configFolder, std::string_view bytes,
                   EventLogState& state) {
    const std::string path = LogFilePath(configFolder);
    struct stat st {};
    int fd = -1;
    if (const std::string failure = OpenLog(path, fd, st); !failure.empty()) {
        TellOnce(ui, state, failure);
        return false;
    }
    // Turned over between lines only: a line written in two parts stays in one file.
    if (static_cast<uint64_t>(st.st_size) + bytes.size() > kLogRotateBytes &&
        EndsWithLine(fd, st.st_size)) {
        ::close(fd);
        if (::rename(path.c_str(), OldLogFilePath(configFolder).c_str()) != 0) {
            TellOnce(ui, state, std::string(kLogWriteError) + std::strerror(errno));
            return false;
        }
        if (const std::string failure = OpenLog(path, fd, st); !failure.empty()) {
            TellOnce(ui, state, failure);
            return false;
        }
    }
    size_t done = 0;
    int error = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(n);
    }
    // Nothing of a line that could not be written whole: the log keeps whole lines.
    if (error != 0 && done > 0)
        done = ::ftruncate(fd, st.st_size) == 0 ? 0 : done;
    ::close(fd);
    if (error != 0) {
        TellOnce(ui, state, std::string(kLogWriteError) + std::strerror(error));
        return false;
    }
    return true;
}

void ClearLog(const std::string& configFolder) {
    const std::string path = LogFilePath(configFolder);
    ::unlink(OldLogFilePath(configFolder).c_str());
    ::unlink(path.c_str());
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::close(fd);
}

void ViewLog(Ui& ui, const std::string& configFolder) {
    const std::string path = LogFilePath(configFolder);
    // An editor handed a missing file shows nothing useful: make sure an (empty) log exists.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        ui.Notice(WithPath(kLogOpenError, path, errno), "Error", Icon::Error, Owner::NoWindow);
        return;
    }
    ::close(fd);
    ui.OpenFile(path);
}

}  // namespace pm
