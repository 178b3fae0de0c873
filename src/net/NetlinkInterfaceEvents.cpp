#include "net/NetlinkInterfaceEvents.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace pm {

int NetlinkInterfaceEvents::Open() {
    if (fd_ >= 0)
        return fd_;
    fd_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd_ < 0)
        return -1;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        Close();
    return fd_;
}

bool NetlinkInterfaceEvents::Drain() {
    if (fd_ < 0)
        return false;
    // Every message of these groups tells of a change of a link or of an IPv4 address, so
    // only their arrival counts; a pass reads the interfaces afresh anyway.
    bool changed = false;
    alignas(nlmsghdr) char buffer[8192];
    for (int reads = 0; reads < 256; ++reads) {  // what is left keeps the socket readable
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n > 0) {
            changed = true;
        } else if (n < 0 && errno == ENOBUFS) {
            changed = true;  // notifications were lost: something changed
        } else if (!(n < 0 && errno == EINTR)) {
            break;  // nothing more waits
        }
    }
    return changed;
}

void NetlinkInterfaceEvents::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

}  // namespace pm
