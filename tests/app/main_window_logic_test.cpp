// The main window's rules, driven through the core: selection codes and their messages,
// the web page, the password refusal, "DHCP Refresh" enabling, the lists' shared selection
// and the start-up sequence.
#include <gtest/gtest.h>

#include <fstream>

#include "app/CommandIds.h"
#include "app/DeviceSelection.h"
#include "app/DeviceWeb.h"
#include "app/MainWindowStartup.h"
#include "app/MonitorPolling.h"
#include "app/SocketEvents.h"
#include "base/WireConstants.h"
#include "inventory/Selection.h"
#include "protocol/ProtocolHeader.h"
#include "storage/MonitorFile.h"
#include "storage/SettingsFile.h"
#include "support/MonitoredDevices.h"
#include "support/TestProgram.h"

namespace pm {
namespace {

using test::AddDiscovered;
using test::AddMonitored;
using test::MakeDevice;

class MainWindowLogic : public ::testing::Test {
  protected:
    MainWindowLogic() {
        CreateDiscoveryColumns(p.lists, p.settings);
        CreateMonitorColumns(p.lists, p.settings);
        for (int i = 0; i < 3; ++i)
            AddDiscovered(p, MakeDevice("10.1.0." + std::to_string(40 + i), 40 + i));
        for (int i = 0; i < 3; ++i)
            AddMonitored(p, MakeDevice("10.1.0." + std::to_string(20 + i), 20 + i));
    }
    void Select(CReportCtrl& list, std::initializer_list<int> rows) {
        for (int r = 0; r < list.GetItemCount(kStateAny); ++r)
            list.SetItemStates(r, kStateUnselected);
        for (int r : rows)
            list.SetItemStates(r, kStateSelected);
    }

    test::TestProgram t;
    Program& p = t.program;
};

TEST_F(MainWindowLogic, ResolveSelectionCodesAndMessages) {
    struct Case {
        std::initializer_list<int> discovery, monitor;
        int code;
        const char* message;  // of the device operation buttons, or nullptr
    };
    const Case cases[] = {
        {{}, {}, kSelectionNone, "Please select one device"},
        {{0, 1}, {}, kSelectionTooMany, "Only one device can be selected"},
        {{}, {0, 2}, kSelectionTooMany, "Only one device can be selected"},
        {{1}, {0, 2}, kSelectionTooMany, "Only one device can be selected"},
        {{1}, {}, kSelectionDiscovery, nullptr},
        {{2}, {1}, kSelectionDiscovery, nullptr},  // the discovery list wins
        {{}, {2}, kSelectionMonitor, nullptr},
    };
    for (const auto& c : cases) {
        Select(p.lists.discoveryList, c.discovery);
        Select(p.lists.monitorList, c.monitor);
        EXPECT_EQ(ResolveSelection(p), c.code);
        t.ui.Clear();
        EXPECT_EQ(SelectOneDevice(p), c.message == nullptr);
        if (c.message) {
            ASSERT_EQ(t.ui.messages.size(), 1u);
            EXPECT_EQ(t.ui.messages[0],
                      (test::Message{c.message, "Error", Icon::Error, Owner::MainWindow}));
        } else {
            EXPECT_TRUE(t.ui.messages.empty());
        }
    }
}

TEST_F(MainWindowLogic, SelectionContextFindsTheDeviceByItsKeyNotItsRow) {
    p.lists.monitorList.SortRows(kMonIp, false, false);  // rows now 22, 21, 20
    Select(p.lists.monitorList, {0});
    ASSERT_EQ(ResolveSelection(p), kSelectionMonitor);
    EXPECT_EQ(p.selection.list, ListKind::Monitor);
    EXPECT_EQ(p.selection.index, 2);
    EXPECT_EQ(TextOf(SelectedRecord(p.lists, p.selection)->ip_text), "10.1.0.22");
    EXPECT_EQ(p.selection.monitorCount, 3);
    EXPECT_EQ(p.selection.discoveryCount, 3);

    p.lists.discoveryList.SortRows(kDiscMac, false, false);
    Select(p.lists.discoveryList, {0});
    ASSERT_EQ(ResolveSelection(p), kSelectionDiscovery);
    EXPECT_EQ(p.selection.list, ListKind::Discovery);
    EXPECT_EQ(p.selection.index, 2);
}

TEST_F(MainWindowLogic, RevisionSixMonitorDeviceIsPaintedRedWhenResolved) {
    p.lists.monitor[1].revision = 6;
    p.lists.monitor[2].revision = 5;
    for (int row : {1, 2}) {
        Select(p.lists.discoveryList, {});
        Select(p.lists.monitorList, {row});
        ASSERT_EQ(ResolveSelection(p), kSelectionMonitor);
    }
    EXPECT_EQ(p.lists.monitorList.GetItemTextColor(1, kMonStatus), kWindowTextColor);
    for (int c = kMonIp; c < p.lists.monitorList.GetColumnCount(); ++c) {
        EXPECT_EQ(p.lists.monitorList.GetItemTextColor(1, c), kPureRed) << c;
        EXPECT_EQ(p.lists.monitorList.GetItemTextColor(2, c), kWindowTextColor) << c;
    }
}

TEST_F(MainWindowLogic, PasswordChangeRefusesALoader) {
    p.lists.discovery[1].loader = kLoaderMarker;
    Select(p.lists.discoveryList, {1});
    EXPECT_FALSE(SelectDeviceForPasswordChange(p));
    EXPECT_EQ(t.ui.Texts(),
              std::vector<std::string>{"Agent is in loader mode, it can't change password"});
    t.ui.Clear();
    Select(p.lists.discoveryList, {0});
    EXPECT_TRUE(SelectDeviceForPasswordChange(p));
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(MainWindowLogic, OpenDeviceWebChecksInOrder) {
    p.lists.monitor[2].loader = kLoaderMarker;
    struct Case {
        std::initializer_list<int> discovery, monitor;
        WebRequest from;
        const char* message;  // nullptr: the page opens
    };
    const Case cases[] = {
        {{0}, {1}, WebRequest::Button, "Only the devices in the monitor list can entry the web"},
        {{0}, {1}, WebRequest::DoubleClick, nullptr},
        {{}, {0, 1}, WebRequest::Button, "Only one device can be selected"},
        {{}, {}, WebRequest::Button, "Please select one device in the monitor list"},
        {{}, {2}, WebRequest::Button, "Agent is in loader mode,it needs firmware upgrade"},
        {{}, {1}, WebRequest::Button, nullptr},
    };
    for (const auto& c : cases) {
        Select(p.lists.discoveryList, c.discovery);
        Select(p.lists.monitorList, c.monitor);
        t.ui.Clear();
        OpenDeviceWeb(p, c.from);
        if (c.message) {
            EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{c.message});
            EXPECT_TRUE(t.ui.opened.empty());
        } else {
            EXPECT_TRUE(t.ui.messages.empty()) << t.ui.Texts()[0];
            EXPECT_EQ(t.ui.opened, std::vector<std::string>{"http://10.1.0.21/"});
        }
    }
    t.ui.Clear();
    t.ui.openSucceeds = false;
    OpenDeviceWeb(p, WebRequest::Button);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Browser web fail"});
    EXPECT_EQ(t.ui.messages[0].caption, "Error");
}

TEST_F(MainWindowLogic, DhcpRefreshIsEnabledForOneDhcpDeviceOfRevisionThreeOrLater) {
    struct Case {
        uint16_t mode, revision;
        bool enabled;
    };
    for (const Case c : {Case{1, 3, true}, Case{1, 6, true}, Case{1, 2, false}, Case{0, 3, false},
                         Case{2, 4, false}, Case{3, 4, false}}) {
        p.lists.monitor[1].ip_mode = c.mode;
        p.lists.monitor[1].revision = c.revision;
        p.lists.discovery[1].ip_mode = c.mode;
        p.lists.discovery[1].revision = c.revision;
        Select(p.lists.monitorList, {1});
        Select(p.lists.discoveryList, {1});
        EXPECT_EQ(DhcpRefreshEnabling(p, ListKind::Monitor), std::optional<bool>(c.enabled));
        EXPECT_EQ(DhcpRefreshEnabling(p, ListKind::Discovery), std::optional<bool>(c.enabled));
    }
    Select(p.lists.monitorList, {0, 1});
    Select(p.lists.discoveryList, {});
    EXPECT_EQ(DhcpRefreshEnabling(p, ListKind::Monitor), std::nullopt);
    EXPECT_EQ(DhcpRefreshEnabling(p, ListKind::Discovery), std::nullopt);
}

TEST_F(MainWindowLogic, TheListsShareOneSelection) {
    Select(p.lists.monitorList, {0, 2});
    Select(p.lists.discoveryList, {1});
    OnListItemChanged(p, ListKind::Discovery);
    EXPECT_EQ(p.lists.monitorList.SelectedRows(), std::vector<int>{2});  // the first selected goes
    Select(p.lists.discoveryList, {0, 1});
    OnListItemChanged(p, ListKind::Monitor);
    EXPECT_TRUE(p.lists.discoveryList.SelectedRows().empty());
}

class StartUp : public ::testing::Test {
  protected:
    void WriteSettings(const Settings& s) {
        const auto file = BuildSettingsFile(s);
        std::ofstream out(SettingsFilePath(p.configFolder), std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()),
                  static_cast<std::streamsize>(file.size()));
    }
    test::TestProgram t;
    Program& p = t.program;
};

TEST_F(StartUp, BuildsTheListsRestoresTheMonitorListAndArmsTheTimers) {
    Settings s = p.settings;
    s.refresh_time = 60;
    s.multicast_interface_on_off = 1;
    s.multicast_timer_flag = 1;
    s.multicast_timer = 300;
    std::snprintf(s.multicast_group, sizeof s.multicast_group, "239.1.2.3");
    WriteSettings(s);
    {
        test::TestProgram before;
        CreateMonitorColumns(before.program.lists, before.program.settings);
        AddMonitored(before.program, MakeDevice("10.1.0.20", 20));
        SaveMonitorList(before.program.lists, before.program.ui, MonitorFilePath(p.configFolder));
    }
    p.pending.address = 5;
    p.lists.discovery[4] = MakeDevice("10.9.9.9", 99);

    int rowsWhenTransportStarted = -1;
    const StartupOutcome out = StartMainWindow(
        p, [&] { rowsWhenTransportStarted = p.lists.monitorList.GetItemCount(kStateAny); });
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(rowsWhenTransportStarted, 1);
    EXPECT_EQ(p.settings.refresh_time, 60);
    EXPECT_EQ(p.lists.discoveryList.GetColumnCount(), 10);
    EXPECT_EQ(p.lists.monitorList.GetColumnCount(), 11);
    EXPECT_EQ(p.lists.discovery[4], DeviceRecord{});
    EXPECT_EQ(p.pending.address, 0u);
    EXPECT_TRUE(out.groupIntervalItem);
    EXPECT_EQ(out.checkedRefreshItem, ids::kRefresh1min);
    // Timer 1 runs at 15 s whatever the settings say until a refresh time is chosen.
    EXPECT_EQ(t.loop.PeriodOf(p.RefreshTimer()), 15000u);
    EXPECT_EQ(t.loop.PeriodOf(p.GroupReportTimer()), 300000u);
    EXPECT_EQ(p.groupReport,
              (std::array<uint8_t, 8>{0x12, 0x00, 0xFC, 0xFA, 0xEF, 0x01, 0x02, 0x03}));

    // The first poll pass runs at once; the group report goes out every 300 s.
    t.loop.Advance(0);
    EXPECT_EQ(t.net.Of(test::SendKind::ToDevice).size(), 1u);
    t.loop.Advance(300000);
    ASSERT_EQ(t.net.Of(test::SendKind::GroupReport).size(), 1u);
    EXPECT_EQ(t.net.Of(test::SendKind::GroupReport)[0].bytes,
              std::vector<uint8_t>(p.groupReport.begin(), p.groupReport.end()));

    StopMainWindowTimers(p);
    EXPECT_FALSE(t.loop.TimerRunning(p.RefreshTimer()));
    EXPECT_FALSE(t.loop.TimerRunning(p.GroupReportTimer()));
    EXPECT_FALSE(t.loop.TimerRunning(PollTimer(p)));
}

TEST_F(StartUp, FeatureOffDropsGroupIntervalAndTimerThreeNeedsAPeriod) {
    Settings s = p.settings;
    s.multicast_interface_on_off = 0;
    s.multicast_timer_flag = 1;
    s.multicast_timer = 0;
    s.refresh_time = 45;
    WriteSettings(s);
    const StartupOutcome out = StartMainWindow(p, nullptr);
    EXPECT_FALSE(out.groupIntervalItem);
    EXPECT_EQ(out.checkedRefreshItem, 0);
    EXPECT_EQ(p.lists.discoveryList.GetColumnCount(), 9);
    EXPECT_EQ(p.lists.monitorList.GetColumnCount(), 10);
    EXPECT_FALSE(t.loop.TimerRunning(p.GroupReportTimer()));
}

TEST_F(StartUp, UnreadableSettingsAreReportedAndStartUpGoesOn) {
    std::ofstream(SettingsFilePath(p.configFolder)) << "not a settings file";
    const StartupOutcome out = StartMainWindow(p, nullptr);
    ASSERT_FALSE(t.ui.messages.empty());
    EXPECT_EQ(t.ui.messages.back(), (test::Message{"It will cause the application fail\n ", "Error",
                                                   Icon::Error, Owner::MainWindow}));
    EXPECT_EQ(p.lists.monitorList.GetColumnCount(), 11);  // TestProgram's feature setting stays
    EXPECT_TRUE(t.loop.TimerRunning(p.RefreshTimer()));
    (void)out;
}

}  // namespace
}  // namespace pm

namespace pm {
namespace {

// A discovery reply of header only, from a switch of the given revision and MAC.
std::vector<uint8_t> BareDiscoverReply(uint32_t headerId, uint16_t revision,
                                       std::array<uint8_t, 6> mac) {
    ProtocolHeader h;
    h.major = 2;
    h.minor = 1;
    h.revision = revision;
    h.command = static_cast<uint16_t>(Command::DiscoverReply);
    h.header_id = headerId;
    h.device_mac = mac;
    std::vector<uint8_t> reply(kHeaderSize);
    h.Encode(std::span<uint8_t, kHeaderSize>(reply.data(), kHeaderSize));
    return reply;
}

TEST(SocketEvents, DeviceEventsAreReadAndMergedTftpEventsAreNot) {
    test::TestProgram t;
    Program& p = t.program;
    CreateDiscoveryColumns(p.lists, p.settings);
    CreateMonitorColumns(p.lists, p.settings);
    const std::vector<uint8_t> reply =
        BareDiscoverReply(p.settings.header_id, 3, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    t.net.inboxFrom = test::HostAddress("10.1.0.77");

    for (int id : {33276, 33272, 33369, 33368}) {  // TFTP, and outside the identifiers
        t.net.inbox.push_back(reply);
        OnDeviceSocketEvent(p, id);
        EXPECT_EQ(t.net.inbox.size(), 1u) << id;
        t.net.inbox.clear();
    }
    OnDeviceSocketEvent(p, 33275);  // nothing waiting: the failed read is ignored
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(kStateAny), 0);

    for (int id : {33273, 33274, 33275, 33367}) {
        t.net.inbox.push_back(reply);
        OnDeviceSocketEvent(p, id);
        EXPECT_TRUE(t.net.inbox.empty()) << id;
    }
    ASSERT_EQ(p.lists.discoveryList.GetItemCount(kStateAny), 1);
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscMac), "001122334455");
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscIp), "10.1.0.77");
}

TEST(SocketEvents, TheReceiversOutcomeIsPassedUp) {
    test::TestProgram t;
    Program& p = t.program;
    CreateDiscoveryColumns(p.lists, p.settings);
    CreateMonitorColumns(p.lists, p.settings);
    const std::vector<uint8_t> reply = BareDiscoverReply(p.settings.header_id, 0, {});

    t.net.inbox.push_back(reply);
    EXPECT_FALSE(OnDeviceSocketEvent(p, 33276).has_value()) << "TFTP";
    t.net.inbox.clear();
    EXPECT_FALSE(OnDeviceSocketEvent(p, 33275).has_value()) << "failed read";

    t.net.inbox.push_back(reply);
    const auto merged = OnDeviceSocketEvent(p, 33273);
    ASSERT_TRUE(merged.has_value());
    EXPECT_EQ(merged->kind, DatagramKind::Merged);
    EXPECT_EQ(merged->mergedInto, ListKind::Discovery);

    t.net.inbox.push_back(BareDiscoverReply(p.settings.header_id + 1, 0, {}));
    const auto dropped = OnDeviceSocketEvent(p, 33273);
    ASSERT_TRUE(dropped.has_value());
    EXPECT_EQ(dropped->kind, DatagramKind::Dropped);
}

}  // namespace
}  // namespace pm
