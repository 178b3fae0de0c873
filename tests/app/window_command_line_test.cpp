#include <gtest/gtest.h>

#include <vector>

#include "app/WindowCommandLine.h"

namespace pm {
namespace {

std::optional<EarlyExit> Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "portmesa");
    return WindowCommandLine(static_cast<int>(args.size()), args.data(), "3.5.4");
}

TEST(WindowCommandLine, HelpAndVersionEndTheProgramAndQtKeepsTheRest) {
    EXPECT_EQ(Parse({"--version"})->text, "portmesa 3.5.4\n");
    for (const char* help : {"--help", "-h"}) {
        const auto early = Parse({"-platform", "offscreen", help});
        ASSERT_TRUE(early) << help;
        EXPECT_EQ(early->exitCode, 0);
        EXPECT_EQ(early->text.rfind("Usage: portmesa", 0), 0u);
    }
    EXPECT_FALSE(Parse({}));
    EXPECT_FALSE(Parse({"-platform", "offscreen", "-style", "Fusion"}));
    EXPECT_FALSE(Parse({"--", "--help"})) << "after -- nothing is ours";
}

}  // namespace
}  // namespace pm
