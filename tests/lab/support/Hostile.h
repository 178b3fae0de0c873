#pragma once
// A host on a lab segment that is not a switch: it sends crafted datagrams from its own
// namespace and address, and can listen on a port to hear what the utility broadcasts, as
// any host sharing the switches' LAN can.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lab/support/Lab.h"

namespace pm::lab {

class HostileHost {
  public:
    // Adds the host's namespace to the lab, eth0 holding cidr ("10.201.1.66/24").
    HostileHost(Lab& lab, int segment, const std::string& cidr);
    ~HostileHost();
    HostileHost(const HostileHost&) = delete;
    HostileHost& operator=(const HostileHost&) = delete;

    bool Ok() const { return sender_ >= 0; }
    uint32_t Address() const { return address_; }  // host order
    const std::string& Namespace() const { return ns_; }

    // Sends bytes to to:port (host order) from the host's address.
    bool Send(const std::vector<uint8_t>& bytes, uint32_t to, uint16_t port) const;
    // Listens on 0.0.0.0:port (broadcasts included); Receive waits at most timeoutMs.
    bool Listen(uint16_t port);
    std::optional<std::vector<uint8_t>> Receive(int timeoutMs) const;

  private:
    std::string ns_;
    uint32_t address_ = 0;
    int sender_ = -1;
    int listener_ = -1;
};

}  // namespace pm::lab
