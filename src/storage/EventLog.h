#pragma once
// cfg/syslog.log: plain-text lines of two kinds (a switch not alive, a failed firmware
// transfer), each with a time stamp.
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace pm {

class Ui;

inline constexpr std::string_view kLogFileName = "syslog.log";
inline constexpr std::string_view kLogOpenError = "syslog.log not exit";

std::string LogFilePath(const std::string& configFolder);
// "MM/DD/YYYY hh:mm:ss" in local time, 19 characters and a terminating zero.
void FormatLogTime(char out[20], std::time_t when);
void FormatLogTime(char out[20]);
// Appends exactly these bytes; "syslog.log not exit" when the log can't be opened. Returns
// false then.
bool AppendLogText(Ui& ui, const std::string& configFolder, std::string_view bytes);
// Deletes the log and creates it again empty.
void ClearLog(const std::string& configFolder);
// Opens the log with the desktop's handler for text files.
void ViewLog(Ui& ui, const std::string& configFolder);

}  // namespace pm
