// Desktop notifications and the summary of the monitor list: one notice per transition of a
// switch, however many refresh ticks log it, in virtual time with a recording sink.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/AliveWatch.h"
#include "app/MonitorPolling.h"
#include "app/MonitorSummary.h"
#include "storage/EventLog.h"
#include "support/AnsweringSwitches.h"
#include "support/MonitoredDevices.h"

namespace pm {
namespace {

using test::AddMonitored;
using test::MakeDevice;

struct RecordingSink : NotificationSink {
    void Notify(const DesktopNotice& n) override { notices.push_back(n); }
    std::vector<DesktopNotice> notices;
};

class AliveWatchTest : public ::testing::Test {
  protected:
    AliveWatchTest() {
        CreateDiscoveryColumns(p.lists, p.settings);
        CreateMonitorColumns(p.lists, p.settings);
    }
    // Reviews after every step and reply, as the window does after every change of the list.
    void RunFor(uint64_t ms) {
        switches.RunFor(ms, [this] { NotifyAliveChanges(watch, p.lists, sink); });
    }
    size_t NotAliveLines() const {
        std::ifstream in(LogFilePath(p.configFolder), std::ios::binary);
        const std::string log{std::istreambuf_iterator<char>(in), {}};
        size_t n = 0;
        for (size_t at = log.find("Not alive"); at != std::string::npos;
             at = log.find("Not alive", at + 1))
            ++n;
        return n;
    }

    test::TestProgram t;
    Program& p = t.program;
    test::AnsweringSwitches switches{t, 30};
    AliveWatch watch;
    RecordingSink sink;
};

TEST_F(AliveWatchTest, OneNoticeWhenASwitchGoesDownAndOneWhenItComesBack) {
    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    const int quiet = AddMonitored(p, MakeDevice("10.1.0.12", 2));
    SetText(p.lists.monitor[static_cast<size_t>(quiet)].system_name, "edge<b>");
    StartPolling(p);
    StartRefreshTimer(p, kInitialRefreshMs);
    NotifyAliveChanges(watch, p.lists, sink);

    switches.silent.insert(p.lists.monitor[1].ip);
    RunFor(120 * 1000);
    EXPECT_GE(NotAliveLines(), 3u);      // logged at every tick ...
    ASSERT_EQ(sink.notices.size(), 1u);  // ... announced once
    EXPECT_EQ(sink.notices[0].summary, "Switch not alive");
    // Plain text: the sink that reads markup escapes it.
    EXPECT_EQ(sink.notices[0].body, "edge<b> (001122334402) at 10.1.0.12 stopped answering");
    EXPECT_TRUE(sink.notices[0].urgent);

    switches.silent.clear();
    RunFor(60 * 1000);
    ASSERT_EQ(sink.notices.size(), 2u);
    EXPECT_EQ(sink.notices[1].summary, "Switch alive again");
    // Its reply carried no name: the record has none now.
    EXPECT_EQ(sink.notices[1].body, "001122334402 at 10.1.0.12 answers again");
    EXPECT_FALSE(sink.notices[1].urgent);
}

TEST_F(AliveWatchTest, ASwitchSeenForTheFirstTimeIsTakenAsItStands) {
    DeviceRecord down = MakeDevice("10.1.0.11", 1);
    down.status_mark = kStatusNotAlive;  // restored with its mark
    AddMonitored(p, down);
    EXPECT_TRUE(watch.Review(p.lists).empty());

    // Deleted while down and added again alive: a new switch, not a recovery.
    p.lists.monitor[0] = DeviceRecord{};
    p.lists.monitorList.DeleteItem(0);
    EXPECT_TRUE(watch.Review(p.lists).empty());
    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    EXPECT_TRUE(watch.Review(p.lists).empty());

    p.lists.monitor[0].status_mark = kStatusNotAlive;
    const auto changes = watch.Review(p.lists);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], (AliveChange{"10.1.0.11", "001122334401", "sw1", false}));
    EXPECT_TRUE(watch.Review(p.lists).empty());
}

TEST(AliveNotice, NamesTheSwitchAsWellAsItIsKnownAndShowsItsTextInert) {
    EXPECT_EQ(NoticeFor({"10.1.0.11", "001122334401", "core-a", false}).body,
              "core-a (001122334401) at 10.1.0.11 stopped answering");
    EXPECT_EQ(NoticeFor({"10.1.0.11", "", "", true}).body, "10.1.0.11 answers again");
    EXPECT_EQ(NoticeFor({"10.1.0.11", "", "r\x1b[2Jx", true}).body,
              "r\xE2\x90\x9B[2Jx at 10.1.0.11 answers again");
}

TEST(MonitorSummary, CountsTheListAndItsNotAliveMarks) {
    test::TestProgram t;
    Program& p = t.program;
    CreateMonitorColumns(p.lists, p.settings);
    EXPECT_EQ(SummariseMonitor(p.lists), (MonitorSummary{0, 0}));
    EXPECT_EQ(MonitorStatusText({0, 0}), "No switch monitored");
    EXPECT_EQ(MainWindowTitle({0, 0}), "Parvex Management Utility");

    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    DeviceRecord down = MakeDevice("10.1.0.12", 2);
    down.status_mark = kStatusNotAlive;
    AddMonitored(p, down);
    AddMonitored(p, MakeDevice("10.1.0.13", 3));
    EXPECT_EQ(SummariseMonitor(p.lists), (MonitorSummary{3, 1}));

    EXPECT_EQ(MonitorStatusText({1, 0}), "1 switch monitored, all alive");
    EXPECT_EQ(MonitorStatusText({3, 1}), "3 switches monitored, 1 not alive");
    EXPECT_EQ(MainWindowTitle({3, 1}), "Parvex Management Utility - 3 monitored, 1 not alive");
    EXPECT_EQ(MainWindowTitle({2, 0}), "Parvex Management Utility - 2 monitored, 0 not alive");
}

}  // namespace
}  // namespace pm
