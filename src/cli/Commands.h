#pragma once
// The commands of portmesa-cli. Each returns the process exit code: 0 done, 1 the operation
// failed (its messages are on standard error).
#include <cstdint>
#include <optional>
#include <string>

namespace pm::cli {

struct DiscoverOptions {
    double waitSeconds = 3;
    bool json = false;       // one array, sorted by MAC
    bool jsonLines = false;  // one object per line, in the same order
    std::string saveFile;    // also write the switches found as a monitor list file
    bool force = false;      // let saveFile replace an existing file
};
int RunDiscover(const DiscoverOptions& o);

struct MonitorOptions {
    std::string file;
    bool json = false;
    int count = 0;           // refresh ticks to report; 0: until interrupted
    int refreshSeconds = 0;  // 0: as the window starts (15 s ticks, polls by refresh_time)
    // The textfile-collector file, rewritten after each tick, and where /metrics is served
    // ("PORT", "ADDRESS:PORT"); empty: not at all.
    std::string metricsFile;
    std::string listen;
};
int RunMonitor(const MonitorOptions& o);

// A monitoring-plugin check of one switch: its exit code is the plugin state (0 OK,
// 1 WARNING, 2 CRITICAL, 3 UNKNOWN), also for its own usage errors.
struct CheckOptions {
    std::string mac;
    std::string ip;
    double timeoutSeconds = 10;
    std::optional<double> warningMs, criticalMs;
};
int RunCheck(const CheckOptions& o);
// The status line and exit code of a check whose options could not be parsed.
int CheckUsageError(const std::string& why);

// The switch a device command works on, found by discovery first.
struct TargetOptions {
    std::string mac;
    std::string ip;
    double waitSeconds = 3;   // discovery
    double replySeconds = 5;  // the switch's answer to a set
};

struct SetOptions {
    TargetOptions target;
    std::optional<std::string> newIp, mask, gateway, mode, name, location, groupInterval;
    std::string password;
};
int RunSet(const SetOptions& o);

struct PasswordOptions {
    TargetOptions target;
    std::string original, newPassword;
    std::optional<std::string> confirm;
};
int RunPassword(const PasswordOptions& o);

struct DhcpRefreshOptions {
    TargetOptions target;
    std::string password;
};
int RunDhcpRefresh(const DhcpRefreshOptions& o);

struct UpgradeOptions {
    TargetOptions target;
    std::string image;
    std::string password;
    double timeoutSeconds = 900;
    bool quiet = false;  // no progress, status or information lines; errors still show
};
int RunUpgrade(const UpgradeOptions& o);

}  // namespace pm::cli
