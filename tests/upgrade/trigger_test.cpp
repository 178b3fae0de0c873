// The upgrade command and the trigger that Start sends, in virtual time.
#include <filesystem>

#include "base/WireConstants.h"
#include "config/SetRequest.h"
#include "upgrade/ConfirmUpgrade.h"
#include "upgrade/FirmwareImage.h"
#include "upgrade/UpgradeFixture.h"

namespace pm::test {
namespace {

using Trigger = UpgradeFixture;

TEST_F(Trigger, CommandSetsTheTargetAndOpensTheForm) {
    OpenForm();
    EXPECT_STREQ(p.upgrade.targetMac, "0011223344aa");
    EXPECT_EQ(p.upgrade.targetAddress, kSwitchIp);
    EXPECT_EQ(p.upgrade.targetMask, kSwitchMask);
    EXPECT_EQ(session->DeviceIpText(), "10.0.0.5");
    EXPECT_EQ(session->DeviceMacText(), "0011223344aa");
    EXPECT_TRUE(t.ui.messages.empty());
}

TEST_F(Trigger, CommandRefusesADuplicateAddressAndAForeignSubnet) {
    int opened = 0;
    AddDevice(p.lists.discovery, 1, kSwitchIp, "0011223344bb");
    p.selection.discoveryCount = 2;
    EXPECT_EQ(UpgradeCommand(context, [&] { ++opened; }), -1);
    ASSERT_EQ(t.ui.messages.size(), 1u);
    EXPECT_EQ(t.ui.messages[0], (Message{"Duplicate IP", "Error", Icon::Error, Owner::MainWindow}));

    // The same address in the other list is no duplicate; a device off every local subnet is.
    t.ui.Clear();
    AddDevice(p.lists.monitor, 0, 0xC0A80105, "0011223344cc");
    AddDevice(p.lists.monitor, 1, kSwitchIp, "0011223344dd");
    p.selection = {0, ListKind::Monitor, 2, 2};
    EXPECT_EQ(UpgradeCommand(context, [&] { ++opened; }), -1);
    EXPECT_EQ(t.ui.Texts(),
              std::vector<std::string>{"The device IP and manager IP are not in the same subnet"});
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(p.upgrade.targetAddress, 0u);
}

TEST_F(Trigger, SecondCommandIsRefusedWhileAFormIsOpenOrTheSearchRuns) {
    OpenForm();
    int opened = 0;
    EXPECT_EQ(UpgradeCommand(context, [&] { ++opened; }), -1);
    EXPECT_EQ(t.ui.messages.back(),
              (Message{kUpgradeAlreadyRunning, "Error", Icon::Error, Owner::MainWindow}));

    session.reset();
    ConfirmUpgrade(context);
    EXPECT_EQ(UpgradeCommand(context, [&] { ++opened; }), -1);
    t.loop.Advance((130 + 120) * 1000);
    EXPECT_FALSE(UpgradeSearchPending(t.loop, p.upgrade));
    AddDevice(p.lists.discovery, 0, kSwitchIp, "0011223344aa");  // the search emptied the table
    EXPECT_EQ(UpgradeCommand(context, [&] { ++opened; }), 0);
    EXPECT_EQ(opened, 1);
}

TEST_F(Trigger, AnAcknowledgementLeftOverFromAnotherSwitchDoesNotSkipTheTrigger) {
    OpenForm();
    p.upgrade.triggerAcknowledged = 1;  // switch A acknowledged; its write request never left
    p.upgrade.passwordRejected = 1;
    p.upgrade.upgradeConfirmed = 1;
    session.reset();
    AddDevice(p.lists.discovery, 1, 0x0A000006, "0011223344bb");
    p.selection = {1, ListKind::Discovery, 0, 2};
    OpenForm();
    EXPECT_EQ(p.upgrade.triggerAcknowledged, 0);
    EXPECT_EQ(p.upgrade.passwordRejected, 0);
    EXPECT_EQ(p.upgrade.upgradeConfirmed, 0);
    session->Start(Image(10), "secret");
    t.loop.Advance(500);
    ASSERT_EQ(t.net.Of(SendKind::Broadcast).size(), 1u) << "B's password is checked";
    EXPECT_TRUE(Tftp().empty());
}

TEST_F(Trigger, StartFindsItsSwitchByMacWhereverItIsNow) {
    OpenForm();
    // Discover has emptied the discovery list: nothing is sent, and the user is told.
    p.lists.discoveryList.DeleteItems(kStateAny);
    p.lists.discovery.fill(DeviceRecord{});
    session->Start(Image(10), "secret");
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::DeviceGone);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{DeviceGoneMessage("0011223344aa")});
    t.loop.Advance(5000);
    EXPECT_TRUE(t.net.sent.empty());
    // It has been added to the monitor list since: the trigger goes there, by unicast.
    AddDevice(p.lists.monitor, 0, kSwitchIp, "0011223344aa");
    session->Start(Image(10), "secret");
    t.loop.Advance(500);
    ASSERT_EQ(t.net.sent.size(), 1u);
    EXPECT_EQ(t.net.sent[0].kind, SendKind::ToDevice);
}

TEST_F(Trigger, ThirtyTriesHalfASecondApartThenTriggerFail) {
    OpenForm();
    p.sequence = 0x1234;
    session->Start(Image(10), "secret");
    EXPECT_EQ(statuses, std::vector<std::string>{"Wait...."});
    EXPECT_TRUE(busy);

    t.loop.Advance(499);
    EXPECT_TRUE(t.net.sent.empty());
    for (int i = 1; i <= 30; ++i) {
        t.loop.Advance(i == 1 ? 1 : 500);
        ASSERT_EQ(t.net.Of(SendKind::Broadcast).size(), static_cast<size_t>(i));
        ASSERT_EQ(t.net.Of(SendKind::Multicast).size(), static_cast<size_t>(i));
    }
    t.loop.Advance(2499);  // the last try's 500 ms and the 2000 ms pause, less 1
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 30u);
    EXPECT_EQ(statuses.back(), "Wait....");
    t.loop.Advance(1);
    EXPECT_EQ(statuses.back(), "Trigger fail");
    EXPECT_FALSE(busy);
    EXPECT_TRUE(t.net.Of(SendKind::Tftp).empty());
    EXPECT_EQ(t.net.attachCount, 2);  // on opening, and again after the tries

    // clang-format off
    const std::vector<uint8_t> expected = {
        0, 2, 0, 0, 0x00, 0x11, 0x22, 0x33, 0x44, 0xaa,  // version, the target's MAC
        0, 0, 0, 10, 0, 0, 0, 0, 0xAB, 0xCD,             // revision, command, result, header_id
        0x02, 0, 0, 0, 0, 0x01,                          // the interface's MAC, by the transport
        0x12, 0x34, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // sequence, reserved
        0, 9, 0, 10, 's', 'e', 'c', 'r', 'e', 't'};
    // clang-format on
    for (const auto& s : t.net.sent)
        EXPECT_EQ(s.bytes, expected);
}

TEST_F(Trigger, RejectedPasswordStopsTheTries) {
    OpenForm();
    session->Start(Image(10), "wrong");
    t.loop.Advance(1500);  // tries at 500, 1000, 1500
    p.upgrade.passwordRejected = 1;
    t.loop.Advance(499);
    EXPECT_EQ(statuses.back(), "Wait....");
    t.loop.Advance(2001);
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 3u);
    EXPECT_EQ(statuses.back(), "Trigger fail");

    // Start clears the flag, so a second Start tries again.
    session->Start(Image(10), "right");
    EXPECT_EQ(p.upgrade.passwordRejected, 0);
    t.loop.Advance(500);
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 4u);
}

TEST_F(Trigger, LoaderSendsTheBareHeaderByUnicastFromTheMonitorList) {
    AddDevice(p.lists.monitor, 0, kSwitchIp, "0011223344aa");
    p.lists.monitor[0].loader = kLoaderMarker;
    p.selection = {0, ListKind::Monitor, 1, 1};
    OpenForm();
    EXPECT_TRUE(session->Loader());
    session->Start(Image(10), "");  // no password asked of a loader
    t.loop.Advance(500);
    ASSERT_EQ(t.net.sent.size(), 1u);
    EXPECT_EQ(t.net.sent[0].kind, SendKind::ToDevice);
    EXPECT_EQ(t.net.sent[0].address, kSwitchIp);
    EXPECT_EQ(t.net.sent[0].bytes.size(), 40u);
    EXPECT_EQ(t.net.sent[0].bytes[13], 10);
}

TEST_F(Trigger, AcknowledgementEndsTheTriesAndStartsTheTransfer) {
    OpenForm();
    session->Start(Image(10), "pw");
    t.loop.Advance(1000);  // two tries
    p.upgrade.triggerAcknowledged = 1;
    t.loop.Advance(500);
    EXPECT_EQ(t.net.Of(SendKind::Broadcast).size(), 2u);
    t.loop.Advance(1999);
    EXPECT_TRUE(Tftp().empty());
    t.loop.Advance(1);
    ASSERT_EQ(Tftp().size(), 1u);
    EXPECT_EQ(Tftp()[0].port, 69);
    EXPECT_EQ(Tftp()[0].address, kSwitchIp);
    EXPECT_EQ(Tftp()[0].mask, kSwitchMask);
    EXPECT_EQ(p.upgrade.triggerAcknowledged, 0);
    EXPECT_TRUE(busy);
}

TEST_F(Trigger, UnsentWriteRequestKeepsTheAcknowledgementForTheNextStart) {
    OpenForm();
    p.upgrade.triggerAcknowledged = 1;
    t.net.failKinds = {SendKind::Tftp};
    session->Start(Image(10), "pw");
    t.loop.Advance(2500);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Write request send error"});
    EXPECT_EQ(p.upgrade.triggerAcknowledged, 1);
    EXPECT_EQ(statuses.back(), "Wait....");
    EXPECT_TRUE(t.net.sent.empty());  // straight to the transfer: no trigger sent
}

TEST_F(Trigger, FormChecksComeBeforeAnySend) {
    OpenForm();
    struct Case {
        std::string path;
        std::string password;
        std::string message;
    };
    const std::string image = Image(10);
    const std::string big = t.dir.File("big.bin");
    { std::ofstream(big, std::ios::binary); }
    std::filesystem::resize_file(big, 33553920);  // sparse: costs no disk
    for (const Case& c :
         {Case{image, "", "Password must be 1-20 characters length."},
          Case{image, std::string(21, 'x'), "Password must be 1-20 characters length."},
          Case{"", "pw", "Firmware file not found"},
          Case{t.dir.path().string(), "pw", "Firmware file not found"},
          Case{big, "pw", kImageTooLarge}}) {
        t.ui.Clear();
        session->Start(c.path, c.password);
        t.loop.Advance(20000);
        EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{c.message}) << c.path;
        EXPECT_TRUE(t.net.sent.empty());
        EXPECT_TRUE(statuses.empty());
    }
    // One byte less is accepted.
    std::filesystem::resize_file(big, 33553919);
    session->Start(big, "pw");
    EXPECT_EQ(statuses, std::vector<std::string>{"Wait...."});
    EXPECT_EQ(session->FirmwarePath(), big);
}

TEST_F(Trigger, FailedBroadcastSendsNoMulticastAndEndsStart) {
    OpenForm();
    session->Start(Image(10), "pw");
    t.loop.Advance(17500);
    ASSERT_EQ(session->Status(), "Trigger fail");
    t.net.sent.clear();
    t.net.failKinds = {SendKind::Broadcast};
    session->Start(Image(10), "pw");
    t.loop.Advance(20000);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Upgrade trigger send error"});
    EXPECT_TRUE(t.net.Of(SendKind::Multicast).empty());
    EXPECT_EQ(session->Status(), "Trigger fail");  // as before Start
    EXPECT_FALSE(busy);
}

TEST_F(Trigger, BrowseCancelEmptiesThePath) {
    OpenForm();
    t.ui.fileChoices.push_back(std::string("/tmp/a.bin"));
    EXPECT_EQ(session->Browse(), "/tmp/a.bin");
    EXPECT_EQ(p.upgrade.firmwarePath, "/tmp/a.bin");
    EXPECT_EQ(session->Browse(), "");
    EXPECT_EQ(p.upgrade.firmwarePath, "");
    ASSERT_EQ(t.ui.filtersAsked.size(), 2u);
    EXPECT_EQ(t.ui.filtersAsked[0].size(), 2u);
    EXPECT_EQ(t.ui.filtersAsked[0][0].pattern, "*.hex");
    EXPECT_EQ(t.ui.filtersAsked[0][1].pattern, "*.bin");
    EXPECT_EQ(t.ui.proposedNames[0], "*.hex");
}

}  // namespace
}  // namespace pm::test
