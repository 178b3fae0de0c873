// The Prometheus exposition of the monitor list and the round trips it reports, timed from
// the table as the command-line monitor times them, in virtual time.
#include <gtest/gtest.h>

#include "app/ListenAddress.h"
#include "app/MetricsText.h"
#include "app/MonitorPolling.h"
#include "support/AnsweringSwitches.h"
#include "support/MonitoredDevices.h"

namespace pm {
namespace {

using test::AddMonitored;
using test::MakeDevice;

constexpr std::time_t kWallStart = 1772892309;

// The value of the metric's sample for the switch at ip, or "" when it has none.
std::string SampleOf(const std::string& text, const std::string& metric, const std::string& ip) {
    const std::string key = "ip=\"" + ip + "\"";
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.rfind(metric + "{", 0) == 0 && line.find(key) != std::string::npos)
            return line.substr(line.rfind(' ') + 1);
    }
    return "";
}

TEST(MetricLabelValue, DecodesAndEscapesAsTheFormatRequires) {
    const std::pair<std::string, std::string> cases[] = {
        {"core-a", "core-a"},
        {"a\\b", "a\\\\b"},
        {"say \"hi\"", "say \\\"hi\\\""},
        {"two\nlines", "two\\nlines"},
        {"caf\xE9", "caf\xC3\xA9"},      // Latin-1 becomes UTF-8
        {"caf\xC3\xA9", "caf\xC3\xA9"},  // valid UTF-8 stays
        {"cr\rtab\t", "cr\rtab\t"},      // the format escapes nothing else
        {"\\\"\n", "\\\\\\\"\\n"},
    };
    for (const auto& [raw, written] : cases)
        EXPECT_EQ(MetricLabelValue(raw), written) << raw;
}

TEST(RenderMetrics, WritesEveryFamilyWithHelpAndTypeAndOnlyTheTimesItHas) {
    test::TestProgram t;
    Program& p = t.program;
    CreateMonitorColumns(p.lists, p.settings);
    DeviceRecord odd = MakeDevice("10.1.0.12", 2);
    SetText(odd.system_name, "r\xE9\"k\\1\n");
    odd.status_mark = kStatusNotAlive;
    odd.missed_polls = 4;
    odd.answered = 0;
    AddMonitored(p, MakeDevice("10.1.0.11", 1));
    AddMonitored(p, odd);

    // Switch 1: polled at 1000 us, answered at 2300 us.
    ReplyTimes times;
    times.Observe(p.lists, 0, kWallStart);
    p.lists.monitor[0].answered = 0;
    times.Observe(p.lists, 1000, kWallStart);
    p.lists.monitor[0].answered = 1;
    times.Observe(p.lists, 2300, kWallStart + 2);

    const std::string labels1 = R"({mac="001122334401",ip="10.1.0.11",name="sw1"})";
    const std::string labels2 =
        "{mac=\"001122334402\",ip=\"10.1.0.12\",name=\"r\xC3\xA9\\\"k\\\\1\\n\"}";
    const std::string expected =
        "# HELP portmesa_switch_up Whether the switch answers its polls (1) or is marked not "
        "alive (0).\n"
        "# TYPE portmesa_switch_up gauge\n"
        "portmesa_switch_up" +
        labels1 +
        " 1\n"
        "portmesa_switch_up" +
        labels2 +
        " 0\n"
        "# HELP portmesa_switch_missed_polls Polls in a row that the switch has not answered.\n"
        "# TYPE portmesa_switch_missed_polls gauge\n"
        "portmesa_switch_missed_polls" +
        labels1 +
        " 0\n"
        "portmesa_switch_missed_polls" +
        labels2 +
        " 4\n"
        "# HELP portmesa_switch_last_reply_timestamp_seconds Unix time of the switch's last "
        "reply.\n"
        "# TYPE portmesa_switch_last_reply_timestamp_seconds gauge\n"
        "portmesa_switch_last_reply_timestamp_seconds" +
        labels1 +
        " 1772892311\n"
        "# HELP portmesa_switch_reply_seconds Round-trip time of the switch's last answered "
        "poll.\n"
        "# TYPE portmesa_switch_reply_seconds gauge\n"
        "portmesa_switch_reply_seconds" +
        labels1 +
        " 0.0013\n"
        "# HELP portmesa_poll_ticks_total Refresh ticks since the monitor started.\n"
        "# TYPE portmesa_poll_ticks_total counter\n"
        "portmesa_poll_ticks_total 7\n";
    EXPECT_EQ(RenderMetrics(p.lists, times, 7), expected);

    // An empty list still names every family.
    test::TestProgram empty;
    const std::string none = RenderMetrics(empty.program.lists, ReplyTimes{}, 0);
    EXPECT_EQ(none.find("portmesa_switch_up{"), std::string::npos);
    EXPECT_NE(none.find("# TYPE portmesa_switch_reply_seconds gauge\n"), std::string::npos);
    EXPECT_NE(none.find("\nportmesa_poll_ticks_total 0\n"), std::string::npos);
}

// The monitor of the command line: polls every 15 s, the refresh tick, replies 30 ms late.
class ReplyTimesTest : public ::testing::Test {
  protected:
    ReplyTimesTest() {
        CreateDiscoveryColumns(p.lists, p.settings);
        CreateMonitorColumns(p.lists, p.settings);
        p.wallClock = [this] {
            return kWallStart + static_cast<std::time_t>((t.loop.NowMs() - startMs_) / 1000);
        };
        AddMonitored(p, MakeDevice("10.1.0.11", 1));
        AddMonitored(p, MakeDevice("10.1.0.12", 2));
        times.Observe(p.lists, t.loop.NowUs(), p.wallClock());
        StartPolling(p);
        StartRefreshTimer(p, kInitialRefreshMs);
    }
    void RunFor(uint64_t ms) {
        switches.RunFor(ms, [this] { times.Observe(p.lists, t.loop.NowUs(), p.wallClock()); });
    }

    test::TestProgram t;
    Program& p = t.program;
    uint64_t startMs_ = t.loop.NowMs();
    test::AnsweringSwitches switches{t, 30};
    ReplyTimes times;
};

TEST_F(ReplyTimesTest, TimesEachAnsweredPollAndKeepsTheLastReplyOfASilentSwitch) {
    RunFor(1000);
    EXPECT_EQ(times.Of("10.1.0.11").replyUs, 30000u);
    EXPECT_EQ(times.Of("10.1.0.11").lastReplyAt, kWallStart);
    EXPECT_EQ(times.Of("10.1.0.12").replyUs, 30000u);

    // Switch 2 falls silent after the first pass; switch 1 goes on answering.
    switches.silent.insert(p.lists.monitor[1].ip);
    RunFor(89 * 1000);
    EXPECT_EQ(times.Of("10.1.0.11").lastReplyAt, kWallStart + 75);  // the 75 s pass
    EXPECT_EQ(times.Of("10.1.0.12").lastReplyAt, kWallStart);
    EXPECT_EQ(p.lists.monitor[1].status_mark, kStatusNotAlive);
    // Silent since the 15 s pass: missed at 30 s, the 30 s tick, 45 s (marked), 60, 75, 90 s.
    const std::string text = RenderMetrics(p.lists, times, 6);
    EXPECT_EQ(SampleOf(text, "portmesa_switch_up", "10.1.0.12"), "0") << text;
    EXPECT_EQ(SampleOf(text, "portmesa_switch_up", "10.1.0.11"), "1") << text;
    EXPECT_EQ(SampleOf(text, "portmesa_switch_missed_polls", "10.1.0.12"), "6") << text;
    EXPECT_EQ(SampleOf(text, "portmesa_switch_last_reply_timestamp_seconds", "10.1.0.12"),
              "1772892309");
    EXPECT_EQ(SampleOf(text, "portmesa_switch_reply_seconds", "10.1.0.11"), "0.03");

    // Back: the reply to the next pass is timed from that pass, not from the first miss.
    switches.silent.clear();
    RunFor(16 * 1000);
    EXPECT_EQ(times.Of("10.1.0.12").replyUs, 30000u);
    EXPECT_EQ(times.Of("10.1.0.12").lastReplyAt, kWallStart + 105);
    EXPECT_NE(p.lists.monitor[1].status_mark, kStatusNotAlive);
}

TEST(ReplyTimes, ARepeatedPollRestartsTheClockAndAListedSwitchStartsAnswered) {
    test::TestProgram t;
    Program& p = t.program;
    CreateMonitorColumns(p.lists, p.settings);
    DeviceRecord d = MakeDevice("10.1.0.11", 1);
    d.answered = 0;  // listed while a poll is out: that poll is not ours to time
    AddMonitored(p, d);
    ReplyTimes times;
    times.Observe(p.lists, 0, kWallStart);
    p.lists.monitor[0].answered = 1;
    times.Observe(p.lists, 500, kWallStart);
    EXPECT_FALSE(times.Of("10.1.0.11").replyUs);
    EXPECT_EQ(times.Of("10.1.0.11").lastReplyAt, kWallStart);

    p.lists.monitor[0].answered = 0;  // polled, missed
    times.Observe(p.lists, 1000, kWallStart);
    p.lists.monitor[0].missed_polls = 1;  // polled again, still unanswered
    times.Observe(p.lists, 4000, kWallStart);
    p.lists.monitor[0].answered = 1;
    times.Observe(p.lists, 4500, kWallStart + 1);
    EXPECT_EQ(times.Of("10.1.0.11").replyUs, 500u);

    // A switch that leaves the list is forgotten.
    p.lists.monitor[0] = DeviceRecord{};
    times.Observe(p.lists, 5000, kWallStart + 1);
    EXPECT_FALSE(times.Of("10.1.0.11").lastReplyAt);
}

TEST(ListenAddress, LoopbackUnlessAnAddressIsGiven) {
    const std::pair<std::string, std::optional<ListenAddress>> cases[] = {
        {"9877", ListenAddress{"127.0.0.1", 9877}},
        {":9877", ListenAddress{"127.0.0.1", 9877}},
        {"0.0.0.0:9100", ListenAddress{"0.0.0.0", 9100}},
        {"10.201.1.2:80", ListenAddress{"10.201.1.2", 80}},
        {"[::1]:9877", ListenAddress{"::1", 9877}},
        {"", std::nullopt},
        {"0", std::nullopt},
        {"65536", std::nullopt},
        {"localhost:9877", std::nullopt},
        {"10.1.2:9877", std::nullopt},
        {"[::1]", std::nullopt},
        {"[zz]:1", std::nullopt},
        {"9877x", std::nullopt},
        {"1.2.3.4:", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseListenAddress(text), expected) << text;
}

}  // namespace
}  // namespace pm
