// The receiver: header checks, result codes, sequence, upgrade watch, re-entry.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "inventory/DeviceTables.h"
#include "protocol/HandleDatagram.h"
#include "support/Devices.h"

namespace pm {
namespace {

using test::Ip;
using test::Mac;
using test::Message;
using test::Reply;

constexpr uint32_t kId = 0x0000ABCD;
constexpr uint32_t kSender = Ip(192, 168, 1, 20);

class HandleDatagramTest : public ::testing::Test {
  protected:
    void SetUp() override { test::MakeColumns(p); }
    Reply R(uint16_t command = 2, uint8_t macLast = 1) { return Reply(kId, Mac(macLast), command); }
    void Deliver(const Reply& r, uint32_t sender = kSender) { test::Deliver(p, r, sender); }
    void DeliverBytes(const std::vector<uint8_t>& b) {
        HandleDatagram(ReceiverOf(p), b.data(), b.size(), kSender);
    }
    int Rows() const {
        return p.lists.discoveryList.GetItemCount() + p.lists.monitorList.GetItemCount();
    }

    test::TestProgram t;
    Program& p = t.program;
};

TEST_F(HandleDatagramTest, DropsDatagramsThatFailTheHeaderChecks) {
    struct Case {
        const char* name;
        std::function<void(Reply&)> edit;
    };
    const std::vector<Case> cases = {
        {"other header_id", [](Reply& r) { r.header.header_id = kId + 1; }},
        {"minor 0", [](Reply& r) { r.header.minor = 0; }},
        {"minor 2", [](Reply& r) { r.header.minor = 2; }},
        {"stale sequence on 4", [](Reply& r) { r.header.command = 4, r.header.sequence = 7; }},
        {"stale sequence on 11", [](Reply& r) { r.header.command = 11, r.header.sequence = 0; }},
    };
    for (const auto& c : cases) {
        Reply r = R();
        r.Text(FieldType::SystemName, "x");
        c.edit(r);
        Deliver(r);
        EXPECT_EQ(Rows(), 0) << c.name;
        EXPECT_TRUE(t.ui.messages.empty()) << c.name;
        EXPECT_EQ(p.sequence, 1) << c.name;
    }
    // Short datagrams read zero-padded: cut inside header_id, it is no longer ours.
    const auto full = R().Bytes();
    for (size_t n : {size_t{0}, size_t{1}, size_t{16}, size_t{19}})
        DeliverBytes(std::vector<uint8_t>(full.begin(), full.begin() + static_cast<long>(n)));
    HandleDatagram(ReceiverOf(p), nullptr, 0, kSender);
    EXPECT_EQ(Rows(), 0);
    // Cut only in the reserved bytes, it still passes.
    DeliverBytes(std::vector<uint8_t>(full.begin(), full.begin() + 39));
    EXPECT_EQ(Rows(), 1);
}

TEST_F(HandleDatagramTest, AShortDatagramIsMergedWhenItsPaddedHeaderPasses) {
    p.settings.header_id = 0;
    const std::vector<uint8_t> bytes = {0x00, 0x02, 0x00, 0x01, 0,    0,    0,
                                        0,    0,    7,    0x00, 0x02, 0x00, 0x02};
    DeliverBytes(bytes);
    ASSERT_EQ(p.lists.discoveryList.GetItemCount(), 1);
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscMac), "000000000007");
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscIp), "192.168.1.20");
}

TEST_F(HandleDatagramTest, ReportsEachResultCodeAndMergesOnly6And255) {
    struct Case {
        uint16_t result;
        std::string text;
        bool merged;
    };
    const std::vector<Case> cases = {
        {1, "protocol version Error", false},
        {2, "Password incorrect.", false},
        {3, "command Error", false},
        {4, "Parameters Error", false},
        {5, "Acl Error", false},
        {6, "Dynamic allocate IP fail", true},
        {7, "Unknow error", false},
        {254, "Unknow error", false},
        {0x01FF, "Device return : busy", true},
    };
    uint8_t mac = 1;
    for (const auto& c : cases) {
        t.ui.Clear();
        Reply r = R(2, mac++);
        r.header.result = c.result;
        r.Text(FieldType::DeviceText, "busy").Text(FieldType::SystemName, "sys");
        const int before = p.lists.discoveryList.GetItemCount();
        Deliver(r, Ip(10, 0, 0, mac));
        ASSERT_EQ(t.ui.messages.size(), 1u) << c.result;
        EXPECT_EQ(t.ui.messages[0], (Message{c.text, "Error", Icon::Error, Owner::MainWindow}))
            << c.result;
        EXPECT_EQ(p.lists.discoveryList.GetItemCount(), before + (c.merged ? 1 : 0)) << c.result;
        if (c.merged) {
            EXPECT_EQ(p.lists.discoveryList.GetItemText(before, kDiscSystem), "sys");
        }
    }
    EXPECT_EQ(p.upgrade.passwordRejected, 0) << "no upgrade runs: nobody's password was refused";
}

TEST_F(HandleDatagramTest, OnlyTheUpgradeTargetCanRefuseThePassword) {
    SetText(p.upgrade.targetMac, "001c2d3e0001");
    Reply stranger = R(11, 9);
    stranger.header.result = 2;
    stranger.header.sequence = p.sequence;
    Deliver(stranger, Ip(10, 0, 0, 9));
    Reply noise = R(2, 9);
    noise.header.result = 2;
    Deliver(noise, Ip(10, 0, 0, 9));
    EXPECT_EQ(p.upgrade.passwordRejected, 0);
    EXPECT_EQ(p.sequence, 1) << "a stranger's trigger reply consumes nothing";
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Password incorrect."});

    Reply target = R(11, 1);
    target.header.result = 2;
    target.header.sequence = p.sequence;
    Deliver(target);
    EXPECT_EQ(p.upgrade.passwordRejected, 1);
    EXPECT_EQ(p.sequence, 2);
}

TEST_F(HandleDatagramTest, AStrangersAcknowledgementConsumesNothingAndTheRealOneConfirms) {
    SetText(p.pending.mac_text, "001c2d3e0001");
    p.pending.address = Ip(10, 0, 0, 1);  // the address the request asked for
    p.sequence = 41;
    // Another host answers first, with the request's sequence, as itself or claiming the
    // target's old address as its sender.
    for (uint32_t from : {Ip(10, 0, 0, 66), kSender}) {
        Reply forged = R(4, 66);
        forged.header.sequence = 41;
        forged.Address(FieldType::IpAddress, Ip(10, 0, 0, 66));
        Deliver(forged, from);
    }
    EXPECT_EQ(p.sequence, 41);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 0);

    // The target answers from elsewhere but reports the address it was given: matched by it.
    Reply real = R(4, 7);
    real.header.sequence = 41;
    real.Address(FieldType::IpAddress, Ip(10, 0, 0, 1));
    Deliver(real, Ip(10, 0, 0, 99));
    EXPECT_EQ(p.sequence, 42);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Set Successful"});
}

TEST_F(HandleDatagramTest, ADeviceTextIsShownAsInertText) {
    Reply r = R();
    r.header.result = 255;
    r.Text(FieldType::DeviceText, "<b>x</b>\x1b[2J\r\n\xe2\x80\xae");
    Deliver(r);
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0].text, "Device return : <b>x</b>\u241b[2J\u240d\u240a<U+202E>");
}

TEST_F(HandleDatagramTest, ResultWithOnlyTheHighByteSetIsSuccess) {
    Reply r = R();
    r.header.result = 0x0100;
    Deliver(r);
    EXPECT_TRUE(t.ui.messages.empty());
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 1);
}

TEST_F(HandleDatagramTest, TwoCopiesOfASetAcknowledgementConfirmOnce) {
    SetText(p.pending.mac_text, "001c2d3e0001");
    p.pending.address = kSender;
    p.sequence = 41;
    Reply ack = R(4);
    ack.header.sequence = 41;
    Deliver(ack);  // by broadcast
    Deliver(ack);  // and by multicast
    EXPECT_EQ(p.sequence, 42);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Set Successful"});
    EXPECT_EQ(t.ui.messages[0].caption, "Information");
    EXPECT_EQ(t.ui.messages[0].icon, Icon::Information);
    EXPECT_EQ(TextOf(p.pending.mac_text), "");
    EXPECT_EQ(p.pending.address, 0u);
}

TEST_F(HandleDatagramTest, SequenceWrapsAndCommand8IsNotChecked) {
    SetText(p.pending.mac_text, "001c2d3e0001");
    p.sequence = 65535;
    Reply ack = R(4);
    ack.header.sequence = 65535;
    Deliver(ack);
    EXPECT_EQ(p.sequence, 0);

    Reply eight = R(8, 2);
    eight.header.sequence = 999;
    Deliver(eight);
    EXPECT_EQ(p.sequence, 0);
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 2);
}

TEST_F(HandleDatagramTest, UpgradeWatchFlags) {
    SetText(p.upgrade.targetMac, "001c2d3e0001");
    p.sequence = 5;

    Reply other = R(11, 2);  // another device's trigger acknowledgement counts for nothing
    other.header.sequence = 5;
    Deliver(other, Ip(10, 0, 0, 2));
    EXPECT_EQ(p.upgrade.triggerAcknowledged, 0);
    EXPECT_EQ(p.sequence, 5);
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 0);

    Reply ack = R(11, 1);
    ack.header.sequence = 5;
    Deliver(ack);
    EXPECT_EQ(p.upgrade.triggerAcknowledged, 1);
    EXPECT_EQ(p.sequence, 6);
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 0)
        << "the target's acknowledgement is not merged";

    EXPECT_EQ(p.upgrade.upgradeConfirmed, 0);
    Deliver(R(2, 2), Ip(10, 0, 0, 2));
    EXPECT_EQ(p.upgrade.upgradeConfirmed, 0);
    Deliver(R(2, 1));
    EXPECT_EQ(p.upgrade.upgradeConfirmed, 1);
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 2);
}

TEST_F(HandleDatagramTest, NoUpgradeFlagWithoutATarget) {
    p.upgrade.targetMac[0] = '\0';
    Deliver(R(2));
    Reply ack = R(11);
    ack.header.sequence = p.sequence;
    Deliver(ack);
    EXPECT_EQ(p.upgrade.upgradeConfirmed, 0);
    EXPECT_EQ(p.upgrade.triggerAcknowledged, 0);
}

TEST_F(HandleDatagramTest, Command9IsNotMergedAndLoaderCommandsMarkTheRecord) {
    Deliver(R(9));
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 0);

    Deliver(R(12));
    ASSERT_EQ(p.lists.discoveryList.GetItemCount(), 1);
    EXPECT_EQ(p.lists.discovery[0].loader, kLoaderMarker);
    EXPECT_EQ(p.lists.discovery[0].last_command, 12);
    EXPECT_EQ(p.lists.discoveryList.GetItemTextColor(0, kDiscIp), kPureRed);
}

TEST_F(HandleDatagramTest, AnotherMajorVersionIsListedWithHeaderValuesOnly) {
    Reply r = R(2);
    r.header.major = 1;
    r.header.revision = 1;
    r.Text(FieldType::SystemName, "ignored")
        .U16(FieldType::IpMode, 1)
        .U32(FieldType::GroupInterval, 200);
    Deliver(r);
    ASSERT_EQ(p.lists.discoveryList.GetItemCount(), 1);
    const DeviceRecord& d = p.lists.discovery[0];
    EXPECT_EQ(TextOf(d.system_name), "");
    EXPECT_EQ(d.ip_mode, 3);
    EXPECT_EQ(d.group_interval, -1);
    EXPECT_EQ(d.capabilities[0], 0x1FFu);
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscVersion), "1.001.001");
}

TEST_F(HandleDatagramTest, DefaultCapabilitiesByRevision) {
    const std::vector<std::pair<uint16_t, uint32_t>> cases = {
        {1, 0x1FF}, {2, 0x3FF}, {3, 0}, {6, 0}};
    uint8_t mac = 1;
    for (auto [revision, word] : cases) {
        Reply r = R(2, mac);
        r.header.revision = revision;
        Deliver(r, Ip(10, 0, 0, mac));
        EXPECT_EQ(p.lists.discovery[mac - 1].capabilities[0], word) << revision;
        ++mac;
    }
    Reply withField = R(2, 9);
    withField.Raw(129, 20, {0, 0, 0, 0x0f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    Deliver(withField, Ip(10, 0, 0, 9));
    EXPECT_EQ(p.lists.discovery[4].capabilities[0], 0x0Fu);
}

TEST_F(HandleDatagramTest, OnlyTheFirst1500BytesAreRead) {
    Reply r = R();
    r.Raw(200, 1456, std::vector<uint8_t>(1452, 0xAA));  // ends at byte 1496
    r.Text(FieldType::SystemName, "beyond");             // runs past byte 1500
    Deliver(r);
    ASSERT_EQ(p.lists.discoveryList.GetItemCount(), 1);
    EXPECT_EQ(TextOf(p.lists.discovery[0].system_name), "");
}

DatagramOutcome Outcome(DatagramKind kind, std::optional<ListKind> mergedInto = std::nullopt,
                        uint8_t resultCode = 0, std::string errorText = "",
                        bool upgradeConfirmed = false, bool fromSetTarget = false) {
    DatagramOutcome outcome;
    outcome.kind = kind;
    outcome.mergedInto = mergedInto;
    outcome.resultCode = resultCode;
    outcome.errorText = std::move(errorText);
    outcome.upgradeConfirmed = upgradeConfirmed;
    outcome.fromSetTarget = fromSetTarget;
    return outcome;
}

TEST(HandleDatagramOutcome, EachStepOfTheReceiverGivesItsOutcome) {
    struct Case {
        const char* name;
        std::function<void(Program&, Reply&)> arrange;
        DatagramOutcome expected;
    };
    const std::vector<Case> cases = {
        {"foreign header_id", [](Program&, Reply& r) { r.header.header_id = kId + 1; },
         Outcome(DatagramKind::Dropped)},
        {"minor 0", [](Program&, Reply& r) { r.header.minor = 0; }, Outcome(DatagramKind::Dropped)},
        {"acknowledgement of another sequence",
         [](Program& p, Reply& r) {
             SetText(p.pending.mac_text, "001c2d3e0001");
             r.header.command = 4;
             r.header.sequence = p.sequence + 1;
         },
         Outcome(DatagramKind::Dropped)},
        {"new switch", [](Program&, Reply&) {}, Outcome(DatagramKind::Merged, ListKind::Discovery)},
        {"monitored switch",
         [](Program& p, Reply&) { test::AddMonitored(p, test::MakeDevice(1, kSender)); },
         Outcome(DatagramKind::Merged, ListKind::Monitor)},
        {"acknowledgement of the pending set",
         [](Program& p, Reply& r) {
             SetText(p.pending.mac_text, "001c2d3e0001");
             r.header.command = 4;
             r.header.sequence = p.sequence;
         },
         Outcome(DatagramKind::SetConfirmed, ListKind::Discovery, 0, "", false, true)},
        {"acknowledgement of another switch's set",
         [](Program& p, Reply& r) {
             SetText(p.pending.mac_text, "001c2d3e0009");
             p.pending.address = Ip(10, 0, 0, 9);
             r.header.command = 4;
             r.header.sequence = p.sequence;
         },
         Outcome(DatagramKind::Dropped)},
        {"monitor set acknowledged by another switch",
         [](Program& p, Reply& r) {
             SetText(p.pending.mac_text, "001c2d3e0009");
             r.header.command = 8;
         },
         Outcome(DatagramKind::Merged, ListKind::Discovery)},
        {"wrong password", [](Program&, Reply& r) { r.header.result = 2; },
         Outcome(DatagramKind::DeviceError, std::nullopt, 2, "Password incorrect.")},
        {"wrong password for the pending set",
         [](Program& p, Reply& r) {
             SetText(p.pending.mac_text, "001c2d3e0001");
             r.header.command = 8;
             r.header.result = 2;
         },
         Outcome(DatagramKind::DeviceError, std::nullopt, 2, "Password incorrect.", false, true)},
        {"device text",
         [](Program&, Reply& r) {
             r.header.result = 255;
             r.Text(FieldType::DeviceText, "busy");
         },
         Outcome(DatagramKind::DeviceError, ListKind::Discovery, 255, "Device return : busy")},
        {"command that is never merged", [](Program&, Reply& r) { r.header.command = 9; },
         Outcome(DatagramKind::NotMerged)},
        {"trigger acknowledged by the upgrade target",
         [](Program& p, Reply& r) {
             SetText(p.upgrade.targetMac, "001c2d3e0001");
             r.header.command = 11;
             r.header.sequence = p.sequence;
         },
         Outcome(DatagramKind::TriggerAcknowledged)},
        {"upgrade target back",
         [](Program& p, Reply&) { SetText(p.upgrade.targetMac, "001c2d3e0001"); },
         Outcome(DatagramKind::Merged, ListKind::Discovery, 0, "", true)},
        {"discovery table full",
         [](Program& p, Reply&) {
             for (int i = 0; i < 256; ++i)
                 test::AddDiscovered(p, test::MakeDevice(static_cast<uint8_t>(i),
                                                         Ip(10, 0, 1, static_cast<uint8_t>(i)), 1));
         },
         Outcome(DatagramKind::TableFull)},
    };
    for (const auto& c : cases) {
        test::TestProgram t;
        Program& p = t.program;
        test::MakeColumns(p);
        Reply r(kId, Mac(1), 2);
        c.arrange(p, r);
        const auto bytes = r.Bytes();
        const DatagramOutcome outcome =
            HandleDatagram(ReceiverOf(p), bytes.data(), bytes.size(), kSender);
        EXPECT_EQ(outcome.kind, c.expected.kind) << c.name;
        EXPECT_EQ(outcome.mergedInto, c.expected.mergedInto) << c.name;
        EXPECT_EQ(outcome.resultCode, c.expected.resultCode) << c.name;
        EXPECT_EQ(outcome.errorText, c.expected.errorText) << c.name;
        EXPECT_EQ(outcome.upgradeConfirmed, c.expected.upgradeConfirmed) << c.name;
        EXPECT_EQ(outcome.fromSetTarget, c.expected.fromSetTarget) << c.name;
        EXPECT_EQ(outcome.PasswordRejected(), c.expected.resultCode == 2) << c.name;
    }
}

// A Ui whose message box lets another datagram in, as a modal loop would.
class ReentrantUi : public test::FakeUi {
  public:
    void Notice(std::string_view text, std::string_view caption, Icon icon, Owner owner) override {
        FakeUi::Notice(text, caption, icon, owner);
        if (nested) {
            auto run = std::move(nested);
            nested = nullptr;
            run();
        }
    }
    std::function<void()> nested;
};

TEST(HandleDatagramReentry, ADatagramHandledWhileAMessageIsOpenDoesNotDisturbTheFirst) {
    ReentrantUi ui;
    test::VirtualLoop loop;
    test::FakeTransport net;
    test::FakeInterfaceSource interfaces;
    Program p(ui, loop, net, interfaces);
    p.settings.header_id = kId;
    p.settings.multicast_interface_on_off = 1;
    test::MakeColumns(p);

    Reply second(kId, Mac(2), 2);
    second.Text(FieldType::SystemName, "second").Address(FieldType::IpAddress, Ip(10, 0, 0, 2));
    ui.nested = [&] { test::Deliver(p, second, Ip(10, 0, 0, 2)); };

    Reply first(kId, Mac(1), 2);
    first.header.result = 6;
    first.Text(FieldType::SystemName, "first").U16(FieldType::IpMode, 1);
    test::Deliver(p, first, Ip(10, 0, 0, 1));

    ASSERT_EQ(p.lists.discoveryList.GetItemCount(), 2);
    const Lookup a = FindDiscoveryByMac(p.lists, "001c2d3e0001");
    const Lookup b = FindDiscoveryByMac(p.lists, "001c2d3e0002");
    ASSERT_TRUE(a.found && b.found);
    EXPECT_EQ(TextOf(p.lists.discovery[a.index].system_name), "first");
    EXPECT_EQ(TextOf(p.lists.discovery[a.index].ip_text), "10.0.0.1");
    EXPECT_EQ(p.lists.discovery[a.index].ip_mode, 1);
    EXPECT_EQ(TextOf(p.lists.discovery[b.index].system_name), "second");
    EXPECT_EQ(TextOf(p.lists.discovery[b.index].ip_text), "10.0.0.2");
    for (int row = 0; row < 2; ++row) {
        const Lookup e =
            FindDiscoveryByMac(p.lists, p.lists.discoveryList.GetItemText(row, kDiscMac));
        EXPECT_EQ(p.lists.discoveryList.GetItemText(row, kDiscSystem),
                  TextOf(p.lists.discovery[e.index].system_name));
    }
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Dynamic allocate IP fail"});
}

TEST(HandleDatagramReentry, ASetConfirmationOpenWhileAnotherDeviceIsAddedKeepsTheRowsConsistent) {
    ReentrantUi ui;
    test::VirtualLoop loop;
    test::FakeTransport net;
    test::FakeInterfaceSource interfaces;
    Program p(ui, loop, net, interfaces);
    p.settings.header_id = kId;
    test::MakeColumns(p);
    test::AddMonitored(p, test::MakeDevice(1, Ip(10, 0, 0, 1)));
    p.lists.monitorList.SetItemStates(0, kStateSelected);
    SetText(p.pending.mac_text, "001c2d3e0001");

    ui.nested = [&] {
        test::Deliver(p, Reply(kId, Mac(3), 2), Ip(10, 0, 0, 3));
        EXPECT_EQ(TextOf(p.pending.mac_text), "") << "cleared before the message";
    };
    test::Deliver(p, Reply(kId, Mac(1), 8), Ip(10, 0, 0, 1));
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{"Set Successful"});
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 1);
    EXPECT_EQ(p.lists.monitorList.SelectedRows(), std::vector<int>{0});
}

}  // namespace
}  // namespace pm
