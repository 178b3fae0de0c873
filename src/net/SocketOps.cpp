#include "net/SocketOps.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pm {

namespace {

int Result(int rc) {
    return rc < 0 ? -errno : rc;
}

int SetInt(int fd, int level, int name, int value) {
    return Result(::setsockopt(fd, level, name, &value, sizeof value));
}

sockaddr_in Endpoint(uint32_t address, uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(address);
    sa.sin_port = htons(port);
    return sa;
}

}  // namespace

int PosixSocketOps::OpenUdp() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0)
        return -errno;
    // Without this a socket also gets a group that another socket joined on another interface.
    SetInt(fd, IPPROTO_IP, IP_MULTICAST_ALL, 0);
    // Room for a burst: the default buffer holds some 250 short datagrams, fewer than the
    // replies of two full tables of switches answering one discovery request at once. The
    // kernel caps this at net.core.rmem_max; less room is no failure.
    SetInt(fd, SOL_SOCKET, SO_RCVBUF, 1 << 20);
    return fd;
}

int PosixSocketOps::OpenRawIgmp() {
    return Result(::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_IGMP));
}

int PosixSocketOps::EnableReuse(int fd) {
    return SetInt(fd, SOL_SOCKET, SO_REUSEADDR, 1);
}

int PosixSocketOps::EnableBroadcast(int fd) {
    return SetInt(fd, SOL_SOCKET, SO_BROADCAST, 1);
}

int PosixSocketOps::Bind(int fd, uint32_t address, uint16_t port) {
    const sockaddr_in sa = Endpoint(address, port);
    return Result(::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa));
}

int PosixSocketOps::BindToInterface(int fd, uint32_t ifindex) {
    return SetInt(fd, SOL_SOCKET, SO_BINDTOIFINDEX, static_cast<int>(ifindex));
}

int PosixSocketOps::JoinGroup(int fd, uint32_t group, uint32_t localAddress, uint32_t ifindex) {
    ip_mreqn mreq{};
    mreq.imr_multiaddr.s_addr = htonl(group);
    mreq.imr_address.s_addr = htonl(localAddress);
    mreq.imr_ifindex = static_cast<int>(ifindex);
    return Result(::setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &mreq, sizeof mreq));
}

int PosixSocketOps::SetMulticastInterface(int fd, uint32_t localAddress, uint32_t ifindex) {
    ip_mreqn mreq{};
    mreq.imr_address.s_addr = htonl(localAddress);
    mreq.imr_ifindex = static_cast<int>(ifindex);
    return Result(::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &mreq, sizeof mreq));
}

int PosixSocketOps::SendTo(int fd, const uint8_t* data, size_t length, uint32_t address,
                           uint16_t port, uint32_t ifindex, uint32_t source) {
    sockaddr_in to = Endpoint(address, port);
    iovec iov{const_cast<uint8_t*>(data), length};
    msghdr msg{};
    msg.msg_name = &to;
    msg.msg_namelen = sizeof to;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    // The outgoing interface rides on each datagram: broadcasts and multicasts then leave
    // through the interface they are meant for, and a device outside every local subnet is
    // reached on-link through each interface in turn. The source rides along too: left at 0,
    // the kernel would pick the interface's first address for every copy, whichever address
    // the socket is bound to.
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    if (ifindex != 0 || source != 0) {
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&msg);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_ifindex = static_cast<int>(ifindex);
        info.ipi_spec_dst.s_addr = htonl(source);
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
    }
    return Result(static_cast<int>(::sendmsg(fd, &msg, MSG_NOSIGNAL)));
}

int PosixSocketOps::ReceiveFrom(int fd, uint8_t* buffer, size_t capacity, uint32_t& fromAddress,
                                uint16_t& fromPort) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n = ::recvfrom(fd, buffer, capacity, MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0)
        return -errno;
    fromAddress = ntohl(from.sin_addr.s_addr);
    fromPort = ntohs(from.sin_port);
    return static_cast<int>(n);
}

void PosixSocketOps::Close(int fd) {
    if (fd >= 0)
        ::close(fd);
}

}  // namespace pm
