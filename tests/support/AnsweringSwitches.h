#pragma once
// The switches of a test program's monitor list, answering each poll a fixed time after it
// leaves (unless silenced), through the real receiver, in virtual time. Time moves in 10 ms
// steps; the program's timers fire on whole seconds, so a poll leaves at a step's end.
#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/ProgramContexts.h"
#include "protocol/HandleDatagram.h"
#include "protocol/ProtocolHeader.h"
#include "support/TestProgram.h"

namespace pm::test {

// A bare reply (no fields) from the monitored switch at this address, through the real
// receiver; nothing when no monitored switch has that address.
inline void ReplyAsMonitored(Program& p, uint32_t address) {
    for (int i = 0; i < p.lists.monitorList.GetItemCount(kStateAny); ++i) {
        const DeviceRecord& e = p.lists.monitor[static_cast<size_t>(i)];
        if (e.ip != address)
            continue;
        ProtocolHeader h;
        h.major = 2;
        h.minor = 1;
        h.revision = 3;
        h.command = static_cast<uint16_t>(Command::DiscoverReply);
        h.header_id = p.settings.header_id;
        for (size_t b = 0; b < 6; ++b)
            h.device_mac[b] = static_cast<uint8_t>(
                std::stoi(std::string(TextOf(e.mac_text).substr(2 * b, 2)), nullptr, 16));
        std::array<uint8_t, kHeaderSize> datagram{};
        h.Encode(datagram);
        HandleDatagram(ReceiverOf(p), datagram.data(), datagram.size(), address);
        return;
    }
}

class AnsweringSwitches {
  public:
    static constexpr uint64_t kStepMs = 10;

    AnsweringSwitches(TestProgram& t, uint64_t replyDelayMs) : t_(t), delayMs_(replyDelayMs) {}

    // Advances ms of virtual time; afterEach runs after every step and every reply, as a
    // front-end looks at the tables after every handler.
    void RunFor(uint64_t ms, const std::function<void()>& afterEach = {}) {
        for (uint64_t done = 0; done < ms; done += kStepMs) {
            t_.loop.Advance(kStepMs);
            if (afterEach)
                afterEach();
            for (; seen_ < t_.net.sent.size(); ++seen_) {
                const auto& s = t_.net.sent[seen_];
                if (s.kind == SendKind::ToDevice && !silent.count(s.address))
                    due_.push_back({s.address, t_.loop.NowMs() + delayMs_});
            }
            for (auto it = due_.begin(); it != due_.end();) {
                if (it->atMs > t_.loop.NowMs()) {
                    ++it;
                    continue;
                }
                Reply(it->address);
                it = due_.erase(it);
                if (afterEach)
                    afterEach();
            }
        }
    }

    // Addresses (host order) that do not answer.
    std::set<uint32_t> silent;

  private:
    struct Due {
        uint32_t address;
        uint64_t atMs;
    };

    // A bare reply (no fields) from the monitored switch at this address.
    void Reply(uint32_t address) { ReplyAsMonitored(t_.program, address); }

    TestProgram& t_;
    uint64_t delayMs_;
    size_t seen_ = 0;
    std::vector<Due> due_;
};

}  // namespace pm::test
