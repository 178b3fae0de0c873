// Upgrade progress without a line per block, in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/UpgradeProgress.h"
#include "support/VirtualLoop.h"

namespace pm::cli {
namespace {

constexpr uint32_t kBlock = 512;

struct Printed {
    std::string text;
    uint64_t atMs;
};

// Sends an image block by block, one block every msPerBlock, as the transfer reports them.
std::vector<Printed> Send(ProgressStyle style, uint32_t size, uint64_t msPerBlock) {
    test::VirtualLoop loop;
    std::vector<Printed> out;
    ProgressReport report(style, [&](const std::string& s) { out.push_back({s, loop.NowMs()}); });
    for (uint32_t sent = 0;;) {
        sent = std::min(size, sent + kBlock);
        report.Update(sent, size, loop.NowMs());
        if (sent == size)
            break;
        loop.Advance(msPerBlock);
    }
    report.Update(size, size, loop.NowMs());  // a resend of the last block says nothing new
    report.Break();
    return out;
}

int PercentOf(const std::string& line) {
    const size_t at = line.find("upgrade ") + 8;
    return std::stoi(line.substr(at));
}

TEST(UpgradeProgress, PipedALinePerTenthOrPerSecond) {
    const uint32_t size = 4 * 1024 * 1024;  // 8192 blocks
    struct Case {
        const char* name;
        uint64_t msPerBlock;
        size_t most;  // the tenths, the start, and one a second
    };
    for (const Case& c : {Case{"fast", 1, 11 + 9}, Case{"slow", 20, 11 + 164}}) {
        const auto lines = Send(ProgressStyle::Lines, size, c.msPerBlock);
        ASSERT_FALSE(lines.empty());
        EXPECT_LE(lines.size(), c.most) << c.name;
        EXPECT_GE(lines.size(), 11u) << c.name << ": at least every tenth";
        int lastPercent = -1;
        uint64_t lastMs = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            const auto& line = lines[i].text;
            EXPECT_EQ(line.rfind("portmesa-cli: info: upgrade ", 0), 0u) << line;
            EXPECT_EQ(line.back(), '\n');
            const int percent = PercentOf(line);
            // Each line is owed to a new tenth or to a second gone by.
            if (i > 0) {
                EXPECT_TRUE(percent / 10 > lastPercent / 10 || lines[i].atMs - lastMs >= 1000)
                    << c.name << ": " << line;
            }
            lastPercent = percent;
            lastMs = lines[i].atMs;
        }
        EXPECT_NE(lines.back().text.find("100% (4194304/4194304 bytes"), std::string::npos);
    }
}

TEST(UpgradeProgress, OnATerminalOneLineRewrittenTenTimesASecondAtMost) {
    const uint32_t size = 1024 * 1024;  // 2048 blocks, 2 ms each: about 4 s
    const auto writes = Send(ProgressStyle::InPlace, size, 2);
    ASSERT_GE(writes.size(), 3u);
    EXPECT_LE(writes.size(), 4096u / 100u + 3u);
    for (size_t i = 0; i + 2 < writes.size(); ++i) {
        EXPECT_EQ(writes[i].text.front(), '\r');
        EXPECT_EQ(writes[i].text.find('\n'), std::string::npos) << "stays on its line";
    }
    EXPECT_NE(writes[writes.size() - 2].text.find("100%"), std::string::npos);
    EXPECT_EQ(writes.back().text, "\n") << "the finished line is ended once";
}

TEST(UpgradeProgress, TextSaysPercentBytesRateAndTimeLeft) {
    EXPECT_EQ(ProgressText(1048576, 4194304, 0, 2000),
              "25% (1048576/4194304 bytes, 512 KiB/s, 6 s left)");
    EXPECT_EQ(ProgressText(2097152, 4194304, 0, 1000),
              "50% (2097152/4194304 bytes, 2.0 MiB/s, 1 s left)");
    EXPECT_EQ(ProgressText(8192, 4194304, 512, 100), "0% (8192/4194304 bytes)")
        << "no rate before time has passed";
    EXPECT_EQ(ProgressText(0, 0, 0, 0), "100% (0/0 bytes)");
    EXPECT_EQ(ProgressText(1024, 1024 * 1024, 0, 1000),
              "0% (1024/1048576 bytes, 1 KiB/s, 17 min 3 s left)");
}

}  // namespace
}  // namespace pm::cli
