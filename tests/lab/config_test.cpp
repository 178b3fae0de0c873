// The configuration, password and DHCP refresh forms, through a real program (sockets,
// interface monitor, receiver) against simulated switches, in network namespaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/PollLoop.h"
#include "app/ProgramContexts.h"
#include "app/SocketEvents.h"
#include "base/WireConstants.h"
#include "config/ConfigurationSet.h"
#include "config/DhcpRefresh.h"
#include "config/PasswordChange.h"
#include "config/Validation.h"
#include "inventory/DeviceTables.h"
#include "inventory/MonitorCommands.h"
#include "inventory/RowBuilders.h"
#include "lab/support/Lab.h"
#include "net/InterfaceMonitor.h"
#include "net/LinuxInterfaceSource.h"
#include "net/SocketTable.h"
#include "protocol/Discover.h"
#include "protocol/HandleDatagram.h"
#include "support/FakeUi.h"

namespace pm::test {
void PrintTo(const Message& m, std::ostream* os) {
    *os << '"' << m.text << "\" (" << m.caption << ")";
}
}  // namespace pm::test

namespace pm {
namespace {

constexpr uint16_t kBasePort = 4000;
constexpr char kGroup[] = "239.1.2.3";
constexpr uint32_t kHeaderId = 0x434F4E46;
constexpr char kTargetIp[] = "10.201.1.10";
constexpr char kOtherIp[] = "10.201.1.20";
const std::array<uint8_t, 6> kTargetMac{2, 0x50, 0x4D, 0, 1, 1};
const std::array<uint8_t, 6> kOtherMac{2, 0x50, 0x4D, 0, 1, 2};

constexpr uint64_t kReplyWaitMs = 3000;
// How long to keep listening after the first answer, to catch a second one.
constexpr uint64_t kQuietMs = 300;

uint32_t Ip(const char* dotted) {
    return *sim::ParseIp(dotted);
}

std::string MacText(const std::array<uint8_t, 6>& mac) {
    return FormatMac(mac.data());
}

uint16_t WordAt(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes.size() < at + 2 ? 0 : static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

bool IsSetCommand(uint16_t command) {
    return command == 3 || command == 7 || command == 14;
}

const test::Message kSetSuccessful{"Set Successful", "Information", Icon::Information,
                                   Owner::MainWindow};
const test::Message kPasswordIncorrect{"Password incorrect.", "Error", Icon::Error,
                                       Owner::MainWindow};

// The program as the main window runs it, with a recording user interface.
struct LabProgram {
    test::FakeUi ui;
    PollLoop loop;
    PosixSocketOps ops;
    LinuxInterfaceSource source;
    Settings settings = [] {
        Settings s;
        s.header_id = kHeaderId;
        s.base_port = kBasePort;
        s.DerivePorts();
        s.multicast_interface_on_off = 1;
        std::strcpy(s.multicast_group, kGroup);
        return s;
    }();
    SocketTable table{ui, loop, settings, ops};
    InterfaceMonitor monitor{loop, source, table};
    Program program{ui, loop, table, source};
    std::vector<uint32_t> senders;  // source address of every datagram read

    LabProgram() {
        program.settings = settings;
        CreateDiscoveryColumns(program.lists, program.settings);
        CreateMonitorColumns(program.lists, program.settings);
        table.SetNotifyHandler([this](int id) {
            uint8_t buffer[kMaxDatagram];
            uint32_t from = 0;
            uint16_t port = 0;
            const int n = table.ReceiveFromEvent(id, buffer, sizeof buffer, from, port);
            if (n < 0)
                return;
            senders.push_back(from);
            HandleDatagram(ReceiverOf(program), buffer, static_cast<size_t>(n), from);
        });
        monitor.Start();
    }
};

class ConfigLab : public ::testing::TestWithParam<ListKind> {
  protected:
    void SetUp() override {
        if (!lab::CanBuildLabs())
            GTEST_SKIP() << "lab tests need root and the ip tool";
        lab_ = std::make_unique<lab::Lab>();
        const std::string target = lab_->AddSwitch(0, std::string(kTargetIp) + "/24");
        const std::string other = lab_->AddSwitch(0, std::string(kOtherIp) + "/24");
        ASSERT_TRUE(lab_->Ok());
        sim::SimOptions options;
        options.basePort = kBasePort;
        options.group = kGroup;
        target_ = std::make_unique<lab::SimThread>(target, options,
                                                   std::vector{Switch(kTargetIp, kTargetMac)});
        other_ = std::make_unique<lab::SimThread>(other, options,
                                                  std::vector{Switch(kOtherIp, kOtherMac)});
        ASSERT_EQ(target_->Error(), "");
        ASSERT_EQ(other_->Error(), "");
        inManager_ = std::make_unique<lab::EnterNamespace>(lab_->Manager());
        ASSERT_TRUE(inManager_->Ok());
        // The utility's sockets open in the lab's manager namespace and nowhere else.
        ASSERT_TRUE(sim::InNamedNetworkNamespace());
        app_ = std::make_unique<LabProgram>();
        ASSERT_EQ(app_->table.InterfaceCount(), 2u);
    }
    void TearDown() override {
        app_.reset();
        inManager_.reset();  // leave the namespace before it goes
        target_.reset();
        other_.reset();
        lab_.reset();
    }

    static sim::SwitchConfig Switch(const char* ip, const std::array<uint8_t, 6>& mac) {
        sim::SwitchConfig c;
        c.ip = Ip(ip);
        c.mac = mac;
        c.iface = "eth0";
        c.password = "admin";
        c.systemName = "core";
        c.location = "rack 1";
        return c;
    }

    Program& P() { return app_->program; }
    SetRequestContext Context() { return SetRequestContextOf(P()); }
    test::FakeUi& Ui() { return app_->ui; }
    sim::SwitchSim& Target() { return target_->Sim(); }
    sim::SwitchSim& Other() { return other_->Sim(); }

    // Discover, and wait (bounded) until both switches are listed.
    void DiscoverBoth() {
        Program& p = P();
        ASSERT_EQ(Discover(p.lists, p.net, p.settings, p.ui), 0);
        app_->loop.RunUntil(
            [&] {
                return Listed(kTargetMac) &&
                       FindDiscoveryByMac(P().lists, MacText(kOtherMac)).found;
            },
            kReplyWaitMs);
        app_->loop.Run(kQuietMs);
        ASSERT_TRUE(Listed(kTargetMac));
    }
    bool Listed(const std::array<uint8_t, 6>& mac) const {
        return FindDiscoveryByMac(app_->program.lists, MacText(mac)).found ||
               FindMonitorByMac(app_->program.lists, MacText(mac)).found;
    }

    // Puts the target in the list under test and selects it there, as the main window does
    // before it opens a device form.
    void PrepareTarget() {
        ASSERT_NO_FATAL_FAILURE(DiscoverBoth());
        if (GetParam() == ListKind::Monitor) {
            const int row = P().lists.discoveryList.FindRowByText(kDiscMac, MacText(kTargetMac));
            ASSERT_GE(row, 0);
            P().lists.discoveryList.SetItemStates(row, kStateSelected);
            AddOneToMonitor(P().lists, P().settings, P().ui);
            ASSERT_TRUE(FindMonitorByMac(P().lists, MacText(kTargetMac)).found);
        }
        Select();
    }
    void Select() {
        const std::string mac = MacText(kTargetMac);
        const bool monitor = GetParam() == ListKind::Monitor;
        const Lookup at =
            monitor ? FindMonitorByMac(P().lists, mac) : FindDiscoveryByMac(P().lists, mac);
        ASSERT_TRUE(at.found);
        P().selection = {at.index, GetParam(), P().lists.monitorList.GetItemCount(),
                         P().lists.discoveryList.GetItemCount()};
    }
    DeviceRecord& Entry() {
        const std::string mac = MacText(kTargetMac);
        const Lookup m = FindMonitorByMac(P().lists, mac);
        return m.found
                   ? P().lists.monitor[static_cast<size_t>(m.index)]
                   : P().lists
                         .discovery[static_cast<size_t>(FindDiscoveryByMac(P().lists, mac).index)];
    }

    // The form as it opens for the selected switch, turned into what Set reads.
    ConfigurationInput FormInput(const char* password) {
        const ConfigurationFormView v = OpenConfigurationForm(Entry(), P().settings);
        ConfigurationInput in;
        in.mode = v.selected;
        in.ip = v.ip;
        in.mask = v.mask.value_or(0);
        in.gateway = v.gateway.value_or(0);
        in.systemName = v.systemName;
        in.location = v.location;
        in.password = password;
        in.passwordEnabled = v.passwordEnabled;
        in.groupInterval = v.groupIntervalText;
        in.groupIntervalEnabled = v.groupIntervalVisible && v.groupIntervalEnabled;
        return in;
    }

    // Runs one form action and waits (bounded) for its answer and then a little longer.
    // Returns the messages shown and the set requests each simulator received.
    struct Outcome {
        std::vector<test::Message> messages;
        std::vector<sim::SeenRequest> atTarget, atOther;
    };
    template <typename Action>
    Outcome Exchange(Action action) {
        Ui().Clear();
        Target().ClearRequests();
        Other().ClearRequests();
        action();
        app_->loop.RunUntil([&] { return !Ui().messages.empty(); }, kReplyWaitMs);
        app_->loop.Run(kQuietMs);
        Outcome out{Ui().messages, SetRequests(Target()), SetRequests(Other())};
        return out;
    }
    static std::vector<sim::SeenRequest> SetRequests(const sim::SwitchSim& s) {
        std::vector<sim::SeenRequest> out;
        for (auto& r : s.Requests())
            if (IsSetCommand(r.command))
                out.push_back(r);
        return out;
    }

    // A discovered switch is set by one broadcast and one multicast copy, which every switch
    // on the segment hears; a monitored one by one unicast to its address alone.
    // A switch in its loader is sent command 14 either way.
    void ExpectSentTheListsWay(const Outcome& o, uint32_t targetAddress, bool loader = false) {
        const bool discovered = GetParam() == ListKind::Discovery;
        const uint16_t command = loader ? 14 : discovered ? 3 : 7;
        if (discovered) {
            ASSERT_EQ(o.atTarget.size(), 2u);
            EXPECT_EQ(o.atTarget[0].command, command);
            EXPECT_EQ(o.atTarget[0].to, 0xFFFFFFFFu);
            EXPECT_EQ(o.atTarget[1].command, command);
            EXPECT_EQ(o.atTarget[1].to, Ip(kGroup));
            EXPECT_EQ(o.atOther.size(), 2u);
        } else {
            ASSERT_EQ(o.atTarget.size(), 1u);
            EXPECT_EQ(o.atTarget[0].command, command);
            EXPECT_EQ(o.atTarget[0].to, targetAddress);
            EXPECT_TRUE(o.atOther.empty());
        }
        for (const auto& r : o.atTarget)
            EXPECT_TRUE(std::equal(kTargetMac.begin(), kTargetMac.end(),
                                   r.bytes.begin() + hdr::kDeviceMac));
    }
    static void ExpectHeaderMarks(const Outcome& o, uint16_t minor, uint16_t revision) {
        for (const auto& r : o.atTarget) {
            EXPECT_EQ(WordAt(r.bytes, 2), minor);
            EXPECT_EQ(WordAt(r.bytes, 10), revision);
        }
    }

    std::unique_ptr<lab::Lab> lab_;
    std::unique_ptr<lab::SimThread> target_, other_;
    std::unique_ptr<lab::EnterNamespace> inManager_;
    std::unique_ptr<LabProgram> app_;
    DeviceRecord workingCopy_;  // the open form's
};

TEST_P(ConfigLab, NewAddressMaskAndGatewayMoveTheSwitch) {
    ASSERT_NO_FATAL_FAILURE(PrepareTarget());
    ConfigurationInput in = FormInput("admin");
    ASSERT_EQ(in.mode, IpModeChoice::Static);
    in.ip = Ip("10.201.1.50");
    in.mask = Ip("255.255.255.128");
    in.gateway = Ip("10.201.1.1");

    const Outcome o =
        Exchange([&] { EXPECT_TRUE(ClosesForm(SetConfiguration(Context(), in, workingCopy_))); });
    EXPECT_EQ(o.messages, std::vector{kSetSuccessful});
    ExpectSentTheListsWay(o, Ip(kTargetIp));
    ExpectHeaderMarks(o, 0, 0);
    const sim::SwitchConfig now = Target().Config(0);
    EXPECT_EQ(sim::FormatIp(now.ip), "10.201.1.50");
    EXPECT_EQ(sim::FormatIp(now.mask), "255.255.255.128");
    EXPECT_EQ(sim::FormatIp(now.gateway), "10.201.1.1");
    EXPECT_EQ(TextOf(Entry().ip_text), "10.201.1.50");

    // The next discovery is answered from the new address, and the list follows.
    app_->senders.clear();
    Ui().Clear();
    ASSERT_NO_FATAL_FAILURE(DiscoverBoth());
    EXPECT_NE(std::find(app_->senders.begin(), app_->senders.end(), Ip("10.201.1.50")),
              app_->senders.end());
    EXPECT_EQ(std::find(app_->senders.begin(), app_->senders.end(), Ip(kTargetIp)),
              app_->senders.end());
    EXPECT_EQ(TextOf(Entry().ip_text), "10.201.1.50");
    EXPECT_EQ(TextOf(Entry().mask_text), "255.255.255.128");
    EXPECT_EQ(TextOf(Entry().gateway_text), "10.201.1.1");
    EXPECT_TRUE(Ui().messages.empty());
}

TEST_P(ConfigLab, NamesThenPasswordThenTheOldPasswordIsRefused) {
    ASSERT_NO_FATAL_FAILURE(PrepareTarget());
    {
        SCOPED_TRACE("system name and location");
        ConfigurationInput in = FormInput("admin");
        in.systemName = "edge-7";
        in.location = "hall B (rack 3)";
        const Outcome o = Exchange(
            [&] { EXPECT_TRUE(ClosesForm(SetConfiguration(Context(), in, workingCopy_))); });
        EXPECT_EQ(o.messages, std::vector{kSetSuccessful});
        ExpectSentTheListsWay(o, Ip(kTargetIp));
        EXPECT_EQ(Target().Config(0).systemName, "edge-7");
        EXPECT_EQ(Target().Config(0).location, "hall B (rack 3)");
        EXPECT_EQ(Target().Config(0).ip, Ip(kTargetIp));
        EXPECT_EQ(TextOf(Entry().system_name), "edge-7");
    }
    {
        SCOPED_TRACE("password");
        Select();
        const Outcome o = Exchange([&] {
            EXPECT_TRUE(ClosesForm(
                ChangePassword(Context(), {"admin", "n3wSecret", "n3wSecret"}, workingCopy_)));
        });
        EXPECT_EQ(o.messages, std::vector{kSetSuccessful});
        ExpectSentTheListsWay(o, Ip(kTargetIp));
        ExpectHeaderMarks(o, 0, 0);
        EXPECT_EQ(Target().Config(0).password, "n3wSecret");
    }
    {
        SCOPED_TRACE("the old password");
        Select();
        ConfigurationInput in = FormInput("admin");
        in.systemName = "intruder";
        const Outcome o = Exchange(
            [&] { EXPECT_TRUE(ClosesForm(SetConfiguration(Context(), in, workingCopy_))); });
        EXPECT_EQ(o.messages, std::vector{kPasswordIncorrect});
        EXPECT_EQ(Target().Config(0).systemName, "edge-7");
    }
    {
        SCOPED_TRACE("the new password");
        Select();
        ConfigurationInput in = FormInput("n3wSecret");
        in.location = "hall C";
        const Outcome o = Exchange(
            [&] { EXPECT_TRUE(ClosesForm(SetConfiguration(Context(), in, workingCopy_))); });
        EXPECT_EQ(o.messages, std::vector{kSetSuccessful});
        EXPECT_EQ(Target().Config(0).location, "hall C");
    }
}

TEST_P(ConfigLab, ToDhcpThenARefreshMarkedInItsHeader) {
    ASSERT_NO_FATAL_FAILURE(PrepareTarget());
    {
        SCOPED_TRACE("to DHCP");
        ConfigurationInput in = FormInput("admin");
        in.mode = IpModeChoice::Dhcp;
        const Outcome o = Exchange(
            [&] { EXPECT_TRUE(ClosesForm(SetConfiguration(Context(), in, workingCopy_))); });
        EXPECT_EQ(o.messages, std::vector{kSetSuccessful});
        ExpectSentTheListsWay(o, Ip(kTargetIp));
        EXPECT_EQ(Target().Config(0).ipMode, 1);
        EXPECT_EQ(Target().Config(0).ip, Ip(kTargetIp));  // 0.0.0.0 keeps the address
        EXPECT_EQ(Entry().ip_mode, 1);
    }
    {
        SCOPED_TRACE("DHCP refresh");
        Select();
        const Outcome o = Exchange([&] { RefreshDhcp(Context(), "admin", workingCopy_); });
        EXPECT_EQ(o.messages, std::vector{kSetSuccessful});
        ExpectSentTheListsWay(o, Ip(kTargetIp));
        ASSERT_FALSE(o.atTarget.empty());
        ExpectHeaderMarks(o, 1, 6);
        EXPECT_EQ(o.atTarget[0].bytes[2], 0x00);
        EXPECT_EQ(o.atTarget[0].bytes[3], 0x01);
        EXPECT_EQ(o.atTarget[0].bytes[10], 0x00);
        EXPECT_EQ(o.atTarget[0].bytes[11], 0x06);
        EXPECT_EQ(Target().Config(0).ipMode, 1);
        EXPECT_EQ(Target().Config(0).ip, Ip(kTargetIp));
    }
    {
        SCOPED_TRACE("DHCP refresh with a wrong password");
        Select();
        const Outcome o = Exchange([&] { RefreshDhcp(Context(), "guess", workingCopy_); });
        EXPECT_EQ(o.messages, std::vector{kPasswordIncorrect});
    }
}

TEST_P(ConfigLab, ASwitchInItsLoaderTakesANewAddressWithoutPassword) {
    Target().Update(0, [](sim::SwitchConfig& c) { c.loader = true; });
    ASSERT_NO_FATAL_FAILURE(PrepareTarget());
    ASSERT_EQ(Entry().loader, kLoaderMarker);
    ConfigurationInput in = FormInput("");
    EXPECT_FALSE(in.passwordEnabled);
    in.ip = Ip("10.201.1.60");
    const Outcome o =
        Exchange([&] { EXPECT_TRUE(ClosesForm(SetConfiguration(Context(), in, workingCopy_))); });
    EXPECT_EQ(o.messages, std::vector{kSetSuccessful});
    ExpectSentTheListsWay(o, Ip(kTargetIp), true);
    EXPECT_EQ(sim::FormatIp(Target().Config(0).ip), "10.201.1.60");
    EXPECT_EQ(TextOf(Entry().ip_text), "10.201.1.60");
}

INSTANTIATE_TEST_SUITE_P(Lists, ConfigLab,
                         ::testing::Values(ListKind::Discovery, ListKind::Monitor),
                         [](const auto& info) {
                             return info.param == ListKind::Monitor ? std::string("Monitored")
                                                                    : std::string("Discovered");
                         });

}  // namespace
}  // namespace pm
