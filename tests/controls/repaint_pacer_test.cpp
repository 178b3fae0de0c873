// When a list view draws its changes, on a clock the test sets.
#include <gtest/gtest.h>

#include "controls/RepaintPacer.h"

namespace pm {
namespace {

constexpr uint64_t kFrame = RepaintPacer::kFrameMs;

TEST(RepaintPacer, AChangeAfterAQuietFrameIsDrawnAtOnce) {
    RepaintPacer p;
    EXPECT_FALSE(p.Hold(5));  // nothing drawn yet
    p.Painted(100);
    EXPECT_FALSE(p.Hold(100 + kFrame));
    EXPECT_FALSE(p.Hold(100 + 10 * kFrame));
    EXPECT_FALSE(p.Holding());
}

TEST(RepaintPacer, ChangesWithinAFrameOfAPaintWaitForTheFrameToEndTogether) {
    RepaintPacer p;
    p.Painted(100);
    ASSERT_TRUE(p.Hold(101));
    EXPECT_EQ(p.DueMs(), 100 + kFrame);
    // Later changes join the hold that is there.
    EXPECT_FALSE(p.Hold(102));
    EXPECT_FALSE(p.Hold(100 + kFrame - 1));
    EXPECT_TRUE(p.Holding());
    p.Release();
    p.Painted(100 + kFrame);
    // A burst that goes on is drawn once per frame.
    EXPECT_TRUE(p.Hold(100 + kFrame + 3));
    EXPECT_EQ(p.DueMs(), 100 + 2 * kFrame);
}

}  // namespace
}  // namespace pm
