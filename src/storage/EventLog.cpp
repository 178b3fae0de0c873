#include "storage/EventLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "base/Ui.h"
#include "storage/FileMessage.h"

namespace pm {

std::string LogFilePath(const std::string& configFolder) {
    return configFolder + "/" + std::string(kLogFileName);
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

bool AppendLogText(Ui& ui, const std::string& configFolder, std::string_view bytes) {
    const int fd =
        ::open(LogFilePath(configFolder).c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        ui.Notice(WithPath(kLogOpenError, LogFilePath(configFolder), errno), "Error", Icon::Error,
                  Owner::NoWindow);
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    return done == bytes.size();
}

void ClearLog(const std::string& configFolder) {
    const std::string path = LogFilePath(configFolder);
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
