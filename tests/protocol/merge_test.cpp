// Merging replies into the two tables, set confirmation, and the Discover command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inventory/DeviceTables.h"
#include "protocol/Discover.h"
#include "support/Devices.h"

namespace pm {
namespace {

using test::Ip;
using test::Mac;
using test::Reply;

constexpr uint32_t kId = 0x0000ABCD;

class MergeTest : public ::testing::Test {
  protected:
    void SetUp() override { test::MakeColumns(p); }
    void Deliver(const Reply& r, uint32_t sender) { test::Deliver(p, r, sender); }

    test::TestProgram t;
    Program& p = t.program;
};

TEST_F(MergeTest, TwoRepliesOfOneSwitchShowOnce) {
    Reply r(kId, Mac(1));
    r.Text(FieldType::SystemName, "a");
    Deliver(r, Ip(10, 0, 0, 1));
    r.fields.clear();
    r.Text(FieldType::SystemName, "b");
    Deliver(r, Ip(10, 0, 0, 1));
    ASSERT_EQ(p.lists.discoveryList.GetItemCount(), 1);
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscSystem), "b");
    EXPECT_EQ(p.lists.discovery[0].row_flag, 1);
    EXPECT_EQ(p.lists.discovery[0].answered, 1);
    EXPECT_EQ(p.lists.discovery[0].id_stamp, kId);
}

TEST_F(MergeTest, AMonitoredSwitchIsRefreshedInPlaceAndClearsItsMark) {
    DeviceRecord known = test::MakeDevice(1, Ip(10, 0, 0, 1));
    known.status_mark = 1;
    known.missed_polls = 4;
    known.answered = 0;
    test::AddMonitored(p, known);
    ASSERT_EQ(p.lists.monitorList.GetItemImage(0), 1);

    Reply r(kId, Mac(1));
    r.Text(FieldType::SystemName, "polled");
    Deliver(r, Ip(10, 0, 0, 1));
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 0);
    ASSERT_EQ(p.lists.monitorList.GetItemCount(), 1);
    EXPECT_EQ(p.lists.monitorList.GetItemText(0, kMonSystem), "polled");
    EXPECT_EQ(p.lists.monitorList.GetItemImage(0), -1);
    EXPECT_EQ(p.lists.monitor[0].status_mark, -1);
    EXPECT_EQ(p.lists.monitor[0].missed_polls, 0);
    EXPECT_EQ(p.lists.monitor[0].answered, 1);
}

TEST_F(MergeTest, AMonitoredSwitchWithANewAddressIsFoundByMacAndKeepsItsMark) {
    test::AddMonitored(p, test::MakeDevice(9, Ip(10, 0, 0, 9)));
    DeviceRecord moved = test::MakeDevice(1, Ip(10, 0, 0, 1));
    moved.status_mark = 1;
    test::AddMonitored(p, moved);

    Reply r(kId, Mac(1));
    r.Address(FieldType::IpAddress, Ip(10, 0, 0, 77));
    Deliver(r, Ip(10, 0, 0, 77));
    ASSERT_EQ(p.lists.monitorList.GetItemCount(), 2);
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 0);
    EXPECT_EQ(TextOf(p.lists.monitor[1].ip_text), "10.0.0.77");
    EXPECT_EQ(p.lists.monitor[1].status_mark, 1);
    EXPECT_EQ(p.lists.monitorList.GetItemText(1, kMonIp), "10.0.0.77");
    EXPECT_EQ(p.lists.monitorList.GetItemImage(1), 1);
    EXPECT_EQ(p.lists.monitorList.GetItemText(0, kMonIp), "10.0.0.9");
}

TEST_F(MergeTest, OnlyAReplyFromThePolledAddressMarksASilentSwitchAlive) {
    DeviceRecord silent = test::MakeDevice(1, Ip(10, 0, 0, 1));
    silent.status_mark = 1;
    silent.missed_polls = 4;
    silent.answered = 0;
    test::AddMonitored(p, silent);

    // Another host claims the silent switch's address in its reply.
    Reply forged(kId, Mac(66));
    forged.Address(FieldType::IpAddress, Ip(10, 0, 0, 1));
    Deliver(forged, Ip(10, 0, 0, 66));
    EXPECT_EQ(p.lists.monitor[0].status_mark, 1);
    EXPECT_EQ(p.lists.monitor[0].answered, 0);
    EXPECT_EQ(p.lists.monitor[0].missed_polls, 4);
    EXPECT_EQ(p.lists.monitorList.GetItemImage(0), 1);
    EXPECT_EQ(TextOf(p.lists.monitor[0].mac_text), "001c2d3e0001");

    // The switch itself, from the address it is polled at.
    Deliver(Reply(kId, Mac(1)), Ip(10, 0, 0, 1));
    EXPECT_EQ(p.lists.monitor[0].status_mark, -1);
    EXPECT_EQ(p.lists.monitor[0].answered, 1);
}

TEST_F(MergeTest, APasswordTheSwitchReportsIsNotKept) {
    Reply r(kId, Mac(1));
    r.Text(FieldType::Password, "s3cret").Text(FieldType::SystemName, "sys");
    Deliver(r, Ip(10, 0, 0, 1));
    test::AddMonitored(p, test::MakeDevice(2, Ip(10, 0, 0, 2)));
    Deliver(r, Ip(10, 0, 0, 2));
    EXPECT_EQ(TextOf(p.lists.discovery[0].system_name), "sys");
    EXPECT_EQ(TextOf(p.lists.discovery[0].password), "");
    EXPECT_EQ(TextOf(p.lists.monitor[0].password), "");
    EXPECT_EQ(TextOf(p.staging.password), "");
}

TEST_F(MergeTest, AReplyWithoutAnAddressFieldKeepsTheSenderAddress) {
    Deliver(Reply(kId, Mac(1)), Ip(172, 16, 5, 4));
    EXPECT_EQ(TextOf(p.lists.discovery[0].ip_text), "172.16.5.4");
    EXPECT_EQ(p.lists.discovery[0].ip, Ip(172, 16, 5, 4));
}

TEST_F(MergeTest, AModeLeftOutOfARevisionTwoReplyKeepsTheKnownMode) {
    Reply withMode(kId, Mac(1));
    withMode.U16(FieldType::IpMode, 1);
    Deliver(withMode, Ip(10, 0, 0, 1));
    Deliver(Reply(kId, Mac(1)), Ip(10, 0, 0, 1));
    EXPECT_EQ(p.lists.discovery[0].ip_mode, 1);
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscMode), "DHCP");

    // A new entry has no known mode to keep.
    Deliver(Reply(kId, Mac(2)), Ip(10, 0, 0, 2));
    EXPECT_EQ(p.lists.discovery[1].ip_mode, 3);
    EXPECT_EQ(p.lists.discoveryList.GetItemText(1, kDiscMode), "");
}

TEST_F(MergeTest, ARevisionOneReplyWithoutModeEmptiesTheDiscoveryColumnButNotTheMonitorColumn) {
    Reply withMode(kId, Mac(1));
    withMode.header.revision = 1;
    withMode.Raw(10, 5, {2});
    Deliver(withMode, Ip(10, 0, 0, 1));
    Reply bare(kId, Mac(1));
    bare.header.revision = 1;
    Deliver(bare, Ip(10, 0, 0, 1));
    EXPECT_EQ(p.lists.discovery[0].ip_mode, 3);
    EXPECT_EQ(p.lists.discoveryList.GetItemText(0, kDiscMode), "");

    DeviceRecord m = test::MakeDevice(5, Ip(10, 0, 0, 5));
    m.revision = 1;
    m.ip_mode = 0;
    test::AddMonitored(p, m);
    Reply bareMonitored(kId, Mac(5));
    bareMonitored.header.revision = 1;
    Deliver(bareMonitored, Ip(10, 0, 0, 5));
    EXPECT_EQ(p.lists.monitor[0].ip_mode, 3);
    EXPECT_EQ(p.lists.monitorList.GetItemText(0, kMonMode), "Static");
}

TEST_F(MergeTest, The257thDeviceIsRefusedAndToldOncePerDiscoveryRound) {
    auto fill = [&] {
        for (int i = 0; i < 256; ++i)
            Deliver(Reply(kId, Mac(static_cast<uint8_t>(i), 1)),
                    Ip(10, 0, 1, static_cast<uint8_t>(i)));
        ASSERT_EQ(p.lists.discoveryList.GetItemCount(), 256);
    };
    fill();
    EXPECT_TRUE(t.ui.messages.empty());

    Deliver(Reply(kId, Mac(0, 2)), Ip(10, 0, 2, 0));
    Deliver(Reply(kId, Mac(1, 2)), Ip(10, 0, 2, 1));
    Deliver(Reply(kId, Mac(0, 2)), Ip(10, 0, 2, 0));
    EXPECT_EQ(t.ui.Texts(), (std::vector<std::string>{"Add fail, out of 256 devices"}));
    EXPECT_EQ(t.ui.messages[0].caption, "Error");
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 256);
    // A known device still updates; one of another version is refused without a word more.
    Reply known(kId, Mac(7, 1));
    known.Text(FieldType::SystemName, "still");
    Deliver(known, Ip(10, 0, 1, 7));
    EXPECT_EQ(TextOf(p.lists.discovery[7].system_name), "still");
    Reply old(kId, Mac(1, 3));
    old.header.major = 1;
    Deliver(old, Ip(10, 0, 3, 1));
    EXPECT_EQ(t.ui.messages.size(), 1u);

    // The next round is told again, once.
    ASSERT_EQ(Discover(p.lists, p.net, p.settings, p.ui), 0);
    fill();
    Deliver(old, Ip(10, 0, 3, 1));
    Deliver(Reply(kId, Mac(0, 2)), Ip(10, 0, 2, 0));
    EXPECT_EQ(t.ui.messages.size(), 2u);
}

TEST_F(MergeTest, SetSuccessfulOnlyForAcknowledgementsOfThePendingTarget) {
    struct Case {
        const char* name;
        uint16_t command;
        const char* pendingMac;
        uint32_t pendingAddress;
        bool confirmed;
    };
    const std::vector<Case> cases = {
        {"4 by MAC", 4, "001c2d3e0001", 0, true},
        {"8 by address", 8, "", Ip(10, 0, 0, 1), true},
        {"15 by MAC", 15, "001c2d3e0001", 0, true},
        {"2 is no acknowledgement", 2, "001c2d3e0001", Ip(10, 0, 0, 1), false},
        {"5 is no acknowledgement", 5, "001c2d3e0001", 0, false},
        {"another target", 8, "001c2d3e0002", Ip(10, 0, 0, 2), false},
        {"nothing pending", 8, "", 0, false},
    };
    for (const auto& c : cases) {
        t.ui.Clear();
        SetText(p.pending.mac_text, c.pendingMac);
        p.pending.address = c.pendingAddress;
        Reply r(kId, Mac(1), c.command);
        r.header.sequence = p.sequence;
        Deliver(r, Ip(10, 0, 0, 1));
        EXPECT_EQ(t.ui.messages.size(), c.confirmed ? 1u : 0u) << c.name;
        if (c.confirmed) {
            EXPECT_EQ(t.ui.messages[0], (test::Message{"Set Successful", "Information",
                                                       Icon::Information, Owner::MainWindow}))
                << c.name;
            EXPECT_EQ(p.pending.address, 0u) << c.name;
        }
    }
}

TEST_F(MergeTest, NoConfirmationForAReplyReportingAddressZeroWithNothingPending) {
    Reply r(kId, Mac(1), 8);
    r.Address(FieldType::IpAddress, 0);
    Deliver(r, Ip(10, 0, 0, 1));
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(MergeTest, TheErrorFormMergesWithoutConfirmingAndWithoutTheModeRule) {
    Reply withMode(kId, Mac(1));
    withMode.U16(FieldType::IpMode, 1);
    Deliver(withMode, Ip(10, 0, 0, 1));
    SetText(p.pending.mac_text, "001c2d3e0001");
    Reply error(kId, Mac(1), 4);
    error.header.result = 6;
    error.header.sequence = p.sequence;
    Deliver(error, Ip(10, 0, 0, 1));
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Dynamic allocate IP fail"});
    EXPECT_EQ(TextOf(p.pending.mac_text), "001c2d3e0001");
    EXPECT_EQ(p.lists.discovery[0].ip_mode, 3);
    EXPECT_EQ(p.lists.discovery[0].last_command, 0);
}

TEST_F(MergeTest, SelectionsSurviveAMerge) {
    test::AddMonitored(p, test::MakeDevice(1, Ip(10, 0, 0, 1)));
    test::AddMonitored(p, test::MakeDevice(2, Ip(10, 0, 0, 2)));
    test::AddDiscovered(p, test::MakeDevice(3, Ip(10, 0, 0, 3)));
    p.lists.monitorList.SetItemStates(1, kStateSelected);
    p.lists.discoveryList.SetItemStates(0, kStateSelected);
    Deliver(Reply(kId, Mac(2)), Ip(10, 0, 0, 2));
    Deliver(Reply(kId, Mac(4)), Ip(10, 0, 0, 4));
    EXPECT_EQ(p.lists.monitorList.SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(p.lists.discoveryList.SelectedRows(), std::vector<int>{0});
}

TEST_F(MergeTest, DiscoverStepsThePollCountersClearsTheListAndSendsTwice) {
    DeviceRecord answered = test::MakeDevice(1, Ip(10, 0, 0, 1));
    answered.missed_polls = 2;
    DeviceRecord silent = test::MakeDevice(2, Ip(10, 0, 0, 2));
    silent.answered = 0;
    silent.missed_polls = 1;
    test::AddMonitored(p, answered);
    test::AddMonitored(p, silent);
    Deliver(Reply(kId, Mac(5)), Ip(10, 0, 0, 5));
    ASSERT_EQ(p.lists.discoveryList.GetItemCount(), 1);

    EXPECT_EQ(Discover(p.lists, p.net, p.settings, p.ui), 0);
    EXPECT_EQ(p.lists.monitor[0].missed_polls, 0);
    EXPECT_EQ(p.lists.monitor[1].missed_polls, 2);
    EXPECT_EQ(p.lists.monitor[0].answered + p.lists.monitor[1].answered, 0);
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 0);
    EXPECT_EQ(p.lists.discovery[0], DeviceRecord{});
    ASSERT_EQ(t.net.sent.size(), 2u);
    EXPECT_EQ(t.net.sent[0].kind, test::SendKind::Broadcast);
    EXPECT_EQ(t.net.sent[1].kind, test::SendKind::Multicast);
    for (const auto& s : t.net.sent) {
        ASSERT_EQ(s.bytes.size(), 40u);
        const ProtocolHeader h = ProtocolHeader::Decode(s.bytes);
        EXPECT_EQ(h.command, 1);
        EXPECT_EQ(h.major, 2);
        EXPECT_EQ(h.header_id, kId);
    }
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(MergeTest, DiscoverReportsFailedSends) {
    t.net.failKinds = {test::SendKind::Broadcast};
    t.net.failErrno = 101;
    EXPECT_EQ(Discover(p.lists, p.net, p.settings, p.ui), -1);
    EXPECT_TRUE(t.net.sent.empty()) << "no multicast after a failed broadcast";
    EXPECT_EQ(t.ui.messages.back(), (test::Message{"Discovery sento fail , ErrorCode = 101",
                                                   "Error", Icon::Error, Owner::MainWindow}));

    t.net.failKinds = {test::SendKind::Multicast};
    t.net.failErrno = 13;
    EXPECT_EQ(Discover(p.lists, p.net, p.settings, p.ui), -1);
    EXPECT_EQ(t.net.sent.size(), 1u);
    EXPECT_EQ(t.ui.messages.back().text, "Discovery sento fail when multicast, ErrorCode = 13");
}

}  // namespace
}  // namespace pm
