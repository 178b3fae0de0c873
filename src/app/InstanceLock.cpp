#include "app/InstanceLock.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fstream>

namespace pm {
namespace {

socklen_t AbstractAddress(uint16_t basePort, sockaddr_un& address) {
    const std::string name = InstanceLockName(basePort);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    // sun_path[0] stays 0: the abstract namespace.
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

std::string CommandName(int pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// Who listens on the name: connect, and read the listener's credentials.
LockHolder FindHolder(const sockaddr_un& address, socklen_t length) {
    LockHolder holder;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return holder;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
        ucred credentials{};
        socklen_t size = sizeof credentials;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
            credentials.pid > 0) {
            holder.pid = credentials.pid;
            holder.name = CommandName(credentials.pid);
        }
    }
    ::close(fd);
    return holder;
}

}  // namespace

std::string InstanceLockName(uint16_t basePort) {
    return "portmesa-base-port-" + std::to_string(basePort);
}

std::string SecondInstanceMessage(uint16_t basePort, const LockHolder& holder) {
    std::string who = "Another program";
    if (holder.pid > 0)
        who = "Another program (" + (holder.name.empty() ? std::string("process") : holder.name) +
              ", process " + std::to_string(holder.pid) + ")";
    return who + " already uses base port " + std::to_string(basePort) +
           " in this network namespace. Close it first: two copies on the same ports would "
           "take each other's replies.";
}

bool InstanceLock::Acquire(uint16_t basePort) {
    Release();
    holder_ = LockHolder{};
    sockaddr_un address;
    const socklen_t length = AbstractAddress(basePort, address);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true;  // no lock to be had: run as before rather than not at all
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const int error = errno;
        ::close(fd);
        if (error != EADDRINUSE)
            return true;
        holder_ = FindHolder(address, length);
        return false;
    }
    if (::listen(fd, 4) != 0) {
        ::close(fd);
        return true;
    }
    fd_ = fd;
    // A copy that asks who holds the lock is let in and let go at once.
    loop_.WatchReadable(fd_, [this] {
        const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (peer >= 0)
            ::close(peer);
    });
    return true;
}

void InstanceLock::Release() {
    if (fd_ < 0)
        return;
    loop_.UnwatchReadable(fd_);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace pm
