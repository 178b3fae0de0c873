#pragma once
// What one simulated switch is and how it misbehaves, read from "key=value" text.
#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pm::sim {

enum class ReplyMode { Unicast, Broadcast, SubnetBroadcast, Multicast };

struct SwitchConfig {
    std::array<uint8_t, 6> mac{0x02, 0x50, 0x4D, 0, 0, 1};
    uint32_t ip = 0;  // host order
    uint32_t mask = 0xFFFFFF00;
    uint32_t gateway = 0;
    std::string product = "PMS-2208";
    std::string systemName = "switch";
    std::string location = "lab";
    uint16_t ipMode = 0;  // 0 Static, 1 DHCP, 2 Bootp
    int32_t groupInterval = 125;
    uint16_t revision = 2;
    std::array<uint32_t, 4> capabilities{0x002003FF, 0, 0, 0};
    std::string password = "admin";
    bool loader = false;
    uint16_t wait1 = 10;   // seconds, reported in field 27
    uint16_t wait2 = 120;  // seconds, reported in field 28
    int rebootMs = -1;     // silence after an upgrade; -1: (wait1 + wait2) seconds
    uint16_t pollReplyCommand = 6;
    std::set<int> fields{1, 2, 3, 4, 5, 6, 10, 22, 27, 28, 129};
    bool requireTrigger = true;  // TFTP write requests only after an acknowledged trigger
    std::string iface;           // re-addressed when a set request moves the switch

    // Faults.
    bool silent = false;
    ReplyMode reply = ReplyMode::Unicast;
    bool wrongHeaderId = false;
    uint8_t result = 0;
    std::string resultText = "Simulated device failure";
    int lossPercent = 0;    // share of incoming packets dropped
    int tftpReplyLoss = 0;  // share of outgoing TFTP packets dropped
    uint32_t seed = 1;
    int tftpErrorBlock = -1;  // answer this data block with an error packet
    int tftpBlockMs = 0;      // busy this long storing each data block before it answers
    std::string tftpErrorText = "Flash write error";
};

struct SimOptions {
    uint16_t basePort = 20000;
    std::string group = "239.255.120.200";
    std::string imageDir;  // where received images are written (the executable)
    // Open() refuses to run outside a namespace made by `ip netns add` unless this is set.
    bool allowAnyNamespace = false;
};

// Applies one "key=value"; false (and a reason in error) for an unknown key or bad value.
bool ApplySetting(SwitchConfig& c, const std::string& key, const std::string& value,
                  std::string& error);
// "key=value,key=value,..." as given to --switch.
std::optional<SwitchConfig> ParseSwitchKeys(const std::string& keys, std::string& error);
// A file of "key=value" lines; "[switch]" starts the next switch, '#' starts a comment.
// Lines before the first [switch] may set base_port, group and image_dir.
bool LoadConfigFile(const std::string& path, SimOptions& options,
                    std::vector<SwitchConfig>& switches, std::string& error);

std::string FormatIp(uint32_t hostOrder);
std::optional<uint32_t> ParseIp(const std::string& dotted);

}  // namespace pm::sim
