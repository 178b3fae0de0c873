#pragma once
// Simulated switches: the device side of the management protocol and the TFTP upgrade,
// run on an EventLoop. All switches of one simulator share one socket on the device port
// (P + 2) and one on port 69 of the network namespace they run in; a request to a
// switch's address goes to that switch, a broadcast or multicast to every switch. Replies
// leave from the switch's own address through the interface the request came in on.
//
// The observers and Update() may be called from another thread than the loop's.
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "base/EventLoop.h"
#include "switch-sim/SimConfig.h"

namespace pm::sim {

// One request as a switch saw it.
struct SeenRequest {
    size_t sw = 0;
    uint16_t command = 0;
    std::array<uint8_t, 6> senderMac{};
    uint32_t from = 0;  // host order
    uint16_t fromPort = 0;
    uint32_t to = 0;  // destination address of the datagram
    uint32_t ifindex = 0;
    std::vector<uint8_t> bytes;  // the datagram as it arrived
    size_t length = 0;           // bytes of the datagram
};

// True when the calling thread runs in a network namespace listed under /run/netns.
bool InNamedNetworkNamespace();

class SwitchSim {
  public:
    SwitchSim(EventLoop& loop, SimOptions options, std::vector<SwitchConfig> switches);
    ~SwitchSim();
    SwitchSim(const SwitchSim&) = delete;
    SwitchSim& operator=(const SwitchSim&) = delete;

    // Opens the sockets and joins the group on every interface; false with a reason.
    bool Open(std::string& error);
    void Close();

    std::vector<SeenRequest> Requests() const;
    void ClearRequests();
    SwitchConfig Config(size_t sw) const;
    void Update(size_t sw, const std::function<void(SwitchConfig&)>& change);
    // The last image received completely, its file name, and how many upgrades finished.
    std::vector<uint8_t> Image(size_t sw) const;
    std::string ImageName(size_t sw) const;
    int Upgrades(size_t sw) const;
    bool Rebooting(size_t sw) const;
    size_t Count() const { return switches_.size(); }

  private:
    struct Tftp {
        bool active = false;
        uint16_t expected = 1;
        std::vector<uint8_t> data;
        std::string name;
    };
    struct Switch {
        SwitchConfig config;
        std::mt19937 rng;
        bool triggered = false;
        uint64_t silentUntil = 0;
        Tftp tftp;
        std::vector<uint8_t> image;
        std::string imageName;
        int upgrades = 0;
        // After the last block: a copy of it sent again means our acknowledgement was lost,
        // so it is acknowledged again until dallyUntil, even while the switch restarts.
        uint16_t dallyBlock = 0;
        uint64_t dallyUntil = 0;
    };
    struct Datagram {
        std::vector<uint8_t> bytes;
        uint32_t from = 0;
        uint16_t fromPort = 0;
        uint32_t to = 0;
        uint32_t ifindex = 0;
    };

    void OnDevice();
    void OnTftp();
    bool Receive(int fd, Datagram& d);
    bool Lost(Switch& s);
    bool LostReply(Switch& s);
    void HandleRequest(size_t index, const Datagram& d);
    void HandleTftp(size_t index, const Datagram& d);
    void Reply(Switch& s, const Datagram& request, uint16_t command, uint8_t result,
               bool withFields, uint32_t source = 0);
    void SendFrom(int fd, uint32_t source, const std::vector<uint8_t>& bytes, uint32_t to,
                  uint16_t port, uint32_t ifindex);
    void SendTftpPacket(Switch& s, const Datagram& d, const std::vector<uint8_t>& bytes);
    void Readdress(Switch& s, uint32_t oldIp, uint32_t oldMask);
    bool Silent(const Switch& s) const;

    EventLoop& loop_;
    SimOptions options_;
    uint32_t group_ = 0;
    std::vector<Switch> switches_;
    std::vector<SeenRequest> requests_;
    int device_ = -1;
    int tftp_ = -1;
    mutable std::mutex mutex_;
};

}  // namespace pm::sim
