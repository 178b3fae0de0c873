#pragma once
// A transport that records every send instead of touching the network.
#include <array>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "net/Transport.h"

namespace pm::test {

enum class SendKind { Broadcast, Multicast, ToDevice, Tftp, GroupReport };

struct Sent {
    SendKind kind;
    std::vector<uint8_t> bytes;
    uint32_t address = 0;  // ToDevice / Tftp
    uint32_t mask = 0;     // Tftp
    uint16_t port = 0;     // Tftp
};

class FakeTransport : public Transport {
  public:
    int SendBroadcast(uint8_t* p, size_t n) override { return Record(SendKind::Broadcast, p, n); }
    int SendMulticast(uint8_t* p, size_t n) override { return Record(SendKind::Multicast, p, n); }
    int SendToDevice(uint32_t a, uint8_t* p, size_t n) override {
        return Record(SendKind::ToDevice, p, n, a);
    }
    int SendTftp(uint32_t a, uint32_t m, const uint8_t* p, size_t n, uint16_t port) override {
        return Record(SendKind::Tftp, p, n, a, m, port);
    }
    int SendGroupReport(const uint8_t* p, size_t n) override {
        return Record(SendKind::GroupReport, p, n);
    }
    int LastError() const override { return lastError; }
    bool AttachTftpWindow(std::function<void(int)> handler) override {
        tftpHandler = std::move(handler);
        ++attachCount;
        return attachSucceeds;
    }
    int ReceiveFromEvent(int, uint8_t* buffer, size_t capacity, uint32_t& from,
                         uint16_t& port) override {
        if (inbox.empty())
            return -1;
        auto d = inbox.front();
        inbox.pop_front();
        const size_t n = d.size() < capacity ? d.size() : capacity;
        std::copy(d.begin(), d.begin() + static_cast<long>(n), buffer);
        from = inboxFrom;
        port = 69;
        return static_cast<int>(n);
    }

    std::vector<Sent> Of(SendKind kind) const {
        std::vector<Sent> out;
        for (const auto& s : sent)
            if (s.kind == kind)
                out.push_back(s);
        return out;
    }

    std::vector<Sent> sent;
    // Fail the sends of these kinds with failErrno.
    std::vector<SendKind> failKinds;
    int failErrno = 101;
    int lastError = 0;
    std::function<void(int)> tftpHandler;
    int attachCount = 0;
    bool attachSucceeds = true;
    std::deque<std::vector<uint8_t>> inbox;
    uint32_t inboxFrom = 0;
    // Written into bytes 20-25 of device-protocol sends, as the real transport does.
    std::array<uint8_t, 6> interfaceMac{0x02, 0, 0, 0, 0, 0x01};

  private:
    int Record(SendKind kind, const uint8_t* p, size_t n, uint32_t a = 0, uint32_t m = 0,
               uint16_t port = 0) {
        for (auto k : failKinds)
            if (k == kind) {
                lastError = failErrno;
                return -1;
            }
        std::vector<uint8_t> bytes(p, p + n);
        if ((kind == SendKind::Broadcast || kind == SendKind::Multicast ||
             kind == SendKind::ToDevice) &&
            n >= 26) {
            std::copy(interfaceMac.begin(), interfaceMac.end(), const_cast<uint8_t*>(p) + 20);
            std::copy(interfaceMac.begin(), interfaceMac.end(), bytes.begin() + 20);
        }
        sent.push_back({kind, std::move(bytes), a, m, port});
        return 0;
    }
};

}  // namespace pm::test
