#include <gtest/gtest.h>

#include "app/ProgramContexts.h"
#include "config/ConfigurationSet.h"
#include "config/SetPacket.h"
#include "config/SetRequest.h"
#include "support/TestProgram.h"

namespace pm::test {
namespace {

uint32_t Ip(const char* text) {
    return *ParseAddress(text);
}

// A revision 1 switch: the default capability bitmap, no mode reported.
DeviceRecord RevisionOneSwitch() {
    DeviceRecord d;
    SetText(d.mac_text, "0012ab34cdef");
    SetText(d.product_name, "QR_VM410_16");
    SetText(d.system_name, "  Room 1 ");
    SetText(d.location, "Rack");
    SetText(d.ip_text, "192.168.1.10");
    SetText(d.mask_text, "255.255.255.0");
    SetText(d.gateway_text, "192.168.1.1");
    d.ip = Ip("192.168.1.10");
    d.mask = Ip("255.255.255.0");
    d.gateway = Ip("192.168.1.1");
    d.ip_mode = kIpModeNotReported;
    d.group_interval = -1;
    d.revision = 1;
    d.major = 2;
    d.minor = 1;
    d.capabilities[0] = 0x1FF;
    d.answered = 1;
    d.status_mark = -1;
    return d;
}

ConfigurationInput InputFor(const DeviceRecord& d, const Settings& s) {
    const auto view = OpenConfigurationForm(d, s);
    ConfigurationInput in;
    in.mode = view.selected;
    in.ip = view.ip;
    in.mask = view.mask.value_or(0);
    in.gateway = view.gateway.value_or(0);
    in.systemName = view.systemName;
    in.location = view.location;
    in.password = "secret";
    in.passwordEnabled = view.passwordEnabled;
    in.groupInterval = view.groupIntervalText;
    in.groupIntervalEnabled = view.groupIntervalEnabled;
    return in;
}

class ConfigurationSetTest : public ::testing::Test {
  protected:
    // Selects entry `index` of the list; the counts are the used entries of both tables.
    void Select(ListKind list, int index) {
        p.selection = {index, list, monitorCount, discoveryCount};
    }
    void AddMonitored(const char* address) {
        auto& e = p.lists.monitor[static_cast<size_t>(monitorCount++)];
        SetText(e.ip_text, address);
        e.ip = Ip(address);
        e.answered = 1;
    }
    SetPacket OnlyBroadcast() {
        const auto b = t.net.Of(SendKind::Broadcast);
        EXPECT_EQ(b.size(), 1u);
        return b.empty() ? SetPacket{} : ReadSetPacket(b[0].bytes);
    }

    TestProgram t;
    Program& p = t.program;
    const SetRequestContext context = SetRequestContextOf(p);
    DeviceRecord workingCopy;
    int monitorCount = 0;
    int discoveryCount = 0;
};

TEST_F(ConfigurationSetTest, RevisionOneSwitchGetsTheSevenDefaultFieldsInOrder) {
    p.lists.discovery[0] = RevisionOneSwitch();
    discoveryCount = 1;
    AddMonitored("10.0.0.5");
    Select(ListKind::Discovery, 0);
    p.sequence = 0x1234;

    const auto view = OpenConfigurationForm(p.lists.discovery[0], p.settings);
    EXPECT_FALSE(view.staticEnabled || view.dhcpEnabled || view.bootpEnabled);
    EXPECT_EQ(view.selected, IpModeChoice::None);

    ASSERT_TRUE(ClosesForm(
        SetConfiguration(context, InputFor(p.lists.discovery[0], p.settings), workingCopy)));
    EXPECT_TRUE(t.ui.messages.empty());

    ASSERT_EQ(t.net.sent.size(), 2u);
    EXPECT_EQ(t.net.sent[0].kind, SendKind::Broadcast);
    EXPECT_EQ(t.net.sent[1].kind, SendKind::Multicast);
    EXPECT_EQ(t.net.sent[0].bytes, t.net.sent[1].bytes);

    const SetPacket r = ReadSetPacket(t.net.sent[0].bytes);
    ASSERT_TRUE(r.complete);
    EXPECT_EQ(r.major, 2);
    EXPECT_EQ(r.minor, 0);
    EXPECT_EQ(r.deviceMac, "0012ab34cdef");
    EXPECT_EQ(r.revision, 0);
    EXPECT_EQ(r.command, 3);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.headerId, 0x0000ABCDu);
    EXPECT_EQ(r.sequence, 0x1234);
    EXPECT_EQ(r.reserved, std::vector<uint8_t>(12, 0));
    EXPECT_EQ(t.net.sent[0].bytes[26], 0x12);
    EXPECT_EQ(t.net.sent[0].bytes[27], 0x34);

    EXPECT_EQ(r.Types(), (std::vector<uint16_t>{9, 1, 2, 3, 4, 6, 5}));
    EXPECT_EQ(r.fields[0].Text(), "secret");
    EXPECT_EQ(r.fields[1].Text(), "QR_VM410_16");  // as the switch reported it
    EXPECT_EQ(r.fields[2].Text(), "Room 1");       // trimmed when the form opened
    EXPECT_EQ(r.fields[3].Text(), "Rack");
    for (int i : {4, 5, 6})
        EXPECT_EQ(r.fields[static_cast<size_t>(i)].length, 8);
    EXPECT_EQ(r.fields[4].Number(), Ip("192.168.1.10"));
    EXPECT_EQ(r.fields[5].Number(), Ip("192.168.1.1"));
    EXPECT_EQ(r.fields[6].Number(), Ip("255.255.255.0"));

    EXPECT_STREQ(p.pending.mac_text, "0012ab34cdef");
    EXPECT_EQ(p.pending.address, Ip("192.168.1.10"));
    EXPECT_EQ(p.sequence, 0x1234);  // only a matching reply advances it
    // A broadcast set polls every monitored switch first.
    EXPECT_EQ(p.lists.monitor[0].answered, 0);
    EXPECT_EQ(p.lists.monitor[0].missed_polls, 0);
}

TEST_F(ConfigurationSetTest, StaticToDhcpSendsZeroAddressesAndModeOneWithoutCheckingThem) {
    DeviceRecord d = RevisionOneSwitch();
    d.capabilities[0] = 0x3FF;
    d.revision = 2;
    d.ip_mode = kIpModeStatic;
    p.lists.discovery[0] = d;
    discoveryCount = 1;
    Select(ListKind::Discovery, 0);

    auto in = InputFor(d, p.settings);
    EXPECT_EQ(in.mode, IpModeChoice::Static);
    in.mode = IpModeChoice::Dhcp;
    in.ip = 0;  // would be refused if it were checked
    in.mask = Ip("255.255.255.255");
    ASSERT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
    EXPECT_TRUE(t.ui.messages.empty());

    const SetPacket r = OnlyBroadcast();
    EXPECT_EQ(r.Types(), (std::vector<uint16_t>{9, 1, 2, 3, 4, 6, 5, 10}));
    EXPECT_EQ(r.Find(4)->Number(), 0u);
    EXPECT_EQ(r.Find(6)->Number(), 0u);
    EXPECT_EQ(r.Find(5)->Number(), 0u);
    EXPECT_EQ(r.Find(10)->length, 6);
    EXPECT_EQ(r.Find(10)->value, (std::vector<uint8_t>{0x00, 0x01}));
    EXPECT_EQ(workingCopy.ip, 0u);
}

TEST_F(ConfigurationSetTest, DhcpToStaticSendsTheTypedAddresses) {
    DeviceRecord d = RevisionOneSwitch();
    d.capabilities[0] = 0x3FF;
    d.ip_mode = kIpModeDhcp;
    p.lists.discovery[0] = d;
    discoveryCount = 1;
    Select(ListKind::Discovery, 0);

    auto in = InputFor(d, p.settings);
    EXPECT_EQ(in.mode, IpModeChoice::Dhcp);
    in.mode = IpModeChoice::Static;
    in.ip = Ip("10.1.2.3");
    in.mask = Ip("255.0.0.0");
    in.gateway = Ip("10.0.0.1");
    ASSERT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
    const SetPacket r = OnlyBroadcast();
    EXPECT_EQ(r.Find(4)->Number(), Ip("10.1.2.3"));
    EXPECT_EQ(r.Find(6)->Number(), Ip("10.0.0.1"));
    EXPECT_EQ(r.Find(5)->Number(), Ip("255.0.0.0"));
    EXPECT_EQ(r.Find(10)->value, (std::vector<uint8_t>{0x00, 0x00}));
    EXPECT_EQ(p.pending.address, Ip("10.1.2.3"));
}

TEST_F(ConfigurationSetTest, EmptyNameAndLocationAreSentAsOneBlank) {
    p.lists.discovery[0] = RevisionOneSwitch();
    discoveryCount = 1;
    Select(ListKind::Discovery, 0);
    auto in = InputFor(p.lists.discovery[0], p.settings);
    in.systemName.clear();
    in.location.clear();
    ASSERT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
    const SetPacket r = OnlyBroadcast();
    EXPECT_EQ(r.Find(2)->Text(), " ");
    EXPECT_EQ(r.Find(2)->length, 5);
    EXPECT_EQ(r.Find(3)->Text(), " ");
}

TEST_F(ConfigurationSetTest, NamesAtTheRecordWidthsAreSentWhole) {
    p.lists.discovery[0] = RevisionOneSwitch();
    discoveryCount = 1;
    Select(ListKind::Discovery, 0);
    auto in = InputFor(p.lists.discovery[0], p.settings);
    in.systemName = std::string(20, 'n');
    in.location = std::string(30, 'l');
    ASSERT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
    const SetPacket r = OnlyBroadcast();
    EXPECT_EQ(r.Find(2)->Text(), in.systemName);
    EXPECT_EQ(r.Find(3)->Text(), in.location);
}

TEST_F(ConfigurationSetTest, LoaderGetsCommand14AndAnEmptyPassword) {
    DeviceRecord d = RevisionOneSwitch();
    d.loader = 100;
    d.group_interval = 300;
    p.lists.monitor[0] = d;
    monitorCount = 1;
    Select(ListKind::Monitor, 0);

    const auto view = OpenConfigurationForm(d, p.settings);
    EXPECT_FALSE(view.passwordEnabled);
    EXPECT_FALSE(view.namesEnabled);
    EXPECT_FALSE(view.staticEnabled || view.dhcpEnabled || view.bootpEnabled);
    // The group interval rule comes last and so decides, even in the loader.
    EXPECT_TRUE(view.groupIntervalEnabled);

    ASSERT_TRUE(ClosesForm(SetConfiguration(context, InputFor(d, p.settings), workingCopy)));
    const auto sent = t.net.Of(SendKind::ToDevice);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(t.net.sent.size(), 1u);
    EXPECT_EQ(sent[0].address, Ip("192.168.1.10"));
    const SetPacket r = ReadSetPacket(sent[0].bytes);
    EXPECT_EQ(r.command, 14);
    ASSERT_FALSE(r.fields.empty());
    EXPECT_EQ(r.fields[0].type, 9);
    EXPECT_EQ(r.fields[0].length, 4);
}

TEST_F(ConfigurationSetTest, MonitoredSwitchIsSetByUnicastToItsCurrentAddress) {
    AddMonitored("10.0.0.5");
    DeviceRecord d = RevisionOneSwitch();
    d.answered = 0;
    d.missed_polls = 1;
    p.lists.monitor[1] = d;
    monitorCount = 2;
    AddMonitored("10.0.0.6");
    Select(ListKind::Monitor, 1);

    auto in = InputFor(d, p.settings);
    in.ip = Ip("192.168.1.20");
    ASSERT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
    const auto sent = t.net.Of(SendKind::ToDevice);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(t.net.sent.size(), 1u);
    EXPECT_EQ(sent[0].address, Ip("192.168.1.10"));
    EXPECT_EQ(ReadSetPacket(sent[0].bytes).command, 7);
    EXPECT_EQ(p.pending.address, Ip("192.168.1.20"));
    // Only the target takes a poll step.
    EXPECT_EQ(p.lists.monitor[1].missed_polls, 2);
    EXPECT_EQ(p.lists.monitor[0].answered, 1);
    EXPECT_EQ(p.lists.monitor[2].answered, 1);
}

TEST_F(ConfigurationSetTest, GroupIntervalFieldFollowsTheFormAndTheFeature) {
    DeviceRecord d = RevisionOneSwitch();
    d.capabilities[0] = 0x1FF | 0x200000;
    d.group_interval = 300;
    p.lists.discovery[0] = d;
    discoveryCount = 1;
    Select(ListKind::Discovery, 0);

    struct Case {
        int feature;
        bool enabled;
        const char* text;
        bool sent;
        uint32_t value;
    };
    for (const Case c : {Case{1, true, "0", true, 0}, Case{1, true, "", true, 0},
                         Case{1, true, "1225", true, 1225}, Case{1, false, "300", false, 0},
                         Case{0, true, "300", false, 0}}) {
        SCOPED_TRACE(c.text);
        t.net.sent.clear();
        p.settings.multicast_interface_on_off = c.feature;
        auto in = InputFor(d, p.settings);
        in.groupInterval = c.text;
        in.groupIntervalEnabled = c.enabled;
        ASSERT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
        const SetPacket r = OnlyBroadcast();
        const Field* f = r.Find(22);
        ASSERT_EQ(f != nullptr, c.sent);
        if (f) {
            EXPECT_EQ(f->length, 8);
            EXPECT_EQ(f->Number(), c.value);
            EXPECT_EQ(r.fields.back().type, 22);
        }
    }
}

TEST_F(ConfigurationSetTest, ThreeWayModeDeviceGetsFieldTenForBootp) {
    DeviceRecord d = RevisionOneSwitch();
    d.capabilities[1] = 0x1;  // three-way mode, no type 10 bit
    d.ip_mode = kIpModeStatic;
    p.lists.discovery[0] = d;
    discoveryCount = 1;
    Select(ListKind::Discovery, 0);
    auto in = InputFor(d, p.settings);
    in.mode = IpModeChoice::Bootp;
    ASSERT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
    const SetPacket r = OnlyBroadcast();
    ASSERT_NE(r.Find(10), nullptr);
    EXPECT_EQ(r.Find(10)->Number(), 2u);
    EXPECT_EQ(r.Find(4)->Number(), 0u);
}

struct BadInput {
    const char* name;
    std::function<void(ConfigurationInput&)> change;
    std::string text;
    std::string caption;
};

TEST_F(ConfigurationSetTest, EachCheckRefusesWithItsMessageAndSendsNothing) {
    AddMonitored("192.168.1.77");
    p.lists.discovery[0] = RevisionOneSwitch();
    discoveryCount = 1;
    Select(ListKind::Discovery, 0);
    const std::string kMask = "Invalid subnet mask.";
    const std::vector<BadInput> cases = {
        {"colon after letter", [](auto& in) { in.systemName = "a:b"; },
         "Please input valid system name.", "Error"},
        {"name too long", [](auto& in) { in.systemName = std::string(21, 'n'); },
         "Please input valid system name.", "Error"},
        {"name before password",
         [](auto& in) {
             in.systemName = ":x";
             in.password.clear();
         },
         "Please input valid system name.", "Error"},
        {"location", [](auto& in) { in.location = "x;y"; }, "Please input valid location!",
         "Error"},
        {"location too long", [](auto& in) { in.location = std::string(31, 'l'); },
         "Please input valid location!", "Error"},
        {"empty password", [](auto& in) { in.password.clear(); },
         "Password must be 1-20 characters length.", "Error"},
        {"long password", [](auto& in) { in.password = std::string(21, 'p'); },
         "Password must be 1-20 characters length.", "Error"},
        {"password before address",
         [](auto& in) {
             in.password.clear();
             in.ip = 0;
         },
         "Password must be 1-20 characters length.", "Error"},
        {"address 0", [](auto& in) { in.ip = 0; }, "Invalid IP address.", " Error"},
        {"loopback", [](auto& in) { in.ip = Ip("127.0.0.1"); }, "Invalid IP address.", " Error"},
        {"broadcast host", [](auto& in) { in.ip = Ip("192.168.1.255"); }, "Invalid IP address.",
         " Error"},
        {"multicast", [](auto& in) { in.ip = Ip("224.0.0.1"); }, "Invalid IP address.", " Error"},
        {"monitored address", [](auto& in) { in.ip = Ip("192.168.1.77"); }, "Duplicate IP address.",
         "Setting fail"},
        {"duplicate before mask",
         [](auto& in) {
             in.ip = Ip("192.168.1.77");
             in.mask = 0;
         },
         "Duplicate IP address.", "Setting fail"},
        {"mask all ones", [](auto& in) { in.mask = Ip("255.255.255.255"); }, kMask, "Error"},
        {"mask first octet 0", [](auto& in) { in.mask = Ip("0.255.255.0"); }, kMask, "Error"},
        {"gateway 223", [](auto& in) { in.gateway = Ip("223.0.0.1"); },
         "Invalid gateway IP address.", "Error"},
        {"gateway before host part",
         [](auto& in) {
             in.gateway = Ip("230.0.0.1");
             in.ip = Ip("10.1.0.0");
             in.mask = Ip("255.255.0.0");
         },
         "Invalid gateway IP address.", "Error"},
        {"subnet address",
         [](auto& in) {
             in.ip = Ip("10.1.0.0");
             in.mask = Ip("255.255.0.0");
             in.gateway = 0;
         },
         kMask, "Error"},
        {"other subnet", [](auto& in) { in.gateway = Ip("192.168.2.1"); },
         "Gateway and IP addresses are not in the same subnet.", "Error"},
        {"holes in mask",
         [](auto& in) {
             in.mask = Ip("255.0.255.0");
             in.gateway = 0;
         },
         kMask, "Error"},
        {"interval 119",
         [](auto& in) {
             in.groupIntervalEnabled = true;
             in.groupInterval = "119";
         },
         "Group Interval value must between 120-1225\n0 means disable switch group interval",
         "Error"},
        {"interval 12a",
         [](auto& in) {
             in.groupIntervalEnabled = true;
             in.groupInterval = "12a";
         },
         "Group Interval value must between 120-1225\n0 means disable switch group interval",
         "Error"},
        {"interval 1226",
         [](auto& in) {
             in.groupIntervalEnabled = true;
             in.groupInterval = "1226";
         },
         "Group Interval value must between 120-1225\n0 means disable switch group interval",
         "Error"},
        {"interval 4294967416",
         [](auto& in) {
             in.groupIntervalEnabled = true;
             in.groupInterval = "4294967416";
         },
         "Group Interval value must between 120-1225\n0 means disable switch group interval",
         "Error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        t.ui.Clear();
        auto in = InputFor(p.lists.discovery[0], p.settings);
        c.change(in);
        EXPECT_FALSE(ClosesForm(SetConfiguration(context, in, workingCopy)));
        ASSERT_EQ(t.ui.messages.size(), 1u);
        EXPECT_EQ(t.ui.messages[0], (Message{c.text, c.caption, Icon::Error, Owner::Form}));
        EXPECT_TRUE(t.net.sent.empty());
    }
    EXPECT_EQ(p.pending.mac_text[0], '\0');
}

TEST_F(ConfigurationSetTest, AcceptsWhatTheChecksAllow) {
    p.lists.discovery[0] = RevisionOneSwitch();
    DeviceRecord other = RevisionOneSwitch();
    other.ip = Ip("192.168.1.30");
    p.lists.discovery[1] = other;
    discoveryCount = 2;
    Select(ListKind::Discovery, 0);
    const std::vector<std::pair<const char*, std::function<void(ConfigurationInput&)>>> cases = {
        {"no gateway", [](auto& in) { in.gateway = 0; }},
        {"blank before colon", [](auto& in) { in.systemName = "a :b"; }},
        {"discovery table not searched", [](auto& in) { in.ip = Ip("192.168.1.30"); }},
        {"disabled password not read",
         [](auto& in) {
             in.passwordEnabled = false;
             in.password.clear();
         }},
        {"disabled interval not read", [](auto& in) { in.groupInterval = "x"; }},
        {"20-character password", [](auto& in) { in.password = std::string(20, 'p'); }},
    };
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        t.ui.Clear();
        auto in = InputFor(p.lists.discovery[0], p.settings);
        change(in);
        EXPECT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
        EXPECT_TRUE(t.ui.messages.empty());
    }
}

TEST_F(ConfigurationSetTest, MonitoredSwitchChecksBothTablesButNotItself) {
    AddMonitored("192.168.1.50");
    p.lists.monitor[1] = RevisionOneSwitch();
    monitorCount = 2;
    DeviceRecord found = RevisionOneSwitch();
    found.ip = Ip("192.168.1.60");
    p.lists.discovery[0] = found;
    discoveryCount = 1;
    // Beyond the counts taken when the form opened: not searched.
    p.lists.discovery[1] = found;
    p.lists.discovery[1].ip = Ip("192.168.1.70");
    Select(ListKind::Monitor, 1);

    auto in = InputFor(p.lists.monitor[1], p.settings);
    for (const char* taken : {"192.168.1.50", "192.168.1.60"}) {
        t.ui.Clear();
        in.ip = Ip(taken);
        EXPECT_FALSE(ClosesForm(SetConfiguration(context, in, workingCopy)));
        ASSERT_EQ(t.ui.Texts(), std::vector<std::string>{"Duplicate IP address."});
    }
    for (const char* free : {"192.168.1.10", "192.168.1.70"}) {
        t.ui.Clear();
        in.ip = Ip(free);
        EXPECT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
        EXPECT_TRUE(t.ui.messages.empty());
    }
}

TEST_F(ConfigurationSetTest, SendFailuresAreReportedWithoutOwnerAndTheFormCloses) {
    p.lists.discovery[0] = RevisionOneSwitch();
    discoveryCount = 1;
    p.lists.monitor[0] = RevisionOneSwitch();
    monitorCount = 1;

    struct Case {
        ListKind list;
        SendKind fail;
        std::string text;
        size_t sends;
    };
    for (const Case& c :
         {Case{ListKind::Monitor, SendKind::ToDevice, "Unicast set send error", 0},
          Case{ListKind::Discovery, SendKind::Broadcast, "UDP set send error", 0},
          Case{ListKind::Discovery, SendKind::Multicast, "UDP set send error", 1}}) {
        SCOPED_TRACE(c.text);
        t.ui.Clear();
        t.net.sent.clear();
        t.net.failKinds = {c.fail};
        Select(c.list, 0);
        auto in = InputFor(RevisionOneSwitch(), p.settings);
        in.ip = Ip("192.168.1.11");
        EXPECT_TRUE(ClosesForm(SetConfiguration(context, in, workingCopy)));
        EXPECT_EQ(SendConfigurationSet(context, workingCopy), SetOutcome::SendFailed);
        ASSERT_EQ(t.ui.messages.size(), 2u);
        EXPECT_EQ(t.ui.messages[0], (Message{c.text, "Error", Icon::Error, Owner::NoWindow}));
        EXPECT_EQ(t.net.sent.size(), 2 * c.sends);
        EXPECT_STREQ(p.pending.mac_text, "0012ab34cdef");
    }
}

TEST_F(ConfigurationSetTest, TheOutcomeSaysWhatBecameOfTheRequest) {
    p.lists.discovery[0] = RevisionOneSwitch();
    discoveryCount = 1;
    Select(ListKind::Discovery, 0);
    auto in = InputFor(RevisionOneSwitch(), p.settings);

    EXPECT_EQ(SetConfiguration(context, in, workingCopy), SetOutcome::Sent);
    t.net.failKinds = {SendKind::Broadcast};
    EXPECT_EQ(SetConfiguration(context, in, workingCopy), SetOutcome::SendFailed);
    t.net.failKinds.clear();
    in.systemName = "bad|name";
    EXPECT_EQ(SetConfiguration(context, in, workingCopy), SetOutcome::Refused);
    EXPECT_EQ(t.net.sent.size(), 2u);  // the first request's two copies only

    p.selection.index = static_cast<int>(kTableSize);
    EXPECT_EQ(SetConfiguration(context, in, workingCopy), SetOutcome::NoDevice);
    EXPECT_EQ(SendConfigurationSet(context, workingCopy), SetOutcome::NoDevice);
    EXPECT_EQ(t.ui.Texts(),
              (std::vector<std::string>{"UDP set send error", "Please input valid system name."}));
}

struct OpeningCase {
    const char* name;
    uint32_t word0, word1;
    uint16_t mode, loader;
    IpModeChoice selected;
    bool staticOn, dhcpOn, bootpOn, addressesOn;
};

TEST(ConfigurationFormOpening, RadioButtonsAndAddressFields) {
    const bool T = true, F = false;
    const OpeningCase cases[] = {
        {"three-way static", 0x1FF, 1, 0, 0, IpModeChoice::Static, T, T, T, T},
        {"three-way dhcp", 0x1FF, 1, 1, 0, IpModeChoice::Dhcp, T, T, T, F},
        {"three-way bootp", 0x1FF, 1, 2, 0, IpModeChoice::Bootp, T, T, T, F},
        {"three-way unreported", 0x1FF, 1, 3, 0, IpModeChoice::None, T, T, T, T},
        {"two-way static", 0x3FF, 0, 0, 0, IpModeChoice::Static, T, T, F, T},
        {"two-way dhcp", 0x3FF, 0, 1, 0, IpModeChoice::Dhcp, T, T, F, F},
        {"two-way bootp", 0x3FF, 0, 2, 0, IpModeChoice::None, T, T, F, T},
        {"no mode field", 0x1FF, 0, 1, 0, IpModeChoice::None, F, F, F, T},
        {"loader dhcp", 0x3FF, 0, 1, 100, IpModeChoice::Dhcp, F, F, F, F},
    };
    Settings s;
    s.multicast_interface_on_off = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DeviceRecord d = RevisionOneSwitch();
        d.capabilities[0] = c.word0;
        d.capabilities[1] = c.word1;
        d.ip_mode = c.mode;
        d.loader = c.loader;
        const auto v = OpenConfigurationForm(d, s);
        EXPECT_EQ(v.selected, c.selected);
        EXPECT_EQ(v.staticEnabled, c.staticOn);
        EXPECT_EQ(v.dhcpEnabled, c.dhcpOn);
        EXPECT_EQ(v.bootpEnabled, c.bootpOn);
        EXPECT_EQ(v.addressesEnabled, c.addressesOn);
        EXPECT_EQ(v.namesEnabled, c.loader != 100);
        EXPECT_EQ(v.passwordEnabled, c.loader != 100);
    }
}

TEST(ConfigurationFormOpening, FieldsAndGroupInterval) {
    DeviceRecord d = RevisionOneSwitch();
    SetText(d.product_name, "QRVM410_24");
    SetText(d.location, "\t Lab  ");
    SetText(d.gateway_text, "");
    Settings s;
    s.multicast_interface_on_off = 1;

    auto v = OpenConfigurationForm(d, s);
    EXPECT_EQ(v.productName, "QR-VM410/24");
    EXPECT_EQ(v.macText, "0012ab34cdef");
    EXPECT_EQ(v.systemName, "Room 1");
    EXPECT_EQ(v.location, "Lab");
    EXPECT_EQ(v.ip, Ip("192.168.1.10"));
    EXPECT_EQ(v.mask, Ip("255.255.255.0"));
    EXPECT_EQ(v.gateway, std::nullopt);
    EXPECT_TRUE(v.groupIntervalVisible);
    EXPECT_FALSE(v.groupIntervalEnabled);  // not reported
    EXPECT_EQ(v.groupIntervalText, "");

    d.group_interval = 0;
    v = OpenConfigurationForm(d, s);
    EXPECT_TRUE(v.groupIntervalEnabled);
    EXPECT_EQ(v.groupIntervalText, "0");

    s.multicast_interface_on_off = 0;
    v = OpenConfigurationForm(d, s);
    EXPECT_FALSE(v.groupIntervalVisible);
    EXPECT_FALSE(v.groupIntervalEnabled);
}

TEST(ModeChangeIndicator, FromNewAndCurrentMode) {
    EXPECT_EQ(ModeChangeFor(0, 1), ModeChange::ToStatic);
    EXPECT_EQ(ModeChangeFor(0, 3), ModeChange::ToStatic);
    EXPECT_EQ(ModeChangeFor(0, 0), ModeChange::None);
    EXPECT_EQ(ModeChangeFor(1, 0), ModeChange::ToDhcpOrBootp);
    EXPECT_EQ(ModeChangeFor(2, 1), ModeChange::ToDhcpOrBootp);
    EXPECT_EQ(ModeChangeFor(1, 1), ModeChange::None);
    EXPECT_EQ(ModeChangeFor(3, 0), ModeChange::None);
}

}  // namespace
}  // namespace pm::test
