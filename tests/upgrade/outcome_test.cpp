// The upgrade's end as a value: each failure and each result of the search, reported at the
// moment its message or status is shown.
#include <functional>

#include "upgrade/ConfirmUpgrade.h"
#include "upgrade/UpgradeFixture.h"

namespace pm::test {
namespace {

using Outcome = UpgradeFixture;

TEST_F(Outcome, StartChecksAndTheTriggerEachEndWithTheirOwnValue) {
    OpenForm();
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::None);
    session->Start(Image(10), "");
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::PasswordInvalid);
    session->Start(t.dir.File("missing.bin"), "pw");
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::ImageNotFound);

    session->Start(Image(10), "pw");  // never acknowledged
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::None);
    t.loop.Advance(17499);
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::None);
    t.loop.Advance(1);
    ASSERT_EQ(statuses.back(), "Trigger fail");
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::TriggerFailed);

    t.net.failKinds = {SendKind::Broadcast};
    session->Start(Image(10), "pw");
    t.loop.Advance(500);
    ASSERT_EQ(t.ui.Texts().back(), "Upgrade trigger send error");
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::TriggerSendFailed);
}

TEST_F(Outcome, ARefusedPasswordCountsFromTheMomentTheReceiverSawIt) {
    OpenForm();
    session->Start(Image(10), "wrong");
    t.loop.Advance(1000);
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::None);
    p.upgrade.passwordRejected = 1;  // as the receiver sets it
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::TriggerRefused);
    t.loop.Advance(2500);
    ASSERT_EQ(statuses.back(), "Trigger fail");
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::TriggerRefused);

    session->Start(Image(10), "right");  // a new Start begins with nothing reported
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::None);
}

TEST_F(Outcome, TransferFailuresEachHaveAValue) {
    struct Case {
        const char* name;
        std::function<void()> run;
        UpgradeOutcome expected;
    };
    const std::vector<Case> cases = {
        {"unreadable image",
         [this] {
             OpenForm();
             p.upgrade.firmwarePath = t.dir.File("gone.bin");
             session->Transfer().StartTransfer();
         },
         UpgradeOutcome::ImageUnreadable},
        {"write request not sent",
         [this] {
             OpenForm();
             p.upgrade.firmwarePath = Image(10);
             t.net.failKinds = {SendKind::Tftp};
             session->Transfer().StartTransfer();
         },
         UpgradeOutcome::TftpSendFailed},
        {"write request unanswered",
         [this] {
             StartTransfer(10);
             t.loop.Advance(9000);
         },
         UpgradeOutcome::DeviceNotFound},
        {"block unanswered",
         [this] {
             StartTransfer(1500);
             Ack(0);
             t.loop.Advance(40000);
         },
         UpgradeOutcome::TransferFailed},
        {"error packet",
         [this] {
             StartTransfer(1500);
             Reply({0, 5, 0, 3, 'n', 'o', 0});
         },
         UpgradeOutcome::DeviceError},
    };
    for (const Case& c : cases) {
        session.reset();
        t.net.failKinds.clear();
        t.ui.Clear();
        c.run();
        ASSERT_TRUE(session) << c.name;
        EXPECT_EQ(session->Outcome(), c.expected) << c.name;
    }
}

TEST_F(Outcome, TheSearchTellsWhetherTheSwitchCameBack) {
    for (const bool answers : {true, false}) {
        session.reset();
        t.ui.Clear();
        AddDevice(p.lists.discovery, 0, kSwitchIp, "0011223344aa");  // the last search emptied it
        OpenForm();
        p.upgrade.triggerAcknowledged = 1;
        session->Start(Image(10), "pw");
        t.loop.Advance(2500);  // the first step and the pause, then the write request
        Ack(0);
        Ack(1);
        t.loop.Advance(5000 + 130000);  // the pause after the last block, the restart wait
        EXPECT_EQ(session->Outcome(), UpgradeOutcome::None);
        p.upgrade.upgradeConfirmed = answers ? 1 : 0;
        t.loop.Advance(120000);
        ASSERT_FALSE(UpgradeSearchPending(t.loop, p.upgrade));
        EXPECT_EQ(session->Outcome(),
                  answers ? UpgradeOutcome::Succeeded : UpgradeOutcome::NotConfirmed);
        EXPECT_EQ(t.ui.Texts().back(), answers ? "Upgrade successful" : "Upgrade fail");
    }
}

TEST_F(Outcome, EndsOnlyWhereTheFormsUpgradeEnds) {
    // A block that can't be sent leaves it to the timer: nothing has ended.
    StartTransfer(1500);
    Ack(0);
    t.net.failKinds = {SendKind::Tftp};
    Ack(1);
    ASSERT_EQ(t.ui.Texts().back(), "Firmware upgrade failed.");
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::TftpSendFailed);
    EXPECT_FALSE(session->Ended());
    t.net.failKinds.clear();
    t.loop.Advance(3000);  // the resend gets out
    Ack(2);
    Ack(3);
    EXPECT_FALSE(session->Ended()) << "the pause after the last block, then the search";
    t.loop.Advance(5000 + 130000);
    EXPECT_FALSE(session->Ended());
    p.upgrade.upgradeConfirmed = 1;
    t.loop.Advance(2000);
    EXPECT_TRUE(session->Ended());
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::Succeeded);

    // Write requests that never get out end it once their resends are spent.
    session.reset();
    AddDevice(p.lists.discovery, 0, kSwitchIp, "0011223344aa");  // the search emptied it
    t.net.failKinds = {SendKind::Tftp};
    OpenForm();
    p.upgrade.firmwarePath = Image(10);
    EXPECT_EQ(session->Transfer().StartTransfer(), -1);
    EXPECT_FALSE(session->Ended());
    t.loop.Advance(8999);
    EXPECT_FALSE(session->Ended());
    t.loop.Advance(1);
    EXPECT_EQ(session->Outcome(), UpgradeOutcome::DeviceNotFound);
    EXPECT_TRUE(session->Ended());
}

TEST_F(Outcome, ProgressInPlaceOfTheBlockStatuses) {
    std::vector<std::pair<uint32_t, uint32_t>> progress;
    OpenForm();
    session->ShowProgress([&](uint32_t sent, uint32_t size) { progress.emplace_back(sent, size); });
    p.upgrade.firmwarePath = Image(1500);
    ASSERT_EQ(session->Transfer().StartTransfer(), 0);
    Ack(0);
    Ack(1);
    Ack(2);
    EXPECT_EQ(progress, (std::vector<std::pair<uint32_t, uint32_t>>{
                            {512, 1500}, {1024, 1500}, {1500, 1500}}));
    EXPECT_TRUE(statuses.empty()) << statuses.front();
    EXPECT_EQ(session->Status(), "Complete...1500/1500 bytes") << "the form's text is kept";
}

TEST_F(Outcome, ASearchThatOutlivesTheFormStillShowsItsResult) {
    StartTransfer(10);
    Ack(0);
    Ack(1);
    session->OnFormClosing();
    session.reset();
    t.loop.Advance(130000 + 120000);
    EXPECT_EQ(t.ui.Texts(), std::vector<std::string>{"Upgrade fail"});
}

}  // namespace
}  // namespace pm::test
