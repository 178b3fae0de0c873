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
};
int RunDiscover(const DiscoverOptions& o);

struct MonitorOptions {
    std::string file;
    bool json = false;
    int count = 0;           // refresh ticks to report; 0: until interrupted
    int refreshSeconds = 0;  // 0: as the window starts (15 s ticks, polls by refresh_time)
};
int RunMonitor(const MonitorOptions& o);

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
