#pragma once
// cfg/syslog.log: plain-text lines of two kinds (a switch not alive, a failed firmware
// transfer), each with a time stamp.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace pm {

class Ui;

inline constexpr std::string_view kLogFileName = "syslog.log";
inline constexpr std::string_view kLogOpenError = "syslog.log not exit";
// Followed by the system's reason ("No space left on device").
inline constexpr std::string_view kLogWriteError = "syslog.log write fail: ";

// The log turns over before a line that would take it past this size: syslog.log becomes
// syslog.log.1 (replacing the generation before) and a new syslog.log starts, so the log
// stays bounded and "View log" always opens a file of readable size.
constexpr uint64_t kLogRotateBytes = 1024 * 1024;

// What one run has told about its log. Its owner (the program) passes it to every append,
// so that a log that can't be written is reported once per run, not once per line.
struct EventLogState {
    bool failureTold = false;
};

std::string LogFilePath(const std::string& configFolder);
// syslog.log.1, the one older generation.
std::string OldLogFilePath(const std::string& configFolder);
// "MM/DD/YYYY hh:mm:ss" in local time, 19 characters and a terminating zero.
void FormatLogTime(char out[20], std::time_t when);
void FormatLogTime(char out[20]);
// Appends exactly these bytes, turning the log over first when they would take it past
// kLogRotateBytes and it ends with a whole line. The first failure of a run is told
// ("syslog.log not exit" when the log can't be opened, kLogWriteError when a write fails,
// and then nothing is left of the bytes); false for every failed append.
bool AppendLogText(Ui& ui, const std::string& configFolder, std::string_view bytes,
                   EventLogState& state);
// Deletes the log and its older generation and creates the log again empty.
void ClearLog(const std::string& configFolder);
// Opens the log with the desktop's handler for text files.
void ViewLog(Ui& ui, const std::string& configFolder);

}  // namespace pm
