// The busy mark of a discovery, in virtual time.
#include <gtest/gtest.h>

#include <vector>

#include "app/DiscoveryBusy.h"
#include "support/VirtualLoop.h"

namespace pm {
namespace {

TEST(DiscoveryBusy, ShowsForAWhileAfterEachDiscoveryAndNotAfterAFailedOne) {
    test::VirtualLoop loop;
    std::vector<bool> shown;
    DiscoveryBusy busy(loop, [&](bool b) { shown.push_back(b); });

    busy.Started(0);
    EXPECT_TRUE(busy.Busy());
    loop.Advance(kDiscoveryBusyMs - 1);
    EXPECT_TRUE(busy.Busy());
    busy.Started(0);  // a second discovery: the period starts again, shown once
    loop.Advance(kDiscoveryBusyMs - 1);
    EXPECT_TRUE(busy.Busy());
    loop.Advance(1);
    EXPECT_FALSE(busy.Busy());
    EXPECT_EQ(shown, (std::vector<bool>{true, false}));

    busy.Started(0);
    busy.Started(-1);  // the sends failed: nothing to wait for
    EXPECT_FALSE(busy.Busy());
    EXPECT_FALSE(loop.TimerRunning(busy.Timer()));
    busy.Started(-1);
    EXPECT_EQ(shown, (std::vector<bool>{true, false, true, false}));
}

TEST(DiscoveryBusy, EndsItsTimerWithIt) {
    test::VirtualLoop loop;
    auto busy = std::make_unique<DiscoveryBusy>(loop, nullptr);
    busy->Started(0);
    const TimerKey timer = busy->Timer();
    busy.reset();
    EXPECT_FALSE(loop.TimerRunning(timer));
}

}  // namespace
}  // namespace pm
