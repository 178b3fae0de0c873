#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/ProgramContexts.h"
#include "config/GroupInterval.h"
#include "storage/SettingsFile.h"
#include "support/TestProgram.h"

namespace pm::test {
namespace {

class GroupIntervalTest : public ::testing::Test {
  protected:
    GroupIntervalTest() {
        p.settings.multicast_timer_flag = 1;
        p.settings.multicast_timer = 600;
        p.groupReport = {0x12, 0x00, 0xEE, 0x87, 0xEF, 0xFF, 0x4D, 0x4D};
        WriteFile(BuildSettingsFile(p.settings));
        ArmGroupReportTimer(GroupReportContextOf(p));
    }
    void WriteFile(const std::vector<uint8_t>& bytes) {
        std::ofstream out(SettingsFilePath(p.configFolder), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<uint8_t> ReadFileBytes() const {
        std::ifstream in(SettingsFilePath(p.configFolder), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The stored file as it reads at the next start-up.
    Settings Stored() const {
        Settings s;
        EXPECT_EQ(ParseSettingsFile(ReadFileBytes(), s), SettingsError::None);
        return s;
    }
    // The stored text without its trailer, unscrambled.
    std::string StoredText() const {
        auto bytes = ReadFileBytes();
        std::string text;
        for (size_t i = 0; i + 2 < bytes.size(); ++i)
            text.push_back(static_cast<char>(Unscramble(bytes[i])));
        return text;
    }

    TestProgram t;
    Program& p = t.program;
    const GroupIntervalContext context = GroupIntervalContextOf(p);
};

TEST_F(GroupIntervalTest, FormOpensWithTheCurrentInterval) {
    EXPECT_EQ(GroupIntervalFormText(p.settings), "600");
    ASSERT_TRUE(ApplyGroupInterval(context, "300"));
    EXPECT_EQ(GroupIntervalFormText(p.settings), "300");
}

TEST_F(GroupIntervalTest, AnIntervalIsStoredAndRestartsTheReport) {
    ASSERT_TRUE(ApplyGroupInterval(context, "300"));
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(p.settings.multicast_timer, 300);
    EXPECT_EQ(p.settings.multicast_timer_flag, 1);
    EXPECT_EQ(p.settings.multicast_interface_on_off, 1);

    const Settings s = Stored();
    EXPECT_EQ(s.multicast_timer_flag, 1);
    EXPECT_EQ(s.multicast_timer, 300);
    EXPECT_EQ(s.refresh_time, 15);
    const std::string text = StoredText();
    EXPECT_NE(
        text.find("multicast_timer_flag=1\r\nstrlen_multi_timer=3\r\nmulticast_timer=300\r\n"),
        std::string::npos);

    EXPECT_EQ(t.loop.PeriodOf(p.GroupReportTimer()), 300000u);
    t.loop.Advance(299999);
    EXPECT_TRUE(t.net.Of(SendKind::GroupReport).empty());
    t.loop.Advance(1);
    const auto reports = t.net.Of(SendKind::GroupReport);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].bytes, std::vector<uint8_t>(p.groupReport.begin(), p.groupReport.end()));
}

TEST_F(GroupIntervalTest, ZeroAndEmptyTurnTheReportOff) {
    struct Case {
        const char* typed;
        const char* line;
    };
    for (const Case c : {Case{"0", "strlen_multi_timer=1\r\nmulticast_timer=0\r\n"},
                         Case{"", "strlen_multi_timer=0\r\nmulticast_timer=\r\n"}}) {
        SCOPED_TRACE(c.typed);
        ASSERT_TRUE(ApplyGroupInterval(context, "300"));
        ASSERT_TRUE(ApplyGroupInterval(context, c.typed));
        EXPECT_FALSE(t.loop.TimerRunning(p.GroupReportTimer()));
        EXPECT_EQ(p.settings.multicast_timer, 0);
        EXPECT_EQ(p.settings.multicast_timer_flag, 0);
        const Settings s = Stored();
        EXPECT_EQ(s.multicast_timer_flag, 0);
        EXPECT_EQ(s.multicast_timer, 0);
        EXPECT_NE(StoredText().find(std::string("multicast_timer_flag=0\r\n") + c.line),
                  std::string::npos);
        EXPECT_EQ(GroupIntervalFormText(p.settings), "0");
    }
    t.loop.Advance(2000000);
    EXPECT_TRUE(t.net.Of(SendKind::GroupReport).empty());
}

TEST_F(GroupIntervalTest, TextIsStoredAsTyped) {
    ASSERT_TRUE(ApplyGroupInterval(context, "0120"));
    EXPECT_NE(StoredText().find("strlen_multi_timer=4\r\nmulticast_timer=0120\r\n"),
              std::string::npos);
    EXPECT_EQ(Stored().multicast_timer, 120);
    EXPECT_EQ(t.loop.PeriodOf(p.GroupReportTimer()), 120000u);
}

TEST_F(GroupIntervalTest, RangeAndDigits) {
    for (const char* ok : {"120", "1225", "0", ""}) {
        SCOPED_TRACE(ok);
        t.ui.Clear();
        EXPECT_TRUE(ApplyGroupInterval(context, ok));
        EXPECT_TRUE(t.ui.messages.empty());
    }
    ASSERT_TRUE(ApplyGroupInterval(context, "500"));
    const auto before = ReadFileBytes();
    for (const char* bad : {"119", "1226", "12a", "-5", " 300", "99999"}) {
        SCOPED_TRACE(bad);
        t.ui.Clear();
        EXPECT_FALSE(ApplyGroupInterval(context, bad));
        ASSERT_EQ(t.ui.messages.size(), 1u);
        EXPECT_EQ(t.ui.messages[0], (Message{"Value of Group Interval must between 120~1225\n ",
                                             "Error", Icon::Error, Owner::Form}));
        EXPECT_EQ(ReadFileBytes(), before);
        EXPECT_EQ(p.settings.multicast_timer, 500);
        EXPECT_EQ(t.loop.PeriodOf(p.GroupReportTimer()), 500000u);
    }
}

TEST_F(GroupIntervalTest, FileFailureStillChangesTheRunningReport) {
    std::filesystem::remove(SettingsFilePath(p.configFolder));
    ASSERT_TRUE(ApplyGroupInterval(context, "240"));
    EXPECT_FALSE(t.ui.messages.empty());
    EXPECT_EQ(p.settings.multicast_timer, 240);
    EXPECT_EQ(t.loop.PeriodOf(p.GroupReportTimer()), 240000u);
}

TEST_F(GroupIntervalTest, ADamagedSettingsFileIsLeftAloneWithOneMessage) {
    auto damaged = ReadFileBytes();
    damaged[3] ^= 0x01;
    WriteFile(damaged);
    ASSERT_TRUE(ApplyGroupInterval(context, "300"));
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{std::string(kStoreRefused)});
    EXPECT_EQ(ReadFileBytes(), damaged);
    EXPECT_EQ(t.loop.PeriodOf(p.GroupReportTimer()), 300000u);  // for this run
}

TEST_F(GroupIntervalTest, ArmingNeedsTheFlagAndAnInterval) {
    p.settings.multicast_timer_flag = 1;
    p.settings.multicast_timer = 0;
    ArmGroupReportTimer(GroupReportContextOf(p));
    EXPECT_FALSE(t.loop.TimerRunning(p.GroupReportTimer()));
    p.settings.multicast_timer = 130;
    p.settings.multicast_timer_flag = 0;
    ArmGroupReportTimer(GroupReportContextOf(p));
    EXPECT_FALSE(t.loop.TimerRunning(p.GroupReportTimer()));
    p.settings.multicast_timer_flag = 1;
    ArmGroupReportTimer(GroupReportContextOf(p));
    EXPECT_EQ(t.loop.PeriodOf(p.GroupReportTimer()), 130000u);
}

}  // namespace
}  // namespace pm::test
