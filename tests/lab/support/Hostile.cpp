#include "lab/support/Hostile.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pm::lab {
namespace {

// A UDP socket made inside the namespace (a socket belongs to the namespace it was made in,
// whichever thread uses it later), bound to address:port.
int SocketIn(const std::string& ns, uint32_t address, uint16_t port) {
    int fd = -1;
    std::thread maker = StartInNamespace(ns, [&] {
        const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (s < 0)
            return;
        const int on = 1;
        ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(address);
        a.sin_port = htons(port);
        if (::bind(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
            ::close(s);
            return;
        }
        fd = s;
    });
    maker.join();
    return fd;
}

}  // namespace

HostileHost::HostileHost(Lab& lab, int segment, const std::string& cidr) {
    ns_ = lab.AddSwitch(segment, cidr);
    if (!lab.Ok())
        return;
    in_addr a{};
    if (::inet_pton(AF_INET, cidr.substr(0, cidr.find('/')).c_str(), &a) != 1)
        return;
    address_ = ntohl(a.s_addr);
    sender_ = SocketIn(ns_, address_, 0);
}

HostileHost::~HostileHost() {
    for (int fd : {sender_, listener_})
        if (fd >= 0)
            ::close(fd);
}

bool HostileHost::Send(const std::vector<uint8_t>& bytes, uint32_t to, uint16_t port) const {
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_addr.s_addr = htonl(to);
    dest.sin_port = htons(port);
    return ::sendto(sender_, bytes.data(), bytes.size(), 0,
                    reinterpret_cast<const sockaddr*>(&dest),
                    sizeof dest) == static_cast<ssize_t>(bytes.size());
}

bool HostileHost::Listen(uint16_t port) {
    listener_ = SocketIn(ns_, INADDR_ANY, port);
    return listener_ >= 0;
}

std::optional<std::vector<uint8_t>> HostileHost::Receive(int timeoutMs) const {
    pollfd p{listener_, POLLIN, 0};
    if (listener_ < 0 || ::poll(&p, 1, timeoutMs) <= 0)
        return std::nullopt;
    std::vector<uint8_t> bytes(1500);
    const ssize_t n = ::recv(listener_, bytes.data(), bytes.size(), 0);
    if (n < 0)
        return std::nullopt;
    bytes.resize(static_cast<size_t>(n));
    return bytes;
}

}  // namespace pm::lab
