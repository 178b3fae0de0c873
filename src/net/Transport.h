#pragma once
// What the rest of the program needs of the transport. The real one is the SocketTable on
// POSIX sockets; tests use a recorder. Sends return 0 or -1 (stopped at the first failed
// copy; LastError() then holds the errno of that failure).
#include <cstddef>
#include <cstdint>
#include <functional>

namespace pm {

class Transport {
  public:
    virtual ~Transport() = default;
    // One copy per local interface, out of that interface, its MAC written into bytes 20-25.
    virtual int SendBroadcast(uint8_t* packet, size_t length) = 0;
    virtual int SendMulticast(uint8_t* packet, size_t length) = 0;
    // Unicast to deviceAddress (host order) through the bindings on its subnet, or through
    // every binding when none matches.
    virtual int SendToDevice(uint32_t deviceAddress, uint8_t* packet, size_t length) = 0;
    // TFTP unicast; the subnet test applies the longer of targetMask and the binding's mask.
    virtual int SendTftp(uint32_t deviceAddress, uint32_t targetMask, const uint8_t* packet,
                         size_t length, uint16_t port) = 0;
    virtual int SendGroupReport(const uint8_t* report, size_t length) = 0;
    virtual int LastError() const = 0;

    // The TFTP sockets' read events go to this handler (the firmware form) with their event
    // identifier; returns false when a registration failed.
    virtual bool AttachTftpWindow(std::function<void(int eventId)> handler) = 0;
    // Reads one datagram from the socket behind eventId. Returns its length (cut to
    // capacity) or -1; fromAddress is host order.
    virtual int ReceiveFromEvent(int eventId, uint8_t* buffer, size_t capacity,
                                 uint32_t& fromAddress, uint16_t& fromPort) = 0;
};

}  // namespace pm
