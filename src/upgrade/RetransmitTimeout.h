#pragma once
// When to resend a packet that waits for its acknowledgement, and when to give up on it.
//
// The timeout follows the measured round trip as TCP's does (RFC 6298): a smoothed round
// trip plus four times its variation, kept between a floor of a few milliseconds and a
// ceiling of 3 s, doubled on every resend and kept doubled until a packet that was sent
// only once is acknowledged again. A packet that was resent gives no sample (Karn's rule):
// its acknowledgement may answer either copy. The first packet, with nothing measured yet,
// waits a second.
//
// Giving up goes by time, not by count: a packet is given up once nothing at all has been
// acknowledged for its patience, and it is resent at most 20 times in between (after the
// last resend it only waits). Plain arithmetic on a millisecond clock that the caller reads.
#include <cstdint>

namespace pm {

class RetransmitTimeout {
  public:
    static constexpr uint32_t kFloorMs = 2;
    static constexpr uint32_t kCeilingMs = 3000;
    static constexpr uint32_t kInitialMs = 1000;
    static constexpr uint32_t kMaxResends = 20;

    enum class Step { Wait, Resend, GiveUp };

    // A new packet leaves at nowMs; it is given up after patienceMs without an acknowledgement.
    void Sent(uint64_t nowMs, uint32_t patienceMs);
    // Its acknowledgement arrived: a round-trip sample unless it was resent. Nothing waits then.
    void Acknowledged(uint64_t nowMs);
    // Some other acknowledgement arrived (a copy, an earlier packet's): the peer is alive, so
    // the patience starts again; nothing is resent for it and nothing is measured.
    void Heard(uint64_t nowMs);
    // Stops waiting without a sample.
    void Cancel() { waiting_ = false; }

    // What to do at nowMs. Resend counts the resend and backs the timeout off; Wait also
    // comes before the due time. Call it at DueMs() (a late call is fine).
    Step Expire(uint64_t nowMs);
    // When Expire has something to do next: the resend or the give-up, whichever is first.
    uint64_t DueMs() const;

    bool Waiting() const { return waiting_; }
    uint32_t TimeoutMs() const { return timeoutMs_; }
    uint32_t Resends() const { return resends_; }

  private:
    void Sample(uint64_t rttMs);

    bool measured_ = false;
    double srttMs_ = 0;
    double rttvarMs_ = 0;
    uint32_t timeoutMs_ = kInitialMs;

    bool waiting_ = false;
    uint64_t sentMs_ = 0;
    uint64_t resendMs_ = 0;
    uint64_t giveUpMs_ = 0;
    uint32_t patienceMs_ = 0;
    uint32_t resends_ = 0;
};

}  // namespace pm
