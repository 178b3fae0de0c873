// The search for the switch after a good transfer, in virtual time.
#include "upgrade/ConfirmUpgrade.h"
#include "upgrade/UpgradeFixture.h"

namespace pm::test {
namespace {

using Confirm = UpgradeFixture;

TEST_F(Confirm, WaitsThenSearchesUntilTheSwitchAnswers) {
    SetText(p.upgrade.targetMac, "0011223344aa");
    p.lists.discoveryList.InsertColumn(0, "IP");
    p.lists.discoveryList.InsertItem(0, "10.0.0.5", -1, 0);
    ConfirmUpgrade(context);
    t.loop.Advance(129999);  // 10 s + 120 s when the record gives no wait values
    EXPECT_TRUE(t.net.sent.empty());
    p.upgrade.upgradeConfirmed = 1;  // an answer before the search is not counted
    t.loop.Advance(1);
    EXPECT_EQ(p.upgrade.upgradeConfirmed, 0);
    EXPECT_EQ(p.upgrade.searchCount, 1);
    EXPECT_EQ(p.lists.discoveryList.GetItemCount(), 0);
    EXPECT_EQ(p.lists.discovery[0].ip, 0u);
    ASSERT_EQ(t.net.sent.size(), 2u);
    EXPECT_EQ(t.net.sent[0].kind, SendKind::Broadcast);
    EXPECT_EQ(t.net.sent[1].kind, SendKind::Multicast);
    std::vector<uint8_t> request(40, 0);
    request[1] = 2;
    request[13] = 1;
    request[18] = 0xAB;
    request[19] = 0xCD;
    std::copy(t.net.interfaceMac.begin(), t.net.interfaceMac.end(), request.begin() + 20);
    EXPECT_EQ(t.net.sent[0].bytes, request);

    t.loop.Advance(4000);  // rounds 2 and 3
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 3u);
    p.upgrade.upgradeConfirmed = 1;
    t.loop.Advance(2000);
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 3u);
    EXPECT_EQ(p.upgrade.searchCount, 0);
    const Message success{"Upgrade successful", "information", Icon::Information,
                          Owner::MainWindow};
    EXPECT_EQ(t.ui.messages, std::vector<Message>{success});
    EXPECT_FALSE(UpgradeSearchPending(t.loop, p.upgrade));
}

TEST_F(Confirm, SixtyRoundsWithoutAnAnswerGiveUpgradeFail) {
    SetText(p.upgrade.targetMac, "0011223344aa");
    p.lists.discovery[0].upgrade_wait_1 = 5;
    p.lists.discovery[0].upgrade_wait_2 = 7;
    ConfirmUpgrade(context);
    t.loop.Advance(11999);
    EXPECT_TRUE(t.net.sent.empty());
    t.loop.Advance(1);
    EXPECT_EQ(t.net.sent.size(), 2u);
    t.loop.Advance(118000);
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 60u);
    EXPECT_TRUE(t.ui.messages.empty());
    t.loop.Advance(2000);
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 60u);
    const Message fail{"Upgrade fail", "information", Icon::Warning, Owner::MainWindow};
    EXPECT_EQ(t.ui.messages, std::vector<Message>{fail});
    EXPECT_EQ(p.upgrade.searchCount, 0);
}

TEST_F(Confirm, AShorterPaceGivesUpAfterItsOwnRounds) {
    SetText(p.upgrade.targetMac, "0011223344aa");
    p.lists.discovery[0].upgrade_wait_1 = 1;
    p.lists.discovery[0].upgrade_wait_2 = 1;
    p.upgrade.searchStepMs = 300;
    p.upgrade.searchRounds = 3;
    ConfirmUpgrade(context);
    t.loop.Advance(2000 + 899);
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 3u);
    EXPECT_TRUE(t.ui.messages.empty());
    t.loop.Advance(1);
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 3u);
    const Message fail{"Upgrade fail", "information", Icon::Warning, Owner::MainWindow};
    EXPECT_EQ(t.ui.messages, std::vector<Message>{fail});
}

TEST_F(Confirm, WaitValuesComeFromTheUpgradedSwitchEvenIfTheSelectionMoved) {
    SetText(p.upgrade.targetMac, "0011223344aa");
    p.lists.discovery[0].upgrade_wait_1 = 1;
    p.lists.discovery[0].upgrade_wait_2 = 2;
    AddDevice(p.lists.discovery, 1, 0x0A000009, "0011223344bb");
    p.selection = {1, ListKind::Discovery, 0, 2};  // the user has chosen another switch since
    ConfirmUpgrade(context);
    t.loop.Advance(3000);
    EXPECT_EQ(t.net.sent.size(), 2u);
}

TEST_F(Confirm, WaitValuesComeFromTheSwitchInWhicheverListHoldsItNow) {
    SetText(p.upgrade.targetMac, "0011223344aa");
    p.lists.discovery[0].upgrade_wait_1 = 50;  // a stale copy at the selected position
    AddDevice(p.lists.discovery, 0, 0x0A000009, "0011223344bb");
    AddDevice(p.lists.monitor, 0, kSwitchIp, "0011223344aa");
    p.lists.monitor[0].upgrade_wait_1 = 1;
    p.lists.monitor[0].upgrade_wait_2 = 3;
    ConfirmUpgrade(context);
    t.loop.Advance(3999);
    EXPECT_TRUE(t.net.sent.empty());
    t.loop.Advance(1);
    EXPECT_EQ(t.net.sent.size(), 2u);
}

}  // namespace
}  // namespace pm::test
