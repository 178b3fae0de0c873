// The timeout arithmetic of the TFTP resends, on a clock the test sets: what the round trip
// makes of the timeout, the floor and the ceiling, back-off, Karn's rule and giving up.
#include <gtest/gtest.h>

#include <vector>

#include "upgrade/RetransmitTimeout.h"

namespace pm {
namespace {

using Step = RetransmitTimeout::Step;

// Sends one packet per round trip, each acknowledged after its round trip.
RetransmitTimeout Measured(const std::vector<uint64_t>& roundTrips) {
    RetransmitTimeout t;
    uint64_t now = 0;
    for (uint64_t rtt : roundTrips) {
        t.Sent(now, 31500);
        now += rtt;
        t.Acknowledged(now);
    }
    return t;
}

// Runs Expire at every due time until the packet is given up: the times of the resends, and
// of the give-up last.
std::vector<uint64_t> ResendsUntilGiveUp(RetransmitTimeout& t) {
    std::vector<uint64_t> at;
    for (int guard = 0; guard < 100; ++guard) {
        const uint64_t due = t.DueMs();
        EXPECT_EQ(t.Expire(due - 1), Step::Wait);  // never before its time
        const Step step = t.Expire(due);
        at.push_back(due);
        if (step == Step::GiveUp)
            return at;
    }
    ADD_FAILURE() << "never gave up";
    return at;
}

TEST(RetransmitTimeout, FollowsTheRoundTripWithinTheFloorAndTheCeiling) {
    struct Case {
        const char* name;
        std::vector<uint64_t> roundTrips;
        uint32_t timeoutMs;
    };
    for (const Case& c : std::vector<Case>{
             {"nothing measured yet", {}, 1000},
             {"one sample: srtt + 4 * srtt / 2", {40}, 120},
             {"a steady round trip loses its variation", {40, 40}, 40 + 4 * 15},
             {"a LAN's round trip of 0 ms stops at the floor", {0}, RetransmitTimeout::kFloorMs},
             {"many quick ones stay at the floor", std::vector<uint64_t>(50, 0),
              RetransmitTimeout::kFloorMs},
             {"a slow peer stops at the ceiling", {5000}, RetransmitTimeout::kCeilingMs},
             {"a jump in the round trip widens the variation", {1, 1, 1, 1, 100}, 114},
         }) {
        EXPECT_EQ(Measured(c.roundTrips).TimeoutMs(), c.timeoutMs) << c.name;
    }
}

TEST(RetransmitTimeout, BacksOffToTheCeilingAndGivesUpAfterThePatienceWithAtMostTwentyResends) {
    RetransmitTimeout t = Measured({0});
    t.Sent(1000, 31500);
    const std::vector<uint64_t> at = ResendsUntilGiveUp(t);
    ASSERT_GE(at.size(), 2u);
    EXPECT_EQ(at.back(), 1000u + 31500u);  // the give-up, not a moment before
    const size_t resends = at.size() - 1;
    EXPECT_EQ(resends, RetransmitTimeout::kMaxResends);
    // 2, 4, 8 ... 2048 ms, then 3 s apart.
    uint64_t gap = RetransmitTimeout::kFloorMs;
    uint64_t previous = 1000;
    for (size_t i = 0; i < resends; ++i) {
        EXPECT_EQ(at[i] - previous, gap) << "resend " << i + 1;
        previous = at[i];
        gap = std::min<uint64_t>(2 * gap, RetransmitTimeout::kCeilingMs);
    }
    EXPECT_EQ(t.TimeoutMs(), RetransmitTimeout::kCeilingMs);
    EXPECT_FALSE(t.Waiting());
    EXPECT_EQ(t.Expire(99999), Step::Wait);  // nothing waits any more
}

TEST(RetransmitTimeout, TheFirstPacketWaitsASecondAndStopsAtItsPatience) {
    RetransmitTimeout t;
    t.Sent(0, 9000);
    // Resends 1, 2 and 3 s apart; "device not found" at 9 s.
    EXPECT_EQ(ResendsUntilGiveUp(t), (std::vector<uint64_t>{1000, 3000, 6000, 9000}));
}

TEST(RetransmitTimeout, AResentPacketGivesNoSampleAndTheBackOffHoldsUntilACleanOne) {
    RetransmitTimeout t = Measured({0});
    t.Sent(0, 31500);
    ASSERT_EQ(t.Expire(2), Step::Resend);
    EXPECT_EQ(t.TimeoutMs(), 4u);
    t.Acknowledged(500);  // either copy's: no sample, or the timeout would jump to 1.5 s
    EXPECT_EQ(t.TimeoutMs(), 4u);
    EXPECT_FALSE(t.Waiting());
    // The next packet starts with the backed-off timeout ...
    t.Sent(500, 31500);
    EXPECT_EQ(t.DueMs(), 504u);
    // ... until one sent once is acknowledged.
    t.Acknowledged(500);
    EXPECT_EQ(t.TimeoutMs(), RetransmitTimeout::kFloorMs);
}

TEST(RetransmitTimeout, AnotherAcknowledgementRestartsThePatienceButNeverResends) {
    RetransmitTimeout t = Measured({0});
    t.Sent(0, 31500);
    ASSERT_EQ(t.Expire(2), Step::Resend);
    const uint64_t due = t.DueMs();
    t.Heard(1);  // a copy of the previous acknowledgement
    EXPECT_EQ(t.DueMs(), due);
    EXPECT_EQ(t.Expire(due - 1), Step::Wait);
    EXPECT_EQ(t.Resends(), 1u);

    t.Heard(20000);
    const std::vector<uint64_t> at = ResendsUntilGiveUp(t);
    EXPECT_EQ(at.back(), 20000u + 31500u);
    EXPECT_EQ(t.Resends(), RetransmitTimeout::kMaxResends);  // the count is per packet
}

}  // namespace
}  // namespace pm
