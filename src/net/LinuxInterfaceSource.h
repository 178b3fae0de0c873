#pragma once
#include "net/InterfaceSource.h"

namespace pm {

// The adapters of the current network namespace from getifaddrs(): interfaces that are up
// and running, loopback left out, each with its MAC (AF_PACKET) and its IPv4 addresses and
// masks in the kernel's order (primary first, secondary addresses as further rows).
class LinuxInterfaceSource : public InterfaceSource {
  public:
    AdapterSnapshot ReadAdapters() override;
};

}  // namespace pm
