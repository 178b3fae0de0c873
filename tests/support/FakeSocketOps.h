#pragma once
// Socket calls recorded instead of made: every socket gets a number from 100 up, and a test
// makes chosen calls fail with chosen errors.
#include <cerrno>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "net/SocketOps.h"

namespace pm::test {

struct FakeSocket {
    bool raw = false;
    bool open = true;
    bool reuse = false;
    bool broadcast = false;
    uint32_t boundAddress = 0;
    int boundPort = -1;
    uint32_t device = 0;
    std::vector<uint32_t> groups;  // joined groups
    uint32_t multicastIfAddress = 0;
    uint32_t multicastIfIndex = 0;
};

struct FakeSend {
    int fd;
    std::vector<uint8_t> bytes;
    uint32_t address;
    uint16_t port;
    uint32_t ifindex;
    uint32_t source;  // the local address the copy leaves from
};

struct FakeDatagram {
    std::vector<uint8_t> bytes;
    uint32_t from = 0;
    uint16_t port = 0;
};

class FakeSocketOps : public SocketOps {
  public:
    int OpenUdp() override { return Open(false, openUdpError); }
    int OpenRawIgmp() override { return Open(true, openRawError); }
    int EnableReuse(int fd) override { return sockets.at(fd).reuse = true, 0; }
    int EnableBroadcast(int fd) override { return sockets.at(fd).broadcast = true, 0; }
    int Bind(int fd, uint32_t address, uint16_t port) override {
        if (FailsOn(bindFailPorts, port))
            return -EADDRINUSE;
        sockets.at(fd).boundAddress = address;
        sockets.at(fd).boundPort = port;
        return 0;
    }
    int BindToInterface(int fd, uint32_t ifindex) override {
        return sockets.at(fd).device = ifindex, 0;
    }
    int JoinGroup(int fd, uint32_t group, uint32_t, uint32_t) override {
        if (joinError)
            return -joinError;
        sockets.at(fd).groups.push_back(group);
        return 0;
    }
    int SetMulticastInterface(int fd, uint32_t address, uint32_t ifindex) override {
        sockets.at(fd).multicastIfAddress = address;
        sockets.at(fd).multicastIfIndex = ifindex;
        return 0;
    }
    int SendTo(int fd, const uint8_t* data, size_t n, uint32_t address, uint16_t port,
               uint32_t ifindex, uint32_t source) override {
        if (!sockets.at(fd).open)
            return -EBADF;
        if (!sendErrors.empty()) {
            const int e = sendErrors.front();
            sendErrors.pop_front();
            if (e)
                return -e;
        }
        sends.push_back({fd, std::vector<uint8_t>(data, data + n), address, port, ifindex, source});
        return static_cast<int>(n);
    }
    int ReceiveFrom(int fd, uint8_t* buffer, size_t capacity, uint32_t& from,
                    uint16_t& port) override {
        auto& q = inbox[fd];
        if (q.empty())
            return -EAGAIN;
        FakeDatagram d = q.front();
        q.pop_front();
        const size_t n = std::min(capacity, d.bytes.size());
        std::copy(d.bytes.begin(), d.bytes.begin() + static_cast<long>(n), buffer);
        from = d.from;
        port = d.port;
        return static_cast<int>(n);
    }
    void Close(int fd) override { sockets.at(fd).open = false; }

    // The open UDP socket bound to port (and address, when given), or -1.
    int BoundTo(uint16_t port, uint32_t address = 0) const {
        for (const auto& [fd, s] : sockets)
            if (s.open && !s.raw && s.boundPort == port &&
                (address == 0 || s.boundAddress == address))
                return fd;
        return -1;
    }
    int OpenCount() const {
        int n = 0;
        for (const auto& [fd, s] : sockets)
            n += s.open;
        return n;
    }

    std::map<int, FakeSocket> sockets;
    std::vector<FakeSend> sends;
    std::map<int, std::deque<FakeDatagram>> inbox;
    int openUdpError = 0;  // every UDP open fails with it while set
    int openRawError = 0;
    std::vector<int> bindFailPorts;
    int joinError = 0;
    std::deque<int> sendErrors;  // consumed one per send; 0 lets that send through
    int created = 0;

  private:
    static bool FailsOn(const std::vector<int>& ports, int port) {
        for (int p : ports)
            if (p == port)
                return true;
        return false;
    }
    int Open(bool raw, int error) {
        if (error)
            return -error;
        const int fd = 100 + created++;
        sockets[fd].raw = raw;
        return fd;
    }
};

}  // namespace pm::test
