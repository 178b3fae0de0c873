// Polling of the monitor list in virtual time: passes every refresh period, the refresh
// timer's extra polls, the not-alive mark and log line, and coming back.
#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <set>

#include "app/CommandIds.h"
#include "app/MonitorPolling.h"
#include "app/ProgramContexts.h"
#include "app/SocketEvents.h"
#include "protocol/HandleDatagram.h"
#include "protocol/ProtocolHeader.h"
#include "storage/EventLog.h"
#include "storage/FileMessage.h"
#include "storage/SettingsFile.h"
#include "support/AnsweringSwitches.h"
#include "support/MonitoredDevices.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

using test::AddMonitored;
using test::MakeDevice;
using test::SendKind;

constexpr uint64_t kSecond = 1000;

// Switches that answer each poll shortly after it leaves, unless told to keep silent.
class PollingTest : public ::testing::Test {
  protected:
    PollingTest() {
        CreateDiscoveryColumns(p.lists, p.settings);
        CreateMonitorColumns(p.lists, p.settings);
        p.wallClock = [this] {
            return std::time_t{1772892309} + static_cast<std::time_t>(t.loop.NowMs() / 1000);
        };
    }

    void Start() {
        StartPolling(p);
        StartRefreshTimer(p, kInitialRefreshMs);
    }

    // Advances in 100 ms steps; a poll to an answering switch is answered in the next step.
    void RunFor(uint64_t ms) {
        for (uint64_t done = 0; done < ms; done += 100) {
            t.loop.Advance(100);
            for (; answered_ < t.net.sent.size(); ++answered_) {
                const auto& s = t.net.sent[answered_];
                if (s.kind != SendKind::ToDevice || silent.count(s.address))
                    continue;
                Reply(s.address);
            }
        }
    }

    // The switch's bare reply (no fields), through the real receiver.
    void Reply(uint32_t address) { test::ReplyAsMonitored(p, address); }

    std::vector<std::string> LogLines() const {
        std::ifstream in(LogFilePath(p.configFolder), std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        std::vector<std::string> lines;
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find("\r\n", at);
            if (end == std::string::npos)
                break;
            lines.push_back(text.substr(at, end + 2 - at));
            at = end + 2;
        }
        return lines;
    }

    size_t PollsTo(uint32_t address) const {
        size_t n = 0;
        for (const auto& s : t.net.Of(SendKind::ToDevice))
            if (s.address == address)
                ++n;
        return n;
    }

    test::TestProgram t;
    Program& p = t.program;
    std::set<uint32_t> silent;
    size_t answered_ = 0;
};

TEST_F(PollingTest, SilentSwitchIsMarkedAndLoggedAtEveryTickUntilItAnswersAgain) {
    const DeviceRecord quiet = MakeDevice("10.1.0.20", 20);
    AddMonitored(p, MakeDevice("10.1.0.10", 10));
    AddMonitored(p, quiet);
    Start();

    // Passes at 0, 15, 30, ... s; ticks at 15, 30, ... s. Silent after the reply to the
    // 15 s pass: the 30 s pass finds it answered, 45 s is the first miss, the 60 s tick
    // polls once more (second miss), the 60 s pass makes three and the 75 s tick marks it.
    RunFor(20 * kSecond);
    silent.insert(quiet.ip);
    RunFor(55 * kSecond - 100);  // just before 75 s
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(p.lists.monitor[1].status_mark, -1);
    RunFor(100);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(LogLines()[0].substr(19), " 10.1.0.20 Not alive \r\n");
    EXPECT_EQ(p.lists.monitor[1].status_mark, 1);
    EXPECT_EQ(p.lists.monitorList.GetItemImage(1), 1);
    EXPECT_EQ(p.lists.monitorList.GetItemText(1, kMonIp), "10.1.0.20");
    EXPECT_EQ(p.lists.monitorList.GetItemImage(0), -1);

    // Marked: only the passes poll it; the ticks log it again.
    const size_t pollsBefore = PollsTo(quiet.ip);
    RunFor(15 * kSecond);  // the 90 s tick
    EXPECT_EQ(LogLines().size(), 2u);
    EXPECT_EQ(PollsTo(quiet.ip), pollsBefore + 1);

    // It answers the next poll (the 105 s pass) and loses the mark.
    silent.clear();
    RunFor(15 * kSecond + 200);
    EXPECT_EQ(LogLines().size(), 3u);  // the 105 s tick came just before that pass
    EXPECT_EQ(p.lists.monitor[1].status_mark, -1);
    EXPECT_EQ(p.lists.monitorList.GetItemImage(1), -1);
    RunFor(30 * kSecond);
    EXPECT_EQ(LogLines().size(), 3u);
}

TEST_F(PollingTest, SilentSwitchesOfOneTickShareOneTimeStamp) {
    int calls = 0;
    p.wallClock = [&calls] { return std::time_t{1772892309} + 7 * calls++; };
    AddMonitored(p, MakeDevice("10.1.0.21", 21));
    AddMonitored(p, MakeDevice("10.1.0.22", 22));
    silent = {p.lists.monitor[0].ip, p.lists.monitor[1].ip};
    Start();
    RunFor(45 * kSecond);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 19), lines[1].substr(0, 19));
    char stamp[20];
    FormatLogTime(stamp, 1772892309 + 7 * (calls - 1));
    EXPECT_EQ(lines[0], std::string(stamp) + " 10.1.0.21 Not alive \r\n");
    EXPECT_EQ(lines[1], std::string(stamp) + " 10.1.0.22 Not alive \r\n");
}

TEST_F(PollingTest, ALogThatCannotBeWrittenIsToldOnceForTheWholeRun) {
    p.configFolder = t.dir.File("gone");  // no such folder: every append fails
    AddMonitored(p, MakeDevice("10.1.0.21", 21));
    AddMonitored(p, MakeDevice("10.1.0.22", 22));
    silent = {p.lists.monitor[0].ip, p.lists.monitor[1].ip};
    Start();
    RunFor(120 * kSecond);  // two switches, several ticks
    EXPECT_EQ(p.lists.monitor[0].status_mark, 1);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{
                                WithPath(kLogOpenError, LogFilePath(p.LogFolder()), ENOENT)});
}

TEST_F(PollingTest, EmptyListSendsAndLogsNothing) {
    Start();
    RunFor(10 * 60 * kSecond);
    EXPECT_TRUE(t.net.sent.empty());
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(PollingTest, PollRequestIsABareHeaderForEveryListedSwitch) {
    AddMonitored(p, MakeDevice("10.1.0.10", 10));
    AddMonitored(p, MakeDevice("10.1.0.11", 11));
    Start();
    RunFor(100);
    const auto polls = t.net.Of(SendKind::ToDevice);
    ASSERT_EQ(polls.size(), 2u);
    EXPECT_EQ(polls[0].address, p.lists.monitor[0].ip);
    EXPECT_EQ(polls[1].address, p.lists.monitor[1].ip);
    std::vector<uint8_t> expected(40, 0);
    expected[1] = 2;                           // major
    expected[13] = 5;                          // command: poll
    expected[18] = 0xAB, expected[19] = 0xCD;  // header_id
    std::copy(t.net.interfaceMac.begin(), t.net.interfaceMac.end(), expected.begin() + 20);
    EXPECT_EQ(polls[0].bytes, expected);
}

TEST_F(PollingTest, PassesFollowTheRefreshTimeReadBeforeEachPause) {
    struct Case {
        int32_t refreshTime;
        size_t passesIn60s;  // counting the one at start
    };
    for (const Case c : {Case{15, 5}, Case{30, 3}, Case{60, 2}, Case{0, 5}, Case{-4, 5}}) {
        test::TestProgram fresh;
        CreateMonitorColumns(fresh.program.lists, fresh.program.settings);
        CreateDiscoveryColumns(fresh.program.lists, fresh.program.settings);
        fresh.program.settings.refresh_time = c.refreshTime;
        AddMonitored(fresh.program, MakeDevice("10.1.0.10", 10));
        StartPolling(fresh.program);
        fresh.loop.Advance(60 * kSecond);
        EXPECT_EQ(fresh.net.Of(SendKind::ToDevice).size(), c.passesIn60s) << c.refreshTime;
    }
}

TEST_F(PollingTest, ChoosingARefreshTimeRearmsTimerOneAtOnceAndStoresIt) {
    Settings stored = p.settings;
    {
        const auto file = BuildSettingsFile(stored);
        std::ofstream out(SettingsFilePath(p.configFolder), std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
    }
    AddMonitored(p, MakeDevice("10.1.0.10", 10));
    Start();
    EXPECT_EQ(t.loop.PeriodOf(p.RefreshTimer()), kInitialRefreshMs);
    RunFor(20 * kSecond);  // passes at 0 and 15 s
    ASSERT_EQ(PollsTo(p.lists.monitor[0].ip), 2u);

    ASSERT_TRUE(ChooseRefreshTime(p, ids::kRefresh5min));
    EXPECT_EQ(p.settings.refresh_time, 300);
    EXPECT_EQ(t.loop.PeriodOf(p.RefreshTimer()), 300000u);
    Settings reread;
    std::ifstream in(SettingsFilePath(p.configFolder), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    ASSERT_EQ(ParseSettingsFile(bytes, reread), SettingsError::None);
    EXPECT_EQ(reread.refresh_time, 300);
    EXPECT_TRUE(t.ui.messages.empty());

    // The pass under way finishes its 15 s pause first.
    RunFor(11 * kSecond);  // 31 s
    EXPECT_EQ(PollsTo(p.lists.monitor[0].ip), 3u);
    RunFor(298 * kSecond);  // 329 s
    EXPECT_EQ(PollsTo(p.lists.monitor[0].ip), 3u);
    RunFor(2 * kSecond);
    EXPECT_EQ(PollsTo(p.lists.monitor[0].ip), 4u);

    EXPECT_FALSE(ChooseRefreshTime(p, ids::kAbout));
    EXPECT_EQ(p.settings.refresh_time, 300);
}

TEST(RefreshMenu, ItemsMatchTheirSeconds) {
    const std::pair<int, int> items[] = {{15, ids::kRefresh15s},
                                         {30, ids::kRefresh30s},
                                         {60, ids::kRefresh1min},
                                         {120, ids::kRefresh2min},
                                         {300, ids::kRefresh5min}};
    for (const auto& [seconds, id] : items) {
        EXPECT_EQ(RefreshMenuItemFor(seconds), id);
        EXPECT_EQ(RefreshSecondsFor(id), seconds);
    }
    EXPECT_EQ(RefreshMenuItemFor(0), 0);
    EXPECT_EQ(RefreshMenuItemFor(45), 0);
}

}  // namespace
}  // namespace pm
