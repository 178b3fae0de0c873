#pragma once
// The few socket calls the SocketTable makes, behind one small interface so the table's
// bookkeeping (slots, bindings, which socket sends what) is tested with a recorder and the
// real calls are tested in the namespace lab. Addresses and ports are host order; every
// call returns a value >= 0 on success or -errno.
#include <cstddef>
#include <cstdint>

namespace pm {

class SocketOps {
  public:
    virtual ~SocketOps() = default;
    // A non-blocking, close-on-exec UDP socket that only gets the groups it joined itself.
    virtual int OpenUdp() = 0;
    // A raw IPv4 socket for IGMP (needs CAP_NET_RAW).
    virtual int OpenRawIgmp() = 0;
    virtual int EnableReuse(int fd) = 0;
    virtual int EnableBroadcast(int fd) = 0;
    virtual int Bind(int fd, uint32_t address, uint16_t port) = 0;
    // Receives only what arrives on that interface (by index, so a rename does not matter).
    virtual int BindToInterface(int fd, uint32_t ifindex) = 0;
    virtual int JoinGroup(int fd, uint32_t group, uint32_t localAddress, uint32_t ifindex) = 0;
    virtual int SetMulticastInterface(int fd, uint32_t localAddress, uint32_t ifindex) = 0;
    // One datagram, leaving through interface ifindex from local address source (0 for
    // both: as routed).
    virtual int SendTo(int fd, const uint8_t* data, size_t length, uint32_t address, uint16_t port,
                       uint32_t ifindex, uint32_t source) = 0;
    // One waiting datagram, cut to capacity; -EAGAIN when none waits.
    virtual int ReceiveFrom(int fd, uint8_t* buffer, size_t capacity, uint32_t& fromAddress,
                            uint16_t& fromPort) = 0;
    virtual void Close(int fd) = 0;
};

// The real calls.
class PosixSocketOps : public SocketOps {
  public:
    int OpenUdp() override;
    int OpenRawIgmp() override;
    int EnableReuse(int fd) override;
    int EnableBroadcast(int fd) override;
    int Bind(int fd, uint32_t address, uint16_t port) override;
    int BindToInterface(int fd, uint32_t ifindex) override;
    int JoinGroup(int fd, uint32_t group, uint32_t localAddress, uint32_t ifindex) override;
    int SetMulticastInterface(int fd, uint32_t localAddress, uint32_t ifindex) override;
    int SendTo(int fd, const uint8_t* data, size_t length, uint32_t address, uint16_t port,
               uint32_t ifindex, uint32_t source) override;
    int ReceiveFrom(int fd, uint8_t* buffer, size_t capacity, uint32_t& fromAddress,
                    uint16_t& fromPort) override;
    void Close(int fd) override;
};

}  // namespace pm
