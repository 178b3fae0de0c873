#pragma once
#include "net/InterfaceEvents.h"

namespace pm {

// The kernel's link and IPv4 address notifications (rtnetlink groups RTMGRP_LINK and
// RTMGRP_IPV4_IFADDR) of the current network namespace, on a non-blocking netlink socket.
class NetlinkInterfaceEvents : public InterfaceEvents {
  public:
    NetlinkInterfaceEvents() = default;
    ~NetlinkInterfaceEvents() override { Close(); }
    NetlinkInterfaceEvents(const NetlinkInterfaceEvents&) = delete;
    NetlinkInterfaceEvents& operator=(const NetlinkInterfaceEvents&) = delete;

    int Open() override;
    bool Drain() override;
    void Close() override;

  private:
    int fd_ = -1;
};

}  // namespace pm
