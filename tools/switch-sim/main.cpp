// switch-sim: simulated switches for trying the utility without hardware. Runs only inside
// a network namespace made for it (see --help): it answers broadcasts and multicasts.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/PollLoop.h"
#include "switch-sim/SimConfig.h"
#include "switch-sim/SwitchSim.h"

namespace {

const char kHelp[] = R"(Usage: switch-sim [--config FILE] [--switch KEYS]... [options]

Simulates managed switches on the device side of the management protocol: discovery and
poll replies, configuration, password and DHCP-refresh sets, the firmware upgrade trigger
and the TFTP server on port 69 that receives the image.

It answers broadcasts and multicasts, so run it ONLY inside a network namespace made for
it (ip netns add), never on a machine's real network: it refuses to start unless it runs in
a namespace listed under /run/netns. --any-namespace lifts that check (an isolated
container of your own, for instance).

Options:
  --config FILE         read switches from FILE (format below)
  --switch KEYS         one more switch: key=value pairs separated by commas
  --base-port P         the utility's base_port (default 20000); requests arrive on P+2
  --group ADDR          the utility's multicast_group (default 239.255.120.200)
  --image-dir DIR       write every image received to DIR/<switch ip>-<file name>
  --help                this text

Switch keys (KEYS or a [switch] section of FILE):
  mac=02:50:4d:00:00:01  ip=10.201.1.10/24  mask=255.255.255.0  gateway=10.201.1.1
  product=PMS-2208  name=switch  location=lab  password=admin
  mode=static|dhcp|bootp  interval=125 (group interval, -1 none)  revision=2
  capabilities=0x2003ff:0:0:0 (four words)  fields=1:2:3:4:5:6:10:22:27:28:129
  (reply fields sent)  wait1=10  wait2=120 (upgrade waits reported, seconds)
  reboot_ms=N (silence after an upgrade; default wait1+wait2 seconds)
  loader=0|1 (loader mode: replies 12, acknowledgements 15)  poll_reply=6
  require_trigger=1 (TFTP only after an acknowledged upgrade trigger)
  iface=eth0 (a set request that changes the address re-addresses this interface)
Faults:
  silent=1  reply=unicast|broadcast|subnet|multicast  wrong_id=1
  result=N (every reply carries result N; 255 adds result_text=...)
  loss=PERCENT seed=N (drops that share of incoming packets, reproducibly)
  tftp_reply_loss=PERCENT (drops that share of outgoing TFTP packets, same seed)
  tftp_error_block=N tftp_error_text=... (answers data block N with a TFTP error)
  tftp_block_ms=N (busy N ms storing each data block, as a switch writing flash)

FILE format: optional base_port=, group=, image_dir= lines, then one [switch] section
per switch with key=value lines; '#' starts a comment.

A lab by hand (as root), with scripts/lab from the source tree:
  scripts/lab up 2                    # namespaces: manager, bridge, switches 1 and 2
  scripts/lab sim 1 --switch ip=10.201.1.11/24,mac=02:50:4d:00:00:01,iface=eth0 &
  scripts/lab sim 2 --switch ip=10.202.1.12/24,mac=02:50:4d:00:00:02,reply=broadcast &
  scripts/lab run build/bin/portmesa  # the utility inside the manager namespace
  scripts/lab down                    # after stopping the simulators: removes the lab
or by hand, with nothing in the machine's own namespace:
  ip netns add mgr; ip netns add sw1
  ip -n mgr link add name m0 type veth peer name eth0 netns sw1
  ip -n mgr addr add 10.201.1.2/24 dev m0; ip -n mgr link set m0 up
  ip -n sw1 addr add 10.201.1.10/24 dev eth0; ip -n sw1 link set eth0 up
  ip netns exec sw1 switch-sim --switch ip=10.201.1.10/24,iface=eth0 &
  ip netns exec mgr build/bin/portmesa
)";

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) {
    stopRequested = 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pm::sim;
    SimOptions options;
    std::vector<SwitchConfig> switches;
    std::string error;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "switch-sim: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (arg == "--config") {
            if (!LoadConfigFile(value(), options, switches, error)) {
                std::fprintf(stderr, "switch-sim: %s\n", error.c_str());
                return 2;
            }
        } else if (arg == "--switch") {
            auto c = ParseSwitchKeys(value(), error);
            if (!c) {
                std::fprintf(stderr, "switch-sim: %s\n", error.c_str());
                return 2;
            }
            switches.push_back(*c);
        } else if (arg == "--base-port") {
            options.basePort = static_cast<uint16_t>(std::stoul(value()));
        } else if (arg == "--group") {
            options.group = value();
        } else if (arg == "--image-dir") {
            options.imageDir = value();
        } else if (arg == "--any-namespace") {
            options.allowAnyNamespace = true;
        } else {
            std::fprintf(stderr, "switch-sim: unknown option %s (see --help)\n", arg.c_str());
            return 2;
        }
    }
    if (switches.empty()) {
        std::fputs("switch-sim: no switch given (see --help)\n", stderr);
        return 2;
    }
    pm::PollLoop loop;
    SwitchSim sim(loop, options, switches);
    if (!sim.Open(error)) {
        std::fprintf(stderr, "switch-sim: %s\n", error.c_str());
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    for (size_t i = 0; i < switches.size(); ++i)
        std::printf("switch %zu at %s\n", i + 1, FormatIp(switches[i].ip).c_str());
    std::fflush(stdout);
    while (!stopRequested)
        loop.Run(500);
    return 0;
}
